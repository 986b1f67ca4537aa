#include "foundations/int_array_list.h"

#include <algorithm>

namespace skarvel {

bool IntArrayList::Create(std::int32_t width, std::int32_t height) {
  width_ = 0;
  height_ = 0;
  currentRow_ = -1;
  appendColumn_ = 0;
  appendRow_ = 0;
  rowBuffer_.clear();
  pixels_.clear();
  if (width < 1 || width > kMaxWidth || height < 0 || height > kMaxHeight) return false;
  width_ = width;
  height_ = height;
  rowBuffer_.assign(static_cast<std::size_t>(width), 0);
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  return true;
}

std::span<std::int32_t> IntArrayList::Row(std::int32_t y) {
  if (!RowExists(y)) return {};
  return {pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
          static_cast<std::size_t>(width_)};
}

std::span<const std::int32_t> IntArrayList::Row(std::int32_t y) const {
  if (!RowExists(y)) return {};
  return {pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
          static_cast<std::size_t>(width_)};
}

std::int32_t IntArrayList::PixelAt(std::int32_t x, std::int32_t y) {
  if (!RowExists(y)) return 0;
  currentRow_ = y;
  if (x < 0 || x >= width_) return 0;
  return Row(y)[static_cast<std::size_t>(x)];
}

void IntArrayList::SetPixel(std::int32_t x, std::int32_t y, std::int32_t v) {
  if (!RowExists(y)) return;
  currentRow_ = y;
  if (x < 0 || x >= width_) return;
  Row(y)[static_cast<std::size_t>(x)] = v;
}

std::int32_t IntArrayList::StoreRow(std::int32_t y, std::span<const std::int32_t> buffer) {
  if (!RowExists(y)) return 0;
  currentRow_ = y;
  const std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(width_));
  std::copy_n(buffer.begin(), n, Row(y).begin());
  return static_cast<std::int32_t>(n);
}

void IntArrayList::BeginAppend() {
  appendColumn_ = 0;
  appendRow_ = 0;
  currentRow_ = -1;
}

void IntArrayList::AppendValue(std::int32_t v) {
  if (width_ == 0) return;
  rowBuffer_[static_cast<std::size_t>(appendColumn_)] = v;
  if (++appendColumn_ > LastColumn()) {
    StoreRow(appendRow_, rowBuffer_);
    ++appendRow_;
    appendColumn_ = 0;
  }
}

void IntArrayList::EndAppend() {
  if (appendColumn_ > 0 && RowExists(appendRow_)) StoreRow(appendRow_, rowBuffer_);
  currentRow_ = -1;
}

}  // namespace skarvel

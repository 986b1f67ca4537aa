#include "foundations/int_array_list.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace skarvel {

namespace {

// Blocks from 1 MiB on are mapped; huge pages are 2 MiB on x86-64.
constexpr std::size_t kMapFromBytes = std::size_t{1} << 20;

}  // namespace

PixelBuffer::PixelBuffer(std::size_t count) : size_(count) {
  if (count == 0) return;
  const std::size_t bytes = count * sizeof(std::int32_t);
  if (bytes >= kMapFromBytes) {
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint; without huge pages the block still works
    data_ = static_cast<std::int32_t*>(p);
    mapped_ = true;
  } else {
    data_ = new std::int32_t[count]();
  }
}

PixelBuffer::~PixelBuffer() { Release(); }

void PixelBuffer::Release() {
  if (data_ != nullptr) {
    if (mapped_) ::munmap(data_, size_ * sizeof(std::int32_t));
    else delete[] data_;
  }
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
}

PixelBuffer::PixelBuffer(const PixelBuffer& other) : PixelBuffer(other.size_) {
  if (size_ > 0) std::memcpy(data_, other.data_, size_ * sizeof(std::int32_t));
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
  if (this != &other) {
    PixelBuffer copy(other);
    *this = std::move(copy);
  }
  return *this;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), mapped_(other.mapped_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.mapped_ = false;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.mapped_ = false;
  }
  return *this;
}

bool IntArrayList::Create(std::int32_t width, std::int32_t height) {
  width_ = 0;
  height_ = 0;
  currentRow_ = -1;
  appendColumn_ = 0;
  appendRow_ = 0;
  rowBuffer_.clear();
  pixels_ = PixelBuffer();
  if (width < 1 || width > kMaxWidth || height < 0 || height > kMaxHeight) return false;
  width_ = width;
  height_ = height;
  rowBuffer_.assign(static_cast<std::size_t>(width), 0);
  pixels_ = PixelBuffer(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
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

#include "images/blink.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace skarvel {

void ResetSlotAlignment(BlinkAlignments& alignments, int slot) {
  if (slot < 0 || slot >= kBlinkSlots) return;
  alignments[static_cast<std::size_t>(slot)] = SlotAlignment{};
}

void ComputeShifts(BlinkAlignments& alignments, int last) {
  last = std::clamp(last, 0, kBlinkSlots - 1);
  const SlotAlignment& ref = alignments[0];
  alignments[0].shift = BlinkPoint{};
  for (int k = 1; k <= last; ++k) {
    SlotAlignment& a = alignments[static_cast<std::size_t>(k)];
    a.shift.x = ((ref.star1.x - a.star1.x) + (ref.star2.x - a.star2.x)) / 2;
    a.shift.y = ((ref.star1.y - a.star1.y) + (ref.star2.y - a.star2.y)) / 2;
  }
  for (int k = 0; k <= last; ++k) alignments[static_cast<std::size_t>(k)].aligned = true;
}

BlinkPoint PredictedStar2(const SlotAlignment& image, const SlotAlignment& previous) {
  return {image.star1.x + (previous.star2.x - previous.star1.x), image.star1.y + (previous.star2.y - previous.star1.y)};
}

BlinkPoint PredictedStar1(const SlotAlignment& previous) {
  return {previous.star1.x + previous.shift.x, previous.star1.y + previous.shift.y};
}

BlinkOptions BlinkOptions::Defaults(int last) {
  BlinkOptions o;
  for (int k = 0; k < kBlinkSlots; ++k) o.frames[static_cast<std::size_t>(k)] = k <= last ? k : kBlinkNoImage;
  return o;
}

bool BlinkOptions::Choose(int frame, int image, int last) {
  if (frame < 0 || frame >= kBlinkSlots) return false;
  const bool valid = image == kBlinkNoImage || (image >= 0 && image <= last);
  frames[static_cast<std::size_t>(frame)] = valid ? image : kBlinkNoImage;
  return valid;
}

std::vector<int> BlinkOptions::FrameList() const {
  std::vector<int> list;
  for (int image : frames)
    if (image >= 0 && image < kBlinkSlots) list.push_back(image);
  return list;
}

int BlinkOptions::DistinctImages() const {
  std::array<bool, kBlinkSlots> seen{};
  int count = 0;
  for (int image : FrameList())
    if (!seen[static_cast<std::size_t>(image)]) {
      seen[static_cast<std::size_t>(image)] = true;
      ++count;
    }
  return count;
}

BlinkSize FitBlinkWindow(std::int32_t imageWidth, std::int32_t imageHeight, bool maximize,
                         std::int32_t desktopHeight, std::int32_t frameHeight) {
  BlinkSize size;
  if (imageWidth <= 0 || imageHeight <= 0) return size;
  size.maximum = maximize ? std::max(1, desktopHeight - frameHeight - kBlinkScreenMargin) : kBlinkMaximum;
  size.centred = !maximize;
  const long double aspect = static_cast<long double>(imageHeight) / imageWidth;
  if (imageHeight > imageWidth) {
    size.clientHeight = std::min(size.maximum, imageHeight);
    size.clientWidth = static_cast<std::int32_t>(std::nearbyint(size.clientHeight / aspect));
  } else {
    size.clientWidth = std::min(size.maximum, imageWidth);
    size.clientHeight = static_cast<std::int32_t>(std::nearbyint(size.clientWidth * aspect));
  }
  size.scale = static_cast<long double>(size.clientWidth) / imageWidth;
  return size;
}

SourceRect BlinkSource(const ScreenRect& region, long double scale, const BlinkPoint& shift) {
  return ZoomedSource(region, scale, shift.x, shift.y);
}

int NextBlinkFrame(int current, int frameCount) {
  if (frameCount <= 0) return 0;
  return current + 1 >= frameCount ? 0 : current + 1;
}

std::string BlinkCaption(int slot, const std::string& displayName) {
  return "Blinking Images: Image " + std::to_string(slot + 1) + " - " + displayName;
}

}  // namespace skarvel

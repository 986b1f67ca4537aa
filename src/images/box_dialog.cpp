#include "images/box_dialog.h"

#include <algorithm>

namespace skarvel {

std::string BoxDialogCaption(BoxKind kind) {
  return kind == BoxKind::Reference ? "\"Box\" Size for Reference Stars" : "\"Box\" Size for Unknown";
}

int BoxDialogValues::EvenWidth(int w) {
  w = std::clamp(w, kMinWidth, kMaxWidth);
  return w - w % 2;
}

BoxDialogValues::BoxDialogValues(const BoxRecord& record) {
  peakWidth_ = EvenWidth(2 * record.peakHalfWidth);
  diameter_ = EvenWidth(2 * record.centroidRadius);
  if (diameter_ > peakWidth_) peakWidth_ = diameter_;
  border_ = std::clamp<int>(record.skyBorder, kMinBorder, kMaxBorder);
  cutoff_ = std::clamp<int>(record.skyCutoff, kMinCutoff, kMaxCutoff);
}

void BoxDialogValues::SetPeakWidth(int width) {
  peakWidth_ = EvenWidth(width);
  if (diameter_ > peakWidth_) diameter_ = peakWidth_;
}

void BoxDialogValues::SetDiameter(int diameter) {
  diameter_ = EvenWidth(diameter);
  if (diameter_ > peakWidth_) peakWidth_ = diameter_;
}

void BoxDialogValues::SetBorder(int border) { border_ = std::clamp(border, kMinBorder, kMaxBorder); }

void BoxDialogValues::SetCutoff(int cutoff) { cutoff_ = std::clamp(cutoff, kMinCutoff, kMaxCutoff); }

void BoxDialogValues::Defaults() {
  peakWidth_ = 16;
  diameter_ = 16;
  border_ = 4;
  cutoff_ = 3;
}

BoxRecord BoxDialogValues::Record() const {
  return {static_cast<std::int8_t>(peakWidth_ / 2), static_cast<std::int8_t>(diameter_ / 2),
          static_cast<std::int8_t>(border_), static_cast<std::int8_t>(cutoff_)};
}

}  // namespace skarvel

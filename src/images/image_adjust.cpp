#include "images/image_adjust.h"

#include <cmath>

#include "foundations/strings.h"
#include "images/display_mapping.h"

namespace skarvel {

namespace {

int RoundHalfEven(long double x) { return static_cast<int>(std::nearbyint(x)); }

}  // namespace

ImageAdjustModel::ImageAdjustModel(DisplaySettings& record, Mode mode, int slot, DisplaySettings& defaults,
                                   std::uint8_t imageFileType, bool fromOptionsDialog)
    : record_(record),
      original_(record),
      lastApply_(record),
      mode_(mode),
      slot_(slot),
      defaults_(defaults),
      imageFileType_(imageFileType),
      fromOptionsDialog_(fromOptionsDialog) {
  SetControls(record_);
  originalLamp = record_.originalMark;
  defaultLamp = record_.defaultMark;
  useAsDefaults = mode_ == Mode::Defaults;
}

std::string ImageAdjustModel::Caption() const {
  if (mode_ == Mode::Window) return "Adjust Image " + std::to_string(slot_ + 1) + " Display Parameters";
  return fromOptionsDialog_ ? "Set Image Display Parameters" : "Adjust Image Display Parameters";
}

void ImageAdjustModel::SetControls(const DisplaySettings& s) {
  brightnessPos = 2 * s.brightness;
  contrastPos = 2 * s.contrast;
  backgroundPos = RoundHalfEven(4.0L * s.backgroundSigmas);
  rangePos = RoundHalfEven(4.0L * (static_cast<long double>(s.rangeSigmas) - 1.0L));
  leftRightReversed = s.mirrorLeftRight;
  upDownReversed = s.mirrorUpDown;
  invertChecked = s.invert;
  rangeFromHeader = s.rangeFromHeader;
}

std::string ImageAdjustModel::BrightnessText() const { return FormatFixed(1, brightnessPos / 10.0L); }
std::string ImageAdjustModel::ContrastText() const { return FormatFixed(1, contrastPos / 10.0L); }
std::string ImageAdjustModel::BackgroundText() const { return FormatFixed(2, backgroundPos * 0.25L); }
std::string ImageAdjustModel::RangeText() const { return FormatFixed(2, rangePos * 0.25L + 1.0L); }

void ImageAdjustModel::TakeControls() {
  record_.brightness = RoundHalfEven(brightnessPos * 0.5L);
  record_.contrast = RoundHalfEven(contrastPos * 0.5L);
  record_.backgroundSigmas = static_cast<float>(backgroundPos * 0.25L);
  record_.rangeSigmas = static_cast<float>(rangePos * 0.25L + 1.0L);
  UpdatePaletteBounds(record_);
  record_.mirrorLeftRight = leftRightReversed;
  record_.mirrorUpDown = upDownReversed;
  record_.originalMark = originalLamp;
  record_.defaultMark = defaultLamp;
  record_.invert = invertChecked;
  record_.rangeFromHeader = rangeFromHeader;
  if (mode_ == Mode::Window && rewritePalette) rewritePalette();
}

void ImageAdjustModel::CheckApply() {
  const bool differs = record_.mirrorLeftRight != lastApply_.mirrorLeftRight ||
                       record_.mirrorUpDown != lastApply_.mirrorUpDown || rangeFromHeader != lastApply_.rangeFromHeader ||
                       invertChecked != lastApply_.invert ||
                       static_cast<float>(backgroundPos * 0.25L) != lastApply_.backgroundSigmas ||
                       static_cast<float>(rangePos * 0.25L + 1.0L) != lastApply_.rangeSigmas;
  applyEnabled = mode_ == Mode::Window && differs;
  if (differs) originalLamp = defaultLamp = false;
}

void ImageAdjustModel::ScrollMoved() {
  originalLamp = defaultLamp = false;
  TakeControls();
}

void ImageAdjustModel::MoveBrightness(int position) {
  brightnessPos = position;
  ScrollMoved();
}
void ImageAdjustModel::MoveContrast(int position) {
  contrastPos = position;
  ScrollMoved();
}
void ImageAdjustModel::MoveBackground(int position) {
  backgroundPos = position;
  ScrollMoved();
  CheckApply();
}
void ImageAdjustModel::MoveRange(int position) {
  rangePos = position;
  ScrollMoved();
  CheckApply();
}

void ImageAdjustModel::ReverseLeftRight() {
  leftRightReversed = true;
  record_.mirrorLeftRight = true;
  CheckApply();
}
void ImageAdjustModel::RestoreLeftRight() {
  leftRightReversed = false;
  record_.mirrorLeftRight = false;
  TakeControls();
  CheckApply();
}
void ImageAdjustModel::ReverseUpDown() {
  upDownReversed = true;
  record_.mirrorUpDown = true;
  CheckApply();
}
void ImageAdjustModel::RestoreUpDown() {
  upDownReversed = false;
  record_.mirrorUpDown = false;
  TakeControls();
  CheckApply();
}

void ImageAdjustModel::SetInvert(bool on) {
  invertChecked = on;
  CheckApply();
}

void ImageAdjustModel::SetRangeFromHeader(std::uint8_t source) {
  if (!RangeSourceEnabled()) return;
  rangeFromHeader = source;
}

void ImageAdjustModel::OriginalDisplay() {
  brightnessPos = 0;
  contrastPos = 0;
  backgroundPos = -1;
  rangePos = 4;
  leftRightReversed = false;
  upDownReversed = false;
  invertChecked = false;
  rangeFromHeader = imageFileType_ == 2 ? 1 : 0;
  originalLamp = true;
  defaultLamp = false;
  TakeControls();
  CheckApply();
  originalLamp = true;
  defaultLamp = false;
  record_.originalMark = true;
  record_.defaultMark = false;
}

void ImageAdjustModel::DefaultSettings() {
  SetControls(NewDisplaySettings(defaults_, imageFileType_));
  originalLamp = false;
  defaultLamp = true;
  TakeControls();
  CheckApply();
  originalLamp = false;
  defaultLamp = true;
  record_.originalMark = false;
  record_.defaultMark = true;
}

void ImageAdjustModel::End(Ending ending) {
  switch (ending) {
    case Ending::Ok:
      TakeControls();
      if (mode_ == Mode::Window && useAsDefaults) {
        defaults_ = record_;
        if (noteOptionsChanged) noteOptionsChanged();
      }
      break;
    case Ending::Cancel:
      record_ = original_;
      if (mode_ == Mode::Window && rewritePalette) rewritePalette();
      break;
    case Ending::Apply:
      TakeControls();
      lastApply_ = record_;
      applyEnabled = false;
      break;
  }
}

bool ImageAdjustModel::NeedsRebuild(const DisplaySettings& before, const DisplaySettings& now) {
  return OrientationDiffers(before, now) || before.rangeFromHeader != now.rangeFromHeader ||
         before.backgroundSigmas != now.backgroundSigmas || before.rangeSigmas != now.rangeSigmas;
}

}  // namespace skarvel

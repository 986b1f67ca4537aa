// The rules of the "Adjust Image Display Parameters" dialog, without widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "images/display_settings.h"

namespace skarvel {

/// The controls of the adjust dialog and what they do to one DisplaySettings
/// record: an image window's own (window mode) or the options' display
/// defaults (defaults mode).
///
/// Usage: make it on the record, let the widgets show the positions and call
/// the Move / Reverse / Restore / button operations, then Ok, Cancel or Apply.
class ImageAdjustModel {
 public:
  enum class Mode { Window, Defaults };
  enum class Ending { Ok, Cancel, Apply };

  /// Scroll bar ranges and large steps.
  static constexpr int kBrightnessMin = -100, kBrightnessMax = 100, kBrightnessStep = 10;
  static constexpr int kBackgroundMin = -10, kBackgroundMax = 10, kBackgroundStep = 4;
  static constexpr int kRangeMin = 0, kRangeMax = 20, kRangeStep = 4;

  /// `slot` 0..3 names the window in the caption (window mode). `defaults`
  /// is the options' display defaults (the record itself in defaults mode);
  /// `imageFileType` the ImageFileType option. `fromOptionsDialog` gives the
  /// defaults-mode caption of the options dialog.
  ImageAdjustModel(DisplaySettings& record, Mode mode, int slot, DisplaySettings& defaults,
                   std::uint8_t imageFileType, bool fromOptionsDialog = true);

  /// Called in window mode whenever the controls were taken (live palette).
  std::function<void()> rewritePalette;
  /// Called when OK copies the settings to the defaults ("&Use Settings as Defaults").
  std::function<void()> noteOptionsChanged;

  std::string Caption() const;
  Mode GetMode() const { return mode_; }

  // ---- control states ----
  int brightnessPos = 0, contrastPos = 0, backgroundPos = 0, rangePos = 0;
  bool leftRightReversed = false;  ///< "restore left-right" enabled, "reverse" disabled
  bool upDownReversed = false;
  bool invertChecked = false;
  std::uint8_t rangeFromHeader = 0;  ///< 0 "Statistical &Estimate", 1 "&Header Values"
  bool useAsDefaults = false;
  bool originalLamp = false;
  bool defaultLamp = false;
  bool applyEnabled = false;
  bool RangeSourceEnabled() const { return mode_ == Mode::Defaults || imageFileType_ == 2; }
  bool UseAsDefaultsEnabled() const { return mode_ == Mode::Window; }

  /// Read-outs: position / 10 with one decimal; k_low and k_high with two.
  std::string BrightnessText() const;
  std::string ContrastText() const;
  std::string BackgroundText() const;
  std::string RangeText() const;

  // ---- operations ----
  void MoveBrightness(int position);
  void MoveContrast(int position);
  void MoveBackground(int position);
  void MoveRange(int position);
  void ReverseLeftRight();
  void RestoreLeftRight();
  void ReverseUpDown();
  void RestoreUpDown();
  void SetInvert(bool on);
  void SetRangeFromHeader(std::uint8_t source);
  void OriginalDisplay();
  void DefaultSettings();
  /// Copies every control value into the record (and rewrites the palette in window mode).
  void TakeControls();

  /// Ends the dialog. Ok takes the controls (and copies them to the defaults
  /// when asked); Cancel restores the record as it was when the dialog was
  /// made (and rewrites the palette in window mode); Apply takes the controls
  /// and notes the applied state.
  void End(Ending ending);

  /// Whether the orientation, or the range source, k_low or k_high, of the
  /// record differ from `before`: the caller then rebuilds the display.
  static bool NeedsRebuild(const DisplaySettings& before, const DisplaySettings& now);
  static bool OrientationDiffers(const DisplaySettings& a, const DisplaySettings& b) {
    return a.mirrorLeftRight != b.mirrorLeftRight || a.mirrorUpDown != b.mirrorUpDown;
  }

 private:
  void SetControls(const DisplaySettings& s);
  void CheckApply();
  void ScrollMoved();

  DisplaySettings& record_;
  DisplaySettings original_;
  DisplaySettings lastApply_;
  Mode mode_;
  int slot_;
  DisplaySettings& defaults_;
  std::uint8_t imageFileType_;
  bool fromOptionsDialog_;
};

}  // namespace skarvel

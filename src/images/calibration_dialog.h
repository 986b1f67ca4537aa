// The logic of the "Calibration" dialog: masters built from chosen raw
// frames, the masters applied to a camera's images chosen and remembered, and
// the loaded images calibrated on demand. The window only shows the fields
// and calls these; every question, file chooser, message and progress window
// goes through the platform.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "images/calibration_choice.h"
#include "platform/platform.h"

namespace skarvel {

/// What the dialog works with.
struct CalibrationDialogHost {
  platform::Platform* ui = nullptr;
  std::string dataDir;    ///< where the choices are remembered
  std::string camera;     ///< the current camera record's name
  std::string directory;  ///< the folder the file choosers open in
  /// Calibrates the loaded images with the masters: the calibrated frames of
  /// the images done (empty when no image is loaded). Throws CalibrationFailure.
  std::function<std::vector<CalibFrame>(const MasterSet&)> calibrateLoaded;
};

class CalibrationDialogLogic {
 public:
  static constexpr const char* kCaption = "Calibration";
  static constexpr const char* kErrorCaption = "Calibration Error!";
  static constexpr const char* kFitsFilter = "FITS Files (*.FIT, *.FTS, *.FITS)|*.FIT; *.FTS; *.FITS|All Files (*.*)|*.*";

  /// Starts with the choice remembered for the host's camera.
  explicit CalibrationDialogLogic(CalibrationDialogHost host);

  /// The fields shown: the masters to apply and the on-load check box.
  CalibrationChoice choice;
  /// The "Build a Master" group: the kind and the combination.
  FrameKind buildKind = FrameKind::Bias;
  CombineMethod method = CombineMethod::Median;

  /// "&Build Master...": the raw frames (several), then the master's file
  /// name; the master is made under a progress window, corrected by the
  /// chosen bias (darks, flats) and dark (flats), saved, and becomes the
  /// chosen master of its kind. False when cancelled or refused (told).
  bool BuildMaster();
  /// "..." beside a master's field: one file chosen for it.
  bool Browse(FrameKind kind);
  /// The master field of a kind (bias, dark or flat).
  std::string& Field(FrameKind kind);
  /// "Calibrate Loaded &Images": the chosen masters applied to the loaded
  /// images; then the offer to save them as FITS files into a chosen folder.
  /// False when refused (told) or nothing was loaded.
  bool CalibrateLoaded();
  /// OK: the chosen masters are checked (read and prepared) and the choice
  /// is remembered for the camera. False (told) keeps the dialog open.
  bool Accept();

 private:
  void Fail(const std::string& text);
  CalibrationDialogHost host_;
};

}  // namespace skarvel

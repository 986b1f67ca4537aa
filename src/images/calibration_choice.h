// The masters chosen for a camera, remembered per camera record (by the
// record's name) in a small text file of the data folder, and what applies
// them: the masters read and prepared, and a loaded image calibrated in place.
//
// The file "CALIBSET.DAT": a first line "Skarvel calibration masters 1",
// then one line per camera: the camera record's name, "1" or "0" (calibrate
// on load), and the bias, dark and flat master paths (each may be empty),
// the five fields separated by tabs. It is written through a temporary file.
#pragma once

#include <string>
#include <vector>

#include "images/calibration.h"
#include "images/graphics_file.h"

namespace skarvel {

inline constexpr const char* kCalibrationChoicesFile = "CALIBSET.DAT";
inline constexpr const char* kCalibrationChoicesTitle = "Skarvel calibration masters 1";
/// The key of a camera record without a name.
inline constexpr const char* kUnnamedCamera = "(unnamed camera)";

/// The key a camera record's masters are kept under: its name, or
/// kUnnamedCamera for a record without one.
std::string CameraKey(const std::string& camera);

/// The masters of one camera.
struct CalibrationChoice {
  std::string camera;  ///< the camera record's name
  bool onLoad = false; ///< images of this camera are calibrated as they are loaded
  std::string bias, dark, flat;  ///< master (or single raw frame) paths; "" for none

  bool Empty() const { return bias.empty() && dark.empty() && flat.empty(); }
  bool operator==(const CalibrationChoice&) const = default;
};

/// The choices of a file's text: lines that do not hold five fields, and a
/// text without the title line, give nothing. At most 1000 lines are read.
std::vector<CalibrationChoice> ParseCalibrationChoices(const std::string& text);
/// The file's text of `choices`.
std::string CalibrationChoicesText(const std::vector<CalibrationChoice>& choices);

/// The choice remembered for `camera` in `dataDir` (an empty choice for that
/// camera when none is, or the file cannot be read).
CalibrationChoice ChoiceForCamera(const std::string& dataDir, const std::string& camera);
/// Remembers `choice` for its camera (replacing the camera's earlier line).
/// Throws CalibrationFailure when a field holds a tab or a line break, or
/// the file cannot be written (the earlier file then stands as it was).
void RememberChoice(const std::string& dataDir, const CalibrationChoice& choice);

/// The masters of a choice, read and prepared: a path naming a master is
/// taken as it is, one naming a raw frame as a master of one frame (a bias
/// first, so that a raw dark and flat can be corrected by it). Throws CalibrationFailure.
MasterSet LoadMasters(const CalibrationChoice& choice);

/// The light frame of a loaded image: a FITS image read again from its file
/// with its header cards (floating-point values); any other image (or a FITS
/// file that cannot be read so) from its pixels, with the exposure its
/// header gave.
CalibFrame LightOfImage(const GraphicsFileObj& image);

/// Calibrates a loaded image in place: its pixels become the calibrated
/// values rounded to integers (halves to even), its minimum, maximum and
/// histogram are gathered again and ", calibrated" is added to its format
/// description. Returns the calibrated frame (to be saved as FITS). Throws
/// CalibrationFailure and then leaves the image as it was.
CalibFrame CalibrateImage(GraphicsFileObj& image, const MasterSet& masters, CalibrationSummary* summary = nullptr);

}  // namespace skarvel

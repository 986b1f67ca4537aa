// The calibration jobs on files, shared by the command line and the
// calibration dialog: masters made from files and saved, and lights
// calibrated into a folder. A failed job writes nothing and leaves every
// input file as it was.
#pragma once

#include <string>
#include <vector>

#include "images/calibration.h"

namespace skarvel {

/// Reads the frames of `paths` in order, telling `progress` after each.
/// Throws CalibrationFailure.
std::vector<CalibFrame> ReadFrames(const std::vector<std::string>& paths, const CalibrationProgress& progress = {});

/// The master of `kind` from `paths`: a single file that is already a
/// master is taken as it is (refused when it is a master of another kind);
/// otherwise the raw frames are combined by BuildMaster with the bias and
/// dark given. Throws CalibrationFailure.
CalibFrame MasterFromFiles(FrameKind kind, const std::vector<std::string>& paths, CombineMethod method,
                           const CalibFrame* bias = nullptr, const CalibFrame* dark = nullptr,
                           const CalibrationProgress& progress = {});

/// True when `a` and `b` name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

/// Saves `master` as `out` (BITPIX -32, through a temporary file); refused
/// when `out` is one of `inputs`. Throws CalibrationFailure.
void SaveMaster(const std::string& out, const CalibFrame& master, const std::vector<std::string>& inputs);

/// One light calibrated into a file.
struct CalibratedFile {
  std::string light;   ///< the light's path
  std::string output;  ///< the calibrated file's path
  CalibrationSummary summary;
};

/// Calibrates every light with the prepared masters into `outDir` + the
/// light's file name. Every light is read and checked before the first file
/// is written; an output that would replace a light or a master, or two
/// lights of one file name, are refused; when a write fails the files
/// already written are removed. Throws CalibrationFailure.
std::vector<CalibratedFile> CalibrateFiles(const std::vector<std::string>& lights, const MasterSet& masters,
                                           const std::string& outDir, const CalibrationProgress& progress = {});

}  // namespace skarvel

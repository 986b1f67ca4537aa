// The magnitude solution of a target and the "Astrometric Solution" report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "astrometry/plate_solution.h"
#include "astrometry/reference_star.h"
#include "config/observer_records.h"
#include "platform/platform.h"

namespace skarvel {

/// The magnitude record of an image window.
struct AstromMagObj {
  int n = 0;                  ///< stars used in the magnitude solution
  long double s1 = 0;         ///< sum of their magnitudes
  long double s2 = 0;         ///< sum of their squares
  long double s = 0;          ///< sample standard deviation
  long double sOverRootN = 0; ///< s / sqrt(n): the error of the target's magnitude
  bool filterMatch = true;    ///< the image filter suits the reference stars' colour
};

/// The target's magnitude from the reference stars' catalog magnitudes and
/// flux ratios. An image without a known filter (7 none, 8 unknown) takes
/// the band of the first reference star when that is known (0..6, Gaia G). `cameraFilter` is the FilterCode of the report's camera
/// record. Shows "Image filter does not match selected color of reference
/// stars." ("Magnitude Calculation") and "No Magnitude References Selected!"
/// ("Cannot Compute Magnitude!") unless `expertMode`.
void MagnitudeSolution(ReferenceStar& target, const std::vector<ReferenceStar*>& references,
                       std::uint8_t cameraFilter, bool expertMode, platform::Platform& ui, AstromMagObj& mag);

/// Short name of a filter code 0..6 ("B" ... "K"); "" for others.
std::string ShortFilterName(std::uint8_t band);

/// Everything the report shows.
struct SolutionReportInput {
  int slot = 0;                       ///< 0..3
  std::string fileName;
  std::string objectName;
  double observationTime = 0;         ///< date-time value, UT
  bool targetLocated = false;
  ReferenceStar target;
  AstromMagObj magnitude;
  std::vector<ReferenceStar> references;  ///< in list order
  ReferenceStar centre;               ///< the image-centre record
  std::uint8_t solutionType = 0;
  int pairCount = 0;
  PlateSolnObj::Errors errors;
  /// The target centroid's own one-sigma error per axis, arc seconds (a
  /// fitted centroid's); 0 when unknown. The target's sigmas then hold it
  /// combined with the plate's.
  long double targetCentringArcsec = 0;
  std::vector<long double> constants; ///< the model's constants a, b, c, ...
  /// The plate weighted its stars by their measured uncertainties
  /// (PlateSolnObj::Weighted), and how many of them brought one.
  bool plateWeighted = false;
  int weightedStars = 0;
  CameraRecord camera;
  std::int32_t imageWidth = 0;
  std::int32_t imageHeight = 0;
  std::function<std::string(std::uint8_t)> catalogName;  ///< name of a CatalogCode
};

/// The window title: "Image " + slot number + " - Astrometric Solution".
std::string SolutionReportTitle(int slot);
/// The report, line by line.
std::vector<std::string> SolutionReportLines(const SolutionReportInput& in);

}  // namespace skarvel

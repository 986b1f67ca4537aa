// Calibration of CCD frames: master bias, dark and flat frames combined from
// sets of raw frames, the bad-pixel map of a dark, and the calibration of a
// light frame, (light - bias - scaled dark) / flat with its bad pixels
// repaired from their neighbours. Every failure throws CalibrationFailure
// with the text a person reads; nothing here writes a file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "images/calib_frame.h"

namespace skarvel {

/// How a stack of frames becomes one: the median of each pixel, or the mean
/// of the values left after clipping those beyond kClipSigma standard
/// deviations from the median (repeated until none goes).
enum class CombineMethod { Median, Mean };

/// "MEDIAN" or "MEAN", as the CMBMETHD card holds it.
std::string CombineMethodName(CombineMethod method);

/// The clipping limit of the sigma-clipped mean, standard deviations.
inline constexpr double kClipSigma = 3.0;
/// Two temperatures further apart than this (degrees Celsius) belong to
/// different darks; a regulated camera holds its set point to about 0.5 C.
inline constexpr double kTemperatureTolerance = 1.0;
/// Exposures within this many seconds (or this fraction of the exposure,
/// whichever is larger) count as equal.
inline constexpr double kExposureToleranceS = 0.001;
inline constexpr double kExposureToleranceFraction = 0.0005;
/// A dark pixel deviating from its column's median by more than this many
/// robust standard deviations is bad.
inline constexpr double kBadPixelSigma = 6.0;
/// A corrected flat whose median is below this many times its pixel-to-pixel
/// noise holds no usable light ("empty").
inline constexpr double kFlatMinSignalToNoise = 10.0;
/// A flat with more than this fraction of its pixels at the saturation level is saturated.
inline constexpr double kFlatSaturatedFraction = 0.01;

/// Combines `planes` (each `count` values) pixel by pixel into `out`
/// (`count` values). With fewer than 3 planes the mean method takes the plain mean.
void CombineStack(const std::vector<const float*>& planes, std::size_t count, CombineMethod method, float* out);

/// Told after each step of a long job (frames read, rows combined); returns
/// false when the person asked to stop.
using CalibrationProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

/// Refuses (CalibrationFailure) when `frame` differs from `reference` in size
/// or binning, or both name their camera (INSTRUME) and the names differ.
void CheckSameCamera(const CalibFrame& frame, const CalibFrame& reference);

/// How a dark is taken off a frame of exposure `exposure` (nullopt: unknown).
struct DarkPlan {
  double scale = 1;          ///< factor on the dark's own signal
  bool subtractBias = false; ///< the bias is taken off separately
  /// The dark holds the bias too and is subtracted as it is (same exposure).
  bool darkHoldsBias = false;
};

/// The plan for a target (a light or a flat) of `targetWord` ("light",
/// "flat") with a dark and optionally a bias. Refuses a dark of another
/// temperature, a raw dark of another exposure with no bias to scale it, and
/// a dark of dark current alone without a bias.
DarkPlan PlanDark(const CalibFrame& target, const std::string& targetWord, const CalibFrame& dark,
                  const CalibFrame* bias);

/// A master frame from a set of raw frames of one kind (not masters), all
/// of one size, binning and camera; darks of one exposure and temperature.
/// A dark set with a bias becomes dark current alone (BIASSUB = T), so that
/// it can be scaled to other exposures. Flats are corrected by the bias and
/// the scaled dark, refused when saturated or empty, each normalised by its
/// median, combined and normalised again; a result with pixels at zero or
/// below is refused. The frames are changed in place (corrected). The
/// master's cards: IMAGETYP, MASTER, NCOMBINE, CMBMETHD, EXPTIME (the set's
/// mean exposure), CCD-TEMP (mean), XBINNING, YBINNING, INSTRUME, BIASSUB and
/// NBADPIX (darks), FLATLVL (flats: the mean level before normalising), and
/// HISTORY lines. A progress that answers false stops with a failure.
CalibFrame BuildMaster(FrameKind kind, std::vector<CalibFrame>& frames, CombineMethod method,
                       const CalibFrame* bias = nullptr, const CalibFrame* dark = nullptr,
                       const CalibrationProgress& progress = {});

/// The bad pixels of a dark (1 bad, 0 good, one per pixel): those whose value
/// less their column's median deviates by more than kBadPixelSigma robust
/// standard deviations (1.4826 times the median absolute deviation).
std::vector<std::uint8_t> BadPixelMap(const CalibFrame& dark);

/// Sets every bad pixel of `frame` to the mean of its good neighbours (the 8
/// around it, else the 24 within two pixels; unchanged when none is good).
/// Returns the number of pixels repaired.
std::int64_t RepairBadPixels(CalibFrame& frame, const std::vector<std::uint8_t>& bad);

/// The masters applied to lights, each optional, with what is derived from
/// them once: the dark's bad-pixel map.
struct MasterSet {
  std::optional<CalibFrame> bias;
  std::optional<CalibFrame> dark;
  std::optional<CalibFrame> flat;
  std::vector<std::uint8_t> badPixels;  ///< from the dark; empty without one

  /// Checks the masters among themselves (kinds, sizes, binning, camera, a
  /// flat without pixels at zero or below) and makes the bad-pixel map.
  /// Throws CalibrationFailure.
  void Prepare();
  bool Empty() const { return !bias && !dark && !flat; }
};

/// What a calibration did.
struct CalibrationSummary {
  bool biasApplied = false;
  bool darkApplied = false;
  double darkScale = 0;
  bool flatApplied = false;
  std::int64_t repaired = 0;
};

/// Checks that the prepared masters fit the light (size, binning, camera,
/// dark temperature and exposure) without calibrating it. Throws CalibrationFailure.
void CheckLight(const CalibFrame& light, const MasterSet& masters);

/// The calibrated light: (light - bias - scaled dark) / flat, bad pixels
/// repaired. It keeps the light's cards and adds HISTORY lines naming each
/// step and master. Throws CalibrationFailure (see CheckLight).
CalibFrame CalibrateFrame(const CalibFrame& light, const MasterSet& masters, CalibrationSummary* summary = nullptr);

/// The median of `values` (a copy is partly sorted); 0 for none.
double MedianOf(std::vector<float> values);

}  // namespace skarvel

// The track search of a frame series: stacks over a grid of motions, each
// searched for significant peaks, and the peaks clustered into candidates
// with their rate, position angle, SNR and place at the reference time.
//
// How: every solved frame is resampled to the reference grid (the nearest
// pixel), its sharp defects (hot pixels, cosmic rays) repaired first; the
// static sky (the median of the registered frames) is taken off, each pixel
// weighted by the sky's noise over the frames' scatter there (squared; the
// stars' photon noise and resampling residuals weigh little), the frame's
// edges left out, and each difference convolved with the PSF into a
// frame of signal-to-noise ratios (SNR) clipped at +-`clipSnr` (one frame's
// outlier cannot make a candidate). A motion's stack is the sum of those
// frames shifted by the motion (whole pixels); its SNR the sum over its own
// robust noise. The grid of motions is spaced so that an object between
// grid points loses at most `maxPeakLoss` of its peak (smearing over the
// series plus the whole-pixel shifts), and each candidate's motion is then
// refined on a grid four times finer.
//
// An object that moves less than two PSF widths (FWHM) over the series
// stays in the static sky: slower motions are not searched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "astrometry/frame_series.h"

namespace skarvel {

struct TrackSearchSettings {
  double rateMinArcsecPerMin = 0.1;
  double rateMaxArcsecPerMin = 10;
  double maxPeakLoss = 0.10;     ///< the most a motion between grid points loses of its peak
  double snrThreshold = 7;       ///< the stack SNR a candidate needs
  double clipSnr = 10;           ///< a frame's SNR is clipped at +- this (keeps a bright object's peak)
  double psfSigma = 0;           ///< Gaussian sigma, pixels; 0: measured on the reference frame
  std::size_t maxCandidates = 50;
};

/// One candidate: its motion and its place at the reference time.
struct TrackCandidate {
  double rateArcsecPerMin = 0;
  double paDeg = 0;
  double snr = 0;
  double x = 0, y = 0;                 ///< on the reference frame's grid
  long double raHours = 0, decDeg = 0; ///< by the reference plate
  double jd = 0;                       ///< the reference time, UTC
  double pixelRateX = 0, pixelRateY = 0;  ///< reference pixels a minute
};

/// Told after each motion searched; returns false when the person asked to stop.
using TrackSearchProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct TrackSearchResult {
  bool done = false;
  std::string failure;                    ///< why not (plain words)
  std::vector<TrackCandidate> candidates; ///< highest SNR first
  std::size_t motions = 0;                ///< motions stacked (the grid)
  double gridStepPixelsPerMin = 0;
  /// The slowest motion searched: the settings' or two PSF widths (FWHM) over the series.
  double slowestArcsecPerMin = 0;
  double psfSigma = 0;                    ///< the PSF used
  double referenceJd = 0;
};

/// The peak ratio of a matched filter (Gaussian PSF of sigma `s` pixels) on
/// an object smeared uniformly over `length` pixels: the mean over the trail
/// of exp(-u^2 / (4 s^2)).
double TrailPeakRatio(double length, double s);
/// The ratio left by whole-pixel shifts: per axis the mean over a uniform
/// +-1/2 pixel of exp(-u^2 / (4 s^2)), squared.
double RoundingPeakRatio(double s);
/// The grid step (pixels a minute) of a series spanning `spanMinutes` for a
/// PSF of sigma `s` and the allowed loss: the largest step whose worst motion
/// (half a diagonal off) keeps 1 - maxLoss of the peak with the rounding.
double MotionGridStep(double spanMinutes, double s, double maxLoss);
/// The grid's motions (reference pixels a minute) between the two rates
/// (pixels a minute), widened by half a diagonal so that the edges are covered.
std::vector<std::array<double, 2>> MotionGrid(double rateMinPx, double rateMaxPx, double step);

/// Runs the search. Refuses a series with fewer than three solved frames or
/// a span of no time, and a stop asked for (failure "Stopped.").
TrackSearchResult SearchTracks(const FrameSeries& series, const TrackSearchSettings& settings,
                               const TrackSearchProgress& progress = {});

}  // namespace skarvel

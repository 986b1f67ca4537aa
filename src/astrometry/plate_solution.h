// The least-squares solver and the plate solution: standard coordinates about
// the field centre, plate constants of the linear, cross-term and quadratic
// models, fitted positions, residuals and error estimates.
//
// Usage (the solution sequence):
//   PlateSolnObj plate; plate.StartSolution(centreRAHours, centreDecDeg);
//   for each reference star r: plate.AddPair(r);
//   if (!plate.SolvePlate(solutionType)) -> "Not Enough Reference Stars for Selected Solution Type!"
//   for each reference star r: plate.ApplySolution(r, solutionType); then the image centre and the target;
//   plate.ErrorEstimates(solutionType) -> the target's sigmas.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "astrometry/reference_star.h"
#include "foundations/angles.h"

namespace skarvel {

/// Arc seconds per radian, as the solution report writes the scale.
inline constexpr long double kArcsecPerRadian = 206264.8L;

/// A small least-squares engine: n equations of up to 6 unknowns, solved by
/// Givens rotations and back substitution.
class LstSqrObj {
 public:
  static constexpr int kMaxUnknowns = 6;

  /// n rows of m unknowns (1..6), all coefficients 0.
  void Setup(int rows, int unknowns);
  /// Row i (0-based): column j (0-based, j < m) holds coefficient j, column m the right-hand side.
  long double& At(int row, int column) { return matrix_[static_cast<std::size_t>(row) * 7 + static_cast<std::size_t>(column)]; }
  /// Solves in the least-squares sense (needs n >= m). False, and the solution
  /// left as it was, when the system has no unique solution (a pivot that
  /// vanishes against the others), holds a value that is not a finite
  /// number, or gives a result that is not one.
  bool Solve();
  /// Frees the matrix.
  void Release();
  /// x1..x6 (only the first m meaningful after Solve).
  const std::array<long double, 6>& Solution() const { return solution_; }
  int Rows() const { return rows_; }
  int Unknowns() const { return unknowns_; }

 private:
  int rows_ = 0;
  int unknowns_ = 0;
  std::vector<long double> matrix_;  ///< rows of 7 values
  std::array<long double, 6> solution_{};
};

/// Standard coordinates of a position about a tangent point (radians in,
/// tangent-plane units out): X positive toward decreasing right ascension, Y north.
struct StandardCoordinates {
  long double x = 0;
  long double y = 0;
};
/// The cosine of the distance from the tangent point at or below which a
/// position has no standard coordinates: the far hemisphere, and the rim
/// where they would exceed 1e9 tangent units (89.99999994 degrees out).
inline constexpr long double kMinProjectionCosine = 1e-9L;
/// Both NaN for a position on or beyond that rim (cosine <= kMinProjectionCosine).
StandardCoordinates Gnomonic(long double raRad, long double decRad, long double ra0Rad, long double dec0Rad);

/// The smallest uncertainty a weighted plate solution gives a star, image
/// pixels: what stays of a bright star's error (the catalog position, the
/// pixel grid's sampling of the image), so that no star alone fixes the plate.
inline constexpr long double kPlateWeightFloorPixels = 0.05L;

/// Number of unknowns per equation of a model: 3 linear, 4 cross term, 6 quadratic.
int UnknownCount(std::uint8_t solutionType);

class PlateSolnObj {
 public:
  static constexpr int kMaxPairs = 100;

  /// The tangent point (hours, degrees); no pairs; not solved; sums 0.
  void StartSolution(long double centreRAHours, long double centreDecDeg);
  /// Takes the star when it is used for position and fewer than 100 pairs are in. Not solved afterwards.
  void AddPair(const ReferenceStar& star);
  /// Solves the model; false (all its constants 0) with fewer pairs than
  /// unknowns or pairs that fix no unique solution. `weighted`: each pair's
  /// equations are weighted by 1 / sqrt(s^2 + kPlateWeightFloorPixels^2),
  /// s its measured uncertainty per axis (the root mean square of sigmaX and
  /// sigmaY); a pair without one takes the median of the others. When no
  /// pair has one the pairs are weighted equally (Weighted() false).
  bool SolvePlate(std::uint8_t solutionType, bool weighted = false);
  /// The last SolvePlate weighted the pairs by their uncertainties.
  bool Weighted() const { return weighted_; }
  /// Pairs that brought their own uncertainty to the weighting (0 unweighted).
  int WeightedCount() const { return weighted_ ? weightedCount_ : 0; }
  /// When solved: the fitted position and residuals of `star`; stars used
  /// for position enter the sums of squared residuals.
  void ApplySolution(ReferenceStar& star, std::uint8_t solutionType);
  /// sigma RA, sigma Dec and sigma (arc seconds); all 0 unless there are more pairs than unknowns.
  struct Errors {
    long double ra = 0;
    long double dec = 0;
    long double total = 0;
  };
  Errors ErrorEstimates(std::uint8_t solutionType) const;
  /// The 6, 8 or 12 constants of the model in the order a, b, c, ...
  std::vector<long double> PlateConstants(std::uint8_t solutionType) const;
  /// The standard coordinates of image position (x, y) by the model.
  StandardCoordinates Evaluate(long double x, long double y, std::uint8_t solutionType) const;
  /// Right ascension (hours, 0 <= ra < 24) and declination (degrees) of standard coordinates.
  void ToSky(const StandardCoordinates& s, long double& raHours, long double& decDeg) const;

  int PairCount() const { return pairCount_; }
  bool Solved() const { return solved_; }
  /// The solution is no longer valid (the references or the field changed).
  void MarkUnsolved() { solved_ = false; }
  int UsedCount() const { return usedCount_; }
  long double RA0() const { return ra0_; }
  long double Dec0() const { return dec0_; }

 private:
  int pairCount_ = 0;
  bool solved_ = false;
  long double ra0_ = 0, dec0_ = 0, cosDec0_ = 1, sinDec0_ = 0;
  long double sumRA2_ = 0, sumDec2_ = 0, sumTotal2_ = 0;
  int usedCount_ = 0;
  bool weighted_ = false;
  int weightedCount_ = 0;
  std::array<long double, kMaxPairs> sigma_{};  ///< per pair, pixels; 0 unknown
  std::array<long double, 412> work_{};  ///< 0..99 x, 100..199 y, 200..299 X, 300..399 Y, 400..411 constants
  LstSqrObj solver_;
};

}  // namespace skarvel

#include "astrometry/plate_solution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "astrometry/solution_report.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

constexpr long double kDeg = 0.017453292519943295769L;

// A plate: tangent point, scale (arc seconds per pixel), rotation, optional
// quadratic distortion; image centre at (cx, cy). Maps pixels to the sky by
// the inverse gnomonic projection, independently of the solver.
struct Plate {
  long double ra0Hours = 5.5L;
  long double dec0Deg = 22.0L;
  long double scaleArcsec = 1.5L;
  long double rotationDeg = 12.0L;
  long double quadratic = 0.0L;  // X += q (x^2) in tangent units
  long double cx = 512, cy = 384;

  void Sky(long double x, long double y, long double& raHours, long double& decDeg) const {
    const long double s = scaleArcsec / 206264.806247L;
    const long double r = rotationDeg * kDeg;
    const long double dx = x - cx;
    const long double dy = y - cy;
    const long double X = s * (std::cos(r) * dx - std::sin(r) * dy) + quadratic * dx * dx;
    const long double Y = s * (std::sin(r) * dx + std::cos(r) * dy);
    const long double ra0 = ra0Hours * 15 * kDeg;
    const long double dec0 = dec0Deg * kDeg;
    // Inverse of X = -cos d sin da / D, Y = (sin d cos d0 - cos d sin d0 cos da) / D.
    const long double xi = -X;
    const long double da = std::atan2(xi, std::cos(dec0) - Y * std::sin(dec0));
    long double ra = (ra0 + da) / kDeg / 15;
    ra = std::fmod(ra + 48, 24.0L);
    raHours = ra;
    decDeg = std::atan((std::sin(dec0) + Y * std::cos(dec0)) * std::cos(da) / (std::cos(dec0) - Y * std::sin(dec0))) / kDeg;
  }
};

std::vector<ReferenceStar> Stars(const Plate& plate, int count, long double noisePixels, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> pos(20, 1000);
  std::normal_distribution<double> noise(0, static_cast<double>(noisePixels));
  std::vector<ReferenceStar> stars;
  for (int i = 0; i < count; ++i) {
    ReferenceStar r;
    r.number = i + 1;
    const long double x = pos(rng);
    const long double y = pos(rng) * 0.75;
    plate.Sky(x, y, r.catRA, r.catDec);
    r.imageX = x + noise(rng);
    r.imageY = y + noise(rng);
    r.usePos = r.useMag = true;
    stars.push_back(r);
  }
  return stars;
}

PlateSolnObj Solve(const Plate& plate, std::vector<ReferenceStar>& stars, std::uint8_t type) {
  PlateSolnObj s;
  s.StartSolution(plate.ra0Hours, plate.dec0Deg);
  for (const auto& r : stars) s.AddPair(r);
  EXPECT_TRUE(s.SolvePlate(type));
  for (auto& r : stars) s.ApplySolution(r, type);
  return s;
}

// Separation of two positions in arc seconds.
long double Separation(long double ra1, long double dec1, long double ra2, long double dec2) {
  long double dra = (ra1 - ra2) * 15;
  if (dra > 180) dra -= 360;
  if (dra < -180) dra += 360;
  return std::hypot(dra * std::cos(dec1 * kDeg), dec1 - dec2) * 3600;
}

TEST(LstSqr, GivensSolvesExactAndOverdeterminedSystems) {
  LstSqrObj ls;
  ls.Setup(3, 3);
  const long double a[3][4] = {{2, 1, -1, 8}, {-3, -1, 2, -11}, {-2, 1, 2, -3}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) ls.At(i, j) = a[i][j];
  ASSERT_TRUE(ls.Solve());
  EXPECT_NEAR(static_cast<double>(ls.Solution()[0]), 2, 1e-15);
  EXPECT_NEAR(static_cast<double>(ls.Solution()[1]), 3, 1e-15);
  EXPECT_NEAR(static_cast<double>(ls.Solution()[2]), -1, 1e-15);
  // Line fit y = 0.5 x + 1 through (0, 1.1), (1, 1.4), (2, 2.1), (3, 2.4): normal equations give 0.46 and 1.06.
  ls.Setup(4, 2);
  const long double pts[4][2] = {{0, 1.1L}, {1, 1.4L}, {2, 2.1L}, {3, 2.4L}};
  for (int i = 0; i < 4; ++i) {
    ls.At(i, 0) = pts[i][0];
    ls.At(i, 1) = 1;
    ls.At(i, 2) = pts[i][1];
  }
  ASSERT_TRUE(ls.Solve());
  EXPECT_NEAR(static_cast<double>(ls.Solution()[0]), 0.46, 1e-15);
  EXPECT_NEAR(static_cast<double>(ls.Solution()[1]), 1.06, 1e-15);
  // A repeated equation leaves the second unknown free: refused.
  ls.Setup(2, 2);
  ls.At(0, 0) = 1, ls.At(0, 1) = 2, ls.At(0, 2) = 3;
  ls.At(1, 0) = 2, ls.At(1, 1) = 4, ls.At(1, 2) = 6;
  EXPECT_FALSE(ls.Solve());
}

TEST(PlateSolution, NoiseFreePlatesAreReproducedByEveryModel) {
  for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
    SCOPED_TRACE(static_cast<int>(type));
    Plate plate;
    auto stars = Stars(plate, 20, 0, 7);
    PlateSolnObj s = Solve(plate, stars, type);
    for (const auto& r : stars) EXPECT_LT(static_cast<double>(r.resTotal), 5e-4);  // the projection is not exactly linear
    ReferenceStar target;
    target.imageX = 300.25L;
    target.imageY = 600.75L;
    s.ApplySolution(target, type);
    long double ra, dec;
    plate.Sky(target.imageX, target.imageY, ra, dec);
    EXPECT_LT(static_cast<double>(Separation(target.fitRA, target.fitDec, ra, dec)), 5e-4);
    EXPECT_EQ(s.PlateConstants(type).size(), static_cast<std::size_t>(2 * UnknownCount(type)));
  }
}

// The linear plate fitted by the normal equations, in double: an independent fit of the same pairs.
// With `weights`, each pair's squared residual counts weights[i] times.
void NormalEquationsFit(const std::vector<ReferenceStar>& stars, const PlateSolnObj& s, double cx[3], double cy[3],
                        const std::vector<double>* weights = nullptr) {
  double n[3][3] = {};
  double bx[3] = {};
  double by[3] = {};
  for (std::size_t k = 0; k < stars.size(); ++k) {
    const ReferenceStar& r = stars[k];
    const double w = weights != nullptr ? (*weights)[k] : 1.0;
    const StandardCoordinates t = Gnomonic(r.catRA * 15 * kDeg, r.catDec * kDeg, s.RA0(), s.Dec0());
    const double v[3] = {static_cast<double>(r.imageX), static_cast<double>(r.imageY), 1.0};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) n[i][j] += w * v[i] * v[j];
      bx[i] += w * v[i] * static_cast<double>(t.x);
      by[i] += w * v[i] * static_cast<double>(t.y);
    }
  }
  // Cramer's rule on the 3 x 3 normal matrix.
  auto det = [](const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  const double d = det(n);
  for (int k = 0; k < 3; ++k) {
    double mx[3][3], my[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) mx[i][j] = my[i][j] = n[i][j];
    for (int i = 0; i < 3; ++i) {
      mx[i][k] = bx[i];
      my[i][k] = by[i];
    }
    cx[k] = det(mx) / d;
    cy[k] = det(my) / d;
  }
}

TEST(PlateSolution, LinearFitAgreesWithTheNormalEquationsWithinAMilliArcsecond) {
  for (int count : {3, 10, 100}) {
    SCOPED_TRACE(count);
    Plate plate;
    plate.scaleArcsec = 0.5L + count / 40.0L;
    auto stars = Stars(plate, count, 0.3L, static_cast<unsigned>(count));
    PlateSolnObj s = Solve(plate, stars, 0);
    double cx[3], cy[3];
    NormalEquationsFit(stars, s, cx, cy);
    const long double x = 400.5L, y = 250.25L;
    ReferenceStar target;
    target.imageX = x;
    target.imageY = y;
    s.ApplySolution(target, 0);
    StandardCoordinates other{cx[0] * x + cx[1] * y + cx[2], cy[0] * x + cy[1] * y + cy[2]};
    long double ra, dec;
    s.ToSky(other, ra, dec);
    EXPECT_LT(static_cast<double>(Separation(target.fitRA, target.fitDec, ra, dec)), 1e-3);
    // And the truth to the noise level: 0.3 px at the plate scale.
    long double trueRa, trueDec;
    plate.Sky(x, y, trueRa, trueDec);
    EXPECT_LT(static_cast<double>(Separation(target.fitRA, target.fitDec, trueRa, trueDec)),
              static_cast<double>(plate.scaleArcsec) * 0.6);
  }
}

// Stars whose measured positions scatter by their stated uncertainty: the
// first half precise (0.05 px), the second half poor (1.5 px).
std::vector<ReferenceStar> MixedStars(const Plate& plate, unsigned seed) {
  std::vector<ReferenceStar> stars = Stars(plate, 30, 0, seed);
  std::mt19937 rng(seed + 1000);
  std::normal_distribution<double> unit(0, 1);
  for (std::size_t i = 0; i < stars.size(); ++i) {
    const long double sigma = i < 15 ? 0.05L : 1.5L;
    stars[i].sigmaX = stars[i].sigmaY = sigma;
    stars[i].imageX += sigma * unit(rng);
    stars[i].imageY += sigma * unit(rng);
  }
  return stars;
}

TEST(PlateSolution, WeightedPlateIsTheWeightedLeastSquaresFitAndBeatsTheEqualOne) {
  Plate plate;
  const long double x = 700.5L, y = 100.25L;
  long double trueRa, trueDec;
  plate.Sky(x, y, trueRa, trueDec);
  double sumWeighted = 0, sumEqual = 0;
  for (unsigned seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    auto stars = MixedStars(plate, seed);
    stars[3].sigmaX = stars[3].sigmaY = 0;  // no uncertainty: takes the median of the others
    PlateSolnObj weighted;
    weighted.StartSolution(plate.ra0Hours, plate.dec0Deg);
    for (const auto& r : stars) weighted.AddPair(r);
    ASSERT_TRUE(weighted.SolvePlate(0, true));
    EXPECT_TRUE(weighted.Weighted());
    EXPECT_EQ(weighted.WeightedCount(), 29);
    // The independent fit: weights 1 / (s^2 + 0.05^2); the median of 14 x 0.05 and 15 x 1.5 is 1.5.
    std::vector<double> w;
    for (const auto& r : stars) {
      const double sigma = r.sigmaX > 0 ? static_cast<double>(r.sigmaX) : 1.5;
      w.push_back(1 / (sigma * sigma + 0.05 * 0.05));
    }
    double cx[3], cy[3];
    NormalEquationsFit(stars, weighted, cx, cy, &w);
    ReferenceStar target;
    target.imageX = x;
    target.imageY = y;
    weighted.ApplySolution(target, 0);
    long double ra, dec;
    weighted.ToSky({cx[0] * x + cx[1] * y + cx[2], cy[0] * x + cy[1] * y + cy[2]}, ra, dec);
    EXPECT_LT(static_cast<double>(Separation(target.fitRA, target.fitDec, ra, dec)), 1e-3);
    sumWeighted += static_cast<double>(Separation(target.fitRA, target.fitDec, trueRa, trueDec));
    PlateSolnObj equal = Solve(plate, stars, 0);
    EXPECT_FALSE(equal.Weighted());
    EXPECT_EQ(equal.WeightedCount(), 0);
    ReferenceStar other;
    other.imageX = x;
    other.imageY = y;
    equal.ApplySolution(other, 0);
    sumEqual += static_cast<double>(Separation(other.fitRA, other.fitDec, trueRa, trueDec));
  }
  // Fifteen stars of 0.05 px against thirty with half of them at 1.5 px: the
  // weighted error is near the precise stars' own (about 0.05 x 1.5" / sqrt 15 x a few).
  EXPECT_LT(sumWeighted, 0.25 * sumEqual);
  EXPECT_LT(sumWeighted / 20, 0.1);
}

TEST(PlateSolution, WeightingWithoutUncertaintiesOrWithEqualOnesChangesNothing) {
  Plate plate;
  auto stars = Stars(plate, 12, 0.4L, 5);
  PlateSolnObj equal = Solve(plate, stars, 2);
  // No star states an uncertainty: the plate stays unweighted.
  PlateSolnObj none;
  none.StartSolution(plate.ra0Hours, plate.dec0Deg);
  for (const auto& r : stars) none.AddPair(r);
  ASSERT_TRUE(none.SolvePlate(2, true));
  EXPECT_FALSE(none.Weighted());
  EXPECT_EQ(none.PlateConstants(2), equal.PlateConstants(2));
  // Equal uncertainties weight alike: the same constants to rounding.
  for (auto& r : stars) r.sigmaX = r.sigmaY = 0.3L;
  PlateSolnObj same;
  same.StartSolution(plate.ra0Hours, plate.dec0Deg);
  for (const auto& r : stars) same.AddPair(r);
  ASSERT_TRUE(same.SolvePlate(2, true));
  EXPECT_TRUE(same.Weighted());
  EXPECT_EQ(same.WeightedCount(), 12);
  const auto a = equal.PlateConstants(2), b = same.PlateConstants(2);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(static_cast<double>(a[k]), static_cast<double>(b[k]), 1e-10 * std::fabs(static_cast<double>(a[k])) + 1e-20);
  // A new start forgets the weighting; too few pairs solve nothing, weighted or not.
  same.StartSolution(plate.ra0Hours, plate.dec0Deg);
  EXPECT_FALSE(same.Weighted());
  for (int i = 0; i < 2; ++i) same.AddPair(stars[static_cast<std::size_t>(i)]);
  EXPECT_FALSE(same.SolvePlate(0, true));
  EXPECT_FALSE(same.Weighted());
  EXPECT_EQ(same.WeightedCount(), 0);
}

TEST(PlateSolution, ThreePairsSolveExactlyWithoutErrorEstimates) {
  Plate plate;
  auto stars = Stars(plate, 3, 0.5L, 3);
  PlateSolnObj s = Solve(plate, stars, 0);
  for (const auto& r : stars) EXPECT_LT(static_cast<double>(r.resTotal), 1e-6);
  const auto e = s.ErrorEstimates(0);
  EXPECT_EQ(e.ra, 0);
  EXPECT_EQ(e.total, 0);
  SolutionReportInput in;
  in.pairCount = 3;
  in.references = stars;
  in.constants = s.PlateConstants(0);
  const auto lines = SolutionReportLines(in);
  const auto at = std::find(lines.begin(), lines.end(), "Estimated errors cannot be calculated!");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(*(at + 1), "N(=3) is minimum for selected solution type.");
}

TEST(PlateSolution, ErrorEstimatesFollowTheirFormulas) {
  Plate plate;
  auto stars = Stars(plate, 12, 0.4L, 12);
  stars[5].usePos = false;  // not in the solution nor the sums, yet fitted
  PlateSolnObj s = Solve(plate, stars, 1);
  EXPECT_EQ(s.PairCount(), 11);
  EXPECT_EQ(s.UsedCount(), 11);
  EXPECT_GT(static_cast<double>(stars[5].resTotal), 0.0);
  long double sra = 0, sdec = 0;
  for (const auto& r : stars)
    if (r.usePos) {
      sra += r.resRA * r.resRA;
      sdec += r.resDec * r.resDec;
    }
  const auto e = s.ErrorEstimates(1);
  EXPECT_NEAR(static_cast<double>(e.ra), std::sqrt(static_cast<double>(sra / 11)), 1e-12);
  EXPECT_NEAR(static_cast<double>(e.dec), std::sqrt(static_cast<double>(sdec / 11)), 1e-12);
  EXPECT_NEAR(static_cast<double>(e.total), std::sqrt(static_cast<double>((sra + sdec) / (22.0 * (22 - 8)))), 1e-12);
}

TEST(PlateSolution, GeometryFacts) {
  // A star at the tangent point.
  const StandardCoordinates t = Gnomonic(1.0L, 0.5L, 1.0L, 0.5L);
  EXPECT_EQ(t.x, 0);
  EXPECT_NEAR(static_cast<double>(t.y), 0, 1e-18);
  // X grows toward decreasing right ascension: an image whose x grows toward the west has a > 0.
  Plate plate;
  plate.rotationDeg = 0;
  auto stars = Stars(plate, 8, 0, 1);
  PlateSolnObj s = Solve(plate, stars, 0);
  EXPECT_GT(static_cast<double>(s.PlateConstants(0)[0]), 0.0);
  ReferenceStar centre;
  centre.imageX = plate.cx;
  centre.imageY = plate.cy;
  s.ApplySolution(centre, 0);
  EXPECT_NEAR(static_cast<double>(centre.fitRA), static_cast<double>(plate.ra0Hours), 1e-9);
  EXPECT_NEAR(static_cast<double>(centre.fitDec), static_cast<double>(plate.dec0Deg), 1e-9);
}

TEST(PlateSolution, FieldsAcrossZeroHoursAndNearThePoles) {
  for (const auto& [ra0, dec0] : {std::pair{0.0L, 10.0L}, std::pair{23.9999L, -30.0L}, std::pair{12.0L, 89.0L},
                                  std::pair{0.001L, -89.0L}}) {
    SCOPED_TRACE(static_cast<double>(dec0));
    Plate plate;
    plate.ra0Hours = ra0;
    plate.dec0Deg = dec0;
    auto stars = Stars(plate, 15, 0.2L, 5);
    PlateSolnObj s = Solve(plate, stars, 0);
    for (const auto& r : stars) {
      EXPECT_GE(static_cast<double>(r.fitRA), 0.0);
      EXPECT_LT(static_cast<double>(r.fitRA), 24.0);
      // Residuals are those of the noise (0.2 px x 1.5"), never a day of right ascension.
      EXPECT_LT(static_cast<double>(r.resTotal), 2.0);
    }
  }
}

TEST(PlateSolution, DegenerateInputIsRefused) {
  Plate plate;
  auto stars = Stars(plate, 6, 0, 2);
  for (auto& r : stars) r.imageY = 2 * r.imageX + 5;  // collinear image positions
  PlateSolnObj s;
  s.StartSolution(plate.ra0Hours, plate.dec0Deg);
  for (const auto& r : stars) s.AddPair(r);
  EXPECT_FALSE(s.SolvePlate(0));
  EXPECT_FALSE(s.Solved());
  ReferenceStar target;
  target.imageX = 100;
  s.ApplySolution(target, 0);  // not solved: nothing happens
  EXPECT_EQ(target.fitRA, 0);
  // Too few pairs: every constant of the model is 0.
  PlateSolnObj few;
  few.StartSolution(0, 0);
  few.AddPair(stars[0]);
  few.AddPair(stars[1]);
  EXPECT_FALSE(few.SolvePlate(0));
  for (long double c : few.PlateConstants(0)) EXPECT_EQ(c, 0);
  // Pairs beyond the hundredth are ignored.
  auto many = Stars(plate, 120, 0, 4);
  PlateSolnObj full;
  full.StartSolution(plate.ra0Hours, plate.dec0Deg);
  for (const auto& r : many) full.AddPair(r);
  EXPECT_EQ(full.PairCount(), 100);
}

TEST(MagnitudeSolution, TheCases) {
  testing::ScriptedPlatform ui;
  ReferenceStar target;
  target.flux = 1000;
  ReferenceStar a, b, c;
  a.catMag = 14.0L, a.flux = 1000, a.useMag = true, a.band = 1;
  b.catMag = 13.0L, b.flux = 2511.886431509580L, b.useMag = true, b.band = 1;
  c.catMag = 12.0L, c.flux = -5, c.useMag = true, c.band = 1;  // q <= 0: dropped
  AstromMagObj mag;
  std::vector<ReferenceStar*> refs = {&a, &b, &c};
  MagnitudeSolution(target, refs, 1, false, ui, mag);
  EXPECT_EQ(mag.n, 2);
  EXPECT_NEAR(static_cast<double>(target.catMag), 14.0, 1e-12);  // both give 14.0
  EXPECT_NEAR(static_cast<double>(target.magRes), 0.0, 1e-7);
  EXPECT_FALSE(c.useMag);
  EXPECT_EQ(c.flux, 0);
  EXPECT_TRUE(mag.filterMatch);
  EXPECT_TRUE(ui.Messages().empty());
  // One reference of the same flux: its catalog magnitude, no error.
  std::vector<ReferenceStar*> one = {&a};
  MagnitudeSolution(target, one, 7, false, ui, mag);  // no filter
  EXPECT_EQ(target.catMag, 14.0L);
  EXPECT_EQ(target.magRes, 0);
  ASSERT_EQ(ui.Messages().size(), 1u);  // V stars against an unfiltered image
  EXPECT_EQ(ui.Messages()[0].text, "Image filter does not match selected color of reference stars.");
  EXPECT_EQ(ui.Messages()[0].caption, "Magnitude Calculation");
  // No usable reference.
  a.useMag = false;
  MagnitudeSolution(target, one, 1, false, ui, mag);
  EXPECT_EQ(mag.n, 0);
  EXPECT_EQ(ui.Messages().back().text, "No Magnitude References Selected!");
  EXPECT_EQ(ui.Messages().back().caption, "Cannot Compute Magnitude!");
  // Expert mode says nothing.
  ui.ClearRecords();
  MagnitudeSolution(target, one, 7, true, ui, mag);
  EXPECT_TRUE(ui.Messages().empty());
  // An unfiltered image matches red stars.
  a.useMag = true;
  a.band = 2;
  MagnitudeSolution(target, one, 7, false, ui, mag);
  EXPECT_TRUE(mag.filterMatch);
}

}  // namespace
}  // namespace skarvel

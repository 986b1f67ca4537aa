// Accuracy of the plate solution on synthetic plates whose projection, noise
// and independent least-squares fits were made by tools/plate_fixtures.py
// (astropy's TAN projection with SIP distortion, numpy's lstsq); the files
// tests/data/astrometry/plate_*.csv name the command in their header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "astrometry/plate_solution.h"

namespace skarvel {
namespace {

/// Agreement with numpy's fit of the same pairs and model, arc seconds (1 milli-arc-second).
constexpr long double kFitAgreementArcsec = 1e-3L;
/// A plate constant times the largest value its term takes over the pairs:
/// standard-coordinate units (radians); 1e-10 rad is 0.02 milli-arc-seconds.
constexpr long double kConstantAgreementRadians = 1e-10L;
/// Truth check: within this many expected sigmas of the catalog noise, per axis.
constexpr long double kTruthSigmas = 4.0L;
/// Rounding floor of the truth check (arc seconds): the noise-free plates and the decimal files.
constexpr long double kTruthFloorArcsec = 1e-4L;

struct Fit {
  long double raHours = 0, decDeg = 0;
  long double sigmaXi = 0, sigmaEta = 0;  // expected 1-sigma error, arc seconds
  long double biasXi = 0, biasEta = 0;    // noise-free fit minus truth, arc seconds
};

struct Target {
  long double x = 0, y = 0, raHours = 0, decDeg = 0;
  std::map<int, Fit> fits;  // by model
};

struct Case {
  std::string file;
  std::string name;
  long double centreRA = 0, centreDec = 0, scale = 0, noise = 0;
  int distortion = 0;  // the lowest model that holds the truth: 0 linear, 1 cross term, 2 quadratic
  std::vector<ReferenceStar> pairs;
  std::vector<Target> targets;
  std::map<int, std::vector<long double>> constants;  // by model
};

long double Number(const std::string& s) {
  char* end = nullptr;
  const long double v = std::strtold(s.c_str(), &end);
  EXPECT_TRUE(end != s.c_str() && *end == '\0') << "not a number: '" << s << "'";
  return v;
}

int Int(const std::string& s) {
  return static_cast<int>(Number(s));
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string f;
  while (std::getline(in, f, ',')) fields.push_back(f);
  return fields;
}

Case ReadCase(const std::filesystem::path& path) {
  Case c;
  c.file = path.filename().string();
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto f = Split(line);
    if (f[0] == "plate" && f.size() == 10) {
      c.name = f[1];
      c.centreRA = Number(f[2]);
      c.centreDec = Number(f[3]);
      c.scale = Number(f[4]);
      c.distortion = Int(f[7]);
      c.noise = Number(f[8]);
    } else if (f[0] == "pair" && f.size() == 5) {
      ReferenceStar r;
      r.number = static_cast<std::int32_t>(c.pairs.size() + 1);
      r.imageX = Number(f[1]);
      r.imageY = Number(f[2]);
      r.catRA = Number(f[3]);
      r.catDec = Number(f[4]);
      r.usePos = r.useMag = r.measured = true;
      c.pairs.push_back(r);
    } else if (f[0] == "target" && f.size() == 6) {
      EXPECT_EQ(Int(f[1]), static_cast<int>(c.targets.size()));
      c.targets.push_back({Number(f[2]), Number(f[3]), Number(f[4]), Number(f[5]), {}});
    } else if (f[0] == "fit" && f.size() == 9) {
      const auto k = static_cast<std::size_t>(Int(f[2]));
      EXPECT_LT(k, c.targets.size()) << line;
      if (k >= c.targets.size()) continue;
      c.targets[k].fits[Int(f[1])] = {Number(f[3]), Number(f[4]), Number(f[5]),
                                      Number(f[6]), Number(f[7]), Number(f[8])};
    } else if (f[0] == "constants" && f.size() > 2) {
      auto& v = c.constants[Int(f[1])];
      for (std::size_t i = 2; i < f.size(); ++i) v.push_back(Number(f[i]));
    } else {
      ADD_FAILURE() << c.file << ": unexpected line " << line;
    }
  }
  return c;
}

std::vector<Case> ReadCases() {
  std::vector<std::filesystem::path> paths;
  for (const auto& e : std::filesystem::directory_iterator(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry")) {
    const std::string n = e.path().filename().string();
    if (n.rfind("plate_", 0) == 0 && e.path().extension() == ".csv") paths.push_back(e.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<Case> cases;
  for (const auto& p : paths) cases.push_back(ReadCase(p));
  return cases;
}

/// (ra1, dec1) - (ra0, dec0) on the sky, arc seconds: right ascension the short way round.
struct Offset {
  long double xi = 0, eta = 0;
};
Offset SkyOffset(long double ra1Hours, long double dec1Deg, long double ra0Hours, long double dec0Deg) {
  long double dra = ra1Hours - ra0Hours;
  while (dra > 12) dra -= 24;
  while (dra <= -12) dra += 24;
  return {dra * 15 * 3600 * std::cos(dec0Deg * kRadiansPerDegree), (dec1Deg - dec0Deg) * 3600};
}

// The model's terms of an image position, as the numpy design matrix has them.
std::vector<long double> Terms(long double x, long double y, int model) {
  if (model == 0) return {x, y, 1};
  if (model == 1) return {x, y, x * y, 1};
  return {x, y, x * y, x * x, y * y, 1};
}

PlateSolnObj Start(const Case& c) {
  PlateSolnObj plate;
  plate.StartSolution(c.centreRA, c.centreDec);
  for (const auto& r : c.pairs) plate.AddPair(r);
  return plate;
}

// Figures of one model and star count over all plates.
struct Figures {
  long double maxFitMas = 0, sumFitMas2 = 0;  // solver - numpy, milli-arc-seconds (2-D)
  long double maxTruth = 0, sumTruth2 = 0;    // solver - truth, arc seconds (2-D), truth-holding plates
  long double maxTruthSigmas = 0;             // largest per-axis |error| / expected sigma
  int fitCount = 0, truthCount = 0;
};

TEST(PlateAccuracy, TheFixturesAreThere) {
  const auto cases = ReadCases();
  ASSERT_EQ(cases.size(), 35u) << "5 plates x 7 star counts from tools/plate_fixtures.py";
  for (const auto& c : cases) {
    EXPECT_FALSE(c.name.empty()) << c.file;
    EXPECT_GE(c.pairs.size(), 3u) << c.file;
    EXPECT_EQ(c.targets.size(), 3u) << c.file;
    EXPECT_FALSE(c.constants.empty()) << c.file;
  }
}

TEST(PlateAccuracy, EveryModelAgreesWithTheIndependentFitAndTheTruth) {
  const auto cases = ReadCases();
  ASSERT_FALSE(cases.empty());
  std::map<std::pair<int, int>, Figures> figures;  // by (model, star count)
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.pairs.size());
    for (int model = 0; model <= 2; ++model) {
      SCOPED_TRACE(c.file + " model " + std::to_string(model));
      const auto type = static_cast<std::uint8_t>(model);
      PlateSolnObj plate = Start(c);
      ASSERT_EQ(plate.PairCount(), n);
      const bool solved = plate.SolvePlate(type);
      if (n < UnknownCount(type)) {
        // Fewer pairs than unknowns: refused, every constant 0, numpy was not asked either.
        EXPECT_FALSE(solved);
        EXPECT_EQ(c.constants.count(model), 0u);
        for (long double k : plate.PlateConstants(type)) EXPECT_EQ(k, 0);
        continue;
      }
      ASSERT_TRUE(solved);
      // The constants, weighed by the largest value their term takes on this plate.
      const auto mine = plate.PlateConstants(type);
      const auto& theirs = c.constants.at(model);
      ASSERT_EQ(mine.size(), theirs.size());
      const std::size_t m = mine.size() / 2;
      for (std::size_t j = 0; j < mine.size(); ++j) {
        long double largest = 0;
        for (const auto& r : c.pairs) largest = std::max(largest, std::fabs(Terms(r.imageX, r.imageY, model)[j % m]));
        EXPECT_LT(std::fabs(mine[j] - theirs[j]) * largest, kConstantAgreementRadians) << "constant " << j;
      }
      auto& fig = figures[{model, n}];
      for (std::size_t k = 0; k < c.targets.size(); ++k) {
        const Target& t = c.targets[k];
        const Fit& ref = t.fits.at(model);
        ReferenceStar target;
        target.kind = kRefTarget;
        target.imageX = t.x;
        target.imageY = t.y;
        plate.ApplySolution(target, type);
        ASSERT_TRUE(std::isfinite(target.fitRA) && std::isfinite(target.fitDec));
        const Offset d = SkyOffset(target.fitRA, target.fitDec, ref.raHours, ref.decDeg);
        const long double fitArcsec = std::hypot(d.xi, d.eta);
        EXPECT_LT(fitArcsec, kFitAgreementArcsec) << "target " << k;
        fig.maxFitMas = std::max(fig.maxFitMas, fitArcsec * 1000);
        fig.sumFitMas2 += fitArcsec * fitArcsec * 1e6L;
        ++fig.fitCount;
        if (model < c.distortion) continue;  // this model cannot hold the truth
        const Offset e = SkyOffset(target.fitRA, target.fitDec, t.raHours, t.decDeg);
        EXPECT_LE(std::fabs(e.xi), kTruthSigmas * ref.sigmaXi + std::fabs(ref.biasXi) + kTruthFloorArcsec)
            << "target " << k << " sigma " << ref.sigmaXi;
        EXPECT_LE(std::fabs(e.eta), kTruthSigmas * ref.sigmaEta + std::fabs(ref.biasEta) + kTruthFloorArcsec)
            << "target " << k << " sigma " << ref.sigmaEta;
        const long double err = std::hypot(e.xi, e.eta);
        fig.maxTruth = std::max(fig.maxTruth, err);
        fig.sumTruth2 += err * err;
        ++fig.truthCount;
        if (ref.sigmaXi > 0)
          fig.maxTruthSigmas =
              std::max({fig.maxTruthSigmas, std::fabs(e.xi) / ref.sigmaXi, std::fabs(e.eta) / ref.sigmaEta});
      }
    }
  }
  // The figures, as a markdown table.
  std::ostringstream table;
  table << "| model | stars | solver - numpy max (mas) | RMS (mas) | solver - truth max (\") | RMS (\") | max "
           "|err|/sigma |\n";
  table << "|---|---:|---:|---:|---:|---:|---:|\n";
  const char* names[] = {"linear", "cross term", "quadratic"};
  for (const auto& [key, f] : figures) {
    table << "| " << names[key.first] << " | " << key.second << " | " << std::scientific << std::setprecision(1)
          << static_cast<double>(f.maxFitMas) << " | " << static_cast<double>(std::sqrt(f.sumFitMas2 / f.fitCount))
          << " | " << std::fixed << std::setprecision(3) << static_cast<double>(f.maxTruth) << " | "
          << static_cast<double>(f.truthCount ? std::sqrt(f.sumTruth2 / f.truthCount) : 0) << " | "
          << std::setprecision(2) << static_cast<double>(f.maxTruthSigmas) << " |\n";
  }
  std::cout << table.str();
  EXPECT_EQ(figures.size(), 7u + 6u + 5u) << "(model, star count) cells";
}

TEST(PlateAccuracy, TheTruthCheckCatchesAModelThatCannotHoldThePlate) {
  // On the plate with full quadratic distortion the linear and cross-term
  // fits of 100 stars miss the truth by far more than their noise: the truth
  // check above has the power to see a solver that drops terms.
  const auto cases = ReadCases();
  int seen = 0;
  for (const auto& c : cases) {
    if (c.distortion != 2 || c.pairs.size() != 100) continue;
    for (int model = 0; model < 2; ++model) {
      SCOPED_TRACE(c.file + " model " + std::to_string(model));
      const auto type = static_cast<std::uint8_t>(model);
      PlateSolnObj plate = Start(c);
      ASSERT_TRUE(plate.SolvePlate(type));
      long double worst = 0;
      for (const auto& t : c.targets) {
        ReferenceStar target;
        target.imageX = t.x;
        target.imageY = t.y;
        plate.ApplySolution(target, type);
        const Offset e = SkyOffset(target.fitRA, target.fitDec, t.raHours, t.decDeg);
        const Fit& ref = t.fits.at(model);
        const long double allowed = kTruthSigmas * std::max(ref.sigmaXi, ref.sigmaEta) + kTruthFloorArcsec;
        worst = std::max(worst, std::max(std::fabs(e.xi), std::fabs(e.eta)) / allowed);
      }
      EXPECT_GT(worst, 3.0L);
      ++seen;
    }
  }
  EXPECT_EQ(seen, 4);  // two quadratic plates, two models each
}

TEST(PlateAccuracy, ErrorEstimatesMatchTheNoiseOfTheCatalog) {
  // With 100 stars and the model that holds the plate, the RMS residual per
  // axis estimates the catalog noise: within 25 % of it (100 samples give a
  // spread of about 7 %).
  const auto cases = ReadCases();
  int seen = 0;
  for (const auto& c : cases) {
    if (c.pairs.size() != 100 || !(c.noise > 0)) continue;
    SCOPED_TRACE(c.file);
    const auto type = static_cast<std::uint8_t>(c.distortion);
    PlateSolnObj plate = Start(c);
    ASSERT_TRUE(plate.SolvePlate(type));
    auto stars = c.pairs;
    for (auto& r : stars) plate.ApplySolution(r, type);
    const PlateSolnObj::Errors e = plate.ErrorEstimates(type);
    EXPECT_NEAR(static_cast<double>(e.ra / c.noise), 1.0, 0.25);
    EXPECT_NEAR(static_cast<double>(e.dec / c.noise), 1.0, 0.25);
    ++seen;
  }
  EXPECT_EQ(seen, 4);
}

// --- Degenerate input: SolvePlate refuses and nothing becomes NaN or infinite.

std::vector<ReferenceStar> PairsOf(const Case& c, const std::vector<std::pair<long double, long double>>& pixels) {
  // Catalog positions by the cross-term-free plate "fine" fitted to its pairs:
  // any sky positions do, the geometry of the pixels is what matters.
  PlateSolnObj plate = Start(c);
  EXPECT_TRUE(plate.SolvePlate(0));
  std::vector<ReferenceStar> stars;
  for (const auto& [x, y] : pixels) {
    ReferenceStar r;
    r.imageX = x;
    r.imageY = y;
    plate.ApplySolution(r, 0);
    r.catRA = r.fitRA;
    r.catDec = r.fitDec;
    r.usePos = true;
    stars.push_back(r);
  }
  return stars;
}

// Solves `stars` with the model and expects a refusal that leaves everything finite and untouched.
void ExpectRefused(const Case& c, const std::vector<ReferenceStar>& stars, std::uint8_t type) {
  PlateSolnObj plate;
  plate.StartSolution(c.centreRA, c.centreDec);
  for (const auto& r : stars) plate.AddPair(r);
  EXPECT_FALSE(plate.SolvePlate(type));
  EXPECT_FALSE(plate.Solved());
  for (long double k : plate.PlateConstants(type)) EXPECT_EQ(k, 0);
  ReferenceStar target;
  target.imageX = 100;
  target.imageY = 200;
  plate.ApplySolution(target, type);
  EXPECT_EQ(target.fitRA, 0);
  EXPECT_EQ(target.fitDec, 0);
  const PlateSolnObj::Errors e = plate.ErrorEstimates(type);
  EXPECT_TRUE(std::isfinite(e.ra) && std::isfinite(e.dec) && std::isfinite(e.total));
}

Case FinePlate() {
  for (auto& c : ReadCases())
    if (c.name == "fine" && c.pairs.size() == 30) return c;
  ADD_FAILURE() << "plate_fine_030.csv missing";
  return {};
}

TEST(PlateDegenerate, CollinearStarsAreRefusedByEveryModel) {
  const Case c = FinePlate();
  ASSERT_FALSE(c.pairs.empty());
  std::vector<std::pair<long double, long double>> line, diagonal;
  for (int i = 0; i < 12; ++i) {
    line.emplace_back(100 + 70 * i, 512);                     // a row
    diagonal.emplace_back(37.3L * i + 100, 12.7L * i + 200);  // a slanted line, not on whole pixels
  }
  for (std::uint8_t type = 0; type <= 2; ++type) {
    SCOPED_TRACE(static_cast<int>(type));
    ExpectRefused(c, PairsOf(c, line), type);
    ExpectRefused(c, PairsOf(c, diagonal), type);
  }
}

TEST(PlateDegenerate, RepeatedStarsAreRefused) {
  const Case c = FinePlate();
  ASSERT_FALSE(c.pairs.empty());
  // One star entered ten times.
  std::vector<ReferenceStar> same(10, c.pairs[0]);
  for (std::uint8_t type = 0; type <= 2; ++type) ExpectRefused(c, same, type);
  // Two stars five times each: a line again.
  std::vector<ReferenceStar> two;
  for (int i = 0; i < 5; ++i) two.insert(two.end(), {c.pairs[0], c.pairs[1]});
  ExpectRefused(c, two, 0);
  // Three stars four times each: the linear model solves, the quadratic one has
  // 6 unknowns and only 3 distinct stars.
  std::vector<ReferenceStar> three;
  for (int i = 0; i < 4; ++i) three.insert(three.end(), {c.pairs[0], c.pairs[1], c.pairs[2]});
  ExpectRefused(c, three, 1);
  ExpectRefused(c, three, 2);
  PlateSolnObj plate;
  plate.StartSolution(c.centreRA, c.centreDec);
  for (const auto& r : three) plate.AddPair(r);
  EXPECT_TRUE(plate.SolvePlate(0));
}

TEST(PlateDegenerate, FewerPairsThanUnknownsAreRefused) {
  const Case c = FinePlate();
  ASSERT_GE(c.pairs.size(), 6u);
  for (std::uint8_t type = 0; type <= 2; ++type) {
    const auto m = static_cast<std::size_t>(UnknownCount(type));
    for (std::size_t n = 0; n < m; ++n)
      ExpectRefused(c, std::vector<ReferenceStar>(c.pairs.begin(), c.pairs.begin() + static_cast<long>(n)), type);
    // One more pair and it solves.
    PlateSolnObj plate;
    plate.StartSolution(c.centreRA, c.centreDec);
    for (std::size_t i = 0; i < m; ++i) plate.AddPair(c.pairs[i]);
    EXPECT_TRUE(plate.SolvePlate(type)) << static_cast<int>(type);
  }
  // Stars not used for position do not count.
  std::vector<ReferenceStar> unused(c.pairs.begin(), c.pairs.begin() + 10);
  for (auto& r : unused) r.usePos = false;
  ExpectRefused(c, unused, 0);
}

TEST(PlateDegenerate, StarsOnAConicLeaveTheQuadraticModelUndetermined) {
  // Twelve stars on a circle satisfy x^2 + y^2 - 2 x0 x - 2 y0 y = const, a
  // linear relation among the quadratic model's terms; two rows of stars
  // make y^2 a combination of y and 1. The lower models still solve.
  const Case c = FinePlate();
  ASSERT_FALSE(c.pairs.empty());
  std::vector<std::pair<long double, long double>> circle, rows;
  for (int i = 0; i < 12; ++i) {
    const long double a = i * 0.5235987755982988731L;  // 30 degrees
    circle.emplace_back(512 + 300 * std::cos(a), 500 + 300 * std::sin(a));
    rows.emplace_back(80 + 75 * i, i % 2 == 0 ? 300 : 700);
  }
  ExpectRefused(c, PairsOf(c, circle), 2);
  ExpectRefused(c, PairsOf(c, rows), 2);
  for (const auto& set : {circle, rows}) {
    PlateSolnObj plate;
    plate.StartSolution(c.centreRA, c.centreDec);
    for (const auto& r : PairsOf(c, set)) plate.AddPair(r);
    EXPECT_TRUE(plate.SolvePlate(0));
    EXPECT_TRUE(plate.SolvePlate(1));
  }
}

TEST(PlateDegenerate, ANarrowStripStillSolves) {
  // Stars within a strip 4 pixels wide across 1000 pixels are poorly placed
  // but fix the linear model: not refused, and the result is finite.
  const Case c = FinePlate();
  ASSERT_FALSE(c.pairs.empty());
  std::vector<std::pair<long double, long double>> strip;
  for (int i = 0; i < 10; ++i) strip.emplace_back(20 + 110 * i, 510 + (i * 7 % 5));
  PlateSolnObj plate;
  plate.StartSolution(c.centreRA, c.centreDec);
  for (const auto& r : PairsOf(c, strip)) plate.AddPair(r);
  ASSERT_TRUE(plate.SolvePlate(0));
  ReferenceStar target;
  target.imageX = 500;
  target.imageY = 512;
  plate.ApplySolution(target, 0);
  EXPECT_TRUE(std::isfinite(target.fitRA) && std::isfinite(target.fitDec));
}

TEST(PlateDegenerate, NonFiniteInputIsRefused) {
  const Case c = FinePlate();
  ASSERT_GE(c.pairs.size(), 10u);
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  for (int field = 0; field < 4; ++field)
    for (long double bad : {nan, inf, -inf}) {
      SCOPED_TRACE(std::to_string(field) + " " + std::to_string(static_cast<double>(bad)));
      std::vector<ReferenceStar> stars(c.pairs.begin(), c.pairs.begin() + 10);
      long double* slot[] = {&stars[4].imageX, &stars[4].imageY, &stars[4].catRA, &stars[4].catDec};
      *slot[field] = bad;
      for (std::uint8_t type = 0; type <= 2; ++type) ExpectRefused(c, stars, type);
    }
}

TEST(PlateDegenerate, AStarWithoutStandardCoordinatesIsRefused) {
  // A catalog star 90 degrees from the field centre, or beyond it, has no
  // gnomonic projection (behind the tangent point the formulas give a finite
  // point on the wrong side of the plate).
  const Case c = FinePlate();
  ASSERT_GE(c.pairs.size(), 10u);
  for (long double away : {6.0L, 8.0L, 12.0L}) {  // hours of right ascension from the centre, on the equator
    SCOPED_TRACE(static_cast<double>(away));
    std::vector<ReferenceStar> stars(c.pairs.begin(), c.pairs.begin() + 10);
    for (auto& r : stars) r.catDec -= c.centreDec;  // the same pattern about (centre RA, 0)
    stars[2].catRA = std::fmod(c.centreRA + away, 24.0L);
    stars[2].catDec = 0;
    const StandardCoordinates s =
        Gnomonic(stars[2].catRA * 15 * kRadiansPerDegree, 0, c.centreRA * 15 * kRadiansPerDegree, 0);
    EXPECT_TRUE(std::isnan(s.x) && std::isnan(s.y));
    PlateSolnObj plate;
    plate.StartSolution(c.centreRA, 0);
    for (const auto& r : stars) plate.AddPair(r);
    EXPECT_EQ(plate.PairCount(), 10);
    EXPECT_FALSE(plate.SolvePlate(0));
    // Without it the same stars solve.
    stars.erase(stars.begin() + 2);
    plate.StartSolution(c.centreRA, 0);
    for (const auto& r : stars) plate.AddPair(r);
    EXPECT_TRUE(plate.SolvePlate(0));
  }
  // Just inside the rim the projection is finite.
  const StandardCoordinates s = Gnomonic(1.5707963L, 0, 0, 0);  // 89.99999 degrees
  EXPECT_TRUE(std::isfinite(s.x));
  EXPECT_NEAR(static_cast<double>(s.x), -1 / std::tan(0.0000000267948966), 1e-3 / std::tan(0.0000000267948966));
}

}  // namespace
}  // namespace skarvel

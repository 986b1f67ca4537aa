#include "astrometry/plate_solution.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace skarvel {

void LstSqrObj::Setup(int rows, int unknowns) {
  rows_ = std::max(rows, 0);
  unknowns_ = std::clamp(unknowns, 1, kMaxUnknowns);
  matrix_.assign(static_cast<std::size_t>(rows_) * 7, 0.0L);
}

void LstSqrObj::Release() {
  matrix_.clear();
  matrix_.shrink_to_fit();
  rows_ = 0;
}

bool LstSqrObj::Solve() {
  const int n = rows_;
  const int m = unknowns_;
  if (n < m) return false;
  auto a = [this](int row, int col) -> long double& { return At(row - 1, col - 1); };  // 1-based
  // A coefficient or right-hand side that is not a finite number would be
  // rotated away by the steps below (a NaN pivot compares false and is
  // swapped out) and leave a finite but meaningless solution: refuse it.
  for (int k = 1; k <= n; ++k)
    for (int j = 1; j <= m + 1; ++j)
      if (!std::isfinite(a(k, j))) return false;
  for (int i = 1; i <= m; ++i) {
    for (int k = i + 1; k <= n; ++k) {
      if (a(k, i) == 0) continue;
      long double c;
      long double s;
      if (std::fabs(a(i, i)) >= std::fabs(a(k, i)) * 1e-10L) {
        long double r = std::sqrt(a(i, i) * a(i, i) + a(k, i) * a(k, i));
        if (a(i, i) < 0) r = -r;
        c = a(i, i) / r;
        s = -a(k, i) / r;
        a(i, i) = r;
      } else {
        c = 0;
        s = 1;
        a(i, i) = -a(k, i);
      }
      a(k, i) = 0;
      for (int j = i + 1; j <= m + 1; ++j) {
        const long double t = c * a(i, j) - s * a(k, j);
        a(k, j) = s * a(i, j) + c * a(k, j);
        a(i, j) = t;
      }
    }
  }
  // A pivot that vanishes against the largest one leaves the system without a
  // unique solution (collinear or repeated stars): refuse it rather than
  // divide by (nearly) zero.
  long double largest = 0;
  for (int i = 1; i <= m; ++i) largest = std::max(largest, std::fabs(a(i, i)));
  for (int i = 1; i <= m; ++i)
    if (!(std::fabs(a(i, i)) > largest * 1e-13L)) return false;
  std::array<long double, 6> x{};
  for (int i = m; i >= 1; --i) {
    long double sum = a(i, m + 1);
    for (int j = i + 1; j <= m; ++j) sum -= a(i, j) * x[static_cast<std::size_t>(j - 1)];
    x[static_cast<std::size_t>(i - 1)] = sum / a(i, i);
    if (!std::isfinite(x[static_cast<std::size_t>(i - 1)])) return false;
  }
  solution_ = x;
  return true;
}

StandardCoordinates Gnomonic(long double ra, long double dec, long double ra0, long double dec0) {
  const long double dra = ra - ra0;
  const long double d = std::cos(dec) * std::cos(dec0) * std::cos(dra) + std::sin(dec) * std::sin(dec0);
  if (!(d > kMinProjectionCosine)) {
    const long double none = std::numeric_limits<long double>::quiet_NaN();
    return {none, none};
  }
  return {-std::cos(dec) * std::sin(dra) / d,
          (std::sin(dec) * std::cos(dec0) - std::cos(dec) * std::sin(dec0) * std::cos(dra)) / d};
}

int UnknownCount(std::uint8_t solutionType) {
  switch (solutionType) {
    case 1: return 4;
    case 2: return 6;
    default: return 3;
  }
}

namespace {

// The model's terms of an image position: [x, y, 1], [x, y, xy, 1] or [x, y, xy, x^2, y^2, 1].
int Terms(long double x, long double y, std::uint8_t type, std::array<long double, 6>& t) {
  switch (type) {
    case 1: t = {x, y, x * y, 1, 0, 0}; return 4;
    case 2: t = {x, y, x * y, x * x, y * y, 1}; return 6;
    default: t = {x, y, 1, 0, 0, 0}; return 3;
  }
}

}  // namespace

void PlateSolnObj::StartSolution(long double centreRAHours, long double centreDecDeg) {
  ra0_ = centreRAHours * 15.0L * kRadiansPerDegree;
  dec0_ = centreDecDeg * kRadiansPerDegree;
  cosDec0_ = std::cos(dec0_);
  sinDec0_ = std::sin(dec0_);
  pairCount_ = 0;
  solved_ = false;
  sumRA2_ = sumDec2_ = sumTotal2_ = 0;
  usedCount_ = 0;
  weighted_ = false;
  weightedCount_ = 0;
}

void PlateSolnObj::AddPair(const ReferenceStar& star) {
  solved_ = false;
  if (pairCount_ >= kMaxPairs || !star.usePos) return;
  const auto i = static_cast<std::size_t>(pairCount_);
  const StandardCoordinates s =
      Gnomonic(star.catRA * 15.0L * kRadiansPerDegree, star.catDec * kRadiansPerDegree, ra0_, dec0_);
  work_[i] = star.imageX;
  work_[100 + i] = star.imageY;
  work_[200 + i] = s.x;
  work_[300 + i] = s.y;
  const long double sigma = std::sqrt((star.sigmaX * star.sigmaX + star.sigmaY * star.sigmaY) / 2);
  sigma_[i] = std::isfinite(sigma) && sigma > 0 ? sigma : 0;
  ++pairCount_;
}

bool PlateSolnObj::SolvePlate(std::uint8_t solutionType, bool weighted) {
  const int m = UnknownCount(solutionType);
  solved_ = false;
  weighted_ = false;
  weightedCount_ = 0;
  for (int k = 0; k < 2 * m; ++k) work_[400 + static_cast<std::size_t>(k)] = 0;
  if (pairCount_ < m) return false;
  std::array<long double, kMaxPairs> weight{};
  weight.fill(1);
  if (weighted) {
    std::vector<long double> known;
    for (int p = 0; p < pairCount_; ++p)
      if (sigma_[static_cast<std::size_t>(p)] > 0) known.push_back(sigma_[static_cast<std::size_t>(p)]);
    if (!known.empty()) {
      std::sort(known.begin(), known.end());
      const std::size_t h = known.size() / 2;
      const long double median = known.size() % 2 == 1 ? known[h] : (known[h - 1] + known[h]) / 2;
      for (int p = 0; p < pairCount_; ++p) {
        const auto i = static_cast<std::size_t>(p);
        const long double s = sigma_[i] > 0 ? sigma_[i] : median;
        weight[i] = 1 / std::sqrt(s * s + kPlateWeightFloorPixels * kPlateWeightFloorPixels);
      }
      weightedCount_ = static_cast<int>(known.size());
    }
  }
  std::array<long double, 12> constants{};
  for (int axis = 0; axis < 2; ++axis) {
    solver_.Setup(pairCount_, m);
    for (int p = 0; p < pairCount_; ++p) {
      const auto i = static_cast<std::size_t>(p);
      std::array<long double, 6> t{};
      Terms(work_[i], work_[100 + i], solutionType, t);
      for (int j = 0; j < m; ++j) solver_.At(p, j) = weight[i] * t[static_cast<std::size_t>(j)];
      solver_.At(p, m) = weight[i] * work_[(axis == 0 ? 200 : 300) + i];
    }
    if (!solver_.Solve()) return false;
    for (int j = 0; j < m; ++j)
      constants[static_cast<std::size_t>(axis * m + j)] = solver_.Solution()[static_cast<std::size_t>(j)];
  }
  for (int k = 0; k < 2 * m; ++k) work_[400 + static_cast<std::size_t>(k)] = constants[static_cast<std::size_t>(k)];
  solved_ = true;
  weighted_ = weightedCount_ > 0;
  return true;
}

StandardCoordinates PlateSolnObj::Evaluate(long double x, long double y, std::uint8_t solutionType) const {
  std::array<long double, 6> t{};
  const int m = Terms(x, y, solutionType, t);
  StandardCoordinates s;
  for (int j = 0; j < m; ++j) {
    s.x += work_[400 + static_cast<std::size_t>(j)] * t[static_cast<std::size_t>(j)];
    s.y += work_[400 + static_cast<std::size_t>(m + j)] * t[static_cast<std::size_t>(j)];
  }
  return s;
}

void PlateSolnObj::ToSky(const StandardCoordinates& s, long double& raHours, long double& decDeg) const {
  const long double xi = -s.x;
  long double ra = (ra0_ + std::atan2(xi, cosDec0_ - s.y * sinDec0_)) * kDegreesPerRadian / 15.0L;
  if (ra < 0) ra += 24;
  if (ra >= 24) ra -= 24;
  raHours = ra;
  const long double arg = (s.y * cosDec0_ + sinDec0_) / std::sqrt(1 + s.x * s.x + s.y * s.y);
  decDeg = std::asin(std::clamp(arg, -1.0L, 1.0L)) * kDegreesPerRadian;
}

void PlateSolnObj::ApplySolution(ReferenceStar& star, std::uint8_t solutionType) {
  if (!solved_) return;
  ToSky(Evaluate(star.imageX, star.imageY, solutionType), star.fitRA, star.fitDec);
  // The difference in right ascension is taken the short way round, so that a
  // star at 23h59m59.99s fitted at 0h00m00.01s has a residual of 0.3", not a day.
  long double dra = WrapInto(star.catRA - star.fitRA, 24);
  if (dra > 12) dra -= 24;
  star.resRA = dra * 15 * 3600 * std::cos(star.catDec * kRadiansPerDegree);
  star.resDec = (star.catDec - star.fitDec) * 3600;
  star.resTotal = std::sqrt(star.resRA * star.resRA + star.resDec * star.resDec);
  if (star.usePos) {
    sumRA2_ += star.resRA * star.resRA;
    sumDec2_ += star.resDec * star.resDec;
    sumTotal2_ += star.resRA * star.resRA + star.resDec * star.resDec;
    ++usedCount_;
  }
}

PlateSolnObj::Errors PlateSolnObj::ErrorEstimates(std::uint8_t solutionType) const {
  Errors e;
  const int m = UnknownCount(solutionType);
  const int n = pairCount_;
  if (m >= n || usedCount_ == 0) return e;
  const long double c = 2 * m;  // plate constants of the model
  e.ra = std::sqrt(sumRA2_ / usedCount_);
  e.dec = std::sqrt(sumDec2_ / usedCount_);
  const long double denominator = 2.0L * n * (2.0L * n - c);
  e.total = denominator > 0 ? std::sqrt(sumTotal2_ / denominator) : 0;
  return e;
}

std::vector<long double> PlateSolnObj::PlateConstants(std::uint8_t solutionType) const {
  const int m = UnknownCount(solutionType);
  return std::vector<long double>(work_.begin() + 400, work_.begin() + 400 + 2 * m);
}

}  // namespace skarvel

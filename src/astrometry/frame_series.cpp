#include "astrometry/frame_series.h"

#include <cmath>
#include <numeric>

#include "astrometry/auto_match.h"
#include "foundations/angles.h"

namespace skarvel {

namespace {

// Radians of an arc second (pi / 648000, exact).
constexpr long double kRadPerArcsec = 3.14159265358979323846264338327950288L / 648000.0L;
// The grid of exact points a frame map is fitted on, per axis.
constexpr int kMapGrid = 5;

// Solves the 2 x 2 linear part of a plate for the pixel of standard coordinates.
bool InvertPlate(const MatchResult& plate, long double X, long double Y, double& x, double& y) {
  const auto& c = plate.toStandard;
  const long double det = c[0] * c[4] - c[1] * c[3];
  if (!(std::fabs(det) > 0)) return false;
  const long double u = X - c[2], v = Y - c[5];
  x = static_cast<double>((c[4] * u - c[1] * v) / det);
  y = static_cast<double>((-c[3] * u + c[0] * v) / det);
  return true;
}

}  // namespace

bool SkyToStandard(long double raHours, long double decDeg, long double ra0Hours, long double dec0Deg, long double& X,
                   long double& Y) {
  const long double a = raHours * 15 * kRadiansPerDegree, d = decDeg * kRadiansPerDegree;
  const long double a0 = ra0Hours * 15 * kRadiansPerDegree, d0 = dec0Deg * kRadiansPerDegree;
  const long double cosc = std::sin(d0) * std::sin(d) + std::cos(d0) * std::cos(d) * std::cos(a - a0);
  if (!(cosc > 0)) return false;
  X = -std::cos(d) * std::sin(a - a0) / cosc;
  Y = (std::cos(d0) * std::sin(d) - std::sin(d0) * std::cos(d) * std::cos(a - a0)) / cosc;
  return true;
}

void StandardToSky(long double X, long double Y, long double ra0Hours, long double dec0Deg, long double& raHours,
                   long double& decDeg) {
  const long double d0 = dec0Deg * kRadiansPerDegree;
  const long double a = ra0Hours * 15 * kRadiansPerDegree + std::atan2(-X, std::cos(d0) - Y * std::sin(d0));
  raHours = std::fmod(a / kRadiansPerDegree / 15 + 48, 24.0L);
  decDeg = std::asin((Y * std::cos(d0) + std::sin(d0)) / std::sqrt(1 + X * X + Y * Y)) / kRadiansPerDegree;
}

bool SkyToPixel(const MatchResult& plate, long double raHours, long double decDeg, double& x, double& y) {
  long double X = 0, Y = 0;
  if (!SkyToStandard(raHours, decDeg, plate.tangentRAHours, plate.tangentDecDeg, X, Y)) return false;
  return InvertPlate(plate, X, Y, x, y);
}

bool FrameSeries::Check(const std::vector<SeriesFrameInput>& frames) {
  failure_.clear();
  if (frames.empty()) {
    failure_ = "The series holds no frame.";
    return false;
  }
  if (frames.size() > kMaxSeriesFrames) {
    failure_ = "A series holds at most " + std::to_string(kMaxSeriesFrames) + " frames, not " +
               std::to_string(frames.size()) + ".";
    return false;
  }
  for (const SeriesFrameInput& f : frames) {
    if (f.image == nullptr || !f.image->HasImage()) {
      failure_ = f.name + ": the frame holds no image.";
      return false;
    }
    if (f.image->width != frames.front().image->width || f.image->height != frames.front().image->height) {
      failure_ = f.name + ": the frame is " + std::to_string(f.image->width) + " x " + std::to_string(f.image->height) +
                 " pixels, the first " + std::to_string(frames.front().image->width) + " x " +
                 std::to_string(frames.front().image->height) + ".";
      return false;
    }
  }
  width_ = frames.front().image->width;
  height_ = frames.front().image->height;
  return true;
}

bool FrameSeries::Solve(const std::vector<SeriesFrameInput>& frames, StarList& stars, long double arcsecPerPixel,
                        const SeriesProgress& progress) {
  frames_.clear();
  if (!Check(frames)) return false;
  std::vector<SeriesFrame> solved;
  for (std::size_t k = 0; k < frames.size(); ++k) {
    SeriesFrame f;
    f.input = frames[k];
    AutoMatchRequest request;
    request.view.image = frames[k].image;
    request.view.clientWidth = frames[k].image->width;
    request.view.clientHeight = frames[k].image->height;
    request.centreRAHours = frames[k].centreRAHours;
    request.centreDecDeg = frames[k].centreDecDeg;
    request.arcsecPerPixel = arcsecPerPixel;
    const AutoMatchOutcome match = FindAutoReferences(request, stars);
    f.solved = match.found;
    f.failure = match.found ? "" : match.reason;
    f.plate = match.match;
    solved.push_back(std::move(f));
    if (progress && !progress(k + 1, frames.size())) {
      failure_ = "Stopped.";
      return false;
    }
  }
  frames_ = std::move(solved);
  return true;
}

bool FrameSeries::Assign(std::vector<SeriesFrame> frames) {
  std::vector<SeriesFrameInput> inputs;
  for (const SeriesFrame& f : frames) inputs.push_back(f.input);
  frames_.clear();
  if (!Check(inputs)) return false;
  frames_ = std::move(frames);
  return true;
}

int FrameSeries::ReferenceIndex() const {
  for (std::size_t k = 0; k < frames_.size(); ++k)
    if (frames_[k].solved) return static_cast<int>(k);
  return -1;
}

double FrameSeries::ReferenceJd() const {
  // Summed as offsets from the first, so that the mean keeps the milliseconds.
  int n = 0;
  long double sum = 0, base = 0;
  for (const SeriesFrame& f : frames_) {
    if (!f.solved) continue;
    if (n == 0) base = f.input.jd;
    sum += static_cast<long double>(f.input.jd) - base;
    ++n;
  }
  return n == 0 ? 0 : static_cast<double>(base + sum / n);
}

std::vector<std::string> FrameSeries::LeftOut() const {
  std::vector<std::string> out;
  for (const SeriesFrame& f : frames_)
    if (!f.solved) out.push_back(f.input.name);
  return out;
}

double FrameSeries::ArcsecPerPixel() const {
  const int r = ReferenceIndex();
  if (r < 0) return 0;
  const auto& c = frames_[static_cast<std::size_t>(r)].plate.toStandard;
  return static_cast<double>(std::sqrt(std::fabs(c[0] * c[4] - c[1] * c[3])) / kRadPerArcsec);
}

std::array<double, 2> FrameSeries::PixelRate(const SkyMotion& motion) const {
  const int r = ReferenceIndex();
  if (r < 0) return {0, 0};
  const auto& c = frames_[static_cast<std::size_t>(r)].plate.toStandard;
  const long double pa = motion.paDeg * kRadiansPerDegree, rate = motion.rateArcsecPerMin * kRadPerArcsec;
  // East is toward decreasing X.
  const long double dX = -rate * std::sin(pa), dY = rate * std::cos(pa);
  const long double det = c[0] * c[4] - c[1] * c[3];
  if (!(std::fabs(det) > 0)) return {0, 0};
  return {static_cast<double>((c[4] * dX - c[1] * dY) / det), static_cast<double>((-c[3] * dX + c[0] * dY) / det)};
}

SkyMotion FrameSeries::SkyRate(double dxPerMin, double dyPerMin) const {
  const int r = ReferenceIndex();
  if (r < 0) return {};
  const auto& c = frames_[static_cast<std::size_t>(r)].plate.toStandard;
  const long double dX = c[0] * dxPerMin + c[1] * dyPerMin, dY = c[3] * dxPerMin + c[4] * dyPerMin;
  SkyMotion m;
  m.rateArcsecPerMin = static_cast<double>(std::hypot(dX, dY) / kRadPerArcsec);
  double pa = static_cast<double>(std::atan2(-dX, dY) / kRadiansPerDegree);
  if (pa < 0) pa += 360;
  if (pa >= 360) pa -= 360;
  m.paDeg = m.rateArcsecPerMin > 0 ? pa : 0;
  return m;
}

PixelMap FrameSeries::MapToFrame(std::size_t k, const SkyMotion& motion) const {
  const int r = ReferenceIndex();
  const MatchResult& ref = frames_.at(static_cast<std::size_t>(r)).plate;
  const MatchResult& plate = frames_.at(k).plate;
  const double minutes = (frames_[k].input.jd - ReferenceJd()) * 1440.0;
  const long double pa = motion.paDeg * kRadiansPerDegree;
  const long double step = motion.rateArcsecPerMin * minutes * kRadPerArcsec;
  const long double dX = -step * std::sin(pa), dY = step * std::cos(pa);
  // Least squares of x' and y' on (x, y, 1) over the grid.
  double n[3][3] = {}, bx[3] = {}, by[3] = {};
  for (int i = 0; i < kMapGrid; ++i)
    for (int j = 0; j < kMapGrid; ++j) {
      const double x = (width_ - 1) * i / double(kMapGrid - 1), y = (height_ - 1) * j / double(kMapGrid - 1);
      const auto& c = ref.toStandard;
      const long double X = c[0] * x + c[1] * y + c[2] + dX, Y = c[3] * x + c[4] * y + c[5] + dY;
      long double ra = 0, dec = 0;
      StandardToSky(X, Y, ref.tangentRAHours, ref.tangentDecDeg, ra, dec);
      double u = 0, v = 0;
      if (!SkyToPixel(plate, ra, dec, u, v)) continue;
      const double row[3] = {x, y, 1};
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) n[a][b] += row[a] * row[b];
        bx[a] += row[a] * u;
        by[a] += row[a] * v;
      }
    }
  // Cramer's rule on the 3 x 3 normal equations.
  const auto det3 = [](const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  const double d = det3(n);
  PixelMap out{};
  if (!(std::fabs(d) > 0)) return out;
  for (int col = 0; col < 3; ++col) {
    double mx[3][3], my[3][3];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        mx[a][b] = b == col ? bx[a] : n[a][b];
        my[a][b] = b == col ? by[a] : n[a][b];
      }
    out[static_cast<std::size_t>(col)] = det3(mx) / d;
    out[static_cast<std::size_t>(3 + col)] = det3(my) / d;
  }
  return out;
}

}  // namespace skarvel

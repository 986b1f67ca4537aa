#include "images/fitted_centroid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace skarvel {

namespace {

// 1.4826 x the median absolute deviation estimates sigma of a normal distribution.
constexpr double kMadToSigma = 1.4826;
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kPi = 3.14159265358979323846;
// The windowed centroid uses the pixels within this many window sigmas.
constexpr double kWindowReach = 4;
constexpr int kMaxSteps = 20;
constexpr double kConverged = 1e-4;  // pixels
// Limits of a Gaussian sigma measured on a star, pixels.
constexpr double kMinSigma = 0.4, kMaxSigma = 10;
// The window's sigma before a star's own size is known, pixels (a FWHM of 3.5).
constexpr double kFirstSigma = 1.5;

double Median(std::vector<double>& v) {
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

double Pixel(const GraphicsFileObj& image, int x, int y) {
  return image.pixels.Row(y)[static_cast<std::size_t>(x)];
}

bool OnImage(const GraphicsFileObj& image, double x, double y) {
  return x >= 0 && y >= 0 && x <= image.width - 1 && y <= image.height - 1;
}

// One windowed pass about (x, y) with window sigma s: the sums that move the
// position, measure the size and give the uncertainty.
struct WindowSums {
  double w = 0;              // sum of w v
  double wx = 0, wy = 0;     // sum of w v dx, w v dy
  double wr2 = 0;            // sum of w v (dx^2 + dy^2)
  double dxx = 0, dyy = 0;   // sum of w v (dx^2 / s^2 - 1), the same for y
  double w2x = 0, w2y = 0;   // sum of w^2 dx^2, w^2 dy^2
  double w2 = 0;             // sum of w^2
};

WindowSums Window(const GraphicsFileObj& image, double x, double y, double s, double sky) {
  WindowSums out;
  const double reach = kWindowReach * s;
  const int x0 = std::max(0, static_cast<int>(std::floor(x - reach)));
  const int x1 = std::min(image.width - 1, static_cast<int>(std::ceil(x + reach)));
  const int y0 = std::max(0, static_cast<int>(std::floor(y - reach)));
  const int y1 = std::min(image.height - 1, static_cast<int>(std::ceil(y + reach)));
  const double inv = 1 / (2 * s * s);
  for (int row = y0; row <= y1; ++row) {
    const auto r = image.pixels.Row(row);
    const double dy = row - y;
    for (int col = x0; col <= x1; ++col) {
      const double dx = col - x;
      const double r2 = dx * dx + dy * dy;
      if (r2 > reach * reach) continue;
      const double w = std::exp(-r2 * inv);
      const double v = r[static_cast<std::size_t>(col)] - sky;
      out.w += w * v;
      out.wx += w * v * dx;
      out.wy += w * v * dy;
      out.wr2 += w * v * r2;
      out.dxx += w * v * (dx * dx / (s * s) - 1);
      out.dyy += w * v * (dy * dy / (s * s) - 1);
      out.w2x += w * w * dx * dx;
      out.w2y += w * w * dy * dy;
      out.w2 += w * w;
    }
  }
  return out;
}

// Solves the n x n system a x = b in place (partial pivoting); false when singular.
template <std::size_t N>
bool Solve(std::array<std::array<double, N>, N> a, std::array<double, N>& b, std::size_t n) {
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    if (!(std::fabs(a[p][c]) > 1e-300)) return false;
    std::swap(a[p], a[c]);
    std::swap(b[p], b[c]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  for (std::size_t c = n; c-- > 0;) {
    double s = b[c];
    for (std::size_t k = c + 1; k < n; ++k) s -= a[c][k] * b[k];
    b[c] = s / a[c][c];
  }
  return true;
}

// The unit-flux image of the shape at pixel (i, j) for a source at (x, y)
// with Gaussian sigma s: the Gaussian integrated over the pixel; a trail
// smears it along its direction (the pixel's width then enters as a
// Gaussian of variance 1/12).
double Model(int i, int j, double x, double y, double s, const PsfShape& shape) {
  if (shape.trailLength < 1e-3) return PixelGaussian(i, x, s) * PixelGaussian(j, y, s);
  const double c = std::cos(shape.trailAngle), sn = std::sin(shape.trailAngle);
  const double dx = i - x, dy = j - y;
  const double u = dx * c + dy * sn, v = -dx * sn + dy * c;
  const double se = std::sqrt(s * s + 1.0 / 12);
  const double half = shape.trailLength / 2;
  const double along = 0.5 * (std::erf((u + half) / (kSqrt2 * se)) - std::erf((u - half) / (kSqrt2 * se))) /
                       shape.trailLength;
  const double across = std::exp(-v * v / (2 * se * se)) / (std::sqrt(2 * kPi) * se);
  return along * across;
}

}  // namespace

double PixelGaussian(double i, double c, double s) {
  const double k = 1.0 / (s * kSqrt2);
  return 0.5 * (std::erf((i + 0.5 - c) * k) - std::erf((i - 0.5 - c) * k));
}

LocalSky MeasureLocalSky(const GraphicsFileObj& image, std::int32_t x, std::int32_t y, std::int32_t inner,
                         std::int32_t outer) {
  LocalSky sky;
  if (!image.HasImage()) return sky;
  std::vector<double> values;
  const int x0 = std::max(0, x - outer), x1 = std::min(image.width - 1, x + outer);
  const int y0 = std::max(0, y - outer), y1 = std::min(image.height - 1, y + outer);
  for (int row = y0; row <= y1; ++row) {
    const auto r = image.pixels.Row(row);
    for (int col = x0; col <= x1; ++col)
      if (std::abs(col - x) > inner || std::abs(row - y) > inner) values.push_back(r[static_cast<std::size_t>(col)]);
  }
  sky.count = static_cast<std::int64_t>(values.size());
  if (values.empty()) return sky;
  sky.level = Median(values);
  for (double& v : values) v = std::fabs(v - sky.level);
  sky.noise = kMadToSigma * Median(values);
  return sky;
}

std::optional<FittedPosition> WindowedCentroid(const GraphicsFileObj& image, double x0, double y0,
                                               const PsfShape& shape, const LocalSky& sky, double maxShift) {
  if (!image.HasImage() || !OnImage(image, x0, y0)) return std::nullopt;
  const bool measureSize = !(shape.sigma > 0);
  double s = measureSize ? kFirstSigma : std::clamp(shape.sigma, kMinSigma, kMaxSigma);
  double x = x0, y = y0;
  FittedPosition out;
  WindowSums sums;
  for (int step = 1; step <= kMaxSteps; ++step) {
    sums = Window(image, x, y, s, sky.level);
    if (!(sums.w > 0)) return std::nullopt;
    const double mx = 2 * sums.wx / sums.w, my = 2 * sums.wy / sums.w;
    x += std::clamp(mx, -1.0, 1.0);
    y += std::clamp(my, -1.0, 1.0);
    out.iterations = step;
    if (std::hypot(x - x0, y - y0) > maxShift || !OnImage(image, x, y)) return std::nullopt;
    if (measureSize && step <= 8) {
      // Windowed second moment M of a Gaussian of sigma g in a window of
      // sigma s: M = g^2 s^2 / (g^2 + s^2) per axis.
      const double m = sums.wr2 / (2 * sums.w);
      const double g2 = s * s - m > 1e-6 ? m * s * s / (s * s - m) : kMaxSigma * kMaxSigma;
      s = std::clamp(std::sqrt(std::max(g2, 0.0)), kMinSigma, kMaxSigma);
      continue;
    }
    if (std::hypot(mx, my) < kConverged) break;
  }
  sums = Window(image, x, y, s, sky.level);
  if (!(sums.w > 0)) return std::nullopt;
  out.x = x;
  out.y = y;
  out.psfSigma = s;
  out.skyLevel = sky.level;
  out.skyNoise = sky.noise;
  // The position solves sum w v dx = 0; its variance is that of the sum
  // over the square of the sum's derivative (sum w v (dx^2/s^2 - 1)).
  const double dx = sums.dxx < 0 ? -sums.dxx : sums.w / 2, dy = sums.dyy < 0 ? -sums.dyy : sums.w / 2;
  out.sigmaX = sky.noise * std::sqrt(sums.w2x) / dx;
  out.sigmaY = sky.noise * std::sqrt(sums.w2y) / dy;
  // The window as the matched filter: flux for a Gaussian of the window's size.
  // The window as the matched filter: a Gaussian of the window's size has
  // sum w v = flux x sum w^2 / (2 pi s^2).
  out.flux = sums.w2 > 0 ? sums.w * 2 * kPi * s * s / sums.w2 : 0;
  out.snr = sky.noise > 0 && sums.w2 > 0 ? sums.w / (sky.noise * std::sqrt(sums.w2)) : 0;
  return out;
}

std::optional<FittedPosition> PsfFitCentroid(const GraphicsFileObj& image, double x0, double y0, const PsfShape& shape,
                                             const LocalSky& sky, double maxShift) {
  if (!image.HasImage() || !OnImage(image, x0, y0)) return std::nullopt;
  const bool fitSigma = !(shape.sigma > 0);
  double s = fitSigma ? kFirstSigma : std::clamp(shape.sigma, kMinSigma, kMaxSigma);
  if (fitSigma) {
    // The star's own size from the windowed moments, as a start.
    if (const auto w = WindowedCentroid(image, x0, y0, PsfShape{}, sky, maxShift)) {
      s = w->psfSigma;
      x0 = w->x;
      y0 = w->y;
    }
  }
  constexpr std::size_t kMaxParams = 5;
  const std::size_t n = fitSigma ? 5 : 4;
  double x = x0, y = y0, flux = 0, level = sky.level;
  const int reach = static_cast<int>(std::ceil(3 * s + shape.trailLength / 2)) + 1;
  // The flux before the first step: the pixels' sum above the sky.
  {
    const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int j = std::max(0, cy - reach); j <= std::min(image.height - 1, cy + reach); ++j)
      for (int i = std::max(0, cx - reach); i <= std::min(image.width - 1, cx + reach); ++i) flux += Pixel(image, i, j) - level;
    if (!(flux > 0)) return std::nullopt;
  }
  FittedPosition out;
  std::array<std::array<double, kMaxParams>, kMaxParams> normal{};
  bool converged = false;
  constexpr double h = 1e-4;
  for (int step = 1; step <= 2 * kMaxSteps && !converged; ++step) {
    normal = {};
    std::array<double, kMaxParams> rhs{};
    const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
    for (int j = std::max(0, cy - reach); j <= std::min(image.height - 1, cy + reach); ++j)
      for (int i = std::max(0, cx - reach); i <= std::min(image.width - 1, cx + reach); ++i) {
        const double p = Model(i, j, x, y, s, shape);
        std::array<double, kMaxParams> d{};
        d[0] = flux * (Model(i, j, x + h, y, s, shape) - Model(i, j, x - h, y, s, shape)) / (2 * h);
        d[1] = flux * (Model(i, j, x, y + h, s, shape) - Model(i, j, x, y - h, s, shape)) / (2 * h);
        d[2] = p;
        d[3] = 1;
        if (fitSigma) d[4] = flux * (Model(i, j, x, y, s + h, shape) - Model(i, j, x, y, s - h, shape)) / (2 * h);
        const double r = Pixel(image, i, j) - (level + flux * p);
        for (std::size_t a = 0; a < n; ++a) {
          rhs[a] += d[a] * r;
          for (std::size_t b = 0; b < n; ++b) normal[a][b] += d[a] * d[b];
        }
      }
    if (!Solve<kMaxParams>(normal, rhs, n)) return std::nullopt;
    const double sx = std::clamp(rhs[0], -1.0, 1.0), sy = std::clamp(rhs[1], -1.0, 1.0);
    x += sx;
    y += sy;
    flux += rhs[2];
    level += rhs[3];
    if (fitSigma) s = std::clamp(s + std::clamp(rhs[4], -0.5, 0.5), kMinSigma, kMaxSigma);
    out.iterations = step;
    if (std::hypot(x - x0, y - y0) > maxShift || !OnImage(image, x, y) || !std::isfinite(flux)) return std::nullopt;
    converged = std::fabs(sx) < kConverged && std::fabs(sy) < kConverged;
  }
  if (!converged || !(flux > 0)) return std::nullopt;
  // The covariance: the inverse of the normal matrix times the pixel variance.
  std::array<double, kMaxParams> ex{}, ey{}, ef{};
  ex[0] = 1;
  ey[1] = 1;
  ef[2] = 1;
  // The flux's error with the size held (a free size trades flux for width;
  // the SNR is that of the star of this size, as the matched filter reads it).
  if (!Solve<kMaxParams>(normal, ex, n) || !Solve<kMaxParams>(normal, ey, n) || !Solve<kMaxParams>(normal, ef, 4))
    return std::nullopt;
  const double var = sky.noise * sky.noise;
  out.x = x;
  out.y = y;
  out.sigmaX = std::sqrt(std::max(0.0, ex[0] * var));
  out.sigmaY = std::sqrt(std::max(0.0, ey[1] * var));
  out.flux = flux;
  const double fluxSigma = std::sqrt(std::max(0.0, ef[2] * var));
  out.snr = fluxSigma > 0 ? flux / fluxSigma : 0;
  out.psfSigma = s;
  out.skyLevel = level;
  out.skyNoise = sky.noise;
  return out;
}

std::optional<FittedPosition> FitCentroid(const GraphicsFileObj& image, CentroidMethod method, double x0, double y0,
                                          const PsfShape& shape, double maxShift) {
  if (method == CentroidMethod::kClassic || !image.HasImage() || !OnImage(image, x0, y0)) return std::nullopt;
  const double s = shape.sigma > 0 ? shape.sigma : 2.0;
  const int trail = static_cast<int>(std::ceil(shape.trailLength / 2));
  const int inner = std::max(6, static_cast<int>(std::ceil(3 * s))) + trail;
  const int outer = std::max(12, static_cast<int>(std::ceil(6 * s))) + trail;
  const LocalSky sky = MeasureLocalSky(image, static_cast<std::int32_t>(std::lround(x0)),
                                       static_cast<std::int32_t>(std::lround(y0)), inner, outer);
  if (sky.count == 0) return std::nullopt;
  if (method == CentroidMethod::kPsfFit || shape.trailLength >= 1) return PsfFitCentroid(image, x0, y0, shape, sky, maxShift);
  return WindowedCentroid(image, x0, y0, shape, sky, maxShift);
}

}  // namespace skarvel

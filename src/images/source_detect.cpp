#include "images/source_detect.h"

#include <algorithm>
#include <cmath>

namespace skarvel {

namespace {

// 1.4826 x the median absolute deviation estimates sigma of a normal distribution.
constexpr double kMadToSigma = 1.4826;
// The kernel reaches this many PSF sigmas beyond the trail's ends.
constexpr double kKernelReach = 3.5;
// Stars for the PSF: brightest pixel between these many noise sigmas (a
// Gaussian star's peak is SNR / (sqrt(pi) sigma) noise sigmas: 8 is an SNR
// near 20 for a FWHM of 3 pixels), no brighter pixel within kIsolation
// pixels, each of its four neighbours at least kPsfNeighbour of its height
// (a hot pixel stands alone, a cosmic ray track has dark sides), at most
// kPsfStars of them.
constexpr double kPsfMinSigmas = 8, kPsfMaxSigmas = 2000, kPsfNeighbour = 0.15;
constexpr int kIsolation = 8;
constexpr std::size_t kPsfStars = 50;
constexpr int kFewestPsfStars = 3;
// The pixel's own width widens a measured star: variance 1/12 pixel^2.
constexpr double kPixelVariance = 1.0 / 12;
// A source's fitted centroid may stray this far from its filtered peak, pixels.
constexpr double kMaxFitShift = 1.5;
// A cell's noise above this multiple of its neighbours' median is a star's.
constexpr double kNoiseOutlier = 1.5;
// A sharp source's brightest pixel stands at least this many noise sigmas above its prediction.
constexpr double kSharpSigmas = 5;

double Median(std::vector<double>& v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// The unit-sum kernel of the shape about a point at offset (fx, fy) from the
// centre pixel of a (2r + 1)^2 grid.
struct Kernel {
  int r = 0;
  std::vector<double> k;  // row by row
  double sum2 = 0;        // sum of squares
  double centre = 0;      // largest value
};

double ShapeValue(int i, int j, double fx, double fy, const PsfShape& shape) {
  const double s = shape.sigma;
  if (shape.trailLength < 1e-3) return PixelGaussian(i, fx, s) * PixelGaussian(j, fy, s);
  const double c = std::cos(shape.trailAngle), sn = std::sin(shape.trailAngle);
  const double dx = i - fx, dy = j - fy;
  const double u = dx * c + dy * sn, v = -dx * sn + dy * c;
  const double se = std::sqrt(s * s + kPixelVariance), half = shape.trailLength / 2;
  const double along = 0.5 * (std::erf((u + half) / (std::sqrt(2.0) * se)) - std::erf((u - half) / (std::sqrt(2.0) * se)));
  return along * std::exp(-v * v / (2 * se * se));
}

Kernel MakeKernel(const PsfShape& shape, double fx = 0, double fy = 0) {
  Kernel k;
  k.r = static_cast<int>(std::ceil(kKernelReach * shape.sigma + shape.trailLength / 2));
  const int n = 2 * k.r + 1;
  k.k.resize(static_cast<std::size_t>(n * n));
  double sum = 0;
  for (int j = -k.r; j <= k.r; ++j)
    for (int i = -k.r; i <= k.r; ++i) sum += k.k[static_cast<std::size_t>((j + k.r) * n + i + k.r)] = ShapeValue(i, j, fx, fy, shape);
  for (double& v : k.k) {
    v /= sum;
    k.sum2 += v * v;
    k.centre = std::max(k.centre, v);
  }
  return k;
}

// The matched filter row by row: the rows of the image less its background
// enter a ring of 2r + 1 rows (filtered along the row first when the kernel
// is separable), and each output row is divided by the noise the filter leaves.
std::vector<float> Filter(const GraphicsFileObj& image, const NoiseMap& map, const PsfShape& shape) {
  const int width = image.width, height = image.height;
  const auto w = static_cast<std::size_t>(width);
  std::vector<float> out(w * static_cast<std::size_t>(height));
  const bool separable = shape.trailLength < 1e-3;
  const Kernel kernel = MakeKernel(shape);
  const double root = std::sqrt(kernel.sum2);
  int r = kernel.r;
  std::vector<float> k1;  // the separable kernel's axis
  if (separable) {
    r = static_cast<int>(std::ceil(kKernelReach * shape.sigma));
    double sum = 0;
    for (int i = -r; i <= r; ++i) sum += PixelGaussian(i, 0, shape.sigma);
    for (int i = -r; i <= r; ++i) k1.push_back(static_cast<float>(PixelGaussian(i, 0, shape.sigma) / sum));
  }
  const int n = 2 * r + 1;
  std::vector<std::vector<float>> ring(static_cast<std::size_t>(n), std::vector<float>(w));
  std::vector<float> residual(w), acc(w);
  std::vector<double> back, noise;
  for (int yy = 0; yy < height + r; ++yy) {
    if (yy < height) {
      const auto row = image.pixels.Row(yy);
      map.BackgroundRow(yy, back);
      for (std::size_t x = 0; x < w; ++x) residual[x] = static_cast<float>(row[x] - back[x]);
      std::vector<float>& slot = ring[static_cast<std::size_t>(yy % n)];
      if (separable) {
        std::fill(slot.begin(), slot.end(), 0.0f);
        for (int i = -r; i <= r; ++i) {
          const float c = k1[static_cast<std::size_t>(i + r)];
          const auto x0 = static_cast<std::size_t>(std::max(0, -i));
          const auto x1 = static_cast<std::size_t>(std::max(0, std::min(width, width - i)));
          const float* src = residual.data() + i;
          for (std::size_t x = x0; x < x1; ++x) slot[x] += c * src[x];
        }
      } else {
        slot = residual;
      }
    }
    const int y = yy - r;
    if (y < 0) continue;
    std::fill(acc.begin(), acc.end(), 0.0f);
    for (int j = -r; j <= r; ++j) {
      const int sy = y + j;
      if (sy < 0 || sy >= height) continue;
      const std::vector<float>& src = ring[static_cast<std::size_t>(sy % n)];
      if (separable) {
        const float c = k1[static_cast<std::size_t>(j + r)];
        for (std::size_t x = 0; x < w; ++x) acc[x] += c * src[x];
        continue;
      }
      for (int i = -r; i <= r; ++i) {
        const auto c = static_cast<float>(kernel.k[static_cast<std::size_t>((j + r) * n + i + r)]);
        if (c < 1e-7f) continue;
        const auto x0 = static_cast<std::size_t>(std::max(0, -i));
        const auto x1 = static_cast<std::size_t>(std::max(0, std::min(width, width - i)));
        const float* s = src.data() + i;
        for (std::size_t x = x0; x < x1; ++x) acc[x] += c * s[x];
      }
    }
    map.NoiseRow(y, noise);
    float* o = out.data() + static_cast<std::size_t>(y) * w;
    for (std::size_t x = 0; x < w; ++x) o[x] = static_cast<float>(static_cast<double>(acc[x]) / (noise[x] * root));
  }
  return out;
}

// A cosmic ray track (or a hot pixel) is as wide as a pixel: across it the
// two neighbours of its brightest pixel fall far below what the PSF gives a
// star of its filtered flux. True when along one of the four directions
// (the axes and diagonals) their mean is below half that and below it by
// kDarkSideSigmas noise sigmas.
constexpr double kDarkSideSigmas = 3;
bool DarkSides(const GraphicsFileObj& image, int px, int py, double back, double predicted, double sigma, double noise) {
  if (px < 1 || py < 1 || px >= image.width - 1 || py >= image.height - 1) return false;
  const double variance = sigma * sigma + kPixelVariance;
  const double axis = std::exp(-1 / (2 * variance)), diagonal = std::exp(-1 / variance);
  const auto D = [&](int x, int y) { return image.pixels.Row(y)[static_cast<std::size_t>(x)] - back; };
  const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (const auto& d : dirs) {
    const double expected = predicted * (d[0] && d[1] ? diagonal : axis);
    const double mean = (D(px + d[0], py + d[1]) + D(px - d[0], py - d[1])) / 2;
    if (mean < 0.5 * expected && expected - mean > kDarkSideSigmas * noise) return true;
  }
  return false;
}

PsfShape ShapeOf(const SourceDetectSettings& s, double sigma) { return {sigma, s.trailLength, s.trailAngle}; }

}  // namespace

NoiseMap::NoiseMap(const GraphicsFileObj& image, std::int32_t cellSize) : cell_(std::max(8, cellSize)) {
  if (!image.HasImage() || image.width < 1 || image.height < 1) return;
  nx_ = (image.width + cell_ - 1) / cell_;
  ny_ = (image.height + cell_ - 1) / cell_;
  width_ = image.width;
  for (int x = 0; x < width_; ++x) {
    const double fx = std::clamp((x + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(nx_ - 1));
    columnCell_.push_back(static_cast<int>(fx));
    columnWeight_.push_back(fx - static_cast<int>(fx));
  }
  const auto cells = static_cast<std::size_t>(nx_ * ny_);
  std::vector<double> level(cells), noise(cells), values, steps;
  for (int cy = 0; cy < ny_; ++cy)
    for (int cx = 0; cx < nx_; ++cx) {
      values.clear();
      steps.clear();
      const int y1 = std::min(image.height, (cy + 1) * cell_), x1 = std::min(image.width, (cx + 1) * cell_);
      const int step = cell_ >= 16 ? 2 : 1;
      for (int y = cy * cell_; y < y1; y += step) {
        const auto row = image.pixels.Row(y);
        for (int x = cx * cell_; x < x1; x += step) {
          values.push_back(row[static_cast<std::size_t>(x)]);
          if (x + 1 < image.width)
            steps.push_back(std::fabs(static_cast<double>(row[static_cast<std::size_t>(x + 1)]) - row[static_cast<std::size_t>(x)]));
        }
      }
      level[static_cast<std::size_t>(cy * nx_ + cx)] = Median(values);
      // The noise from the differences of neighbouring pixels, which a
      // gradient across the cell does not widen: sigma of a difference is
      // sqrt 2 sigma.
      noise[static_cast<std::size_t>(cy * nx_ + cx)] = kMadToSigma * Median(steps) / std::sqrt(2.0);
    }
  // A cell that stands out of its neighbours by more than its pixel noise
  // (a bright star or a defect covers it) takes their median; a gradient
  // leaves the others as they are.
  const auto around = [&](const std::vector<double>& in, int cx, int cy) {
    std::vector<double> v;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = cx + dx, y = cy + dy;
        if ((dx || dy) && x >= 0 && y >= 0 && x < nx_ && y < ny_) v.push_back(in[static_cast<std::size_t>(y * nx_ + x)]);
      }
    return v.empty() ? in[static_cast<std::size_t>(cy * nx_ + cx)] : Median(v);
  };
  level_ = level;
  noise_ = noise;
  for (int cy = 0; cy < ny_; ++cy)
    for (int cx = 0; cx < nx_; ++cx) {
      const auto i = static_cast<std::size_t>(cy * nx_ + cx);
      const double l = around(level, cx, cy), n = around(noise, cx, cy);
      if (std::fabs(level[i] - l) > std::max(noise[i], n)) level_[i] = l;
      if (noise[i] > kNoiseOutlier * n) noise_[i] = n;
    }
  // A noiseless image still needs a positive step above its sky.
  for (double& v : noise_) v = std::max(v, 0.5);
  std::vector<double> copy = level_;
  medianLevel_ = Median(copy);
  copy = noise_;
  medianNoise_ = Median(copy);
}

double NoiseMap::At(const std::vector<double>& v, double x, double y) const {
  if (v.empty()) return 0;
  const double fx = std::clamp((x + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(nx_ - 1));
  const double fy = std::clamp((y + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(ny_ - 1));
  const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
  const int x1 = std::min(x0 + 1, nx_ - 1), y1 = std::min(y0 + 1, ny_ - 1);
  const double tx = fx - x0, ty = fy - y0;
  const auto L = [&](int cx, int cy) { return v[static_cast<std::size_t>(cy * nx_ + cx)]; };
  return (1 - ty) * ((1 - tx) * L(x0, y0) + tx * L(x1, y0)) + ty * ((1 - tx) * L(x0, y1) + tx * L(x1, y1));
}

void NoiseMap::RowOf(const std::vector<double>& v, int y, std::vector<double>& out) const {
  out.resize(static_cast<std::size_t>(width_));
  if (v.empty()) {
    std::fill(out.begin(), out.end(), 0.0);
    return;
  }
  // The row at each cell column, then linear between the cell centres (constant beyond them).
  const double fy = std::clamp((y + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(ny_ - 1));
  const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, ny_ - 1);
  const double ty = fy - y0;
  std::vector<double> column(static_cast<std::size_t>(nx_));
  for (int cx = 0; cx < nx_; ++cx)
    column[static_cast<std::size_t>(cx)] =
        (1 - ty) * v[static_cast<std::size_t>(y0 * nx_ + cx)] + ty * v[static_cast<std::size_t>(y1 * nx_ + cx)];
  column.push_back(column.back());  // beyond the last centre the weight is 0
  for (std::size_t x = 0; x < static_cast<std::size_t>(width_); ++x) {
    const auto x0 = static_cast<std::size_t>(columnCell_[x]);
    const double tx = columnWeight_[x];
    out[x] = (1 - tx) * column[x0] + tx * column[x0 + 1];
  }
}

std::vector<float> MatchedFilterSnr(const GraphicsFileObj& image, const NoiseMap& map, const PsfShape& shape) {
  if (!image.HasImage() || image.width < 1 || image.height < 1 || !(shape.sigma > 0)) return {};
  return Filter(image, map, shape);
}

PsfMeasure MeasurePsf(const GraphicsFileObj& image, const NoiseMap& map, double fallbackSigma) {
  PsfMeasure out;
  out.sigma = fallbackSigma;
  if (!image.HasImage() || image.width < 2 * kIsolation + 1 || image.height < 2 * kIsolation + 1) return out;
  struct Bright {
    int x, y;
    double height;
  };
  std::vector<Bright> bright;
  const std::int32_t top = image.maximum;
  std::vector<double> backs, noises;
  for (int y = kIsolation; y < image.height - kIsolation; ++y) {
    const auto row = image.pixels.Row(y);
    map.BackgroundRow(y, backs);
    map.NoiseRow(y, noises);
    for (int x = kIsolation; x < image.width - kIsolation; ++x) {
      const std::int32_t v = row[static_cast<std::size_t>(x)];
      const double noise = noises[static_cast<std::size_t>(x)], d = v - backs[static_cast<std::size_t>(x)];
      if (d < kPsfMinSigmas * noise || d > kPsfMaxSigmas * noise || (top > 0 && v >= top)) continue;
      bool isolated = true;
      for (int dy = -kIsolation; dy <= kIsolation && isolated; ++dy) {
        const auto r = image.pixels.Row(y + dy);
        for (int dx = -kIsolation; dx <= kIsolation; ++dx)
          if ((dx || dy) && r[static_cast<std::size_t>(x + dx)] >= v) {
            isolated = false;
            break;
          }
      }
      if (!isolated) continue;
      const double back = backs[static_cast<std::size_t>(x)];
      const double around = std::min({row[static_cast<std::size_t>(x - 1)], row[static_cast<std::size_t>(x + 1)],
                                      image.pixels.Row(y - 1)[static_cast<std::size_t>(x)],
                                      image.pixels.Row(y + 1)[static_cast<std::size_t>(x)]}) - back;
      if (around < kPsfNeighbour * d) continue;
      bright.push_back({x, y, d / noise});
    }
  }
  std::sort(bright.begin(), bright.end(), [](const Bright& a, const Bright& b) { return a.height > b.height; });
  if (bright.size() > kPsfStars) bright.resize(kPsfStars);
  std::vector<double> sizes;
  for (const Bright& b : bright) {
    const LocalSky sky{map.Background(b.x, b.y), map.Noise(b.x, b.y), 1};
    if (const auto w = WindowedCentroid(image, b.x, b.y, PsfShape{}, sky, kMaxFitShift))
      sizes.push_back(std::sqrt(std::max(w->psfSigma * w->psfSigma - kPixelVariance, 0.09)));
  }
  if (static_cast<int>(sizes.size()) < kFewestPsfStars) return out;
  out.stars = static_cast<int>(sizes.size());
  out.sigma = Median(sizes);
  return out;
}

std::vector<Source> DetectSources(const GraphicsFileObj& image, const SourceDetectSettings& settings,
                                  SourceDetectStatistics* statistics, bool keepSharp) {
  SourceDetectStatistics stats;
  std::vector<Source> out;
  if (!image.HasImage() || image.width < 3 || image.height < 3) {
    if (statistics) *statistics = stats;
    return out;
  }
  const NoiseMap map(image, settings.cellSize);
  stats.background = map.MedianBackground();
  stats.noise = map.MedianNoise();
  if (settings.psfSigma > 0) {
    stats.psf.sigma = settings.psfSigma;
  } else {
    stats.psf = MeasurePsf(image, map, settings.fallbackSigma);
  }
  const PsfShape shape = ShapeOf(settings, stats.psf.sigma);
  const std::vector<float> snr = MatchedFilterSnr(image, map, shape);
  const Kernel kernel = MakeKernel(shape);
  const int w = image.width, h = image.height;
  const auto S = [&](int x, int y) { return snr[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]; };
  struct Max {
    int x, y;
    float s;
  };
  std::vector<Max> maxima;
  const auto threshold = static_cast<float>(settings.snrThreshold);
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      const float v = S(x, y);
      if (v < threshold) continue;
      if (!(v > S(x - 1, y - 1) && v > S(x, y - 1) && v > S(x + 1, y - 1) && v > S(x - 1, y) && v >= S(x + 1, y) &&
            v >= S(x - 1, y + 1) && v >= S(x, y + 1) && v >= S(x + 1, y + 1)))
        continue;
      maxima.push_back({x, y, v});
    }
  stats.maxima = static_cast<std::int32_t>(maxima.size());
  std::sort(maxima.begin(), maxima.end(), [](const Max& a, const Max& b) { return a.s > b.s; });

  // Deblending: a maximum is part of a brighter accepted one nearby unless
  // the filtered SNR dips by deblendDip between them.
  const int reach = static_cast<int>(std::ceil(4 * shape.sigma + shape.trailLength)) + 2;
  const int bw = w / reach + 1, bh = h / reach + 1;
  std::vector<std::vector<std::size_t>> buckets(static_cast<std::size_t>(bw * bh));
  std::vector<Max> kept;
  for (const Max& m : maxima) {
    bool merged = false;
    const int bx = m.x / reach, by = m.y / reach;
    for (int dy = -1; dy <= 1 && !merged; ++dy)
      for (int dx = -1; dx <= 1 && !merged; ++dx) {
        const int x = bx + dx, y = by + dy;
        if (x < 0 || y < 0 || x >= bw || y >= bh) continue;
        for (std::size_t k : buckets[static_cast<std::size_t>(y * bw + x)]) {
          const Max& q = kept[k];
          const double d = std::hypot(q.x - m.x, q.y - m.y);
          if (d > reach) continue;
          float low = m.s;
          const int steps = static_cast<int>(std::ceil(2 * d));
          for (int t = 1; t < steps; ++t) {
            const double u = static_cast<double>(t) / steps;
            low = std::min(low, S(static_cast<int>(std::lround(m.x + u * (q.x - m.x))), static_cast<int>(std::lround(m.y + u * (q.y - m.y)))));
          }
          if (static_cast<double>(m.s - low) < settings.deblendDip) {
            merged = true;
            break;
          }
        }
      }
    if (merged) {
      ++stats.merged;
      continue;
    }
    buckets[static_cast<std::size_t>(by * bw + bx)].push_back(kept.size());
    kept.push_back(m);
  }

  const std::int32_t brightest = image.maximum;
  const double root = std::sqrt(kernel.sum2);
  for (const Max& m : kept) {
    Source s;
    s.snr = m.s;
    const double back = map.Background(m.x, m.y), noise = map.Noise(m.x, m.y);
    // The filtered value is flux x sum K^2 for a source centred on the pixel.
    s.flux = static_cast<double>(m.s) * noise * root / kernel.sum2;
    double peak = -1e300;
    std::int32_t top = 0;
    int flat = 0, px = m.x, py = m.y;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const std::int32_t v = image.pixels.Row(m.y + dy)[static_cast<std::size_t>(m.x + dx)];
        if (v > top || (dx == -1 && dy == -1)) top = v;  // the first pixel starts the search
        if (v - back > peak) {
          peak = v - back;
          px = m.x + dx;
          py = m.y + dy;
        }
      }
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) flat += image.pixels.Row(m.y + dy)[static_cast<std::size_t>(m.x + dx)] == top;
    s.peak = peak;
    s.saturated = (settings.saturationLevel > 0 && top >= settings.saturationLevel) || (brightest > 0 && flat > 1 && top >= brightest);
    const double predicted = s.flux * kernel.centre;
    s.sharp = !s.saturated && ((peak > settings.sharpRatio * predicted && peak - predicted > kSharpSigmas * noise) ||
                               DarkSides(image, px, py, back, predicted, shape.sigma, noise));
    if (s.saturated) ++stats.saturated;
    if (s.sharp) {
      ++stats.sharp;
      if (!keepSharp) continue;
    }
    // Sub-pixel peak of the filtered image (a parabola on each axis), the
    // fallback position and the fit's start.
    const auto vertex = [](double a, double b, double c) {
      const double den = a - 2 * b + c;
      return den < 0 ? std::clamp(0.5 * (a - c) / den, -0.5, 0.5) : 0.0;
    };
    s.x = m.x + vertex(S(m.x - 1, m.y), m.s, S(m.x + 1, m.y));
    s.y = m.y + vertex(S(m.x, m.y - 1), m.s, S(m.x, m.y + 1));
    // The Cramer-Rao bound of a Gaussian image on a flat sky, per axis.
    s.sigmaX = s.sigmaY = std::sqrt(2.0) * shape.sigma / std::max(s.snr, 1e-6);
    const LocalSky sky{back, noise, 1};
    std::optional<FittedPosition> fit;
    if (!s.saturated) {
      if (settings.centroid == CentroidMethod::kPsfFit || shape.trailLength >= 1)
        fit = PsfFitCentroid(image, s.x, s.y, shape, sky, kMaxFitShift);
      else if (settings.centroid == CentroidMethod::kWindowed)
        fit = WindowedCentroid(image, s.x, s.y, shape, sky, kMaxFitShift);
    }
    if (fit) {
      s.x = fit->x;
      s.y = fit->y;
      s.sigmaX = fit->sigmaX;
      s.sigmaY = fit->sigmaY;
      s.fitted = true;
    }
    out.push_back(s);
  }
  std::stable_sort(out.begin(), out.end(), [](const Source& a, const Source& b) { return a.snr > b.snr; });
  if (out.size() > static_cast<std::size_t>(std::max(0, settings.maxSources)))
    out.resize(static_cast<std::size_t>(std::max(0, settings.maxSources)));
  if (statistics) *statistics = stats;
  return out;
}

ForcedMeasure ForcedPhotometry(const GraphicsFileObj& image, const NoiseMap& map, const PsfShape& shape, double x,
                               double y) {
  ForcedMeasure out;
  if (!image.HasImage() || !(shape.sigma > 0)) return out;
  const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
  const Kernel k = MakeKernel(shape, x - cx, y - cy);
  if (cx - k.r < 0 || cy - k.r < 0 || cx + k.r >= image.width || cy + k.r >= image.height) return out;
  out.inside = true;
  const int n = 2 * k.r + 1;
  double f = 0;
  for (int j = -k.r; j <= k.r; ++j) {
    const auto row = image.pixels.Row(cy + j);
    for (int i = -k.r; i <= k.r; ++i)
      f += k.k[static_cast<std::size_t>((j + k.r) * n + i + k.r)] *
           (row[static_cast<std::size_t>(cx + i)] - map.Background(cx + i, cy + j));
  }
  out.flux = f / k.sum2;
  out.snr = f / (map.Noise(x, y) * std::sqrt(k.sum2));
  return out;
}

}  // namespace skarvel

#include "astrometry/track_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "images/source_detect.h"

namespace skarvel {

namespace {

// A frame's SNR is stored as a signed byte of this many steps a unit (clipped
// at +-10 it spans +-120; the step adds 0.024 rms, nothing beside the noise of 1).
constexpr double kSnrSteps = 12;
// Background cells of a frame, pixels.
constexpr std::int32_t kCellSize = 64;
// A pixel whose frames scatter more than this many times the sky's noise
// about their median is weighted down by the square of the ratio; weights
// need this many frames.
constexpr double kWeightScatter = 1.5;
constexpr std::size_t kWeightFrames = 3;
// A pixel this many sigmas above the background whose left and right (or
// upper and lower) neighbours both hold less than this fraction of it is a defect.
constexpr double kDefectSigma = 5;
constexpr double kDefectNeighbourFraction = 0.3;
// Peaks of one motion kept at most (the highest).
constexpr std::size_t kPeaksPerMotion = 500;
// Two peaks are one object when one lies within this of the other's trail at its motion, pixels.
constexpr double kClusterPixels = 2.5;
constexpr double kMadToSigma = 1.4826;
// An object must move this many PSF widths (FWHM) over the series to leave the static sky.
constexpr double kMinTrailFwhm = 2;
constexpr double kFwhmPerSigma = 2.3548;
constexpr double kPi = 3.14159265358979323846;

struct Peak {
  double x = 0, y = 0, snr = 0;
  double vx = 0, vy = 0;
};

double MedianOf(std::vector<float>& v) {
  if (v.empty()) return 0;
  const std::size_t h = v.size() / 2;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h), v.end());
  const double hi = static_cast<double>(v[h]);
  if (v.size() % 2 == 1) return hi;
  return (hi + static_cast<double>(*std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(h)))) / 2;
}

// The 1-D Gaussian kernel of sigma s over +-ceil(3 s), summing to 1.
std::vector<double> Kernel(double s) {
  const int r = static_cast<int>(std::ceil(3 * s));
  std::vector<double> k(static_cast<std::size_t>(2 * r + 1));
  double sum = 0;
  for (int i = -r; i <= r; ++i) sum += k[static_cast<std::size_t>(i + r)] = std::exp(-i * i / (2 * s * s));
  for (double& v : k) v /= sum;
  return k;
}

// Separable convolution of a w x h image with kernel k (zero outside).
void Convolve(std::vector<float>& img, int w, int h, const std::vector<double>& k) {
  const int r = static_cast<int>(k.size() / 2);
  std::vector<float> tmp(img.size(), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double s = 0;
      for (int i = std::max(-r, -x); i <= std::min(r, w - 1 - x); ++i)
        s += k[static_cast<std::size_t>(i + r)] * static_cast<double>(img[static_cast<std::size_t>(y * w + x + i)]);
      tmp[static_cast<std::size_t>(y * w + x)] = static_cast<float>(s);
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double s = 0;
      for (int i = std::max(-r, -y); i <= std::min(r, h - 1 - y); ++i)
        s += k[static_cast<std::size_t>(i + r)] * static_cast<double>(tmp[static_cast<std::size_t>((y + i) * w + x)]);
      img[static_cast<std::size_t>(y * w + x)] = static_cast<float>(s);
    }
}

// Repairs sharp defects of a background-free frame in place: a pixel above
// kDefectSigma noise sigmas with a dark pair of opposite neighbours takes
// the median of its eight neighbours. Two passes (the ends of a track).
void RepairDefects(std::vector<float>& v, int w, int h, double noise) {
  for (int pass = 0; pass < 2; ++pass)
    for (int y = 1; y + 1 < h; ++y)
      for (int x = 1; x + 1 < w; ++x) {
        float& c = v[static_cast<std::size_t>(y * w + x)];
        const double centre = c;
        if (!(centre > kDefectSigma * noise)) continue;
        const auto at = [&](int dx, int dy) { return v[static_cast<std::size_t>((y + dy) * w + x + dx)]; };
        const auto pair = [&](int dx, int dy) { return (static_cast<double>(at(-dx, -dy)) + static_cast<double>(at(dx, dy))) / 2; };
        if (pair(1, 0) >= kDefectNeighbourFraction * centre && pair(0, 1) >= kDefectNeighbourFraction * centre) continue;
        float n[8] = {at(-1, -1), at(0, -1), at(1, -1), at(-1, 0), at(1, 0), at(-1, 1), at(0, 1), at(1, 1)};
        std::nth_element(n, n + 4, n + 8);
        c = n[4];
      }
}

struct Prepared {
  int w = 0, h = 0;
  std::vector<std::vector<std::int8_t>> snr;  // per frame, w x h
  std::vector<double> minutes;                // per frame: from the reference time
};

// d[i] += s[i] for a run, sixteen at a time (the compiler's vector
// extension; the scalar loop would not be vectorised, a char may alias the sums).
using Sums16 = std::int16_t __attribute__((vector_size(32)));
using Bytes16 = std::int8_t __attribute__((vector_size(16)));
inline void AddRow(std::int16_t* d, const std::int8_t* s, std::size_t run) {
  std::size_t i = 0;
  for (; i + 16 <= run; i += 16) {
    Sums16 a;
    Bytes16 b;
    std::memcpy(&a, d + i, sizeof a);
    std::memcpy(&b, s + i, sizeof b);
    a += __builtin_convertvector(b, Sums16);
    std::memcpy(d + i, &a, sizeof a);
  }
  for (; i < run; ++i) d[i] = static_cast<std::int16_t>(d[i] + s[i]);
}

// Whole-pixel shift of frame k at a motion.
inline void Shift(const Prepared& p, std::size_t k, double vx, double vy, int& dx, int& dy) {
  dx = static_cast<int>(std::lround(vx * p.minutes[k]));
  dy = static_cast<int>(std::lround(vy * p.minutes[k]));
}

// The stack of a motion over the rectangle every frame covers; acc holds w x h
// sums (only the rectangle is written). False when the rectangle is empty.
bool StackMotion(const Prepared& p, double vx, double vy, std::vector<std::int16_t>& acc, int& x0, int& x1, int& y0,
                 int& y1) {
  const int w = p.w, h = p.h;
  int minDx = 0, maxDx = 0, minDy = 0, maxDy = 0;
  for (std::size_t k = 0; k < p.snr.size(); ++k) {
    int dx = 0, dy = 0;
    Shift(p, k, vx, vy, dx, dy);
    minDx = std::min(minDx, dx);
    maxDx = std::max(maxDx, dx);
    minDy = std::min(minDy, dy);
    maxDy = std::max(maxDy, dy);
  }
  x0 = -minDx;
  x1 = w - 1 - maxDx;
  y0 = -minDy;
  y1 = h - 1 - maxDy;
  if (x1 - x0 < 4 || y1 - y0 < 4) return false;
  const std::size_t run = static_cast<std::size_t>(x1 - x0 + 1);
  for (int y = y0; y <= y1; ++y) std::memset(&acc[static_cast<std::size_t>(y * w + x0)], 0, run * sizeof(std::int16_t));
  for (std::size_t k = 0; k < p.snr.size(); ++k) {
    int dx = 0, dy = 0;
    Shift(p, k, vx, vy, dx, dy);
    const std::int8_t* src = p.snr[k].data();
    for (int y = y0; y <= y1; ++y)
      AddRow(&acc[static_cast<std::size_t>(y * w + x0)], src + static_cast<std::ptrdiff_t>((y + dy) * w + x0 + dx), run);
  }
  return true;
}

// The level and the robust sigma of a stack: every fourth pixel of every fourth row.
struct Level {
  double median = 0, sigma = 0;
};
Level StackNoise(const std::vector<std::int16_t>& acc, int w, int x0, int x1, int y0, int y1) {
  std::vector<float> v;
  for (int y = y0; y <= y1; y += 4)
    for (int x = x0; x <= x1; x += 4) v.push_back(acc[static_cast<std::size_t>(y * w + x)]);
  Level l;
  l.median = MedianOf(v);
  for (float& a : v) a = static_cast<float>(std::fabs(static_cast<double>(a) - l.median));
  l.sigma = kMadToSigma * MedianOf(v);
  return l;
}

// Parabolic refinement of a maximum from its neighbours' values.
double Vertex(double a, double b, double c) {
  const double d = a - 2 * b + c;
  return d < 0 ? std::clamp(0.5 * (a - c) / d, -0.5, 0.5) : 0;
}

// Is peak q explained by candidate c (its trail at q's motion over the series)?
bool Explains(const Peak& c, const Peak& q, double tFirst, double tLast) {
  const double ux = q.vx - c.vx, uy = q.vy - c.vy;
  const double ex = q.x - c.x, ey = q.y - c.y;
  const double uu = ux * ux + uy * uy;
  const double t = uu > 0 ? std::clamp((ex * ux + ey * uy) / uu, tFirst, tLast) : 0;
  return std::hypot(ex - t * ux, ey - t * uy) <= kClusterPixels;
}

// The best peak of the stacks near (x, y) over a fine grid of motions around (vx, vy).
Peak Refine(const Prepared& p, const Peak& start, double step, const Level& level) {
  Peak best = start;
  const int cx = static_cast<int>(std::lround(start.x)), cy = static_cast<int>(std::lround(start.y));
  constexpr int kWindow = 3, kFine = 4;
  double bestSum = -1e300;
  for (int i = -kFine; i <= kFine; ++i)
    for (int j = -kFine; j <= kFine; ++j) {
      const double vx = start.vx + i * step / kFine, vy = start.vy + j * step / kFine;
      double sums[2 * kWindow + 1][2 * kWindow + 1] = {};
      bool inside = true;
      for (std::size_t k = 0; k < p.snr.size() && inside; ++k) {
        int dx = 0, dy = 0;
        Shift(p, k, vx, vy, dx, dy);
        for (int b = -kWindow; b <= kWindow && inside; ++b)
          for (int a = -kWindow; a <= kWindow; ++a) {
            const int x = cx + a + dx, y = cy + b + dy;
            if (x < 0 || y < 0 || x >= p.w || y >= p.h) {
              inside = false;
              break;
            }
            sums[b + kWindow][a + kWindow] += p.snr[k][static_cast<std::size_t>(y * p.w + x)];
          }
      }
      if (!inside) continue;
      for (int b = 1; b < 2 * kWindow; ++b)
        for (int a = 1; a < 2 * kWindow; ++a) {
          const double s = sums[b][a];
          if (s <= bestSum) continue;
          bestSum = s;
          best.vx = vx;
          best.vy = vy;
          best.x = cx + a - kWindow + Vertex(sums[b][a - 1], s, sums[b][a + 1]);
          best.y = cy + b - kWindow + Vertex(sums[b - 1][a], s, sums[b + 1][a]);
        }
    }
  if (bestSum > -1e300) best.snr = std::max(start.snr, (bestSum - level.median) / level.sigma);
  return best;
}

}  // namespace

double TrailPeakRatio(double length, double s) {
  if (!(length > 0)) return 1;
  // (1 / L) int_{-L/2}^{L/2} exp(-u^2 / (4 s^2)) du = (2 s sqrt(pi) / L) erf(L / (4 s)).
  return 2 * s * std::sqrt(kPi) / length * std::erf(length / (4 * s));
}

double RoundingPeakRatio(double s) { return std::pow(TrailPeakRatio(1.0, s), 2); }

double MotionGridStep(double spanMinutes, double s, double maxLoss) {
  const double need = (1 - maxLoss) / RoundingPeakRatio(s);
  // The trail of the worst motion: half a diagonal of the step over the span.
  double lo = 0, hi = 40 * s;
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (TrailPeakRatio(mid, s) >= need ? lo : hi) = mid;
  }
  return lo * std::sqrt(2.0) / std::max(spanMinutes, 1e-9);
}

std::vector<std::array<double, 2>> MotionGrid(double rateMinPx, double rateMaxPx, double step) {
  std::vector<std::array<double, 2>> grid;
  const double half = step / std::sqrt(2.0);
  const int n = static_cast<int>(std::ceil((rateMaxPx + half) / step));
  for (int j = -n; j <= n; ++j)
    for (int i = -n; i <= n; ++i) {
      const double r = std::hypot(i * step, j * step);
      if (r <= rateMaxPx + half && r >= rateMinPx - half) grid.push_back({i * step, j * step});
    }
  return grid;
}

TrackSearchResult SearchTracks(const FrameSeries& series, const TrackSearchSettings& settings,
                               const TrackSearchProgress& progress) {
  TrackSearchResult out;
  const int ref = series.ReferenceIndex();
  std::vector<std::size_t> used;
  for (std::size_t k = 0; k < series.Frames().size(); ++k)
    if (series.Frames()[k].solved) used.push_back(k);
  if (used.size() < 3) {
    out.failure = "The track search needs three frames with a plate or more.";
    return out;
  }
  const double tref = series.ReferenceJd();
  out.referenceJd = tref;
  Prepared p;
  p.w = series.Width();
  p.h = series.Height();
  for (std::size_t k : used) p.minutes.push_back((series.Frames()[k].input.jd - tref) * 1440);
  const double tFirst = *std::min_element(p.minutes.begin(), p.minutes.end());
  const double tLast = *std::max_element(p.minutes.begin(), p.minutes.end());
  if (!(tLast - tFirst > 0)) {
    out.failure = "The frames of the series were all taken at one time.";
    return out;
  }
  const GraphicsFileObj& refImage = *series.Frames()[static_cast<std::size_t>(ref)].input.image;
  std::vector<NoiseMap> maps;
  for (std::size_t k : used) maps.emplace_back(*series.Frames()[k].input.image, kCellSize);
  const double s = settings.psfSigma > 0 ? settings.psfSigma : MeasurePsf(refImage, maps.front(), 1.3).sigma;
  out.psfSigma = s;
  const int w = p.w, h = p.h;
  const std::size_t n = used.size(), pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  std::vector<PixelMap> maps0;
  for (std::size_t k : used) maps0.push_back(series.MapToFrame(k, {}));
  double medianNoise = 0;
  {
    std::vector<float> noises;
    for (const NoiseMap& m : maps) noises.push_back(static_cast<float>(m.MedianNoise()));
    medianNoise = MedianOf(noises);
  }
  const auto source = [&](std::size_t i, int x, int y, long& ix, long& iy) {
    const PixelMap& m = maps0[i];
    ix = std::lround(m[0] * x + m[1] * y + m[2]);
    iy = std::lround(m[3] * x + m[4] * y + m[5]);
    return ix >= 0 && iy >= 0 && ix < w && iy < h;
  };

  // The static sky: the median of the registered, background-free frames;
  // and each pixel's weight from the scatter of the frames about it (a star's
  // photon noise and its resampling residuals): 1 on the sky, less on the stars.
  std::vector<float> staticSky(pixels, 0);
  std::vector<float> weight(pixels, 1);
  {
    std::vector<float> values(n);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::size_t c = 0;
        for (std::size_t i = 0; i < n; ++i) {
          long ix = 0, iy = 0;
          if (!source(i, x, y, ix, iy)) continue;
          const GraphicsFileObj& img = *series.Frames()[used[i]].input.image;
          values[c++] = static_cast<float>(img.pixels.Row(static_cast<std::int32_t>(iy))[static_cast<std::size_t>(ix)] -
                                           maps[i].Background(static_cast<double>(ix), static_cast<double>(iy)));
        }
        if (c == 0) continue;
        std::vector<float> v(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(c));
        const double m = MedianOf(v);
        staticSky[static_cast<std::size_t>(y * w + x)] = static_cast<float>(m);
        for (float& a : v) a = static_cast<float>(std::fabs(static_cast<double>(a) - m));
        const double scatter = kMadToSigma * MedianOf(v);
        if (c >= kWeightFrames && scatter > kWeightScatter * medianNoise)
          weight[static_cast<std::size_t>(y * w + x)] = static_cast<float>(std::pow(medianNoise / scatter, 2));
      }
  }
  // Each frame's SNR on the grid.
  const std::vector<double> kernel = Kernel(s);
  double kernel2 = 0;
  for (double a : kernel)
    for (double b : kernel) kernel2 += a * a * b * b;
  const double differenceNoise = std::sqrt(1 + kPi / (2 * static_cast<double>(n)));
  p.snr.assign(n, std::vector<std::int8_t>());
  for (std::size_t i = 0; i < n; ++i) {
    const GraphicsFileObj& img = *series.Frames()[used[i]].input.image;
    const double noise = maps[i].MedianNoise();
    std::vector<float> frame(pixels);
    std::vector<double> row;
    for (int y = 0; y < h; ++y) {
      maps[i].BackgroundRow(y, row);
      const auto pix = img.pixels.Row(y);
      for (int x = 0; x < w; ++x)
        frame[static_cast<std::size_t>(y * w + x)] = static_cast<float>(pix[static_cast<std::size_t>(x)] - row[static_cast<std::size_t>(x)]);
    }
    RepairDefects(frame, w, h, noise);
    std::vector<float> diff(pixels, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::size_t at = static_cast<std::size_t>(y * w + x);
        long ix = 0, iy = 0;
        if (!source(i, x, y, ix, iy)) continue;
        diff[at] = (frame[static_cast<std::size_t>(iy * w + ix)] - staticSky[at]) * weight[at];
      }
    Convolve(diff, w, h, kernel);
    // Near the frame's edge (on the grid) the filter reaches beyond the pixels: left out.
    {
      const int r = static_cast<int>(kernel.size() / 2);
      std::vector<std::uint8_t> covered(pixels, 0);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          long ix = 0, iy = 0;
          covered[static_cast<std::size_t>(y * w + x)] =
              source(i, x, y, ix, iy) && ix >= r && iy >= r && ix < w - r && iy < h - r;
        }
      for (std::size_t at = 0; at < pixels; ++at)
        if (!covered[at]) diff[at] = 0;
    }
    // A level left over (the static sky's median is not the frames' mean) is taken off.
    std::vector<float> level;
    for (std::size_t at = 0; at < pixels; at += 7)
      if (diff[at] != 0.0f) level.push_back(diff[at]);
    const double offset = MedianOf(level);
    for (std::size_t at = 0; at < pixels; ++at)
      if (diff[at] != 0.0f) diff[at] = static_cast<float>(static_cast<double>(diff[at]) - offset);
    const double scale = 1 / (noise * differenceNoise * std::sqrt(kernel2));
    std::vector<std::int8_t>& q = p.snr[i];
    q.resize(pixels);
    for (std::size_t at = 0; at < pixels; ++at) {
      const double v = std::clamp(static_cast<double>(diff[at]) * scale, -settings.clipSnr, settings.clipSnr);
      q[at] = static_cast<std::int8_t>(std::lround(std::clamp(v * kSnrSteps, -127.0, 127.0)));
    }
  }

  // The grid of motions.
  const double scale = series.ArcsecPerPixel();
  const double step = MotionGridStep(tLast - tFirst, s, settings.maxPeakLoss);
  // A motion of less than kMinTrailFwhm PSF widths over the series leaves the
  // object in the static sky: not searched.
  const double slowest = std::max(settings.rateMinArcsecPerMin / scale, kMinTrailFwhm * kFwhmPerSigma * s / (tLast - tFirst));
  out.slowestArcsecPerMin = slowest * scale;
  const auto grid = MotionGrid(slowest, settings.rateMaxArcsecPerMin / scale, step);
  out.motions = grid.size();
  out.gridStepPixelsPerMin = step;
  std::vector<std::int16_t> acc(pixels, 0);
  std::vector<Peak> peaks;
  std::vector<Level> noiseOf;
  for (std::size_t g = 0; g < grid.size(); ++g) {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (StackMotion(p, grid[g][0], grid[g][1], acc, x0, x1, y0, y1)) {
      const Level level = StackNoise(acc, w, x0, x1, y0, y1);
      if (level.sigma > 0) {
        const double limit = level.median + settings.snrThreshold * level.sigma;
        std::vector<Peak> found;
        for (int y = y0 + 1; y < y1; ++y)
          for (int x = x0 + 1; x < x1; ++x) {
            const std::int16_t* c = &acc[static_cast<std::size_t>(y * w + x)];
            const double v = *c;
            if (!(v > limit)) continue;
            if (v <= c[-1] || v < c[1] || v <= c[-w - 1] || v <= c[-w] || v <= c[-w + 1] || v < c[w - 1] || v < c[w] ||
                v < c[w + 1])
              continue;
            Peak pk;
            pk.x = x + Vertex(c[-1], v, c[1]);
            pk.y = y + Vertex(c[-w], v, c[w]);
            pk.snr = (v - level.median) / level.sigma;
            pk.vx = grid[g][0];
            pk.vy = grid[g][1];
            found.push_back(pk);
          }
        if (found.size() > kPeaksPerMotion) {
          std::nth_element(found.begin(), found.begin() + kPeaksPerMotion, found.end(),
                           [](const Peak& a, const Peak& b) { return a.snr > b.snr; });
          found.resize(kPeaksPerMotion);
        }
        for (const Peak& pk : found) {
          peaks.push_back(pk);
          noiseOf.push_back(level);
        }
      }
    }
    if (progress && !progress(g + 1, grid.size())) {
      out.failure = "Stopped.";
      return out;
    }
  }

  // Peaks into candidates, the strongest first.
  std::vector<std::size_t> order(peaks.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return peaks[a].snr > peaks[b].snr; });
  std::vector<Peak> clusters;
  std::vector<Level> clusterNoise;
  for (std::size_t i : order) {
    bool joined = false;
    for (const Peak& c : clusters)
      if (Explains(c, peaks[i], tFirst, tLast)) {
        joined = true;
        break;
      }
    if (joined) continue;
    clusters.push_back(peaks[i]);
    clusterNoise.push_back(noiseOf[i]);
    if (clusters.size() >= 4 * settings.maxCandidates) break;
  }
  std::vector<Peak> refined;
  for (std::size_t i = 0; i < clusters.size(); ++i) {
    const Peak r = Refine(p, clusters[i], step, clusterNoise[i]);
    bool twin = false;
    for (Peak& o : refined)
      if (Explains(o, r, tFirst, tLast) || Explains(r, o, tFirst, tLast)) {
        if (r.snr > o.snr) o = r;
        twin = true;
        break;
      }
    if (!twin) refined.push_back(r);
  }
  std::sort(refined.begin(), refined.end(), [](const Peak& a, const Peak& b) { return a.snr > b.snr; });
  if (refined.size() > settings.maxCandidates) refined.resize(settings.maxCandidates);
  const MatchResult& plate = series.Frames()[static_cast<std::size_t>(ref)].plate;
  for (const Peak& r : refined) {
    TrackCandidate c;
    const SkyMotion m = series.SkyRate(r.vx, r.vy);
    c.rateArcsecPerMin = m.rateArcsecPerMin;
    c.paDeg = m.paDeg;
    c.snr = r.snr;
    c.x = r.x;
    c.y = r.y;
    PixelToSky(plate, r.x, r.y, c.raHours, c.decDeg);
    c.jd = tref;
    c.pixelRateX = r.vx;
    c.pixelRateY = r.vy;
    out.candidates.push_back(c);
  }
  out.done = true;
  return out;
}

}  // namespace skarvel


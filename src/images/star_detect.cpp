#include "images/star_detect.h"

#include <algorithm>
#include <cmath>

#include "images/source_detect.h"
#include "images/star_measure.h"

namespace skarvel {

namespace {

// 1.4826 x the median absolute deviation estimates sigma of a normal distribution.
constexpr double kMadToSigma = 1.4826;
// Radius of the moment window that measures a star's shape, pixels.
constexpr int kShapeRadius = 3;
// The four neighbours of a star's peak carry at least this fraction of its
// height; a hot pixel or a cosmic ray hit stands alone.
constexpr double kMinNeighbourFraction = 0.15;
// A star whose short-axis second moment is below this fraction of the
// median of the well-measured candidates (peaks of at least
// kWellMeasuredSigma noise sigmas, when there are kFewestForTypical of them)
// is a cosmic ray hit. The moments of the faint ones are widened by the noise
// in their window: in a field of many faint stars they would set the median
// and the rule would take stars for cosmic rays.
constexpr double kMinTypicalWidthFraction = 0.35;
constexpr double kWellMeasuredSigma = 20;
constexpr std::size_t kFewestForTypical = 5;
// A peak within the blend radius of one at least 1 / kBlendRatio as high is a blend.
constexpr double kBlendRatio = 5;
// The centroid must stay this close to its peak, pixels.
constexpr double kMaxCentroidShift = 2.5;

double Median(std::vector<double>& v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

// The background on a grid of cells: per cell the median of every second
// pixel of every second row, and the noise as the median of the cells' MADs.
class Background {
 public:
  Background(const GraphicsFileObj& image, int cell) : cell_(std::max(8, cell)) {
    nx_ = (image.width + cell_ - 1) / cell_;
    ny_ = (image.height + cell_ - 1) / cell_;
    level_.assign(static_cast<std::size_t>(nx_ * ny_), 0);
    std::vector<double> mads;
    std::vector<double> values;
    for (int cy = 0; cy < ny_; ++cy)
      for (int cx = 0; cx < nx_; ++cx) {
        values.clear();
        const int y1 = std::min(image.height, (cy + 1) * cell_);
        const int x1 = std::min(image.width, (cx + 1) * cell_);
        for (int y = cy * cell_; y < y1; y += 2) {
          const auto row = image.pixels.Row(y);
          for (int x = cx * cell_; x < x1; x += 2) values.push_back(row[static_cast<std::size_t>(x)]);
        }
        const double median = Median(values);
        for (double& v : values) v = std::fabs(v - median);
        mads.push_back(Median(values));
        level_[static_cast<std::size_t>(cy * nx_ + cx)] = median;
      }
    // Cells covered by a bright star take the median of their neighbours.
    std::vector<double> smoothed(level_.size());
    for (int cy = 0; cy < ny_; ++cy)
      for (int cx = 0; cx < nx_; ++cx) {
        values.clear();
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x >= 0 && y >= 0 && x < nx_ && y < ny_) values.push_back(level_[static_cast<std::size_t>(y * nx_ + x)]);
          }
        smoothed[static_cast<std::size_t>(cy * nx_ + cx)] = Median(values);
      }
    level_ = std::move(smoothed);
    noise_ = kMadToSigma * Median(mads);
    std::vector<double> all = level_;
    median_ = Median(all);
  }

  // Bilinear between the cell centres.
  double At(int x, int y) const {
    const double fx = std::clamp((x + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(nx_ - 1));
    const double fy = std::clamp((y + 0.5) / cell_ - 0.5, 0.0, static_cast<double>(ny_ - 1));
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, nx_ - 1), y1 = std::min(y0 + 1, ny_ - 1);
    const double tx = fx - x0, ty = fy - y0;
    const auto L = [this](int cx, int cy) { return level_[static_cast<std::size_t>(cy * nx_ + cx)]; };
    return (1 - ty) * ((1 - tx) * L(x0, y0) + tx * L(x1, y0)) + ty * ((1 - tx) * L(x0, y1) + tx * L(x1, y1));
  }
  double Noise() const { return noise_; }
  double MedianLevel() const { return median_; }

 private:
  int cell_;
  int nx_ = 0, ny_ = 0;
  std::vector<double> level_;
  double noise_ = 0;
  double median_ = 0;
};

struct Peak {
  int x = 0, y = 0;
  double height = 0;  // above the background
};

// The fallback measure of a star whose centroid failed: a defect or a
// neighbour in the sky frame raises the centroid's threshold above the star.
// The position is the mean of the pixels above the background within
// kRobustRadius of the peak weighted by their height; the flux the inner
// square of the box less its pixel count times the median of the box's sky
// frame. False at the image's border.
constexpr int kRobustRadius = 2;

bool RobustMeasure(GraphicsFileObj& image, const BoxRecord& box, double floor, int x0, int y0, DetectedStar& out) {
  const int inner = box.peakHalfWidth, outer = box.peakHalfWidth + box.skyBorder;
  if (x0 < outer || y0 < outer || x0 >= image.width - outer || y0 >= image.height - outer) return false;
  double sw = 0, sx = 0, sy = 0, sum = 0;
  int count = 0;
  std::vector<double> ring;
  for (int y = y0 - outer; y <= y0 + outer; ++y) {
    const auto row = image.pixels.Row(y);
    for (int x = x0 - outer; x <= x0 + outer; ++x) {
      const double v = row[static_cast<std::size_t>(x)];
      const int dx = x - x0, dy = y - y0;
      if (std::abs(dx) <= inner && std::abs(dy) <= inner) {
        sum += v;
        ++count;
      } else {
        ring.push_back(v);
      }
      if (dx * dx + dy * dy <= kRobustRadius * kRobustRadius && v > floor) {
        sw += v - floor;
        sx += (v - floor) * x;
        sy += (v - floor) * y;
      }
    }
  }
  if (!(sw > 0)) return false;
  out.x = sx / sw;
  out.y = sy / sw;
  out.flux = sum - count * Median(ring);
  return true;
}

}  // namespace

std::vector<DetectedStar> DetectStars(GraphicsFileObj& image, const DetectSettings& settings,
                                      DetectStatistics* statistics) {
  DetectStatistics stats;
  std::vector<DetectedStar> stars;
  if (!image.HasImage() || image.width < 3 || image.height < 3) {
    if (statistics) *statistics = stats;
    return stars;
  }
  if (settings.matchedFilter) {
    SourceDetectSettings faint;
    faint.snrThreshold = static_cast<double>(settings.snrThreshold);
    faint.cellSize = settings.cellSize;
    faint.saturationLevel = settings.saturationLevel;
    SourceDetectStatistics found;
    MeasureView view;
    view.image = &image;
    view.clientWidth = image.width;
    view.clientHeight = image.height;
    for (const Source& source : DetectSources(image, faint, &found)) {
      if (source.saturated) continue;
      DetectedStar s;
      s.x = source.x;
      s.y = source.y;
      s.snr = source.snr;
      s.sigmaX = source.sigmaX;
      s.sigmaY = source.sigmaY;
      s.peak = source.peak;
      s.flux = BoxSum(view, settings.box, RoundEven(s.x), RoundEven(s.y), true);
      stars.push_back(s);
    }
    stats.background = found.background;
    stats.noise = found.noise;
    stats.peaks = found.maxima;
    stats.hotOrSharp = found.sharp;
    stats.saturated = found.saturated;
    stats.blended = found.merged;
    stats.psfSigma = found.psf.sigma;
    std::stable_sort(stars.begin(), stars.end(), [](const DetectedStar& a, const DetectedStar& b) { return a.flux > b.flux; });
    if (stars.size() > static_cast<std::size_t>(std::max(0, settings.maxStars)))
      stars.resize(static_cast<std::size_t>(std::max(0, settings.maxStars)));
    if (statistics) *statistics = stats;
    return stars;
  }
  const Background background(image, settings.cellSize);
  stats.background = background.MedianLevel();
  // A noiseless image still needs a positive step above its sky.
  const double noise = std::max(background.Noise(), 0.5);
  stats.noise = noise;
  const double threshold = static_cast<double>(settings.thresholdSigma) * noise;
  const std::int32_t brightest = image.maximum;
  const auto& px = image.pixels;

  // Local maxima: larger than the neighbours before, not smaller than those after.
  std::vector<Peak> peaks;
  for (int y = 1; y + 1 < image.height; ++y) {
    const auto above = px.Row(y - 1), row = px.Row(y), below = px.Row(y + 1);
    for (int x = 1; x + 1 < image.width; ++x) {
      const std::int32_t v = row[static_cast<std::size_t>(x)];
      const double floor = background.At(x, y);
      if (v - floor <= threshold) continue;
      const auto X = static_cast<std::size_t>(x);
      if (!(v > row[X - 1] && v >= row[X + 1] && v > above[X - 1] && v > above[X] && v > above[X + 1] &&
            v >= below[X - 1] && v >= below[X] && v >= below[X + 1]))
        continue;
      peaks.push_back({x, y, v - floor});
    }
  }
  stats.peaks = static_cast<std::int32_t>(peaks.size());
  std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) { return a.height > b.height; });

  // Blends, by a grid of buckets of the blend radius.
  const double blend = std::max<double>(1, static_cast<double>(settings.blendRadius));
  const int bucket = static_cast<int>(std::ceil(blend));
  const int bw = image.width / bucket + 1, bh = image.height / bucket + 1;
  std::vector<std::vector<int>> buckets(static_cast<std::size_t>(bw * bh));
  for (std::size_t i = 0; i < peaks.size(); ++i)
    buckets[static_cast<std::size_t>((peaks[i].y / bucket) * bw + peaks[i].x / bucket)].push_back(static_cast<int>(i));
  const auto blended = [&](std::size_t i) {
    const Peak& p = peaks[i];
    const int bx = p.x / bucket, by = p.y / bucket;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = bx + dx, y = by + dy;
        if (x < 0 || y < 0 || x >= bw || y >= bh) continue;
        for (int j : buckets[static_cast<std::size_t>(y * bw + x)]) {
          if (static_cast<std::size_t>(j) == i) continue;
          const Peak& q = peaks[static_cast<std::size_t>(j)];
          const double d2 = double(q.x - p.x) * (q.x - p.x) + double(q.y - p.y) * (q.y - p.y);
          if (d2 < blend * blend && q.height * kBlendRatio > p.height) return true;
        }
      }
    return false;
  };

  MeasureView view;
  view.image = &image;
  view.clientWidth = image.width;
  view.clientHeight = image.height;
  struct Shaped {
    std::size_t peak;
    double minor;  // second moment of the short axis, pixels squared
  };
  std::vector<Shaped> shaped;
  for (std::size_t i = 0; i < peaks.size(); ++i) {
    const Peak& p = peaks[i];
    const double floor = background.At(p.x, p.y);
    const auto V = [&](int x, int y) { return px.Row(y)[static_cast<std::size_t>(x)] - floor; };
    // Saturation: at or above the given level, or a flat top at the image's brightest value.
    const std::int32_t top = px.Row(p.y)[static_cast<std::size_t>(p.x)];
    bool flat = false;
    for (int dy = -1; dy <= 1 && !flat; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if ((dx || dy) && px.Row(p.y + dy)[static_cast<std::size_t>(p.x + dx)] == top) flat = true;
    if ((settings.saturationLevel > 0 && top >= settings.saturationLevel) || (flat && top >= brightest)) {
      ++stats.saturated;
      continue;
    }
    const double neighbours = (V(p.x - 1, p.y) + V(p.x + 1, p.y) + V(p.x, p.y - 1) + V(p.x, p.y + 1)) / 4;
    if (neighbours < kMinNeighbourFraction * p.height) {
      ++stats.hotOrSharp;
      continue;
    }
    // Shape from the second moments of the pixels above the background.
    double sw = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int y = std::max(0, p.y - kShapeRadius); y <= std::min(image.height - 1, p.y + kShapeRadius); ++y)
      for (int x = std::max(0, p.x - kShapeRadius); x <= std::min(image.width - 1, p.x + kShapeRadius); ++x) {
        const double w = V(x, y);
        if (w <= 0) continue;
        const double dx = x - p.x, dy = y - p.y;
        sw += w;
        sx += w * dx;
        sy += w * dy;
        sxx += w * dx * dx;
        syy += w * dy * dy;
        sxy += w * dx * dy;
      }
    if (sw <= 0) continue;
    const double mx = sx / sw, my = sy / sw;
    const double ixx = sxx / sw - mx * mx, iyy = syy / sw - my * my, ixy = sxy / sw - mx * my;
    const double half = (ixx + iyy) / 2, diff = std::sqrt(std::max(0.0, (ixx - iyy) * (ixx - iyy) / 4 + ixy * ixy));
    const double major = half + diff, minor = half - diff;
    if (minor < static_cast<double>(settings.minWidth * settings.minWidth)) {
      ++stats.hotOrSharp;
      continue;
    }
    if (major > minor * static_cast<double>(settings.maxElongation * settings.maxElongation)) {
      ++stats.elongated;
      continue;
    }
    shaped.push_back({i, minor});
  }
  // A cosmic ray hit of a few pixels is much sharper than the stars around it.
  std::vector<double> widths;
  for (const Shaped& c : shaped)
    if (peaks[c.peak].height >= kWellMeasuredSigma * noise) widths.push_back(c.minor);
  const double typical = widths.size() >= kFewestForTypical ? Median(widths) : 0;
  for (const Shaped& candidate : shaped) {
    const std::size_t i = candidate.peak;
    const Peak& p = peaks[i];
    if (candidate.minor < kMinTypicalWidthFraction * typical) {
      ++stats.hotOrSharp;
      continue;
    }
    if (blended(i)) {
      ++stats.blended;
      continue;
    }
    const auto c = Centroid(view, settings.box, p.x, p.y, true);
    DetectedStar s;
    s.peak = p.height;
    if (!c || std::hypot(static_cast<double>(c->x) - p.x, static_cast<double>(c->y) - p.y) > kMaxCentroidShift) {
      if (!settings.robustFallback || !RobustMeasure(image, settings.box, background.At(p.x, p.y), p.x, p.y, s)) {
        ++stats.centroidFailed;
        continue;
      }
    } else {
      s.x = c->x;
      s.y = c->y;
      s.flux = BoxSum(view, settings.box, RoundEven(c->x), RoundEven(c->y), true);
    }
    stars.push_back(s);
  }
  std::stable_sort(stars.begin(), stars.end(), [](const DetectedStar& a, const DetectedStar& b) { return a.flux > b.flux; });
  if (stars.size() > static_cast<std::size_t>(std::max(0, settings.maxStars)))
    stars.resize(static_cast<std::size_t>(std::max(0, settings.maxStars)));
  if (statistics) *statistics = stats;
  return stars;
}

}  // namespace skarvel

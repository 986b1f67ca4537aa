#include "images/star_measure.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundations/strings.h"
#include "images/fits_file.h"
#include "images/sbig_file.h"

namespace skarvel {

namespace {

std::int32_t ToInt(long double x) {
  if (!(x > -2147483648.0L)) return -2147483647 - 1;
  if (!(x < 2147483647.0L)) return 2147483647;
  return static_cast<std::int32_t>(x);
}

struct Square {
  std::int32_t x0, x1, y0, y1;  // inclusive, clipped
};

Square Clipped(const GraphicsFileObj& image, std::int32_t cx, std::int32_t cy, std::int64_t half) {
  const auto h = static_cast<std::int32_t>(std::clamp<std::int64_t>(half, 0, 1 << 30));
  return {std::max(cx - h, 0), std::min(cx + h, image.width - 1), std::max(cy - h, 0),
          std::min(cy + h, image.height - 1)};
}

bool Inside(const Square& s, std::int32_t x, std::int32_t y) {
  return x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1;
}

// Sums over the inner square and over the frame between it and the outer square.
struct BoxSums {
  long double inner = 0;
  std::int64_t innerCount = 0;
  long double frame = 0;
  long double frameSq = 0;
  std::int64_t frameCount = 0;
};

BoxSums SumBox(GraphicsFileObj& image, const BoxRecord& box, std::int32_t x, std::int32_t y) {
  BoxSums s;
  const std::int64_t p = box.peakHalfWidth;
  const Square inner = Clipped(image, x, y, p);
  const Square outer = Clipped(image, x, y, p + box.skyBorder);
  for (std::int32_t row = outer.y0; row <= outer.y1; ++row)
    for (std::int32_t col = outer.x0; col <= outer.x1; ++col) {
      const long double v = image.pixels.PixelAt(col, row);
      if (Inside(inner, col, row)) {
        s.inner += v;
        ++s.innerCount;
      } else {
        s.frame += v;
        s.frameSq += v * v;
        ++s.frameCount;
      }
    }
  return s;
}

}  // namespace

long double RoundEven(long double x) { return std::nearbyint(x); }

std::int64_t SaturationLevel(const GraphicsFileObj& image) {
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(&image)) {
    for (const HeaderCard& c : fits->Cards())
      if (c.keyword == "SATURATE")
        if (const auto v = ParseDecimal(c.value); v && *v > 0 && *v < 9.2e18L)
          return static_cast<std::int64_t>(std::floor(*v));
    const FITSHeader& h = fits->Header();
    long double top = 0;
    if (h.bitpix == 8) top = 255;
    else if (h.bitpix == 16) top = 32767;
    else if (h.bitpix == 32) top = 2147483647.0L;
    else return 0;
    const long double scaled = top * h.bscale + h.bzero;
    if (!(scaled > 0) || scaled > 9.2e18L) return 0;
    return static_cast<std::int64_t>(std::floor(scaled));
  }
  if (const auto* sbig = dynamic_cast<const SBIGFileObj*>(&image)) {
    if (sbig->Header().saturationLevel > 0) return sbig->Header().saturationLevel;
    return 65535;
  }
  return 0;
}

bool SaturatedAt(GraphicsFileObj& image, const BoxRecord& box, long double x, long double y, std::int64_t level) {
  if (level <= 0 || !image.HasImage()) return false;
  const Square s = Clipped(image, ToInt(RoundEven(x)), ToInt(RoundEven(y)), box.peakHalfWidth);
  for (std::int32_t row = s.y0; row <= s.y1; ++row)
    for (std::int32_t col = s.x0; col <= s.x1; ++col)
      if (image.pixels.PixelAt(col, row) >= level) return true;
  return false;
}

ScreenPoint Reflect(const MeasureView& view, long double x, long double y) {
  const GraphicsFileObj& image = *view.image;
  return {view.mirrorLeftRight ? image.width - x : x, view.mirrorUpDown ? image.height - y : y};
}

SkyStats SkyLevel(GraphicsFileObj& image, const BoxRecord& box, std::int32_t x, std::int32_t y) {
  const BoxSums s = SumBox(image, box, x, y);
  SkyStats sky;
  sky.count = s.frameCount;
  if (s.frameCount == 0) return sky;
  const long double n = static_cast<long double>(s.frameCount);
  sky.mean = s.frame / n;
  if (s.frameCount > 1) {
    const long double variance = (s.frameSq - s.frame * s.frame / n) / (n - 1);
    sky.sigma = variance > 0 ? std::sqrt(variance) : 0;
  }
  return sky;
}

long double BoxSum(const MeasureView& view, const BoxRecord& box, long double screenX, long double screenY,
                   bool subtractSky) {
  const std::int32_t x = ToInt(RoundEven(screenX / view.scale));
  const std::int32_t y = ToInt(RoundEven(screenY / view.scale));
  const BoxSums s = SumBox(*view.image, box, x, y);
  if (!subtractSky || s.frameCount == 0) return s.inner;
  return s.inner - static_cast<long double>(s.innerCount) * s.frame / static_cast<long double>(s.frameCount);
}

namespace {

// The thresholded centroid in file coordinates, from the click's file pixel.
std::optional<ScreenPoint> ClassicCentroid(const MeasureView& view, const BoxRecord& box, std::int32_t x0,
                                           std::int32_t y0) {
  GraphicsFileObj& image = *view.image;
  // 2. The threshold.
  long double threshold;
  if (view.readSkyForCentroid) {
    const SkyStats sky = SkyLevel(image, box, x0, y0);
    threshold = sky.mean + sky.sigma * box.skyCutoff;
  } else {
    threshold = image.histogram.StdDev() + image.displayLow;
  }
  // 3. The brightest pixel of the peak box, which follows the box on the screen.
  const auto h = static_cast<std::int64_t>(view.peakBoxOnScreen ? RoundEven(box.peakHalfWidth / view.scale)
                                                                 : box.peakHalfWidth);
  const Square peakBox = Clipped(image, x0, y0, h);
  long double best = 0;
  std::int32_t px = -1;
  std::int32_t py = -1;
  for (std::int32_t row = peakBox.y0; row <= peakBox.y1; ++row)
    for (std::int32_t col = peakBox.x0; col <= peakBox.x1; ++col) {
      const long double d = image.pixels.PixelAt(col, row) - threshold;
      if (d > best) {
        best = d;
        px = col;
        py = row;
      }
    }
  if (px < 0) return std::nullopt;
  // 4. Weighted passes over the round centroid region.
  const std::int32_t r = box.centroidRadius;
  long double cx = px;
  long double cy = py;
  for (int pass = 1; pass <= 10; ++pass) {
    const Square region = Clipped(image, px, py, r);
    long double sw = 0;
    long double swx = 0;
    long double swy = 0;
    for (std::int32_t row = region.y0; row <= region.y1; ++row)
      for (std::int32_t col = region.x0; col <= region.x1; ++col) {
        const long double dx = col - px;
        const long double dy = row - py;
        if (RoundEven(std::sqrt(dx * dx + dy * dy)) > r) continue;
        const long double v = image.pixels.PixelAt(col, row);
        if (!(v > threshold)) continue;
        const long double t = 1000.0L * (v - threshold);
        const long double w = t * t * t;
        sw += w;
        swx += w * col;
        swy += w * row;
      }
    if (sw <= 1e-5L) return std::nullopt;
    cx = swx / sw;
    cy = swy / sw;
    const std::int32_t rx = ToInt(RoundEven(cx));
    const std::int32_t ry = ToInt(RoundEven(cy));
    if ((rx == px && ry == py) || pass == 10) break;
    px = rx;
    py = ry;
  }
  return ScreenPoint{cx, cy};
}

// A fitted centroid needs this SNR in its window.
constexpr double kFittedMinSnr = 3;

std::optional<CentroidMeasure> Measure(const MeasureView& view, const BoxRecord& box, long double screenX,
                                       long double screenY, bool anywhere, bool uncertainty) {
  GraphicsFileObj& image = *view.image;
  if (!image.HasImage() || !(view.scale > 0)) return std::nullopt;
  if (!anywhere && (screenX >= view.clientWidth || screenY >= view.clientHeight)) return std::nullopt;
  // 1. The click in file coordinates.
  const ScreenPoint file = Reflect(view, RoundEven(screenX / view.scale), RoundEven(screenY / view.scale));
  const std::int32_t x0 = ToInt(file.x);
  const std::int32_t y0 = ToInt(file.y);
  const std::optional<ScreenPoint> classic = ClassicCentroid(view, box, x0, y0);
  CentroidMeasure out;
  std::optional<FittedPosition> fit;
  if (view.centroid != CentroidMethod::kClassic) {
    ScreenPoint start;
    if (classic) {
      start = *classic;
    } else {
      // The brightest 3 x 3 pixels of the peak box.
      const auto h = static_cast<std::int64_t>(RoundEven(box.peakHalfWidth / view.scale));
      const Square peakBox = Clipped(image, x0, y0, h);
      long double best = -1e300L;
      start = {static_cast<long double>(x0), static_cast<long double>(y0)};
      for (std::int32_t row = std::max(peakBox.y0, 1); row <= std::min(peakBox.y1, image.height - 2); ++row)
        for (std::int32_t col = std::max(peakBox.x0, 1); col <= std::min(peakBox.x1, image.width - 2); ++col) {
          long double sum = 0;
          for (int dy = -1; dy <= 1; ++dy) {
            const auto r = image.pixels.Row(row + dy);
            for (int dx = -1; dx <= 1; ++dx) sum += r[static_cast<std::size_t>(col + dx)];
          }
          if (sum > best) {
            best = sum;
            start = {static_cast<long double>(col), static_cast<long double>(row)};
          }
        }
    }
    const double reach = std::max(3.0, static_cast<double>(RoundEven(box.peakHalfWidth / view.scale)));
    fit = FitCentroid(image, view.centroid, static_cast<double>(start.x), static_cast<double>(start.y), view.psf,
                      reach);
    if (fit && (!(fit->snr >= kFittedMinSnr) || std::fabs(fit->x - x0) > reach || std::fabs(fit->y - y0) > reach))
      fit.reset();
  }
  ScreenPoint at;
  if (fit) {
    at = {fit->x, fit->y};
    out.fitted = true;
  } else if (classic) {
    at = *classic;
    PsfShape round = view.psf;
    round.trailLength = 0;
    if (uncertainty)
      fit = FitCentroid(image, CentroidMethod::kWindowed, static_cast<double>(at.x), static_cast<double>(at.y), round);
  } else {
    return std::nullopt;
  }
  if (fit) {
    out.sigmaX = fit->sigmaX;
    out.sigmaY = fit->sigmaY;
    out.snr = fit->snr;
  }
  // Back to display and screen coordinates.
  const ScreenPoint display = Reflect(view, at.x, at.y);
  out.at = ScreenPoint{display.x * view.scale, display.y * view.scale};
  return out;
}

}  // namespace

std::optional<CentroidMeasure> MeasureCentroid(const MeasureView& view, const BoxRecord& box, long double screenX,
                                               long double screenY, bool anywhere) {
  return Measure(view, box, screenX, screenY, anywhere, true);
}

std::optional<ScreenPoint> Centroid(const MeasureView& view, const BoxRecord& box, long double screenX,
                                    long double screenY, bool anywhere) {
  const auto m = Measure(view, box, screenX, screenY, anywhere, false);
  if (!m) return std::nullopt;
  return m->at;
}

}  // namespace skarvel

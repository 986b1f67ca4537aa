#include "astrometry/track_stack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

// Julian date of date-time value 0 (1899-12-30 00:00).
constexpr long double kDateTimeZeroJd = 2415018.5L;
// Modified Julian date = Julian date - this.
constexpr double kMjdOffset = 2400000.5;
constexpr double kDegPerRad = 57.295779513082320876798154814105;
// 1.4826 x the median absolute deviation is the standard deviation of normal values.
constexpr double kMadToSigma = 1.4826;

double Median(float* v, std::size_t n) {
  const std::size_t h = n / 2;
  std::nth_element(v, v + h, v + n);
  const double hi = v[h];
  if (n % 2 == 1) return hi;
  return 0.5 * (hi + static_cast<double>(*std::max_element(v, v + h)));
}

std::string Sexagesimal(std::string text) {
  std::replace(text.begin(), text.end(), ' ', ':');
  return text;
}

}  // namespace

std::string StackCombineName(StackCombine combine) { return combine == StackCombine::kMedian ? "MEDIAN" : "MEAN"; }

float CombineValues(float* values, std::size_t n, StackCombine combine) {
  if (n == 0) return 0;
  if (n == 1) return values[0];
  const double m = Median(values, n);
  if (combine == StackCombine::kMedian || n < 3) {
    if (combine == StackCombine::kMedian) return static_cast<float>(m);
    return static_cast<float>((static_cast<double>(values[0]) + static_cast<double>(values[1])) / 2);
  }
  // The deviations, kept apart from the values.
  float dev[kMaxSeriesFrames];
  for (std::size_t i = 0; i < n; ++i) dev[i] = static_cast<float>(std::fabs(static_cast<double>(values[i]) - m));
  const double sigma = kMadToSigma * Median(dev, n);
  const double limit = kStackClipSigma * sigma;
  double sum = 0;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (std::fabs(static_cast<double>(values[i]) - m) <= limit) {
      sum += static_cast<double>(values[i]);
      ++kept;
    }
  return kept == 0 ? static_cast<float>(m) : static_cast<float>(sum / static_cast<double>(kept));
}

double FrameSkyLevel(const GraphicsFileObj& image) {
  std::vector<float> sample;
  for (std::int32_t y = 0; y < image.height; y += 4) {
    const auto row = image.pixels.Row(y);
    for (std::size_t x = 0; x < row.size(); x += 4) sample.push_back(static_cast<float>(row[x]));
  }
  if (sample.empty()) return 0;
  return Median(sample.data(), sample.size());
}

std::string IsoTimeText(double jd) {
  const double value = DaysToDateTime(static_cast<long double>(jd) - kDateTimeZeroJd);
  const CalendarDate d = DecodeDate(value);
  const TimeOfDayObj t = DecodeTimeOfDay(value);
  const long ms = std::lround(static_cast<double>(t.seconds) * 1000);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02ld.%03ld", static_cast<int>(d.year), d.month, d.day,
                t.hour, t.minute, ms / 1000, ms % 1000);
  return text;
}

std::vector<std::string> StackHeaderCards(const FrameSeries& series, const StackResult& result,
                                          const StackSettings& settings) {
  std::vector<std::string> cards;
  const int r = series.ReferenceIndex();
  if (r < 0) return cards;
  const MatchResult& plate = series.Frames()[static_cast<std::size_t>(r)].plate;
  const auto& c = plate.toStandard;
  // The tangent point's pixel: where the plate's standard coordinates vanish.
  const long double det = c[0] * c[4] - c[1] * c[3];
  const double x0 = static_cast<double>((-c[4] * c[2] + c[1] * c[5]) / det);
  const double y0 = static_cast<double>((c[3] * c[2] - c[0] * c[5]) / det);
  if (!settings.object.empty()) cards.push_back(StringCard("OBJECT", settings.object));
  long double raC = 0, decC = 0;
  StandardToSky(c[0] * (series.Width() - 1) / 2.0L + c[1] * (series.Height() - 1) / 2.0L + c[2],
                c[3] * (series.Width() - 1) / 2.0L + c[4] * (series.Height() - 1) / 2.0L + c[5], plate.tangentRAHours,
                plate.tangentDecDeg, raC, decC);
  cards.push_back(StringCard("RA", Sexagesimal(FormatRA(raC, 3, false)), "image centre, hours"));
  cards.push_back(StringCard("DEC", Sexagesimal(FormatDec(decC, 2, false)), "image centre, degrees"));
  cards.push_back(StringCard("DATE-OBS", IsoTimeText(result.referenceJd), "reference time: mean mid-exposure"));
  cards.push_back(StringCard("TIMESYS", "UTC"));
  cards.push_back(RealCard("MJD-OBS", result.referenceJd - kMjdOffset, "reference time, UTC"));
  cards.push_back(RealCard("EXPTIME", result.exposureS, "sum of the exposures, seconds"));
  cards.push_back(StringCard("CTYPE1", "RA---TAN"));
  cards.push_back(StringCard("CTYPE2", "DEC--TAN"));
  cards.push_back(RealCard("CRVAL1", static_cast<double>(plate.tangentRAHours * 15)));
  cards.push_back(RealCard("CRVAL2", static_cast<double>(plate.tangentDecDeg)));
  // FITS pixels count from 1; the file's row j is y = j + 1.
  cards.push_back(RealCard("CRPIX1", x0 + 1));
  cards.push_back(RealCard("CRPIX2", y0 + 1));
  // xi (east) = -X, eta = Y, in degrees.
  cards.push_back(RealCard("CD1_1", static_cast<double>(-c[0]) * kDegPerRad));
  cards.push_back(RealCard("CD1_2", static_cast<double>(-c[1]) * kDegPerRad));
  cards.push_back(RealCard("CD2_1", static_cast<double>(c[3]) * kDegPerRad));
  cards.push_back(RealCard("CD2_2", static_cast<double>(c[4]) * kDegPerRad));
  cards.push_back(RealCard("EQUINOX", 2000.0));
  cards.push_back(RealCard("TRKRATE", result.motion.rateArcsecPerMin, "stacked along: arcsec per minute"));
  cards.push_back(RealCard("TRKPA", result.motion.paDeg, "stacked along: position angle, degrees"));
  cards.push_back(IntegerCard("NCOMBINE", result.frames, "frames stacked"));
  cards.push_back(StringCard("CMBMETHD", StackCombineName(settings.combine)));
  cards.push_back(StringCard("RESAMPLE", settings.resample == StackResample::kBilinear ? "BILINEAR" : "NEAREST"));
  for (const std::string& name : result.leftOut)
    for (const std::string& h : HistoryCards("Left out (no plate): " + name)) cards.push_back(h);
  return cards;
}

StackResult StackAlongMotion(const FrameSeries& series, const SkyMotion& motion, const StackSettings& settings,
                             const StackProgress& progress) {
  StackResult out;
  out.motion = motion;
  out.leftOut = series.LeftOut();
  if (series.ReferenceIndex() < 0) {
    out.failure = "No frame of the series has a plate.";
    return out;
  }
  const int w = series.Width(), h = series.Height();
  struct Used {
    const GraphicsFileObj* image;
    PixelMap map;
    double level;
  };
  std::vector<Used> used;
  double meanLevel = 0;
  for (std::size_t k = 0; k < series.Frames().size(); ++k) {
    const SeriesFrame& f = series.Frames()[k];
    if (!f.solved) continue;
    used.push_back({f.input.image, series.MapToFrame(k, motion), FrameSkyLevel(*f.input.image)});
    meanLevel += used.back().level;
    out.exposureS += f.input.exposureS;
  }
  meanLevel /= static_cast<double>(used.size());
  out.frames = static_cast<int>(used.size());
  out.referenceJd = series.ReferenceJd();

  out.image.width = w;
  out.image.height = h;
  out.image.bitpix = -32;
  out.image.pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), static_cast<float>(meanLevel));
  const std::int32_t strip = std::max<std::int32_t>(1, settings.stripRows);
  const std::size_t n = used.size();
  // values[(row offset * w + x) * n + frame]; count per pixel.
  std::vector<float> values(static_cast<std::size_t>(strip) * static_cast<std::size_t>(w) * n);
  std::vector<std::uint8_t> count(static_cast<std::size_t>(strip) * static_cast<std::size_t>(w));
  for (std::int32_t y0 = 0; y0 < h; y0 += strip) {
    const std::int32_t rows = std::min(strip, h - y0);
    std::fill(count.begin(), count.end(), 0);
    for (std::size_t k = 0; k < n; ++k) {
      const Used& u = used[k];
      const IntArrayList& px = u.image->pixels;
      for (std::int32_t j = 0; j < rows; ++j) {
        const double y = y0 + j;
        for (std::int32_t x = 0; x < w; ++x) {
          const double sx = u.map[0] * x + u.map[1] * y + u.map[2], sy = u.map[3] * x + u.map[4] * y + u.map[5];
          const std::size_t at = static_cast<std::size_t>(j) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
          double v = 0;
          if (settings.resample == StackResample::kNearest) {
            const long ix = std::lround(sx), iy = std::lround(sy);
            if (ix < 0 || iy < 0 || ix >= w || iy >= h) continue;
            v = px.Row(static_cast<std::int32_t>(iy))[static_cast<std::size_t>(ix)];
          } else {
            const double fx = std::floor(sx), fy = std::floor(sy);
            const long ix = static_cast<long>(fx), iy = static_cast<long>(fy);
            if (ix < 0 || iy < 0 || ix + 1 >= w || iy + 1 >= h) continue;
            const double ax = sx - fx, ay = sy - fy;
            const auto r0 = px.Row(static_cast<std::int32_t>(iy)), r1 = px.Row(static_cast<std::int32_t>(iy + 1));
            const auto c = static_cast<std::size_t>(ix);
            v = (1 - ay) * ((1 - ax) * r0[c] + ax * r0[c + 1]) + ay * ((1 - ax) * r1[c] + ax * r1[c + 1]);
          }
          values[at * n + count[at]] = static_cast<float>(v - u.level);
          ++count[at];
        }
      }
    }
    for (std::int32_t j = 0; j < rows; ++j)
      for (std::int32_t x = 0; x < w; ++x) {
        const std::size_t at = static_cast<std::size_t>(j) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
        if (count[at] == 0) continue;
        out.image.pixels[PixelIndex(x, y0 + j, w)] =
            static_cast<float>(meanLevel + static_cast<double>(CombineValues(&values[at * n], count[at], settings.combine)));
      }
    if (progress && !progress(y0 + rows, h)) {
      out.failure = "Stopped.";
      out.image = CalibFrame{};
      return out;
    }
  }
  out.image.cards = StackHeaderCards(series, out, settings);
  out.made = true;
  return out;
}

}  // namespace skarvel

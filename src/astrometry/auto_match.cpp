#include "astrometry/auto_match.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "astrometry/plate_solution.h"
#include "astrometry/reference_field.h"
#include "images/source_detect.h"

namespace skarvel {

namespace {

// The image is cut into kSpreadCells x kSpreadCells parts for the spread of the references.
constexpr int kSpreadCells = 3;
// Arc seconds in a radian, as the matcher's standard coordinates use it: 180 x 3600 / pi.
constexpr long double kArcsecInRadian = 206264.80624709636L;

}  // namespace

long double CameraArcsecPerPixel(const CameraRecord& camera) {
  if (!(camera.pixelWidthUm > 0) || !(camera.focalLengthMm > 0)) return 0;
  // micrometres / millimetres = 1e-3 radians
  return static_cast<long double>(camera.pixelWidthUm) / static_cast<long double>(camera.focalLengthMm) * 1e-3L *
         kArcsecPerRadian;
}

AutoMatchOutcome FindAutoReferences(const AutoMatchRequest& request, StarList& stars) {
  AutoMatchOutcome out;
  GraphicsFileObj* image = request.view.image;
  if (image == nullptr || !image->HasImage()) {
    out.reason = "No image is loaded.";
    return out;
  }
  DetectSettings detect = request.detect;
  // The image's own saturation level, where the view knows it, besides the flat tops.
  if (detect.saturationLevel == 0 && request.view.saturationLevel > 0)
    detect.saturationLevel = static_cast<std::int32_t>(std::min<std::int64_t>(request.view.saturationLevel, 2147483647));
  DetectStatistics statistics;
  const std::vector<DetectedStar> detected = DetectStars(*image, detect, &statistics);
  out.psfSigma = statistics.psfSigma;
  out.detected = detected.size();
  out.stars = detected;
  std::vector<ImageStar> found;
  for (const DetectedStar& d : detected) {
    const ScreenPoint p = Reflect(request.view, d.x, d.y);
    found.push_back({p.x, p.y});
  }
  std::vector<SkyStar> catalog;
  std::vector<std::int32_t> index;
  std::int32_t i = -1;
  stars.Reset();
  while (const CatalogStar* s = stars.Next()) {
    ++i;
    if (s->starClass != 0) continue;
    catalog.push_back({s->ra, s->dec, s->mag});
    index.push_back(i);
  }
  MatchSettings settings;
  settings.centreRAHours = request.centreRAHours;
  settings.centreDecDeg = request.centreDecDeg;
  settings.imageWidth = image->width;
  settings.imageHeight = image->height;
  settings.arcsecPerPixel = request.arcsecPerPixel;
  out.match = MatchStars(found, catalog, settings);
  if (!out.match.found) {
    out.reason = out.match.reason;
    return out;
  }
  out.found = true;
  for (const StarPair& p : out.match.pairs) {
    const ImageStar& s = found[static_cast<std::size_t>(p.image)];
    const DetectedStar& d = detected[static_cast<std::size_t>(p.image)];
    AutoReference r{index[static_cast<std::size_t>(p.catalog)], s.x, s.y, d.flux, d.sigmaX, d.sigmaY};
    if (!(r.sigmaX > 0) || !(r.sigmaY > 0)) {
      // The peak detector's centroid states none: the windowed centroid's at its place.
      const auto fit = FitCentroid(*image, CentroidMethod::kWindowed, static_cast<double>(d.x),
                                   static_cast<double>(d.y), PsfShape{static_cast<double>(statistics.psfSigma)});
      if (fit) {
        r.sigmaX = fit->sigmaX;
        r.sigmaY = fit->sigmaY;
      }
    }
    out.allPairs.push_back(r);
  }
  // Rounds over the ninths of the image, the brightest left in each.
  std::vector<std::vector<AutoReference>> cells(kSpreadCells * kSpreadCells);
  for (const AutoReference& r : out.allPairs) {
    const int cx = std::clamp(static_cast<int>(r.imageX * kSpreadCells / image->width), 0, kSpreadCells - 1);
    const int cy = std::clamp(static_cast<int>(r.imageY * kSpreadCells / image->height), 0, kSpreadCells - 1);
    cells[static_cast<std::size_t>(cy * kSpreadCells + cx)].push_back(r);
  }
  const auto limit = static_cast<std::size_t>(std::max(0, request.maxReferences));
  for (std::size_t round = 0; out.references.size() < limit; ++round) {
    bool any = false;
    for (const auto& cell : cells) {
      if (round >= cell.size() || out.references.size() >= limit) continue;
      out.references.push_back(cell[round]);
      any = true;
    }
    if (!any) break;
  }
  return out;
}

FrameDetections FrameSkyDetections(const AutoMatchOutcome& outcome, const MeasureView& view, StarList& stars,
                                   long double jd) {
  FrameDetections frame;
  frame.jd = jd;
  if (!outcome.found) return frame;
  GraphicsFileObj* image = view.image;
  if (image != nullptr) {
    frame.width = image->width;
    frame.height = image->height;
  }
  const MatchResult match = outcome.match;
  frame.skyToPixel = [match, view](long double ra, long double dec, long double& x, long double& y) {
    long double X = 0, Y = 0;
    if (!StandardArcsec(ra, dec, match.tangentRAHours, match.tangentDecDeg, X, Y)) return false;
    // Standard coordinates (radians) to the display pixel: the inverse of the match's affine part.
    const auto& c = match.toStandard;
    const long double u = X / kArcsecInRadian - c[2], v = Y / kArcsecInRadian - c[5];
    const long double det = c[0] * c[4] - c[1] * c[3];
    if (!(std::fabs(det) > 0)) return false;
    const ScreenPoint file = Reflect(view, (c[4] * u - c[1] * v) / det, (c[0] * v - c[3] * u) / det);
    x = file.x;
    y = file.y;
    return true;
  };
  if (image != nullptr) {
    // The measuring box's inner square less its pixel count times the
    // median of the frame around it: a cosmic ray or a neighbour in that
    // frame, which would carry a mean away, leaves the median alone.
    const BoxRecord box = DetectSettings{}.box;
    frame.fluxAt = [image, box](long double x, long double y) -> std::optional<long double> {
      const int inner = box.peakHalfWidth, outer = box.peakHalfWidth + box.skyBorder;
      const auto cx = static_cast<int>(RoundEven(x)), cy = static_cast<int>(RoundEven(y));
      if (cx < outer || cy < outer || cx > image->width - 1 - outer || cy > image->height - 1 - outer) return std::nullopt;
      std::vector<long double> ring;
      long double sum = 0;
      int count = 0;
      for (int v = cy - outer; v <= cy + outer; ++v) {
        const auto row = image->pixels.Row(v);
        for (int u = cx - outer; u <= cx + outer; ++u) {
          const long double value = row[static_cast<std::size_t>(u)];
          if (std::abs(u - cx) <= inner && std::abs(v - cy) <= inner) {
            sum += value;
            ++count;
          } else {
            ring.push_back(value);
          }
        }
      }
      std::nth_element(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(ring.size() / 2), ring.end());
      return sum - count * ring[ring.size() / 2];
    };
    // The noise of that sum on empty sky: the pixels' sigma (from the median
    // absolute difference of neighbouring pixels over a sample of rows, which
    // stars and defects hardly move) times the root of the inner square's count.
    std::vector<double> steps;
    for (int v = 0; v < image->height; v += 7) {
      const auto row = image->pixels.Row(v);
      for (int u = 1; u < image->width; u += 3)
        steps.push_back(std::fabs(static_cast<double>(row[static_cast<std::size_t>(u)]) - row[static_cast<std::size_t>(u - 1)]));
    }
    if (!steps.empty()) {
      std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
      // MAD of a difference of two pixels: 0.6745 sigma x sqrt 2.
      const double sigma = steps[steps.size() / 2] / 0.6745 / std::sqrt(2.0);
      const int side = 2 * box.peakHalfWidth + 1;
      frame.boxNoise = sigma * side;
    }
  }
  if (image != nullptr && outcome.psfSigma > 0) {
    // The PSF forced at a place: the background and noise of the frame's map.
    const auto map = std::make_shared<const NoiseMap>(*image, DetectSettings{}.cellSize);
    const PsfShape shape{static_cast<double>(outcome.psfSigma)};
    frame.forcedAt = [image, map, shape](long double x, long double y) -> std::optional<ForcedResult> {
      const ForcedMeasure m = ForcedPhotometry(*image, *map, shape, static_cast<double>(x), static_cast<double>(y));
      if (!m.inside) return std::nullopt;
      return ForcedResult{m.flux, m.snr};
    };
  }
  for (const DetectedStar& d : outcome.stars) {
    SkyDetection s;
    s.x = d.x;
    s.y = d.y;
    s.flux = d.flux;
    s.snr = d.snr;
    s.sigmaArcsec = std::hypot(d.sigmaX, d.sigmaY) / std::sqrt(2.0L) * outcome.match.arcsecPerPixel;
    const ScreenPoint p = Reflect(view, d.x, d.y);
    PixelToSky(outcome.match, p.x, p.y, s.raHours, s.decDeg);
    frame.stars.push_back(s);
  }
  std::vector<long double> points;
  for (const AutoReference& r : outcome.allPairs) {
    const CatalogStar* c = stars.GetAt(r.fieldIndex);
    if (c != nullptr && r.flux > 0) points.push_back(c->mag + 2.5L * std::log10(r.flux));
  }
  if (!points.empty()) {
    std::nth_element(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(points.size() / 2), points.end());
    frame.zeroPoint = points[points.size() / 2];
  }
  return frame;
}

std::string AutoMatchRefusalText(const std::string& reason) {
  return "No trustworthy match of the catalog stars with the stars of the image was found." + std::string("\r\n\r\n") +
         reason + "\r\n\r\n" + "Select the reference stars on the Reference (left-hand) Display by hand.";
}

std::optional<std::vector<std::array<long double, 2>>> SelectAutoReferences(platform::Platform& ui,
                                                                            ReferenceFieldModel& field,
                                                                            const AutoMatchRequest& request) {
  AutoMatchOutcome outcome;
  {
    platform::BusyCursor busy(ui);
    outcome = FindAutoReferences(request, field.Field().Stars());
  }
  if (!outcome.found) {
    platform::Tell(ui, AutoMatchRefusalText(outcome.reason), "Auto-Match", platform::Icon::Warning);
    return std::nullopt;
  }
  field.Clear();
  std::vector<std::array<long double, 2>> positions;
  for (const AutoReference& r : outcome.references) {
    const auto pick = field.PickIndex(r.fieldIndex);
    if (!pick || !field.CompletePick(*pick, pick->reference.usePos, pick->reference.useMag)) continue;
    positions.push_back({r.imageX, r.imageY});
  }
  return positions;
}

}  // namespace skarvel

#include "astrometry/moving_search.h"

#include <cmath>
#include <cstdio>

#include "astrometry/auto_match.h"
#include "astrometry/report_identity.h"

namespace skarvel {

namespace {

std::string Fixed(long double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(v));
  return text;
}

}  // namespace

bool MovingObjectsSearch::Run(platform::Platform& ui, const std::vector<MovingFrameInput>& frames, StarList& stars,
                              long double arcsecPerPixel, const std::optional<KnownSearch>& known) {
  frames_.clear();
  candidates_.clear();
  known_.clear();
  trksub_.clear();
  if (frames.size() < 3 || frames.size() > 4) {
    platform::Tell(ui, "Moving objects are found in three or four images of one field.", kMovingCaption,
                   platform::Icon::Warning);
    return false;
  }
  for (std::size_t k = 1; k < frames.size(); ++k)
    if (!(frames[k].jd > frames[k - 1].jd)) {
      platform::Tell(ui, "The images must be loaded in the order of their times.", kMovingCaption,
                     platform::Icon::Warning);
      return false;
    }
  std::vector<FrameDetections> detections;
  std::vector<FrameField> fields;
  {
    platform::BusyCursor busy(ui);
    for (std::size_t k = 0; k < frames.size(); ++k) {
      const MovingFrameInput& f = frames[k];
      AutoMatchRequest request;
      request.view = f.view;
      request.centreRAHours = f.centreRAHours;
      request.centreDecDeg = f.centreDecDeg;
      request.arcsecPerPixel = arcsecPerPixel;
      request.detect = MovingDetectSettings();
      const AutoMatchOutcome outcome = FindAutoReferences(request, stars);
      if (!outcome.found) {
        platform::Tell(ui, "Image " + std::to_string(k + 1) + ": " + AutoMatchRefusalText(outcome.reason),
                       kMovingCaption, platform::Icon::Warning);
        return false;
      }
      detections.push_back(FrameSkyDetections(outcome, f.view, stars, f.jd));
      FrameField field;
      field.jd = f.jd;
      const GraphicsFileObj& image = *f.view.image;
      PixelToSky(outcome.match, image.width / 2.0L, image.height / 2.0L, field.centreRAHours, field.centreDecDeg);
      field.halfSizeDeg = std::hypot(image.width, image.height) * outcome.match.arcsecPerPixel / 3600 / 2;
      fields.push_back(field);
    }
  }
  frames_ = frames;
  candidates_ = FindMovingObjects(detections, FaintMovingSettings());
  known_.assign(candidates_.size(), std::nullopt);
  if (known && !candidates_.empty()) {
    if (auto named = IdentifyKnownObjects(ui, *known, fields, candidates_)) known_ = std::move(*named);
  }
  int unknown = 0;
  for (const auto& k : known_) trksub_.push_back(k ? std::string() : TemporaryDesignation(++unknown));
  return true;
}

std::string MovingObjectsSearch::ObjectText(std::size_t i) const {
  const auto& k = known_.at(i);
  if (!k) return trksub_.at(i);
  if (k->number) return "(" + std::to_string(*k->number) + ")" + (k->name.empty() ? "" : " " + k->name);
  return k->name.empty() ? k->designation : k->name;
}

std::vector<std::string> MovingObjectsSearch::Row(std::size_t i) const {
  const MovingCandidate& c = candidates_.at(i);
  const auto& k = known_.at(i);
  return {ObjectText(i),
          Fixed(c.rateArcsecPerMin, 2),
          Fixed(c.paDeg, 1),
          c.mag != 0 ? Fixed(c.mag, 1) : std::string(),
          Fixed(c.residualArcsec, 2),
          k ? Fixed(k->meanArcsec, 1) : std::string()};
}

ScreenPoint MovingObjectsSearch::DisplayPosition(std::size_t i, std::size_t k) const {
  const SkyDetection& p = candidates_.at(i).positions.at(k);
  return Reflect(frames_.at(k).view, p.x, p.y);
}

void MovingObjectsSearch::TakeAsTarget(std::size_t i, std::size_t k, ImageMeasurement& measurement,
                                       const BoxRecord& unknownBox) const {
  const ScreenPoint at = DisplayPosition(i, k);
  const MeasureView& view = frames_.at(k).view;
  if (!measurement.LocateTarget(view, unknownBox, at.x * view.scale, at.y * view.scale)) {
    measurement.target.imageX = at.x;
    measurement.target.imageY = at.y;
  }
  measurement.target.flux = 0;
  measurement.targetLocated = true;
}

}  // namespace skarvel

namespace skarvel {

bool MovingObjectsSearch::OfferHeaderObject(platform::Platform& ui, std::size_t i,
                                            const std::string& headerObject) const {
  if (known_.at(i)) return false;
  ObsParams named;
  named.objectName = headerObject;
  if (!ReportIdentityOf(named).Identified()) return false;
  return platform::Tell(ui,
                        "The moving object " + trksub_.at(i) + " is not one of the known objects.\r\n\r\nThe " +
                            "image header names the object \"" + headerObject + "\".\r\nMeasure it as " +
                            headerObject + "?",
                        kMovingCaption, platform::Icon::Question, platform::Buttons::YesNo) == platform::Answer::Yes;
}

void MovingObjectsSearch::NameTarget(std::size_t i, ObsParams& params, const std::string& headerObject) const {
  const auto& k = known_.at(i);
  params.number.clear();
  params.designation.clear();
  if (!k && !headerObject.empty()) {
    params.objectName = headerObject;
    const ReportIdentity id = ReportIdentityOf(params);
    params.number = id.number;
    params.designation = id.designation;
  } else if (!k) {
    params.objectName = trksub_.at(i);
  } else if (k->number) {
    params.number = std::to_string(*k->number);
    params.objectName = k->name;
  } else {
    params.objectName = k->name.empty() ? k->designation : k->name;
  }
}

}  // namespace skarvel

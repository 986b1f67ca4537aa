// The moving-object search of the loaded images as the candidates window
// runs it: every image matched to the field's catalog stars, its detections
// put on the sky, the candidates found and named after the known objects,
// the list's texts, the places to draw, and "Measure" taking a candidate as
// the target of every image.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/image_measurement.h"
#include "astrometry/known_objects.h"
#include "astrometry/moving_objects.h"
#include "astrometry/obs_params.h"
#include "catalogs/gsc_field.h"
#include "images/star_measure.h"
#include "platform/platform.h"

namespace skarvel {

/// Caption of the candidates window and of its messages.
inline constexpr const char* kMovingCaption = "Moving Objects";

/// One image of the search.
struct MovingFrameInput {
  MeasureView view;               ///< the image and how its window shows it
  long double jd = 0;             ///< mid-exposure Julian date
  long double centreRAHours = 0;  ///< the approximate centre (the pointing)
  long double centreDecDeg = 0;
};

class MovingObjectsSearch {
 public:
  /// Runs the search over three or four images in time order. A frame the
  /// catalog cannot be matched to is told ("Image n: " + the refusal, caption
  /// "Moving Objects", warning) and ends the search (false); fewer than three
  /// images, or images out of time order, are told likewise. `known`, when
  /// given, names the candidates (its search's own failures are told by it and
  /// leave them unnamed). Runs under the busy cursor.
  bool Run(platform::Platform& ui, const std::vector<MovingFrameInput>& frames, StarList& stars,
           long double arcsecPerPixel, const std::optional<KnownSearch>& known);

  const std::vector<MovingCandidate>& Candidates() const { return candidates_; }
  std::size_t Size() const { return candidates_.size(); }
  /// The known object candidate i is, when identified.
  const std::optional<KnownObject>& Known(std::size_t i) const { return known_.at(i); }
  /// The object: "(433) Eros" for a numbered one, the name or designation
  /// of another known one, else the temporary designation (trkSub) offered
  /// for the report ("SKV0001", ... in list order of the unknown ones).
  std::string ObjectText(std::size_t i) const;
  /// The list's columns: object, rate ("/min, 2 decimals), position angle
  /// (degrees, 1 decimal), magnitude (1 decimal; empty when unknown), fit
  /// residual (", 2 decimals), and the predicted minus measured mean (", 1
  /// decimal; empty for an unknown object).
  std::vector<std::string> Row(std::size_t i) const;
  /// Where candidate i lies in frame k: display image coordinates of that image's window.
  ScreenPoint DisplayPosition(std::size_t i, std::size_t k) const;
  /// "Measure": candidate i becomes the target of frame k's measurement: the
  /// unknown box's centroid near its place (the place itself when none is
  /// found there), flux 0, located; as "Identify Target" of the blink leaves it.
  void TakeAsTarget(std::size_t i, std::size_t k, ImageMeasurement& measurement, const BoxRecord& unknownBox) const;
  /// ... and names it in an image's observation parameters: a numbered known
  /// object by its number and name, another known one by its name (or
  /// designation), an unknown one by its temporary designation as the object
  /// name, which the report then gives as its trkSub. Number and designation
  /// are emptied first. With a `headerObject` (the object an image header
  /// names, which the person chose for an unknown candidate) an unknown one
  /// is named by it instead, with the number or designation it holds
  /// ("1620 GEOGRAPHOS" gives Number 1620).
  void NameTarget(std::size_t i, ObsParams& params, const std::string& headerObject = {}) const;
  /// For an unknown candidate i and a header that names an object: asks
  /// whether the measurement takes the header's object ("Moving Objects",
  /// Yes/No). True on Yes; false without asking for a known candidate, an
  /// empty header or one that names only a temporary designation.
  bool OfferHeaderObject(platform::Platform& ui, std::size_t i, const std::string& headerObject) const;

 private:
  std::vector<MovingFrameInput> frames_;
  std::vector<MovingCandidate> candidates_;
  std::vector<std::optional<KnownObject>> known_;
  std::vector<std::string> trksub_;
};

}  // namespace skarvel

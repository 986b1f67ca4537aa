#include "astrometry/headless_measurement.h"

#include "astrometry/auto_match.h"

namespace skarvel {

namespace {

// The reference field's picture for an image shown at scale 1: the width a
// screen twice the image's gives the reference window (its picture units
// only feed the picture-to-image fit, which Auto-Match does not need).
FieldGeometry PictureGeometry(const GraphicsFileObj& image) {
  return FieldWindowGeometry(false, 2 * (image.width + 8), image.width, image.height);
}

}  // namespace

HeadlessMeasurement::HeadlessMeasurement(platform::Platform& ui, OptionsRecord& options, GSCFieldObj& field,
                                         const FieldRequest& request, AstromObsObj& report)
    : ui_(ui), options_(options), field_(field), request_(request), report_(report) {}

bool HeadlessMeasurement::Measure(GraphicsFileObj& image, const ObsParams& params, long double targetX,
                                  long double targetY) {
  failure_.clear();
  params_ = params;
  measurement_ = ImageMeasurement(0);
  measurement_.NewImage(image.width, image.height, false, false);

  MeasureView view;
  view.image = &image;
  view.clientWidth = image.width;
  view.clientHeight = image.height;
  view.readSkyForCentroid = options_.readSkyForCentroid;
  view.saturationLevel = SaturationLevel(image);
  if (options_.centroidMethod <= kCentroidPsfFit) view.centroid = static_cast<CentroidMethod>(options_.centroidMethod);

  ReferenceFieldModel model(ui_, options_, field_, request_);
  model.InitField(PictureGeometry(image), false, nullptr);

  bool hintShown = true;  // the hint about more stars belongs to picking by hand
  bool added = false;
  SelectionHooks h;
  h.measurement = [this]() -> ImageMeasurement& { return measurement_; };
  h.view = [view] { return view; };
  h.fieldSelection = [&model]() -> std::vector<ReferenceStar>& { return model.Entries(); };
  h.solutionSettings = [this] {
    SolutionSettings s;
    s.centreRAHours = request_.params.centreRA;
    s.centreDecDeg = request_.params.centreDec;
    s.solutionType = options_.solutionType;
    s.cameraFilter = report_.camera.filter;
    s.expertMode = options_.expertMode;
    s.weightByUncertainty = WeightPlateByUncertainty(options_);
    return s;
  };
  h.addToReport = [this, &added] {
    observationIndex_ = report_.AddObservation(params_, measurement_.target, options_);
    measurement_.recorded = true;
    added = true;
  };
  h.autoMatch = [this, &model, view]() -> std::optional<std::vector<std::array<long double, 2>>> {
    AutoMatchRequest request;
    request.view = view;
    request.centreRAHours = request_.params.centreRA;
    request.centreDecDeg = request_.params.centreDec;
    request.arcsecPerPixel = CameraArcsecPerPixel(report_.camera);
    return SelectAutoReferences(ui_, model, request);
  };
  RefSelection selection(ui_, options_, hintShown, h);
  selection.showMagnifier = false;

  selection.StartSelection(0);
  selection.AutoMatch();
  if (selection.CurrentStep() != RefSelection::kUnknown) {
    failure_ = "Auto-Match found no reference stars to locate the target against.";
    return false;
  }
  selection.ImageClicked(targetX, targetY);
  if (!measurement_.targetLocated) {
    failure_ = "No target found at the given place.";
    return false;
  }
  selection.Ok();  // "Target Sky OK?": the answer of the platform
  for (const auto& spot : kHeadlessSkySpots) {
    if (selection.CurrentStep() != RefSelection::kSky) break;
    selection.ImageClicked(targetX + spot[0], targetY + spot[1]);
    selection.Ok();
  }
  if (selection.CurrentStep() == RefSelection::kSky) {
    failure_ = "Sky Border is Corrupted! - Read Sky Background";
    return false;
  }
  if (selection.CurrentStep() != RefSelection::kSolved) {
    failure_ = "Not Enough Reference Stars for Selected Solution Type!";
    return false;
  }
  selection.Ok();  // "Add to Report?"
  if (!added) {
    failure_ = "The measurement was not recorded on the report list.";
    return false;
  }
  return true;
}

}  // namespace skarvel

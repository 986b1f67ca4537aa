#include "astrometry/image_measurement.h"

#include <cmath>

namespace skarvel {

namespace {

// A display image position as the screen position BoxSum reads: reflected to
// file coordinates, then scaled.
ScreenPoint BoxPosition(const MeasureView& view, long double imageX, long double imageY) {
  const ScreenPoint file = Reflect(view, imageX, imageY);
  return {file.x * view.scale, file.y * view.scale};
}

}  // namespace

void ImageMeasurement::NewImage(std::int32_t width, std::int32_t height, bool mirrorLeftRight, bool mirrorUpDown) {
  targetLocated = false;
  referenceFound = false;
  referencesMeasured = false;
  recorded = false;
  fitValid = false;
  ResetTarget(mirrorLeftRight, mirrorUpDown);
  references.clear();
  centre = ReferenceStar{};
  centre.kind = kRefImageCentre;
  centre.number = 99;
  centre.id = "Field Center";
  centre.imageX = width / 2.0L;
  centre.imageY = height / 2.0L;
  constants_.clear();
}

bool ImageMeasurement::MeasureReference(const MeasureView& view, const BoxRecord& refBox, int k, long double screenX,
                                        long double screenY) {
  if (k < 1 || static_cast<std::size_t>(k) > references.size()) return false;
  ReferenceStar& r = references[static_cast<std::size_t>(k - 1)];
  const std::optional<CentroidMeasure> c = MeasureCentroid(view, refBox, screenX, screenY, false);
  if (!c) {
    r.usePos = false;
    r.useMag = false;
    r.kind = kRefNeither;
    r.measured = false;
    referenceFound = false;
    return false;
  }
  r.measured = true;
  referenceFound = true;
  r.imageX = c->at.x / view.scale;
  r.imageY = c->at.y / view.scale;
  r.sigmaX = c->sigmaX;
  r.sigmaY = c->sigmaY;
  if (k <= kMaxFit) {
    const auto i = static_cast<std::size_t>(k - 1);
    fitFieldX_[i] = r.fieldX;
    fitFieldY_[i] = r.fieldY;
    fitImageX_[i] = r.imageX;
    fitImageY_[i] = r.imageY;
  }
  if (k >= 3) FitAndPredict(k);
  return true;
}

void ImageMeasurement::FitAndPredict(int k) {
  // Only the stars found among the first k enter the fit: a star that could
  // not be located has no image position to pair with its picture position.
  std::vector<std::size_t> rows;
  const int last = k < kMaxFit ? k : kMaxFit;
  for (int i = 0; i < last; ++i)
    if (references[static_cast<std::size_t>(i)].measured) rows.push_back(static_cast<std::size_t>(i));
  if (rows.size() < 3) return;
  LstSqrObj solver;
  std::array<long double, 6> c{};
  for (int axis = 0; axis < 2; ++axis) {
    solver.Setup(static_cast<int>(rows.size()), 3);
    for (std::size_t j = 0; j < rows.size(); ++j) {
      const int row = static_cast<int>(j);
      solver.At(row, 0) = fitFieldX_[rows[j]];
      solver.At(row, 1) = fitFieldY_[rows[j]];
      solver.At(row, 2) = 1;
      solver.At(row, 3) = axis == 0 ? fitImageX_[rows[j]] : fitImageY_[rows[j]];
    }
    if (!solver.Solve()) return;  // the located stars lie on a line: nothing to predict from
    for (int u = 0; u < 3; ++u)
      c[static_cast<std::size_t>(axis * 3 + u)] = solver.Solution()[static_cast<std::size_t>(u)];
  }
  fit = c;
  fitValid = true;
  for (std::size_t i = static_cast<std::size_t>(k); i < references.size(); ++i) {
    ReferenceStar& r = references[i];
    r.imageX = fit[0] * r.fieldX + fit[1] * r.fieldY + fit[2];
    r.imageY = fit[3] * r.fieldX + fit[4] * r.fieldY + fit[5];
  }
}

std::optional<std::array<long double, 2>> ImageMeasurement::Predict(long double fieldX, long double fieldY) const {
  if (!fitValid) return std::nullopt;
  return std::array<long double, 2>{fit[0] * fieldX + fit[1] * fieldY + fit[2],
                                    fit[3] * fieldX + fit[4] * fieldY + fit[5]};
}

void ImageMeasurement::MeasureReferences(const MeasureView& view, const BoxRecord& refBox) {
  for (ReferenceStar& r : references) {
    if (!r.usePos && !r.useMag) continue;
    const std::optional<CentroidMeasure> c =
        MeasureCentroid(AtKnownPosition(view), refBox, r.imageX * view.scale, r.imageY * view.scale, false);
    if (!c) continue;  // keeps its previous position, uncertainty and flux
    r.imageX = c->at.x / view.scale;
    r.imageY = c->at.y / view.scale;
    r.sigmaX = c->sigmaX;
    r.sigmaY = c->sigmaY;
    const ScreenPoint at = BoxPosition(view, r.imageX, r.imageY);
    r.flux = BoxSum(view, refBox, at.x, at.y, true);
    r.measured = true;
    // A star whose core reached the saturation level has lost light and
    // shape: it is kept in the list, marked, and used for nothing.
    const ScreenPoint file = Reflect(view, r.imageX, r.imageY);
    r.saturated = SaturatedAt(*view.image, refBox, file.x, file.y, view.saturationLevel);
    if (r.saturated) {
      r.usePos = false;
      r.useMag = false;
      r.kind = kRefNeither;
    }
  }
  // A faint catalog star beside a bright one whose centre went over to the
  // bright one's image star is no measurement of itself: left out.
  constexpr long double kSameStarPixels = 1.0L;
  for (ReferenceStar& r : references) r.sameStarAs = 0;
  for (std::size_t i = 0; i < references.size(); ++i)
    for (std::size_t j = i + 1; j < references.size(); ++j) {
      ReferenceStar& a = references[i];
      ReferenceStar& b = references[j];
      if (!(a.usePos || a.useMag) || !(b.usePos || b.useMag) || !a.measured || !b.measured) continue;
      if (std::hypot(a.imageX - b.imageX, a.imageY - b.imageY) >= kSameStarPixels) continue;
      ReferenceStar& fainter = b.catMag >= a.catMag ? b : a;
      fainter.sameStarAs = (&fainter == &a ? b : a).number;
      fainter.usePos = false;
      fainter.useMag = false;
      fainter.kind = kRefNeither;
    }
  referencesMeasured = true;
}

bool ImageMeasurement::AllLocated() const {
  for (const ReferenceStar& r : references)
    if ((r.usePos || r.useMag) && !r.measured) return false;
  return true;
}

bool ImageMeasurement::LocateTarget(const MeasureView& view, const BoxRecord& unknownBox, long double screenX,
                                    long double screenY) {
  const std::optional<CentroidMeasure> c = MeasureCentroid(view, unknownBox, screenX, screenY, false);
  targetSigmaX = 0;
  targetSigmaY = 0;
  if (!c) {
    target.imageX = 0;
    target.imageY = 0;
    targetUse = false;
    targetLocated = false;
    return false;
  }
  target.imageX = c->at.x / view.scale;
  target.imageY = c->at.y / view.scale;
  if (c->fitted) {
    targetSigmaX = c->sigmaX;
    targetSigmaY = c->sigmaY;
  }
  targetMirrorLR_ = view.mirrorLeftRight;
  targetMirrorUD_ = view.mirrorUpDown;
  targetLocated = true;
  targetUse = true;
  return true;
}

void ImageMeasurement::ReadSkySpot(const MeasureView& view, const BoxRecord& refBox, long double screenX,
                                   long double screenY) {
  skyX = screenX / view.scale;
  skyY = screenY / view.scale;
  const ScreenPoint at = BoxPosition(view, skyX, skyY);
  skySum = BoxSum(view, refBox, at.x, at.y, false);
  skySpotRead = true;
}

bool ImageMeasurement::TargetFlux(const MeasureView& view, const BoxRecord& unknownBox, bool useSkySpot) {
  const ScreenPoint at = BoxPosition(view, target.imageX, target.imageY);
  long double flux;
  if (useSkySpot && skySpotRead) {
    // The sky is summed over a box of the target's size at the sky spot, so
    // that the two sums cover as many pixels; with equal boxes this is the
    // sum read with the spot.
    const ScreenPoint spot = BoxPosition(view, skyX, skyY);
    flux = BoxSum(view, unknownBox, at.x, at.y, false) - BoxSum(view, unknownBox, spot.x, spot.y, false);
  } else {
    flux = BoxSum(view, unknownBox, at.x, at.y, true);
  }
  if (flux >= 0) {
    target.flux = flux;
    target.catRA = std::sqrt(flux);
    return true;
  }
  target.flux = 0;
  target.catRA = 0;
  return false;
}

void ImageMeasurement::ResetTarget(bool mirrorLeftRight, bool mirrorUpDown) {
  target = ReferenceStar{};
  target.kind = kRefTarget;
  target.number = slot_;
  target.band = 8;
  targetUse = false;
  targetSigmaX = 0;
  targetSigmaY = 0;
  targetMirrorLR_ = mirrorLeftRight;
  targetMirrorUD_ = mirrorUpDown;
  plate.MarkUnsolved();
  ResetSkySpot();
}

void ImageMeasurement::ResetSkySpot() {
  skyX = 0;
  skyY = 0;
  skySum = 0;
  skySpotRead = false;
}

void ImageMeasurement::OrientationChanged(std::int32_t width, std::int32_t height, bool mirrorLeftRight,
                                          bool mirrorUpDown) {
  if (targetLocated) {
    if (mirrorLeftRight != targetMirrorLR_) target.imageX = width - target.imageX;
    if (mirrorUpDown != targetMirrorUD_) target.imageY = height - target.imageY;
  }
  targetMirrorLR_ = mirrorLeftRight;
  targetMirrorUD_ = mirrorUpDown;
}

bool ImageMeasurement::Solve(const SolutionSettings& settings, platform::Platform& ui) {
  plate.StartSolution(settings.centreRAHours, settings.centreDecDeg);
  for (const ReferenceStar& r : references) plate.AddPair(r);
  constants_.clear();
  if (!plate.SolvePlate(settings.solutionType, settings.weightByUncertainty)) return false;
  solvedType_ = settings.solutionType;
  constants_ = plate.PlateConstants(settings.solutionType);
  for (ReferenceStar& r : references) plate.ApplySolution(r, settings.solutionType);
  plate.ApplySolution(centre, settings.solutionType);
  if (targetLocated) {
    plate.ApplySolution(target, settings.solutionType);
    const PlateSolnObj::Errors e = plate.ErrorEstimates(settings.solutionType);
    // The target's own centring error (per axis, at the plate's scale) joins
    // the plate's in quadrature.
    const long double own = TargetCentringArcsec();
    target.resRA = own > 0 ? std::sqrt(e.ra * e.ra + own * own) : e.ra;
    target.resDec = own > 0 ? std::sqrt(e.dec * e.dec + own * own) : e.dec;
    target.resTotal = own > 0 ? std::sqrt(e.total * e.total + 2 * own * own) : e.total;
    std::vector<ReferenceStar*> refs;
    refs.reserve(references.size());
    for (ReferenceStar& r : references) refs.push_back(&r);
    MagnitudeSolution(target, refs, settings.cameraFilter, settings.expertMode, ui, magnitude);
  }
  return true;
}

long double ImageMeasurement::TargetCentringArcsec() const {
  if (constants_.empty()) return 0;
  return std::hypot(targetSigmaX, targetSigmaY) / std::sqrt(2.0L) * ArcsecPerPixel();
}

long double ImageMeasurement::ArcsecPerPixel() const {
  const auto m = static_cast<std::size_t>(UnknownCount(solvedType_));
  if (constants_.size() < 2 * m) return 0;
  const long double det = constants_[0] * constants_[m + 1] - constants_[m] * constants_[1];
  return std::sqrt(std::fabs(det)) * kArcsecPerRadian;
}

std::optional<std::array<long double, 2>> ImageMeasurement::SkyAt(long double imageX, long double imageY) {
  if (!plate.Solved()) return std::nullopt;
  ReferenceStar scratch;
  scratch.kind = kRefNeither;
  scratch.imageX = imageX;
  scratch.imageY = imageY;
  plate.ApplySolution(scratch, solvedType_);
  return std::array<long double, 2>{scratch.fitRA, scratch.fitDec};
}

std::vector<MeasureMarker> ImageMeasurement::Markers(int locateIndex) const {
  std::vector<MeasureMarker> out;
  // While the first three stars are located only those already confirmed
  // are drawn, and the star just clicked in the current-reference colour.
  if (locateIndex >= 1) {
    for (std::size_t i = 0; i < references.size(); ++i) {
      const auto index = static_cast<int>(i);
      const ReferenceStar& r = references[i];
      if (locateIndex <= 3 && index > locateIndex - 2 && !(index == locateIndex - 1 && r.measured)) continue;
      MeasureMarker m;
      m.label = std::to_string(r.number);
      m.colour = index < locateIndex - 1 ? MeasureMarker::Colour::Mark : MeasureMarker::Colour::CurrentReference;
      m.showInMagnifier = r.measured;
      m.imageX = r.imageX;
      m.imageY = r.imageY;
      out.push_back(m);
    }
  }
  if (targetLocated) {
    MeasureMarker m;
    m.label = "U";
    m.showInMagnifier = targetUse;
    m.imageX = target.imageX;
    m.imageY = target.imageY;
    out.push_back(m);
  }
  if (skySpotRead) {
    MeasureMarker m;
    m.label = "S";
    m.withSkyBorder = false;
    m.imageX = skyX;
    m.imageY = skyY;
    out.push_back(m);
  }
  return out;
}

}  // namespace skarvel

// The measurement state of one image window: its reference list, the target
// record and its sky spot, the picture-to-image fit that predicts where the
// remaining reference stars lie, the plate solution and the magnitude record,
// and the steps that fill them from clicks in the window.
//
// Positions stored here (ImageX/ImageY, the target, the sky spot) are display
// image coordinates: image pixels in the orientation shown. Clicks arrive in
// screen coordinates of the window's client area (display x scale).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/plate_solution.h"
#include "astrometry/reference_star.h"
#include "astrometry/solution_report.h"
#include "images/box_record.h"
#include "images/star_measure.h"
#include "platform/platform.h"

namespace skarvel {

/// A marker the image window draws over its picture.
struct MeasureMarker {
  enum class Colour { Mark, CurrentReference };
  std::string label;           ///< the reference's Number, "U" or "S"
  Colour colour = Colour::Mark;
  bool showInMagnifier = false;
  bool withSkyBorder = true;
  long double imageX = 0;      ///< display image coordinates
  long double imageY = 0;
};

/// What the solution sequence needs besides the window's own state.
struct SolutionSettings {
  long double centreRAHours = 0;   ///< the field centre of the field parameters
  long double centreDecDeg = 0;
  std::uint8_t solutionType = 0;   ///< 0 linear, 1 cross term, 2 full quadratic
  std::uint8_t cameraFilter = 8;   ///< FilterCode of the report's camera record
  bool expertMode = false;
  /// Weight the plate's stars by their measured uncertainties (the options' flag at 6943).
  bool weightByUncertainty = false;
};

class ImageMeasurement {
 public:
  static constexpr int kMaxFit = 100;  ///< rows of the picture-to-image fit

  explicit ImageMeasurement(int slot = 0) : slot_(slot) { ResetTarget(false, false); }

  // ---- the state the windows and the selection dialog read and change ----
  std::vector<ReferenceStar> references;  ///< the image's reference list
  ReferenceStar target;                   ///< Kind 6, Number = slot index
  ReferenceStar centre;                   ///< Kind 4, Number 99, "Field Center"
  bool targetLocated = false;
  bool targetUse = false;
  /// The target centroid's one-sigma uncertainty per axis, image pixels,
  /// when a fitted centroid located it (0: unknown, the box's centroid).
  /// The solution combines it with the plate's sigmas.
  long double targetSigmaX = 0, targetSigmaY = 0;
  /// That uncertainty per axis in arc seconds at the solved plate's scale; 0 when unknown or unsolved.
  long double TargetCentringArcsec() const;
  bool referenceFound = false;            ///< the star being located was found
  bool referencesMeasured = false;        ///< all listed stars re-centred and measured
  bool skySpotRead = false;
  long double skyX = 0, skyY = 0;         ///< the sky spot, display image coordinates
  long double skySum = 0;                 ///< sum of the reference box at the sky spot
  bool recorded = false;                  ///< the measurement is in the report list
  PlateSolnObj plate;
  AstromMagObj magnitude;
  std::array<long double, 6> fit{};       ///< c1..c6 of the picture-to-image fit
  bool fitValid = false;

  int Slot() const { return slot_; }
  void SetSlot(int slot) { slot_ = slot; }

  /// A new image in the window: the target reset, the reference list
  /// emptied, the image-centre record at (width / 2, height / 2).
  void NewImage(std::int32_t width, std::int32_t height, bool mirrorLeftRight, bool mirrorUpDown);

  /// Locates reference star number k (1-based) near a click. Failure: the
  /// record is turned off (Kind 3, not measured) and the reference-found flag
  /// cleared. Success: its ImageX/ImageY take the centroid; from k = 3 on the
  /// linear fit of the first k stars predicts the records after them. False
  /// when k is outside the list.
  bool MeasureReference(const MeasureView& view, const BoxRecord& refBox, int k, long double screenX,
                        long double screenY);
  /// Re-centres every reference used for position or magnitude at its stored
  /// position and measures its flux; a star with a pixel of its box at the
  /// view's saturation level is marked saturated and turned off (Kind 3, not
  /// used for position or magnitude); of two references whose centres lie
  /// within a pixel the fainter is turned off likewise (sameStarAs). Then
  /// the references-measured flag is set.
  void MeasureReferences(const MeasureView& view, const BoxRecord& refBox);
  /// Locates the target near a click; false (target cleared) when no star is
  /// found. With a fitted centroid its uncertainty is kept (targetSigmaX/Y).
  bool LocateTarget(const MeasureView& view, const BoxRecord& unknownBox, long double screenX, long double screenY);
  /// The sky spot at a click (no centroid) and the sum of the reference box there.
  void ReadSkySpot(const MeasureView& view, const BoxRecord& refBox, long double screenX, long double screenY);
  /// The target's flux, against the sky spot when asked and read, else against
  /// its own sky frame. False (and the root of the flux 0) when the flux is negative.
  bool TargetFlux(const MeasureView& view, const BoxRecord& unknownBox, bool useSkySpot);
  /// The target record of a new image: Kind 6, Number = slot, everything 0,
  /// Band 8; not used; the plate unsolved; no sky spot.
  void ResetTarget(bool mirrorLeftRight, bool mirrorUpDown);
  /// Clears the sky spot (position, sum and flag).
  void ResetSkySpot();
  /// The display orientation changed: a located target is reflected on the
  /// axis whose flag changed, so that it stays on the same star.
  void OrientationChanged(std::int32_t width, std::int32_t height, bool mirrorLeftRight, bool mirrorUpDown);

  /// Every reference of the list has been located (Measured, or turned off).
  bool AllLocated() const;
  /// The picture-to-image fit applied to a reference-field position.
  std::optional<std::array<long double, 2>> Predict(long double fieldX, long double fieldY) const;

  /// The solution sequence without its sky step: the plate from every
  /// reference, applied to the references, the image centre and (when
  /// located) the target with its error estimates and magnitude. False when
  /// the plate cannot be solved (the caller reports it).
  bool Solve(const SolutionSettings& settings, platform::Platform& ui);
  /// The current model's coefficients, after Solve.
  const std::vector<long double>& Constants() const { return constants_; }
  std::uint8_t SolvedType() const { return solvedType_; }
  /// The plate scale of the solution, sqrt|dX/dx dY/dy - dY/dx dX/dy| x 206264.8
  /// (arc seconds per pixel); 0 before a solution.
  long double ArcsecPerPixel() const;
  /// Sky position of a display image position by the solved plate; nothing when not solved.
  std::optional<std::array<long double, 2>> SkyAt(long double imageX, long double imageY);

  /// The markers of the current state. `locateIndex` is the selection
  /// dialog's counter (99 once all are located, 0 before locating): while it
  /// is at most 3, only the stars before it and the current one, once
  /// found, are drawn; from 4 on every reference (predicted ones as boxes).
  std::vector<MeasureMarker> Markers(int locateIndex) const;

 private:
  void FitAndPredict(int k);

  int slot_ = 0;
  bool targetMirrorLR_ = false;
  bool targetMirrorUD_ = false;
  std::array<long double, kMaxFit> fitFieldX_{}, fitFieldY_{}, fitImageX_{}, fitImageY_{};
  std::vector<long double> constants_;
  std::uint8_t solvedType_ = 0;
};

}  // namespace skarvel

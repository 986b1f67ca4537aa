// The reference field: the catalog stars of the loaded field drawn as a
// synthetic star picture on the gnomonic projection of the field, and the
// selection of reference stars picked in it.
//
// Usage (what the reference-field window does):
//   1. ReferenceFieldModel model(ui, options, field, request);
//   2. model.InitField(geometry, chart);        // after every field load
//   3. model.Picture() is drawn; model.Selection() gives the markers.
//   4. A left click while AddRemove: auto pick = model.BeginPick(x, y);
//      show the "Reference Star" dialog from MakeRefInfoView(*pick, ...);
//      on OK model.CompletePick(*pick, usePos, useMag).
// Nothing here draws on a screen; the picture is a plain RGB buffer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/chart_content.h"
#include "astrometry/reference_star.h"
#include "catalogs/catalog_star.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "config/options.h"
#include "foundations/record_list.h"
#include "platform/platform.h"

namespace skarvel {

// ---------------------------------------------------------------------------
// Constants of the picture

inline constexpr int kStarKernelSide = 21;   ///< a star image is 21 x 21 pixels
inline constexpr int kStarKernelHalf = 11;   ///< its centre is pixel 11 of 1..21
inline constexpr int kStarLevels = 11;       ///< levels 0 (largest) .. 10 (smallest)
inline constexpr int kKernelSkipBelow = 30;  ///< kernel grey values below this are not drawn
inline constexpr int kNonStellarRadius = 6;  ///< circle of a non-stellar object, pixels
inline constexpr std::int32_t kNonStellarSymbol = 99;
inline constexpr int kEphemerisCircleRadius = 8;           ///< chart mark of an ephemeris position, pixels
inline constexpr int kEphemerisFirstCross = 12;            ///< half cross of the first ephemeris position, pixels
inline constexpr int kEphemerisCross = 8;                  ///< half cross of the other positions, pixels
inline constexpr int kObservationCross = 5;                ///< half diagonal cross of an observation, pixels
inline constexpr std::int32_t kMaxActiveReferences = 100;  ///< the fit arrays hold 100 stars
inline constexpr int kPickDistance = 100;                  ///< NearestStar's reach, picture units

/// Round to the nearest integer, halves to the even neighbour.
long double RoundHalfEven(long double x);

// ---------------------------------------------------------------------------
// Projection

/// The gnomonic projection of the field onto the picture.
struct FieldProjection {
  long double cx = 0, cy = 0;     ///< centre pixel, picture units
  long double ra0Hours = 0;       ///< field centre, hours
  long double dec0Deg = 0;        ///< degrees
  long double sx = 0;             ///< picture x units per unit of xi (negative: east is left)
  long double sy = 0;             ///< picture y units per unit of eta
  long double ra0 = 0, dec0 = 0;  ///< radians
  long double cosDec0 = 1, sinDec0 = 0;
  long double rotationDeg = 0;  ///< field rotation, degrees north through east

  /// Standard coordinates of (ra hours, dec degrees): xi = -cos d sin(a - a0) / D,
  /// eta = (sin d cos d0 - cos d sin d0 cos(a - a0)) / D with
  /// D = cos d cos d0 cos(a - a0) + sin d sin d0. False when the point lies
  /// on or behind the tangent plane's horizon (D <= 0); xi, eta are then left alone.
  bool Standard(long double raHours, long double decDeg, long double& xi, long double& eta) const;

  /// The picture position of a star: u = xi sx, v = eta sy,
  /// x = cx - (u cos t + v sin t), y = cy - (v cos t - u sin t), t the rotation.
  /// False (x, y untouched) when the star cannot be projected.
  bool Project(long double raHours, long double decDeg, long double& x, long double& y) const;
};

/// Sets up the projection for a picture of w x h units and a field of
/// `sizeArcmin` around (raHours, decDeg): cx = w / 2, cy = h / 2,
/// sx = w / (xi(a0 + S/1800 h) - xi(a0 - S/1800 h)) and sy = -sx, one scale
/// on both axes so that the picture shows the field as the CCD image shows
/// the sky (the field's width fits w; h shows what that scale reaches).
/// Where the RA span degenerates (a centre at a pole) the declination span
/// S/60 degrees fits w instead.
FieldProjection SetUpProjection(long double w, long double h, long double raHours, long double decDeg,
                                long double sizeArcmin, long double rotationDeg);

// ---------------------------------------------------------------------------
// Star images

/// One star image: 21 x 21 grey values, row-major (index (j - 1) * 21 + (i - 1)).
using StarKernel = std::array<std::uint8_t, kStarKernelSide * kStarKernelSide>;

/// The 11 star images: G(i, j) = round(10000 exp(-(a^2 + b^2) / 2)), a = (i - 11) / 1.7,
/// b = (j - 11) / 1.7; level L holds min(255, round(0.6^L G)).
std::array<StarKernel, kStarLevels> MakeStarKernels();

/// The zero point a field gets when it is 0: round(faintest - 9).
std::int32_t FieldZeroPoint(float faintestMag);

/// The star image level of a magnitude: round(mag) - zeroPoint clamped to 0..10.
std::int32_t StarLevel(float mag, std::int32_t zeroPoint);

// ---------------------------------------------------------------------------
// The picture buffer

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kRgbBlack{0, 0, 0};
inline constexpr Rgb kRgbWhite{255, 255, 255};
inline constexpr Rgb kRgbYellow{255, 255, 0};
inline constexpr Rgb kRgbCyan{0, 255, 255};

/// An RGB picture, row-major, 3 bytes per pixel. Writes outside are ignored.
class RgbPicture {
 public:
  RgbPicture() = default;
  RgbPicture(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb c);
  void Fill(Rgb c);
  /// Bitwise NOT of every byte.
  void Invert();
  /// Writes grey `g` only where the pixel is darker (its brightest channel below g).
  void Brighten(int x, int y, std::uint8_t g);
  /// The outline of a circle (midpoint algorithm).
  void Circle(int cx, int cy, int radius, Rgb c);
  /// A straight line from (x0, y0) to (x1, y1), both ends included.
  void Line(int x0, int y0, int x1, int y1, Rgb c);
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bytes_;
};

// ---------------------------------------------------------------------------
// Window geometry

/// Sizes of the picture: window pixels and picture units.
struct FieldGeometry {
  int clientWidth = 0;  ///< window pixels (the bitmap's size)
  int clientHeight = 0;
  long double zoom = 1;   ///< f: window pixels per picture unit
  long double width = 0;  ///< picture units
  long double height = 0;

  /// Window pixel of a picture unit (the image window's zoom).
  long double ToWindow(long double units) const { return units * zoom; }
  long double ToPicture(long double pixels) const { return pixels / zoom; }
};

/// Picture units make the picture half the screen width wide. Chart mode: a
/// square window of half the screen width, f = 1. Otherwise the window takes
/// the image window's client size (512 x 512 when there is none), f = client
/// width / (half the screen width), and the picture is (half the screen
/// width) x (client height / f) units.
FieldGeometry FieldWindowGeometry(bool chartMode, int screenWidth, int imageClientWidth, int imageClientHeight);

/// A star's window position: the zoomed value rounded, mirrored within the
/// client area by the reversals. Values are kept within +-1e6 pixels.
struct WindowPixel {
  std::int32_t x = 0, y = 0;
};
WindowPixel ToScreen(const FieldGeometry& g, long double fieldX, long double fieldY, bool reverseEW, bool reverseNS);

// ---------------------------------------------------------------------------
// Rendering

/// What a rendering draws from.
struct RenderRequest {
  const FieldParameters* params = nullptr;
  FieldGeometry geometry;
  std::int32_t zeroPoint = 0;  ///< 0: computed from `faintestMag`
  float faintestMag = 0;
  bool inverted = false;
  bool chartMode = false;
  const ChartContent* chart = nullptr;  ///< chart marks (chart mode only); may be null
};

/// The result: the picture, the projection and the zero point used.
struct RenderResult {
  RgbPicture picture;
  FieldProjection projection;
  std::int32_t zeroPoint = 0;
};

/// Builds the picture of `stars` (their FieldX, FieldY, ScreenX, ScreenY and
/// Symbol are filled): black; in chart mode the chart marks first (positions
/// outside the picture skipped); each non-stellar object a white circle of
/// radius 6 (Symbol 99), each star its kernel by level (pixels below 30
/// skipped, grey values combined by maximum); inverted last when asked.
/// A star that cannot be projected keeps FieldX, FieldY far outside
/// (1e9) and is not drawn.
RenderResult RenderFieldPicture(const RenderRequest& request, StarList& stars);

// ---------------------------------------------------------------------------
// Colours and texts

/// Marker colour of a reference star by Kind: 0 lime (blue when inverted),
/// 1 red, 2 aqua, 3 and any other grey.
Rgb KindColour(std::uint8_t kind, bool inverted);

/// Kind of the use flags: 0 both, 1 position only, 2 magnitude only, 3 neither.
std::uint8_t KindOfFlags(bool usePos, bool useMag);

/// The Band a picked star gets, by its catalog and the colour choice: GSC 8;
/// UCAC3 choices 0..6 -> 0, 2, 3, 4, 5, 6, 7; USNO-B1.0 0..2 -> 0, 2, 3;
/// NOMAD 0..5 -> 0, 1, 2, 4, 5, 6; the other on-line catalogs the band of
/// their colour list (Gaia DR3 G; UCAC4 B, V, R, I, J, H, K, none), a choice
/// beyond it taking the first colour as their query does; any other catalog
/// 2 for a non-zero choice, else 0. A choice beyond the UCAC3 list gives 8.
std::uint8_t PickedBand(std::uint8_t catalog, std::uint8_t colourChoice);

/// "Reference Stars  -  RA: hh:mm:ss.s,   Dec: dd:mm:ss"; in chart mode the
/// designation takes the place of "Reference Stars".
std::string FieldWindowTitle(const FieldParameters& params, bool chartMode, const std::string& designation);

/// The colour line of the data list and the printout ("Color Selection: ..."),
/// by the catalog in use and the colour choice; "" for a choice beyond the list.
std::string ColourSelectionLine(const OptionsRecord& options, std::uint8_t colourChoice);

/// The catalog line of the data list ("Catalog - ...").
std::string CatalogLine(const OptionsRecord& options, const FieldParameters& params);

/// The "Reference Field Image Data" lines.
std::vector<std::string> ReferenceFieldDataLines(const OptionsRecord& options, const FieldRequest& request,
                                                 const GSCFieldObj& field, std::int32_t zeroPoint);

/// The header lines of the printout (chart lines first when the chart shows an ephemeris).
std::vector<std::string> ReferenceFieldPrintLines(const OptionsRecord& options, const FieldRequest& request,
                                                  const GSCFieldObj& field, bool chartMode, const ChartContent* chart);

// ---------------------------------------------------------------------------
// The "Reference Star" dialog's content

/// A pick waiting for the "Reference Star" dialog.
struct PickCandidate {
  std::int32_t index = -1;  ///< index of the star in the field list
  CatalogStar star;         ///< the star, unmirrored
  ReferenceStar reference;  ///< the prepared entry (FieldX, FieldY in displayed orientation)
  bool existing = false;    ///< an entry with the same Id is in the Selection ("&Remove" enabled)
  WindowPixel marker;       ///< window pixel of the magenta highlight
};

/// The texts and states of the "Reference Star" dialog.
struct RefInfoView {
  std::string caption;     ///< "Reference Star" or "Non-Stellar Object"
  bool idMagenta = false;  ///< the identifier in magenta (non-stellar object)
  std::string catalog, id, entries, ra, dec, posErr, mag, magErr, band;
  bool magMagenta = false;  ///< magnitude error "Large!"
  bool usePos = false, useMag = false;
  bool checkBoxesVisible = true;
  bool cancelEnabled = true;
  bool removeEnabled = false;
};

RefInfoView MakeRefInfoView(const PickCandidate& pick, bool chartMode, bool gscOnACT);

/// Top-left corner of the "Reference Star" dialog: 30 pixels from the left
/// screen edge, below the window (`windowBottom`), kept 28 pixels above the
/// screen's bottom, and at the top of the screen when it would cover the
/// clicked point (`clickY`, screen pixels).
WindowPixel PlaceRefInfoDialog(int screenHeight, int windowBottom, int dialogHeight, int clickY);

// ---------------------------------------------------------------------------
// The model of the window

class ReferenceFieldModel {
 public:
  /// The Selection in selection order (appended); other windows may change
  /// the use flags of its entries, the counts follow them.
  using Selection = std::vector<ReferenceStar>;

  /// All references must outlive the model.
  ReferenceFieldModel(platform::Platform& ui, const OptionsRecord& options, GSCFieldObj& field,
                      const FieldRequest& request);

  /// After a field load: ZeroPoint 0; Inverted on in chart mode, else the
  /// `InvertRefDisplay` option; the picture rendered; AddRemove off; the
  /// Selection emptied with both counts 0.
  void InitField(const FieldGeometry& geometry, bool chartMode, const ChartContent* chart);

  /// Builds the picture for the current geometry, zero point and inversion;
  /// an empty field list shows "No Catalog Stars Found in Region." (warning).
  void Render();
  /// A new window size: the picture is rebuilt.
  void SetGeometry(const FieldGeometry& geometry);
  /// "Adjust Reference Display" OK: a changed zero point re-renders; otherwise
  /// a changed inversion only inverts the picture. True when anything changed.
  bool Adjust(std::int32_t zeroPoint, bool inverted);

  /// The first half of a pick at window pixel (x, y): the click in picture
  /// units, mirrored back, the nearest star within 100 units, the prepared
  /// entry. Nothing when no star is near.
  std::optional<PickCandidate> BeginPick(int x, int y);
  /// The same for the star at `index` of the field list (as the automatic
  /// matching picks); nothing when there is no such star.
  std::optional<PickCandidate> PickIndex(std::int32_t index);
  /// The dialog's OK with the flags it gives (in chart mode the star's own):
  /// a new star is appended unless 100 are active ("MaxRef Exceeded!"); an
  /// existing entry takes the flags and Kind, also refused when it would
  /// become the 101st active one. The picked field star keeps the flags. False when refused.
  bool CompletePick(const PickCandidate& pick, bool usePos, bool useMag);

  /// "&Restore": every entry and every field star get UsePos on and UseMag =
  /// `DefaultRefMags`; entries get Kind 0 or 1.
  void Restore();
  /// The Selection emptied, both counts 0.
  void Clear();

  Selection& Entries() { return selection_; }
  const Selection& Entries() const { return selection_; }
  /// The entry with this Id, or null.
  ReferenceStar* Find(const std::string& id);
  /// Number of entries.
  std::int32_t SelectedCount() const;
  /// Number of entries used for position or magnitude.
  std::int32_t ActiveCount() const;
  std::int32_t ZeroPoint() const { return zeroPoint_; }
  bool Inverted() const { return inverted_; }
  bool ChartMode() const { return chartMode_; }
  void SetChartMode(bool on) { chartMode_ = on; }
  void SetChart(const ChartContent* chart) { chart_ = chart; }
  const ChartContent* Chart() const { return chart_; }
  bool addRemove = false;
  const CatalogStar& PickedStar() const { return pickedStar_; }
  std::int32_t PickedIndex() const { return pickedIndex_; }
  const RgbPicture& Picture() const { return picture_; }
  const FieldProjection& Projection() const { return projection_; }
  const FieldGeometry& Geometry() const { return geometry_; }
  const FieldRequest& Request() const { return request_; }
  GSCFieldObj& Field() { return field_; }
  const OptionsRecord& Options() const { return options_; }

  /// The window pixel where an entry's marker is drawn: its FieldX, FieldY zoomed and rounded.
  WindowPixel MarkerPoint(const ReferenceStar& r) const;

 private:
  platform::Platform& ui_;
  const OptionsRecord& options_;
  GSCFieldObj& field_;
  const FieldRequest& request_;
  FieldGeometry geometry_;
  FieldProjection projection_;
  RgbPicture picture_;
  Selection selection_;
  std::int32_t zeroPoint_ = 0;
  bool inverted_ = false;
  bool chartMode_ = false;
  const ChartContent* chart_ = nullptr;
  CatalogStar pickedStar_;
  std::int32_t pickedIndex_ = -1;
};

}  // namespace skarvel

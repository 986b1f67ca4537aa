#include "astrometry/reference_field.h"

#include <algorithm>
#include <cmath>

#include "astrometry/info_list.h"
#include "catalogs/online_catalogs.h"
#include "foundations/angles.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

constexpr long double kStarSigma = 1.7L;                    ///< star image width, pixels
constexpr long double kKernelPeak = 10000.0L;               ///< base value at the kernel centre
constexpr long double kLevelFactor = 0.6L;                  ///< brightness step between levels
constexpr long double kZeroPointOffset = 9.0L;              ///< zero point = faintest - 9 magnitudes
constexpr long double kFarOutside = 1e9L;                   ///< FieldX of a star that cannot be projected
constexpr long double kScreenLimit = 1e6L;                  ///< window pixels kept within +-this
constexpr long double kArcminPerHalfFieldHours = 1800.0L;   ///< S / 1800 h is half the field in RA
constexpr long double kArcminPerHalfFieldDegrees = 120.0L;  ///< S / 120 degrees is half of it in Dec
constexpr int kDefaultClient = 512;                         ///< window side without an image window, pixels
constexpr int kMaxLevel = kStarLevels - 1;

int ToInt(long double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(v, -kScreenLimit, kScreenLimit));
}

/// Degrees with "deg sign + blank", "' " and a double-quote character.
std::string DecText(long double decDeg, int decimals) {
  return FormatDMS(decDeg, decimals, std::string(kDegreeSign) + " ", "' ", "\"");
}

enum class CatalogInUse { Online, LocalUCAC3, LocalOther };

CatalogInUse InUse(const OptionsRecord& o) {
  if (o.catalogLocation != kCatalogLocal) return CatalogInUse::Online;
  return o.primaryCatalog == kPrimaryUCAC3 ? CatalogInUse::LocalUCAC3 : CatalogInUse::LocalOther;
}

std::string Pick(const std::vector<std::string>& items, std::uint8_t index) {
  return index < items.size() ? items[index] : std::string();
}

}  // namespace

long double RoundHalfEven(long double x) {
  if (!std::isfinite(x)) return x;
  const long double f = std::floor(x);
  const long double d = x - f;
  if (d > 0.5L) return f + 1;
  if (d < 0.5L) return f;
  return std::fmod(f, 2.0L) == 0 ? f : f + 1;
}

// ------------------------------------------------------------------ projection

bool FieldProjection::Standard(long double raHours, long double decDeg, long double& xi, long double& eta) const {
  const long double a = raHours * 15.0L * kRadiansPerDegree;
  const long double d = decDeg * kRadiansPerDegree;
  const long double da = a - ra0;
  const long double cosD = std::cos(d), sinD = std::sin(d);
  const long double den = cosD * cosDec0 * std::cos(da) + sinD * sinDec0;
  if (!(den > 0)) return false;
  xi = -cosD * std::sin(da) / den;
  eta = (sinD * cosDec0 - cosD * sinDec0 * std::cos(da)) / den;
  return true;
}

bool FieldProjection::Project(long double raHours, long double decDeg, long double& x, long double& y) const {
  long double xi = 0, eta = 0;
  if (!Standard(raHours, decDeg, xi, eta)) return false;
  const long double u = xi * sx, v = eta * sy;
  const long double t = rotationDeg * kRadiansPerDegree;
  const long double px = cx - (u * std::cos(t) + v * std::sin(t));
  const long double py = cy - (v * std::cos(t) - u * std::sin(t));
  if (!std::isfinite(px) || !std::isfinite(py)) return false;
  x = px;
  y = py;
  return true;
}

FieldProjection SetUpProjection(long double w, long double h, long double raHours, long double decDeg,
                                long double sizeArcmin, long double rotationDeg) {
  FieldProjection p;
  p.cx = w / 2;
  p.cy = h / 2;
  p.ra0Hours = raHours;
  p.dec0Deg = decDeg;
  p.ra0 = raHours * 15.0L * kRadiansPerDegree;
  p.dec0 = decDeg * kRadiansPerDegree;
  p.cosDec0 = std::cos(p.dec0);
  p.sinDec0 = std::sin(p.dec0);
  p.rotationDeg = rotationDeg;
  const long double halfRA = sizeArcmin / kArcminPerHalfFieldHours;
  const long double halfDec = sizeArcmin / kArcminPerHalfFieldDegrees;
  long double xiE = 0, xiW = 0, etaN = 0, etaS = 0, unused = 0;
  const bool east = p.Standard(raHours + halfRA, decDeg, xiE, unused);
  const bool west = p.Standard(raHours - halfRA, decDeg, xiW, unused);
  // The picture is oriented and scaled like the CCD image beside it: one
  // scale on both axes, the one that fits the field's width into w (sx < 0:
  // xi decreases to the east, which is drawn on the left).
  constexpr long double kSmallestSpan = 1e-9L;  ///< standard coordinate units (radians on the sky)
  p.sx = east && west && std::fabs(xiE - xiW) > kSmallestSpan ? w / (xiE - xiW) : 0;
  if (!std::isfinite(p.sx) || p.sx == 0) {
    // At a pole the RA span of the field shrinks to nothing (cos 90 degrees
    // is only zero up to rounding): the field's declination span then fits w.
    const bool north = p.Standard(raHours, decDeg + halfDec, unused, etaN);
    const bool south = p.Standard(raHours, decDeg - halfDec, unused, etaS);
    p.sx = north && south && etaN != etaS ? -w / (etaN - etaS) : -1;
    if (!std::isfinite(p.sx) || p.sx == 0) p.sx = -1;
  }
  p.sy = -p.sx;
  return p;
}

// ------------------------------------------------------------------ star images

std::array<StarKernel, kStarLevels> MakeStarKernels() {
  std::array<StarKernel, kStarLevels> kernels{};
  for (int j = 1; j <= kStarKernelSide; ++j) {
    for (int i = 1; i <= kStarKernelSide; ++i) {
      const long double a = (i - kStarKernelHalf) / kStarSigma;
      const long double b = (j - kStarKernelHalf) / kStarSigma;
      const long double g = RoundHalfEven(kKernelPeak * std::exp(-(a * a + b * b) / 2));
      long double factor = 1;
      for (int level = 0; level < kStarLevels; ++level) {
        const long double v = std::min(255.0L, RoundHalfEven(factor * g));
        kernels[static_cast<std::size_t>(level)][static_cast<std::size_t>((j - 1) * kStarKernelSide + (i - 1))] =
            static_cast<std::uint8_t>(v);
        factor *= kLevelFactor;
      }
    }
  }
  return kernels;
}

std::int32_t FieldZeroPoint(float faintestMag) {
  return static_cast<std::int32_t>(RoundHalfEven(static_cast<long double>(faintestMag) - kZeroPointOffset));
}

std::int32_t StarLevel(float mag, std::int32_t zeroPoint) {
  const long double level = RoundHalfEven(static_cast<long double>(mag)) - zeroPoint;
  if (!(level > 0)) return 0;
  if (level > kMaxLevel) return kMaxLevel;
  return static_cast<std::int32_t>(level);
}

// ------------------------------------------------------------------ picture

RgbPicture::RgbPicture(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      bytes_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3, 0) {}

Rgb RgbPicture::At(int x, int y) const {
  if (!Inside(x, y)) return {};
  const std::size_t i =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
  return {bytes_[i], bytes_[i + 1], bytes_[i + 2]};
}

void RgbPicture::Set(int x, int y, Rgb c) {
  if (!Inside(x, y)) return;
  const std::size_t i =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
  bytes_[i] = c.r;
  bytes_[i + 1] = c.g;
  bytes_[i + 2] = c.b;
}

void RgbPicture::Fill(Rgb c) {
  for (std::size_t i = 0; i + 2 < bytes_.size(); i += 3) {
    bytes_[i] = c.r;
    bytes_[i + 1] = c.g;
    bytes_[i + 2] = c.b;
  }
}

void RgbPicture::Invert() {
  for (std::uint8_t& b : bytes_) b = static_cast<std::uint8_t>(~b);
}

void RgbPicture::Brighten(int x, int y, std::uint8_t g) {
  if (!Inside(x, y)) return;
  const Rgb c = At(x, y);
  if (std::max({c.r, c.g, c.b}) < g) Set(x, y, Rgb{g, g, g});
}

void RgbPicture::Circle(int cx, int cy, int radius, Rgb c) {
  int x = radius, y = 0, err = 1 - radius;
  while (x >= y) {
    for (const auto& [dx, dy] : {std::pair{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}})
      Set(cx + dx, cy + dy, c);
    ++y;
    if (err < 0) {
      err += 2 * y + 1;
    } else {
      --x;
      err += 2 * (y - x) + 1;
    }
  }
}

void RgbPicture::Line(int x0, int y0, int x1, int y1, Rgb c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += stepX;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += stepY;
    }
  }
}

// ------------------------------------------------------------------ geometry

FieldGeometry FieldWindowGeometry(bool chartMode, int screenWidth, int imageClientWidth, int imageClientHeight) {
  FieldGeometry g;
  const int half = std::max(screenWidth / 2, 1);
  g.width = half;
  if (chartMode) {
    g.clientWidth = half;
    g.clientHeight = half;
    g.zoom = 1;
    g.height = half;
    return g;
  }
  g.clientWidth = imageClientWidth > 0 ? imageClientWidth : kDefaultClient;
  g.clientHeight = imageClientHeight > 0 ? imageClientHeight : kDefaultClient;
  g.zoom = static_cast<long double>(g.clientWidth) / half;
  g.height = g.clientHeight / g.zoom;
  return g;
}

WindowPixel ToScreen(const FieldGeometry& g, long double fieldX, long double fieldY, bool reverseEW, bool reverseNS) {
  WindowPixel s{ToInt(RoundHalfEven(g.ToWindow(fieldX))), ToInt(RoundHalfEven(g.ToWindow(fieldY)))};
  if (reverseEW) s.x = g.clientWidth - s.x;
  if (reverseNS) s.y = g.clientHeight - s.y;
  return s;
}

// ------------------------------------------------------------------ rendering

RenderResult RenderFieldPicture(const RenderRequest& request, StarList& stars) {
  RenderResult result;
  const FieldGeometry& g = request.geometry;
  const FieldParameters& params = *request.params;
  result.picture = RgbPicture(g.clientWidth, g.clientHeight);
  RgbPicture& pic = result.picture;
  pic.Fill(kRgbBlack);
  result.projection =
      SetUpProjection(g.width, g.height, params.centreRA, params.centreDec, params.size, params.rotation);
  const FieldProjection& proj = result.projection;
  result.zeroPoint = request.zeroPoint != 0 ? request.zeroPoint : FieldZeroPoint(request.faintestMag);

  if (request.chartMode && request.chart != nullptr) {
    const ChartContent& chart = *request.chart;
    bool first = true;
    for (const ChartPosition& pos : chart.positions) {
      long double x = 0, y = 0;
      const bool projected = proj.Project(pos.raHours, pos.decDeg, x, y);
      const bool isFirst = first;
      first = false;
      if (!projected) continue;
      const WindowPixel s = ToScreen(g, x, y, params.reverseEW, params.reverseNS);
      if (!pic.Inside(s.x, s.y)) continue;
      if (chart.source == ChartContent::Source::Ephemeris) {
        const int arm = isFirst ? kEphemerisFirstCross : kEphemerisCross;
        pic.Circle(s.x, s.y, kEphemerisCircleRadius, kRgbYellow);
        pic.Line(s.x - arm, s.y, s.x + arm, s.y, kRgbYellow);
        pic.Line(s.x, s.y - arm, s.x, s.y + arm, kRgbYellow);
      } else if (chart.source == ChartContent::Source::Observations) {
        pic.Line(s.x - kObservationCross, s.y - kObservationCross, s.x + kObservationCross, s.y + kObservationCross,
                 kRgbCyan);
        pic.Line(s.x - kObservationCross, s.y + kObservationCross, s.x + kObservationCross, s.y - kObservationCross,
                 kRgbCyan);
      }
    }
  }

  const auto kernels = MakeStarKernels();
  for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) {
    CatalogStar& star = *stars.GetAt(i);
    long double x = kFarOutside, y = kFarOutside;
    const bool projected = proj.Project(star.ra, star.dec, x, y);
    star.fieldX = x;
    star.fieldY = y;
    const WindowPixel s = ToScreen(g, x, y, params.reverseEW, params.reverseNS);
    star.screenX = s.x;
    star.screenY = s.y;
    if (star.starClass != 0) {
      star.symbol = kNonStellarSymbol;
      if (projected) pic.Circle(s.x, s.y, kNonStellarRadius, kRgbWhite);
      continue;
    }
    star.symbol = StarLevel(star.mag, result.zeroPoint);
    if (!projected) continue;
    const StarKernel& k = kernels[static_cast<std::size_t>(star.symbol)];
    for (int j = 1; j <= kStarKernelSide; ++j) {
      for (int ii = 1; ii <= kStarKernelSide; ++ii) {
        const std::uint8_t v = k[static_cast<std::size_t>((j - 1) * kStarKernelSide + (ii - 1))];
        if (v < kKernelSkipBelow) continue;
        pic.Brighten(s.x + ii - kStarKernelHalf, s.y + j - kStarKernelHalf, v);
      }
    }
  }
  if (request.inverted) pic.Invert();
  return result;
}

// ------------------------------------------------------------------ colours and texts

Rgb KindColour(std::uint8_t kind, bool inverted) {
  switch (kind) {
    case kRefPosAndMag: return inverted ? Rgb{0, 0, 255} : Rgb{0, 255, 0};
    case kRefPosOnly: return Rgb{255, 0, 0};
    case kRefMagOnly: return Rgb{0, 255, 255};
    default: return Rgb{128, 128, 128};
  }
}

std::uint8_t KindOfFlags(bool usePos, bool useMag) {
  if (usePos && useMag) return kRefPosAndMag;
  if (usePos) return kRefPosOnly;
  if (useMag) return kRefMagOnly;
  return kRefNeither;
}

std::uint8_t PickedBand(std::uint8_t catalog, std::uint8_t colourChoice) {
  auto from = [colourChoice](std::initializer_list<std::uint8_t> bands) -> std::uint8_t {
    return colourChoice < bands.size() ? *(bands.begin() + colourChoice) : static_cast<std::uint8_t>(kBandUnknown);
  };
  if (const OnlineCatalog* online = OnlineCatalogOfCode(catalog)) {
    // As the query does, a choice beyond the catalog's list takes its first colour.
    const auto& colours = online->colours;
    return colours[colourChoice < colours.size() ? colourChoice : 0].band;
  }
  switch (catalog) {
    case kCatalogGSC: return kBandUnknown;
    case kCatalogUCAC3: return from({0, 2, 3, 4, 5, 6, 7});
    default: return static_cast<std::uint8_t>(colourChoice != 0 ? kBandR : kBandB);
  }
}

std::string FieldWindowTitle(const FieldParameters& params, bool chartMode, const std::string& designation) {
  return (chartMode ? designation : std::string("Reference Stars")) +
         "  -  RA: " + FormatDMS(params.centreRA, 1, ":", ":", ",   Dec: ") +
         FormatDMS(params.centreDec, 0, ":", ":", "");
}

std::string ColourSelectionLine(const OptionsRecord& options, std::uint8_t colourChoice) {
  std::vector<std::string> names;
  switch (InUse(options)) {
    case CatalogInUse::LocalUCAC3:
      names = {"SuperCosmos B", "SuperCosmos R2", "SuperCosmos I",       "2MASS J",
               "2MASS H",       "2MASS K_s",      "UCAC No Filter (V-R)"};
      break;
    case CatalogInUse::LocalOther: names = {"Blue", "Red"}; break;
    case CatalogInUse::Online:
      for (const OnlineColour& c : OnlineCatalogOf(options.webCatalog).colours) names.emplace_back(c.shortName);
      break;
  }
  const std::string name = Pick(names, colourChoice);
  return name.empty() ? std::string() : "Color Selection: " + name;
}

std::string CatalogLine(const OptionsRecord& options, const FieldParameters& params) {
  if (InUse(options) == CatalogInUse::Online) return std::string("Catalog - ") + OnlineCatalogOf(options.webCatalog).name;
  const bool bss = params.useSupplement && options.supplCatalog == 3;
  switch (options.primaryCatalog) {
    case kPrimaryGSC: {
      std::string line = "Catalog - STSI Guide Star Catalog";
      if (params.useSupplement && options.supplCatalog == 1) line += " & USNO-SA1.0";
      if (params.useSupplement && options.supplCatalog == 2) line += " & USNO-SA2.0";
      if (bss) line += " & UCAC-BSS";
      return line;
    }
    case kPrimaryUCAC2: return std::string("Catalog - UCAC2") + (bss ? " & BSS" : "");
    case kPrimaryUCAC3: return std::string("Catalog - UCAC3") + (bss ? " & BSS" : "");
    default: break;
  }
  if (params.useSupplement && options.supplCatalog == 1) return "Catalog - USNO-SA1.0";
  if (params.useSupplement && options.supplCatalog == 2) return "Catalog - USNO-SA2.0";
  if (bss) return "Catalog - UCAC2-BSS";
  return "Catalog - None";
}

std::vector<std::string> ReferenceFieldDataLines(const OptionsRecord& options, const FieldRequest& request,
                                                 const GSCFieldObj& field, std::int32_t zeroPoint) {
  const FieldParameters& p = request.params;
  std::vector<std::string> lines;
  lines.push_back(CatalogLine(options, p));
  lines.push_back("Field Center - RA: " + FormatDMS(p.centreRA, 2, ":", ":", ",    Dec: ") +
                  FormatDMS(p.centreDec, 1, ":", ":", ""));
  lines.push_back("Field Size: " + FormatFixed(1, p.size) + " Arc Minutes");
  lines.push_back("Stars Found: " + std::to_string(field.StarCount()));
  lines.push_back("Magnitude of Brightest: " + FormatFixed(2, field.BrightestMag()) +
                  ",  Faintest: " + FormatFixed(2, field.FaintestMag()));
  lines.push_back(ColourSelectionLine(options, request.colourChoice));
  if (options.catalogLocation == 0 && options.primaryCatalog == kPrimaryGSC)
    lines.push_back("Non-Stellar Objects: " + std::to_string(field.NonStellarCount()));
  lines.push_back("Star Image Zero Point (Magnitude): " + std::to_string(zeroPoint));
  return lines;
}

std::vector<std::string> ReferenceFieldPrintLines(const OptionsRecord& options, const FieldRequest& request,
                                                  const GSCFieldObj& field, bool chartMode, const ChartContent* chart) {
  const FieldParameters& p = request.params;
  std::vector<std::string> lines;
  if (chartMode && chart != nullptr && chart->source == ChartContent::Source::Ephemeris) {
    lines.push_back("Target Body: " + chart->designation);
    lines.push_back("Central Position at " + PrintDateTimeText(chart->centralTime) + " (TDT)");
    lines.push_back("Right Ascension:" + FormatDMS(chart->centralRAHours, 2, "h ", "m ", "s,   Declination:") +
                    DecText(chart->centralDecDeg, 1));
    lines.push_back("Time Increment: " + FormatFixed(2, chart->step) + (chart->hourlySteps ? " Hours" : " Days"));
    lines.push_back("Magnitude: " + FormatFixed(1, chart->magnitude));
  }
  lines.push_back("Reference Stars");
  lines.push_back("Field Center - RA:" + FormatDMS(p.centreRA, 2, "h ", "m ", "s,   Dec:") + DecText(p.centreDec, 1));
  lines.push_back("Field Size: " + FormatFixed(1, p.size) + " Arc Minutes");
  std::string source = "Data Source: " + field.PrimaryName();
  if (p.useSupplement) source += " + " + field.SupplementName();
  lines.push_back(source);
  lines.push_back(ColourSelectionLine(options, request.colourChoice));
  lines.push_back("Magnitude of Brightest Star: " + FormatFixed(1, field.BrightestMag()));
  lines.push_back("Magnitude of Faintest Star:  " + FormatFixed(1, field.FaintestMag()));
  if (p.reverseEW) lines.push_back("NOTE: Chart is E-W reversed!");
  if (p.reverseNS) lines.push_back("NOTE: Chart is N-S reversed!");
  return lines;
}

// ------------------------------------------------------------------ "Reference Star" dialog

RefInfoView MakeRefInfoView(const PickCandidate& pick, bool chartMode, bool gscOnACT) {
  const CatalogStar& s = pick.star;
  const ReferenceStar& r = pick.reference;
  RefInfoView v;
  const bool nonStellar = s.catalog == kCatalogGSC && s.starClass != 0;
  v.caption = nonStellar ? "Non-Stellar Object" : "Reference Star";
  v.idMagenta = nonStellar;
  v.catalog = CatalogName(s.catalog, gscOnACT);
  v.id = s.id;
  v.entries = s.entries == 0 ? std::string("NA") : std::to_string(s.entries);
  v.ra = FormatDMS(s.ra, 2, "h ", "m ", "s");
  v.dec = DecText(s.dec, 1);
  v.posErr = s.posErr == 0 ? std::string("NA") : FormatFixed(2, s.posErr) + "\"";
  v.mag = FormatFixed(2, s.mag);
  if (s.magErr == 0) {
    v.magErr = "NA";
  } else if (s.magErr > 1) {
    v.magErr = "Large!";
    v.magMagenta = true;
  } else {
    v.magErr = FormatFixed(2, s.magErr);
  }
  v.band = FilterLongName(r.band);
  v.usePos = r.usePos;
  v.useMag = r.useMag;
  v.checkBoxesVisible = !chartMode;
  v.cancelEnabled = !chartMode;
  v.removeEnabled = !chartMode && pick.existing;
  return v;
}

WindowPixel PlaceRefInfoDialog(int screenHeight, int windowBottom, int dialogHeight, int clickY) {
  constexpr int kLeft = 30;          ///< pixels from the left screen edge
  constexpr int kBottomMargin = 28;  ///< pixels kept free above the screen's bottom
  int top = windowBottom;
  if (top + dialogHeight > screenHeight - kBottomMargin) top = screenHeight - kBottomMargin - dialogHeight;
  if (clickY >= top && clickY <= top + dialogHeight) top = 0;
  return {kLeft, std::max(top, 0)};
}

// ------------------------------------------------------------------ model

ReferenceFieldModel::ReferenceFieldModel(platform::Platform& ui, const OptionsRecord& options, GSCFieldObj& field,
                                         const FieldRequest& request)
    : ui_(ui), options_(options), field_(field), request_(request) {}

void ReferenceFieldModel::InitField(const FieldGeometry& geometry, bool chartMode, const ChartContent* chart) {
  chartMode_ = chartMode;
  chart_ = chart;
  geometry_ = geometry;
  zeroPoint_ = 0;
  inverted_ = chartMode || options_.invertRefDisplay;
  Render();
  addRemove = false;
  Clear();
}

void ReferenceFieldModel::Render() {
  // Non-stellar entries alone are no stars to measure with.
  if (field_.StarCount() == 0)
    platform::Tell(ui_, "No Catalog Stars Found in Region.", "Catalog Stars", platform::Icon::Warning);
  RenderRequest r;
  r.params = &request_.params;
  r.geometry = geometry_;
  r.zeroPoint = zeroPoint_;
  r.faintestMag = field_.FaintestMag();
  r.inverted = inverted_;
  r.chartMode = chartMode_;
  r.chart = chart_;
  RenderResult result = RenderFieldPicture(r, field_.Stars());
  picture_ = std::move(result.picture);
  projection_ = result.projection;
  zeroPoint_ = result.zeroPoint;
}

void ReferenceFieldModel::SetGeometry(const FieldGeometry& geometry) {
  geometry_ = geometry;
  Render();
}

bool ReferenceFieldModel::Adjust(std::int32_t zeroPoint, bool inverted) {
  if (zeroPoint != zeroPoint_) {
    zeroPoint_ = zeroPoint;
    inverted_ = inverted;
    Render();
    return true;
  }
  if (inverted != inverted_) {
    inverted_ = inverted;
    picture_.Invert();
    return true;
  }
  return false;
}

std::optional<PickCandidate> ReferenceFieldModel::BeginPick(int x, int y) {
  const FieldParameters& p = request_.params;
  long double px = geometry_.ToPicture(x), py = geometry_.ToPicture(y);
  if (p.reverseEW) px = geometry_.width - px;
  if (p.reverseNS) py = geometry_.height - py;
  const std::int32_t index = field_.NearestStar(ToInt(RoundHalfEven(px)), ToInt(RoundHalfEven(py)), nullptr);
  if (index < 0) return std::nullopt;
  return PickIndex(index);
}

std::optional<PickCandidate> ReferenceFieldModel::PickIndex(std::int32_t index) {
  const FieldParameters& p = request_.params;
  const CatalogStar* found = field_.Stars().GetAt(index);
  if (found == nullptr) return std::nullopt;
  const CatalogStar star = *found;
  pickedStar_ = star;
  pickedIndex_ = index;
  PickCandidate pick;
  pick.index = index;
  pick.star = star;
  ReferenceStar& r = pick.reference;
  r.fieldX = p.reverseEW ? geometry_.width - star.fieldX : star.fieldX;
  r.fieldY = p.reverseNS ? geometry_.height - star.fieldY : star.fieldY;
  r.number = SelectedCount() + 1;
  r.id = star.id;  // whole in memory; the 177-byte record keeps 18 characters
  r.catRA = star.ra;
  r.catDec = star.dec;
  r.catMag = star.mag;
  r.catalog = star.catalog;
  r.usePos = star.usePos;
  r.useMag = star.useMag;
  r.band = PickedBand(star.catalog, request_.colourChoice);
  r.kind = KindOfFlags(r.usePos, r.useMag);
  if (const ReferenceStar* existing = Find(r.id)) {
    r.usePos = existing->usePos;
    r.useMag = existing->useMag;
    r.kind = existing->kind;
    pick.existing = true;
  }
  pick.marker = MarkerPoint(r);
  return pick;
}

bool ReferenceFieldModel::CompletePick(const PickCandidate& pick, bool usePos, bool useMag) {
  const std::uint8_t kind = KindOfFlags(usePos, useMag);
  ReferenceStar* existing = Find(pick.reference.id);
  const bool wasActive = existing != nullptr && (existing->usePos || existing->useMag);
  const bool becomesActive = kind != kRefNeither;
  const bool refused = existing == nullptr ? ActiveCount() >= kMaxActiveReferences
                                           : (!wasActive && becomesActive && ActiveCount() >= kMaxActiveReferences);
  if (refused) {
    platform::Tell(ui_, "A maximum of " + std::to_string(kMaxActiveReferences) + " active Reference Stars are allowed!",
                   "MaxRef Exceeded!", platform::Icon::Warning, platform::Buttons::Ok, true);
    return false;
  }
  // The dialog's choice stays with the catalog star too (what "&Restore" resets).
  if (CatalogStar* star = field_.Stars().GetAt(pick.index); star != nullptr && star->id == pick.star.id) {
    star->usePos = usePos;
    star->useMag = useMag;
  }
  pickedStar_.usePos = usePos;
  pickedStar_.useMag = useMag;
  if (existing != nullptr) {
    existing->usePos = usePos;
    existing->useMag = useMag;
    existing->kind = kind;
  } else {
    ReferenceStar r = pick.reference;
    r.number = SelectedCount() + 1;
    r.usePos = usePos;
    r.useMag = useMag;
    r.kind = kind;
    selection_.push_back(r);
  }
  return true;
}

void ReferenceFieldModel::Restore() {
  const bool useMag = options_.defaultRefMags;
  for (ReferenceStar& r : selection_) {
    r.usePos = true;
    r.useMag = useMag;
    r.kind = KindOfFlags(true, useMag);
  }
  StarList& stars = field_.Stars();
  for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) {
    CatalogStar& s = *stars.GetAt(i);
    s.usePos = true;
    s.useMag = useMag;
  }
}

void ReferenceFieldModel::Clear() {
  selection_.clear();
}

ReferenceStar* ReferenceFieldModel::Find(const std::string& id) {
  for (ReferenceStar& r : selection_)
    if (r.id == id) return &r;
  return nullptr;
}

WindowPixel ReferenceFieldModel::MarkerPoint(const ReferenceStar& r) const {
  return {ToInt(RoundHalfEven(geometry_.ToWindow(r.fieldX))), ToInt(RoundHalfEven(geometry_.ToWindow(r.fieldY)))};
}

std::int32_t ReferenceFieldModel::SelectedCount() const {
  return static_cast<std::int32_t>(selection_.size());
}

std::int32_t ReferenceFieldModel::ActiveCount() const {
  std::int32_t active = 0;
  for (const ReferenceStar& r : selection_)
    if (r.usePos || r.useMag) ++active;
  return active;
}
}  // namespace skarvel

#include "astrometry/field_params_logic.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "catalogs/catalog_star.h"
#include "catalogs/online_catalogs.h"
#include "foundations/angles.h"
#include "foundations/strings.h"
#include "images/fits_file.h"

namespace skarvel {

namespace {

constexpr std::uint8_t kLocalFiles = 0;     ///< `CatalogLocation`: local files
constexpr std::uint8_t kSupplementBSS = 3;  ///< `SupplCatalog`: UCAC-BSS
constexpr long double kHoursPerDay = 24.0L;
constexpr long double kMaxDec = 90.0L;
constexpr const char* kInputError = "Input Error!";

enum class Source { Online, UCAC3, OtherLocal };

Source SourceOf(const OptionsRecord& o) {
  if (o.catalogLocation != kLocalFiles) return Source::Online;
  return o.primaryCatalog == kPrimaryUCAC3 ? Source::UCAC3 : Source::OtherLocal;
}

std::optional<long double> Number(const std::string& text) {
  return ParseDecimal(text);
}

std::string LeftTrimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : s.substr(first);
}

}  // namespace

std::vector<ColourItem> ColourItems(const OptionsRecord& options) {
  switch (SourceOf(options)) {
    case Source::Online: {
      std::vector<ColourItem> items;
      for (const OnlineColour& c : OnlineCatalogOf(options.webCatalog).colours) items.push_back({c.label, c.itemFilter});
      return items;
    }
    case Source::UCAC3:
      return {{"&Blue", 0},   {"&Red", 2},    {"&I (IR)", 3},    {"&J (IR)", 4},
              {"&H (IR)", 5}, {"&K (IR)", 6}, {"&UCAC (V-R)", 2}};
    case Source::OtherLocal: break;
  }
  return {{"&Blue", 0}, {"V/&Red", 2}};
}

std::string CatalogFieldText(const OptionsRecord& options) {
  switch (SourceOf(options)) {
    case Source::Online: return std::string(OnlineCatalogOf(options.webCatalog).name) + " (Online)";
    case Source::UCAC3: return "UCAC3";
    case Source::OtherLocal: break;
  }
  if (options.primaryCatalog == kPrimaryUCAC2) return "UCAC2";
  if (options.primaryCatalog == kPrimaryGSC) return "STScI Guide Star Catalog";
  return "(No Primary Catalog";
}

bool CatalogOffersFilter(const OptionsRecord& options, std::uint8_t filter) {
  switch (SourceOf(options)) {
    case Source::Online:
      if (filter == kBandNone) return true;
      for (const OnlineColour& c : OnlineCatalogOf(options.webCatalog).colours)
        if (c.itemFilter == filter) return true;
      return false;
    case Source::UCAC3: return filter <= kBandNone && filter != kBandV;
    default: return filter == kBandB || filter == kBandR || filter == kBandNone;
  }
}

bool ColourMatchesFilter(std::uint8_t itemFilter, std::uint8_t imageFilter) {
  return itemFilter == imageFilter || (imageFilter == kBandNone && itemFilter == kBandR);
}

std::uint8_t DialogImageFilter(const GraphicsFileObj* image, std::uint8_t imageFileType) {
  if (image == nullptr || imageFileType == kImageST4) return kBandUnknown;
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(image); fits != nullptr && imageFileType == kImageFITS)
    return fits->Header().filter <= kBandUnknown ? fits->Header().filter : static_cast<std::uint8_t>(kBandUnknown);
  return kBandUnknown;
}

std::string ColourMismatchText(std::uint8_t filter, bool catalogOffersFilter) {
  std::string text =
      "Selected color does not match filter in image header.\r\nImage Filter = \"" + FilterShortName(filter) + "\"";
  if (catalogOffersFilter) return text + "\r\n\r\nPress \"OK\" to accept, \"Cancel\" to change color selection.";
  return text +
         "\r\n(Filter color is not available in selected catalog.)\r\n\r\nPress \"OK\" to accept, \"Cancel\" to "
         "change catalog/color selection.";
}

FieldParamsLogic::FieldParamsLogic(const FieldRequest& request, const OptionsRecord& options, std::uint8_t imageFilter)
    : imageFilter_(imageFilter) {
  const FieldParameters& p = request.params;
  const SexagesimalRec ra = SplitRounded(p.centreRA, 2);
  raHr = std::to_string(ra.degrees);
  raMin = std::to_string(ra.minutes);
  raSec = FormatFixed(2, ra.seconds);
  const SexagesimalRec dec = SplitRounded(p.centreDec, 1);
  decDeg = (dec.sign < 0 ? "-" : "") + std::to_string(dec.degrees);
  decMin = std::to_string(dec.minutes);
  decSec = FormatFixed(1, dec.seconds);
  size = FormatFixed(1, p.size);
  mag = FormatFixed(1, p.limitMag);
  rotation = FormatFixed(2, p.rotation);
  reverseEW = p.reverseEW;
  reverseNS = p.reverseNS;
  colourIndex = request.colourChoice;
  FillCatalog(options, p.useSupplement);
}

void FieldParamsLogic::FillCatalog(const OptionsRecord& options, bool useSupplement) {
  catalogOptions_ = options;
  colours_ = ColourItems(options);
  catalogText_ = CatalogFieldText(options);
  const Source source = SourceOf(options);
  online_ = options.catalogLocation != kLocalFiles;
  colourFollowsUseSA_ = false;
  if (online_) {
    useSA = false;
    useSAEnabled_ = false;
    colourEnabled_ = true;
  } else if (source == Source::UCAC3) {
    useSA = useSupplement;
    useSAEnabled_ = options.supplCatalog == kSupplementBSS;
    colourEnabled_ = true;
  } else {
    useSA = useSupplement;
    useSAEnabled_ =
        options.primaryCatalog == kPrimaryUCAC2 ? options.supplCatalog == kSupplementBSS : options.supplCatalog != 0;
    colourFollowsUseSA_ = true;
    colourEnabled_ = useSA;
  }
  if (colourIndex < 0 || colourIndex >= static_cast<int>(colours_.size())) colourIndex = 0;
  // The colour choice follows the image filter where an item stands for it.
  if (source == Source::UCAC3 && imageFilter_ == kBandNone) {
    colourIndex = static_cast<int>(colours_.size()) - 1;
  } else {
    for (std::size_t i = 0; i < colours_.size(); ++i) {
      if (colours_[i].filter == imageFilter_) {
        colourIndex = static_cast<int>(i);
        break;
      }
    }
  }
}

void FieldParamsLogic::SetUseSA(bool checked) {
  useSA = checked;
  if (colourFollowsUseSA_) colourEnabled_ = checked;
}

void FieldParamsLogic::AdoptCatalogOptions(const OptionsRecord& copy) {
  changedOptions_ = copy;
  FillCatalog(copy, useSA);
}

std::optional<bool> FieldParamsLogic::Accept(platform::Platform& ui, FieldRequest& request,
                                             OptionsRecord& options) const {
  using platform::Icon;
  const auto h = Number(raHr), m = Number(raMin), s = Number(raSec);
  const long double ra = h && m && s ? *h + *m / 60 + *s / 3600 : -1;
  if (!h || !m || !s || ra < 0 || ra > kHoursPerDay) {
    platform::Tell(ui, "Right Ascension is Invalid!", kInputError, Icon::Error);
    return std::nullopt;
  }
  const auto dd = Number(decDeg), dm = Number(decMin), ds = Number(decSec);
  long double dec = 0;
  if (dd && dm && ds) {
    const long double sign =
        *dd != 0 ? (*dd < 0 ? -1.0L : 1.0L) : (LeftTrimmed(decDeg).rfind('-', 0) == 0 ? -1.0L : 1.0L);
    dec = *dd + sign * *dm / 60 + sign * *ds / 3600;
  }
  if (!dd || !dm || !ds || dec < -kMaxDec || dec > kMaxDec) {
    platform::Tell(ui, "Declination is Invalid!", kInputError, Icon::Error);
    return std::nullopt;
  }
  const auto sz = Number(size), lm = Number(mag), rot = Number(rotation);
  // A field without extent has no scale: it is refused with the numbers.
  const bool sizeUsable = sz && *sz > 0 && *sz <= std::numeric_limits<float>::max();
  const bool fitFloat = lm && rot && std::fabs(*lm) <= std::numeric_limits<float>::max() &&
                        std::fabs(*rot) <= std::numeric_limits<float>::max();
  if (!sizeUsable || !fitFloat) {
    platform::Tell(ui, "Invalid Numeric Value - Check Field, Mag., Rotn. Entries!", kInputError, Icon::Error);
    return std::nullopt;
  }
  const int index = std::clamp(colourIndex, 0, std::max(static_cast<int>(colours_.size()) - 1, 0));
  if (imageFilter_ != kBandUnknown && !colours_.empty() &&
      !ColourMatchesFilter(colours_[static_cast<std::size_t>(index)].filter, imageFilter_)) {
    const std::string text = ColourMismatchText(imageFilter_, CatalogOffersFilter(catalogOptions_, imageFilter_));
    if (platform::Tell(ui, text, "Color/Filter Mismatch", Icon::Warning, platform::Buttons::OkCancel) !=
        platform::Answer::Ok)
      return std::nullopt;
  }
  bool save = false;
  if (changedOptions_) {
    options = *changedOptions_;
    save = true;
  }
  FieldParameters& p = request.params;
  p.centreRA = ra;
  p.centreDec = dec;
  p.size = static_cast<float>(*sz);
  p.limitMag = static_cast<float>(*lm);
  p.rotation = static_cast<float>(*rot);
  p.reverseEW = reverseEW;
  p.reverseNS = reverseNS;
  p.useSupplement = online_ ? false : useSA;
  request.colourChoice = static_cast<std::uint8_t>(index);
  if (p.size != options.fieldSize || p.limitMag != options.magLimit) {
    options.fieldSize = p.size;
    options.magLimit = p.limitMag;
    save = true;
  }
  DeriveSearchWindow(p);
  return save;
}

}  // namespace skarvel

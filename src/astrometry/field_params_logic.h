// The decisions of the field parameters dialog ("Enter/Verify Field
// Parameters"): the texts it starts with, its colour list and catalog part,
// the enabling of the supplementary-catalog box and the colour group, the
// validation of OK with its messages, and what OK stores.
//
// Usage (what the dialog does):
//   FieldParamsLogic logic(request, options, imageFilter);
//   ... show logic.raHr etc., logic.Colours(), logic.CatalogText(), ...
//   ... copy the edited texts back into logic's fields on OK ...
//   if (auto saved = logic.Accept(ui, request, options)) -> close; *saved tells whether to save the options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogs/field_parameters.h"
#include "config/options.h"
#include "images/graphics_file.h"
#include "platform/platform.h"

namespace skarvel {

/// One item of the colour group and the filter code it stands for.
struct ColourItem {
  std::string caption;
  std::uint8_t filter = 0;
};

/// The colour items of the catalog in use: online NOMAD, USNO-B1.0, USNO-A2.0;
/// local with UCAC3 as primary catalog; any other local catalog.
std::vector<ColourItem> ColourItems(const OptionsRecord& options);

/// The catalog name of the read-only catalog field.
std::string CatalogFieldText(const OptionsRecord& options);

/// True when the catalog in use has a magnitude in the band of `filter`
/// (NOMAD all but I; USNO-B1.0 B, R, I and none; UCAC3 all but V; the others B, R and none).
bool CatalogOffersFilter(const OptionsRecord& options, std::uint8_t filter);

/// True when the colour item's filter code stands for the image's filter
/// (filter 7, no filter, is taken by every red item).
bool ColourMatchesFilter(std::uint8_t itemFilter, std::uint8_t imageFilter);

/// The filter of the current image as the dialog takes it: the FITS header's
/// for FITS images, 8 for ST-4 images (the `ImageFileType` option), 8 when
/// there is no image. Other SBIG images give 8 until their reader decodes a filter.
std::uint8_t DialogImageFilter(const GraphicsFileObj* image, std::uint8_t imageFileType);

/// The colour/filter mismatch text for an image `filter`, by whether the catalog offers it.
std::string ColourMismatchText(std::uint8_t filter, bool catalogOffersFilter);

class FieldParamsLogic {
 public:
  /// The dialog's start from the field request, the options and the filter
  /// of the current image (8 when there is none).
  FieldParamsLogic(const FieldRequest& request, const OptionsRecord& options, std::uint8_t imageFilter);

  // ---- the edit fields and check boxes (the dialog reads and writes them) ----
  std::string raHr, raMin, raSec;
  std::string decDeg, decMin, decSec;
  std::string size, mag, rotation;
  bool reverseEW = false;
  bool reverseNS = false;
  bool useSA = false;
  int colourIndex = 0;  ///< the checked colour item

  // ---- the catalog part ----
  const std::vector<ColourItem>& Colours() const { return colours_; }
  const std::string& CatalogText() const { return catalogText_; }
  bool UseSAEnabled() const { return useSAEnabled_; }
  bool ColourEnabled() const { return colourEnabled_; }
  /// Checking or unchecking "Supplementary Cat.": the colour group follows
  /// it where it applies to the supplementary catalog.
  void SetUseSA(bool checked);
  /// "&Change" returned OK with `copy`: the catalog part is filled from it,
  /// and the copy is adopted on OK.
  void AdoptCatalogOptions(const OptionsRecord& copy);
  const std::optional<OptionsRecord>& ChangedOptions() const { return changedOptions_; }
  std::uint8_t ImageFilter() const { return imageFilter_; }

  /// Which field gets the focus: SizEd in chart state with a list shown, else RAHr.
  enum class Focus { RAHr, SizEd };
  static Focus InitialFocus(bool chartListShown) { return chartListShown ? Focus::SizEd : Focus::RAHr; }

  /// OK: validates in order (right ascension, declination, the numbers; an
  /// "Input Error!" box each), then asks about a colour that does not match
  /// the image filter (Cancel stays), then stores into `request` and
  /// `options`. Returns nothing when the dialog stays open; otherwise whether
  /// the options must be saved (new FieldSize or MagLimit, or adopted catalog options).
  std::optional<bool> Accept(platform::Platform& ui, FieldRequest& request, OptionsRecord& options) const;

 private:
  void FillCatalog(const OptionsRecord& options, bool useSupplement);

  std::uint8_t imageFilter_ = 8;
  bool online_ = false;
  std::vector<ColourItem> colours_;
  std::string catalogText_;
  bool useSAEnabled_ = false;
  bool colourEnabled_ = false;
  bool colourFollowsUseSA_ = false;
  std::optional<OptionsRecord> changedOptions_;
  OptionsRecord catalogOptions_;  ///< the options the catalog part was filled from
};

}  // namespace skarvel

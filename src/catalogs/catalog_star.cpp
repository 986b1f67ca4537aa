#include "catalogs/catalog_star.h"

#include <array>

namespace skarvel {

std::string CatalogName(std::uint8_t code, bool gscOnACT) {
  static constexpr std::array<const char*, 13> kNames = {
      "", "STSI Guide Star Catalog", "UCAC-BSS", "USNO-A1.0", "USNO-A2.0", "USNO-SA1.0",
      "USNO-SA2.0", "UCAC2", "UCAC3", "USNO-B1.0", "NOMAD", "Gaia DR3", "UCAC4"};
  if (code == kCatalogGSC && gscOnACT) return "ACT-Corrected GSC";
  return code < kNames.size() ? kNames[code] : "";
}

std::string FilterShortName(std::uint8_t code) {
  static constexpr std::array<const char*, 10> kShort = {"B", "V", "R", "I", "J", "H", "K", "NONE", "X", "G"};
  return kShort[code < kShort.size() ? code : std::uint8_t{kBandUnknown}];
}

std::string FilterLongName(std::uint8_t code) {
  static constexpr std::array<const char*, 10> kLong = {"  Blue",   "  V-band", "  Red",   "  I-band", "  J-band",
                                                        "  H-band", "  K-band", "  None",  "Unknown",  "  Gaia G"};
  return kLong[code < kLong.size() ? code : std::uint8_t{kBandUnknown}];
}

}  // namespace skarvel

// The fixed layout of the Guide Star Catalog: 9537 regions in 24 declination
// zones, each zone a directory on one of the two volumes.
#pragma once

#include <cstdint>
#include <string>

namespace skarvel {

/// Number of GSC regions (region numbers 1..9537).
inline constexpr std::uint16_t kGSCRegionCount = 9537;
/// Number of declination zones.
inline constexpr int kGSCZoneCount = 24;
/// The last zone read from Volume I; zones 14..24 are on Volume II.
inline constexpr int kGSCLastVolumeIZone = 13;

/// The zone (1..24) of a region number: the first zone whose last region is
/// >= n. 0 for n = 0 or n > 9537.
int GSCZoneOfRegion(std::uint32_t region);
/// The directory of a zone, "GSC\N0000\" .. "GSC\S8230\" (zone 1..24); "" otherwise.
std::string GSCZoneDirectory(int zone);
/// The last region number of a zone (1..24); 0 otherwise.
std::uint16_t GSCZoneLastRegion(int zone);
/// True for the zones on Volume II (14..24).
inline bool GSCZoneOnVolumeII(int zone) { return zone > kGSCLastVolumeIZone; }
/// A region file name: the number with at least four digits plus `extension`
/// (".GSC" or ".BIN"): region 42 gives "0042.GSC".
std::string GSCRegionFileName(std::uint32_t region, const std::string& extension);
/// The region prefix of a star identifier: the number with at least five digits ("00042").
std::string GSCRegionPrefix(std::uint32_t region);

}  // namespace skarvel

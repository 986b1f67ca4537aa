#include "catalogs/gsc_zones.h"

#include <array>

namespace skarvel {

namespace {

struct Zone {
  const char* directory;
  std::uint16_t lastRegion;
};

// The 24 declination zones of 7.5 degrees, north from the equator, then south.
constexpr std::array<Zone, kGSCZoneCount> kZones = {{
    {"GSC\\N0000\\", 593},  {"GSC\\N0730\\", 1177}, {"GSC\\N1500\\", 1728}, {"GSC\\N2230\\", 2258},
    {"GSC\\N3000\\", 2780}, {"GSC\\N3730\\", 3245}, {"GSC\\N4500\\", 3651}, {"GSC\\N5230\\", 4013},
    {"GSC\\N6000\\", 4293}, {"GSC\\N6730\\", 4491}, {"GSC\\N7500\\", 4614}, {"GSC\\N8230\\", 4662},
    {"GSC\\S0000\\", 5259}, {"GSC\\S0730\\", 5837}, {"GSC\\S1500\\", 6411}, {"GSC\\S2230\\", 6988},
    {"GSC\\S3000\\", 7522}, {"GSC\\S3730\\", 8021}, {"GSC\\S4500\\", 8463}, {"GSC\\S5230\\", 8839},
    {"GSC\\S6000\\", 9133}, {"GSC\\S6730\\", 9345}, {"GSC\\S7500\\", 9489}, {"GSC\\S8230\\", 9537},
}};

std::string Padded(std::uint32_t n, std::size_t digits) {
  std::string s = std::to_string(n);
  if (s.size() < digits) s.insert(0, digits - s.size(), '0');
  return s;
}

}  // namespace

int GSCZoneOfRegion(std::uint32_t region) {
  if (region == 0) return 0;
  for (int z = 0; z < kGSCZoneCount; ++z)
    if (kZones[static_cast<std::size_t>(z)].lastRegion >= region) return z + 1;
  return 0;
}

std::string GSCZoneDirectory(int zone) {
  return zone >= 1 && zone <= kGSCZoneCount ? kZones[static_cast<std::size_t>(zone - 1)].directory : "";
}

std::uint16_t GSCZoneLastRegion(int zone) {
  return zone >= 1 && zone <= kGSCZoneCount ? kZones[static_cast<std::size_t>(zone - 1)].lastRegion : 0;
}

std::string GSCRegionFileName(std::uint32_t region, const std::string& extension) {
  return Padded(region, 4) + extension;
}

std::string GSCRegionPrefix(std::uint32_t region) { return Padded(region, 5); }

}  // namespace skarvel

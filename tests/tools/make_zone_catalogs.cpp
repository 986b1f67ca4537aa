// Writes the zone-file catalogs (UCAC2, UCAC3, UCAC-BSS, USNO-SA) of a star
// list for the comparison with an independent reader (tools/zonegen/scat-fixtures.sh).
// Usage: make_zone_catalogs OUT STARLIST.csv
#include <cstdio>
#include <filesystem>

#include "support/zone_catalog_writer.h"

int main(int argc, char** argv) {
  using namespace skarvel::testing;
  if (argc != 3) {
    std::fprintf(stderr, "Usage: make_zone_catalogs OUT STARLIST.csv\n");
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";
  const std::vector<ZoneStar> stars = ReadZoneStarList(argv[2]);
  for (const char* d : {"ucac2", "ucac3", "bss", "sa"}) std::filesystem::create_directories(out + d);
  WriteUCAC2(out + "ucac2/", stars);
  WriteUCAC3(out + "ucac3/", out + "ucac3/", stars);
  WriteBSS(out + "bss/", stars);
  WriteSA(out + "sa/", stars);
  std::printf("%zu stars\n", stars.size());
  return 0;
}

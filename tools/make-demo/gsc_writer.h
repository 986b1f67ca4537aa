// The demo's Guide Star Catalog: a regions table and the region files of the
// demo field in the CD-ROM layout, and the same converted to the program's
// binary layout.
//
// Region boxes: the 9537 regions keep the real number per declination zone,
// but their boxes are a synthetic tiling (each zone cut into 4 bands of equal
// height, each band into RA slices in proportion to the cosine of its middle),
// the same tiling as tools/gscgen/make_gsc_catalog.py writes for the tests.
// No copy of the real GSC region boundaries is at hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace skarvel::demo {

/// One region of the tiling: its zone (1..24), its table row (48 characters)
/// and its box as the reader computes it from the row.
struct RegionBox {
  int zone = 0;
  std::string row;
  double raLowHours = 0;
  double raHighHours = 0;
  double decLowDeg = 0;
  double decHighDeg = 0;
};

/// The tiling: entry 0 is the placeholder, entries 1..9537 the regions.
std::vector<RegionBox> GscTiling();

/// A star to catalog: J2000 position and magnitude.
struct CatalogSourceStar {
  double raHours = 0;
  double decDeg = 0;
  double mag = 0;
  std::string source;  ///< where the star comes from (the Tycho-2 extract's id)
};

/// A star as written: its region and GSC number, the number of plate entries.
struct WrittenStar {
  CatalogSourceStar star;
  int region = 0;
  int number = 0;
  int entries = 0;
};

/// Writes, under `root`:
///   gsc/TABLES/REGIONS.TBL, gsc/GSC/<zone>/NNNN.GSC        (CD-ROM layout; both volumes in one folder)
///   gsc_vorn/TABLES/REGIONS.BIN, gsc_vorn/GSC/<zone>/NNNN.BIN   (converted layout)
/// Every region whose box comes within `marginDeg` of (centreRA, centreDec)
/// gets its files (empty when no star falls in it). Each star becomes one or
/// two plate entries (a scatter of at most 0.1" and 0.02 mag, from `seed`);
/// the converted files are made from the CD-ROM files by the program's own
/// record parser and merge, magnitude limit 20. `ui` receives the readers'
/// messages (none is expected). Returns the stars written, by region and number.
/// @throws std::runtime_error when a file cannot be written or read back.
std::vector<WrittenStar> WriteGscCatalog(const std::vector<CatalogSourceStar>& stars, double centreRAHours,
                                         double centreDecDeg, double marginDeg, std::uint64_t seed,
                                         const std::string& root, platform::Platform& ui);

}  // namespace skarvel::demo

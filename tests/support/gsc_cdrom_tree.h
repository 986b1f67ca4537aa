// A whole GSC CD-ROM tree for conversion tests: both volumes with all 24 zone
// folders, the fixture's regions table and region files
// (tests/data/catalogs/gsc, written by tools/gscgen) where they exist and an
// empty region file (a header, no record) for every other region.
#pragma once

#include <filesystem>
#include <string>

#include "catalogs/gsc_convert.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_zones.h"
#include "foundations/file_system.h"
#include "support/temp_dir.h"

namespace skarvel::testing {

class GSCCdromTree {
 public:
  GSCCdromTree() {
    namespace stdfs = std::filesystem;
    const std::string fixture = std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/gsc/";
    WriteText(root_ / "empty.GSC", std::string(kGSCHeaderBytes, ' '));
    for (const char* vol : {"vol1/", "vol2/"})
      for (int zone = 1; zone <= kGSCZoneCount; ++zone)
        stdfs::create_directories(fs::NativePath(root_.Path() + vol + GSCZoneDirectory(zone)));
    stdfs::create_directories(root_.Path() + "vol1/TABLES");
    stdfs::create_symlink(fixture + "vol1/TABLES/REGIONS.TBL", root_.Path() + "vol1/TABLES/REGIONS.TBL");
    for (std::uint32_t n = 1; n <= kGSCRegionCount; ++n) {
      const int zone = GSCZoneOfRegion(n);
      const std::string vol = GSCZoneOnVolumeII(zone) ? "vol2/" : "vol1/";
      const std::string rel = fs::NativePath(GSCZoneDirectory(zone) + GSCRegionFileName(n, ".GSC"));
      const std::string source = fixture + vol + rel;
      const std::string target = root_.Path() + vol + rel;
      if (stdfs::exists(source)) {
        stdfs::create_symlink(source, target);
        continue;
      }
      // Hard links to one empty file: no inode each (symbolic links cost far more on some file systems).
      std::error_code linked;
      stdfs::create_hard_link(root_ / "empty.GSC", target, linked);
      if (linked) stdfs::create_symlink(root_ / "empty.GSC", target);
    }
  }
  /// The folder holding "vol1/" and "vol2/".
  const std::string& Root() const { return root_.Path(); }
  std::string Volume1() const { return root_ / "vol1/"; }
  std::string Volume2() const { return root_ / "vol2/"; }
  /// Settings converting both volumes into `out` (magnitude limit 20, no switch).
  GSCConvertSettings Settings(const std::string& out) const {
    return {Volume1(), Volume2(), out, 20, false, false, false};
  }

 private:
  TempDir root_;
};

}  // namespace skarvel::testing

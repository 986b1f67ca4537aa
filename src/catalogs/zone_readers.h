// The zone-file catalog readers of one run of the program (UCAC2, UCAC3,
// UCAC-BSS, USNO-SA1.0, USNO-SA2.0): each created on first use and kept, so
// that its index is loaded once and the paths confirmed in prompts stay.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "catalogs/field_load.h"
#include "catalogs/sa_files.h"
#include "catalogs/zone_catalogs.h"

namespace skarvel {

class ZoneCatalogReaders {
 public:
  /// `gscWorkingPath` gives the GSC working path, where the USNO-SA is looked
  /// for last.
  ZoneCatalogReaders(OptionsRecord& options, platform::Platform& ui, std::function<std::string()> gscWorkingPath = {});

  /// The readers the options may ask for, each told the colour choice of the
  /// field request, filled into `readers` (the on-line entry is left alone).
  /// Only the readers the options select are created.
  void Fill(FieldCatalogReaders& readers, std::uint8_t colourChoice);

  UCAC2FileObj& UCAC2();
  UCAC3FileObj& UCAC3();
  BSSFileObj& BSS();
  SAFilesObj& SA(int version);

 private:
  OptionsRecord& options_;
  platform::Platform& ui_;
  std::function<std::string()> gscWorkingPath_;
  std::unique_ptr<UCAC2FileObj> ucac2_;
  std::unique_ptr<UCAC3FileObj> ucac3_;
  std::unique_ptr<BSSFileObj> bss_;
  std::unique_ptr<SAFilesObj> sa1_;
  std::unique_ptr<SAFilesObj> sa2_;
};

}  // namespace skarvel

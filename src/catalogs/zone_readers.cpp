#include "catalogs/zone_readers.h"

namespace skarvel {

namespace {
constexpr std::uint8_t kLocalFiles = 0;
constexpr std::uint8_t kSupplementSA1 = 1;
constexpr std::uint8_t kSupplementSA2 = 2;
constexpr std::uint8_t kSupplementBSS = 3;
}  // namespace

ZoneCatalogReaders::ZoneCatalogReaders(OptionsRecord& options, platform::Platform& ui,
                                       std::function<std::string()> gscWorkingPath)
    : options_(options), ui_(ui), gscWorkingPath_(std::move(gscWorkingPath)) {}

UCAC2FileObj& ZoneCatalogReaders::UCAC2() {
  if (!ucac2_) ucac2_ = std::make_unique<UCAC2FileObj>(options_, ui_);
  return *ucac2_;
}
UCAC3FileObj& ZoneCatalogReaders::UCAC3() {
  if (!ucac3_) ucac3_ = std::make_unique<UCAC3FileObj>(options_, ui_);
  return *ucac3_;
}
BSSFileObj& ZoneCatalogReaders::BSS() {
  if (!bss_) bss_ = std::make_unique<BSSFileObj>(options_, ui_);
  return *bss_;
}
SAFilesObj& ZoneCatalogReaders::SA(int version) {
  std::unique_ptr<SAFilesObj>& sa = version == 1 ? sa1_ : sa2_;
  if (!sa) sa = std::make_unique<SAFilesObj>(options_, ui_, version, gscWorkingPath_);
  return *sa;
}

void ZoneCatalogReaders::Fill(FieldCatalogReaders& readers, std::uint8_t colourChoice) {
  if (options_.catalogLocation != kLocalFiles) return;
  if (options_.primaryCatalog == kPrimaryUCAC2) {
    UCAC2().SetColourChoice(colourChoice);
    readers.ucac2 = &UCAC2();
  }
  if (options_.primaryCatalog == kPrimaryUCAC3) {
    UCAC3().SetColourChoice(colourChoice);
    readers.ucac3 = &UCAC3();
  }
  switch (options_.supplCatalog) {
    case kSupplementSA1:
    case kSupplementSA2: {
      SAFilesObj& sa = SA(options_.supplCatalog);
      sa.SetColourChoice(colourChoice);
      (options_.supplCatalog == kSupplementSA1 ? readers.sa1 : readers.sa2) = &sa;
      break;
    }
    case kSupplementBSS:
      BSS().SetColourChoice(colourChoice);
      readers.bss = &BSS();
      break;
    default: break;
  }
}

}  // namespace skarvel

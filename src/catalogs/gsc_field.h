// The field star list of the program and the Guide Star Catalog field reader.
//
// Usage (the GSC part of a reference-field load):
//   field.BeginField();                       // empty list, counts 0, magnitudes 25 / -2
//   table.LoadRegions(true);
//   RegionList regions = table.FindRegions(params.window);
//   field.PrepareField();
//   field.LoadGSCField(params.window, regions);   // CD-ROM or converted form by `VornFormatGSC`
//   ... field.Stars() sorted by RA, then Dec.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_regions.h"
#include "config/options.h"
#include "foundations/record_list.h"
#include "platform/platform.h"

namespace skarvel {

/// The star lists: sorted by RA ascending, ties by Dec ascending.
using StarList = RecordList<CatalogStar, CatalogStarOrder>;

/// Sizes of the GSC region records, bytes.
inline constexpr std::size_t kGSCRecordBytes = 45;           ///< CD-ROM ASCII record
inline constexpr std::size_t kGSCHeaderBytes = 8640;         ///< FITS header of a CD-ROM region file (3 x 2880)
inline constexpr std::size_t kGSCConvertedRecordBytes = 27;  ///< converted binary record

/// Parses one 45-byte CD-ROM record of region `region` into a star with RA
/// in degrees (Catalog 1, Id "RRRRR-NNNNN", Entries 1, Band 8, UsePos 1,
/// UseMag `useMag`). False for a record whose first five characters are
/// blank or whose numbers cannot be read.
bool ParseGSCRecord(std::string_view record, std::uint32_t region, bool useMag, CatalogStar& star);

/// Decodes one 27-byte converted record of region `region` (RA hours, Dec
/// degrees; Catalog 1, Band 8, UsePos 1, UseMag `useMag`).
CatalogStar DecodeConvertedGSCRecord(const std::uint8_t* record, std::uint32_t region, bool useMag);

/// Combines each run of consecutive entries of `raw` with the same Id (RA in
/// degrees) into one star (RA in hours) and hands the merged stars to `take`
/// in run order, by the rules of GSCFieldObj::MergeEntries.
void MergeGSCEntries(const std::vector<const CatalogStar*>& raw, const std::function<void(const CatalogStar&)>& take);

class GSCFieldObj {
 public:
  /// `options` is the main window's working copy; `table` the regions table
  /// of the run (PrepareField takes the catalog root from it).
  GSCFieldObj(const OptionsRecord& options, platform::Platform& ui, GSCRgnsTblObj& table);

  /// Starts a field: empties `Stars`, StarCount and NonStellarCount 0,
  /// BrightestMag 25, FaintestMag -2.
  void BeginField();

  /// VolumePath1 (when empty: the directory where the regions table was found),
  /// VolumePath2 (when empty: `GSCPath2`, else VolumePath1), the catalog names
  /// from the options; empties `Stars`.
  void PrepareField();

  /// Reads the listed regions (in order) into `Stars`: from the converted
  /// files when `VornFormatGSC` is set, else from the CD-ROM region files with
  /// the plate entries merged. Only stars inside `window` (RA, Dec, magnitude)
  /// are taken. Returns true when `Stars` is not empty afterwards. A file
  /// error shows its message and ends the reading (CD-ROM entries read so far
  /// stay unmerged in `RawStars`); ReadComplete() tells whether every region was read.
  bool LoadGSCField(const SearchWindow& window, const RegionList& regions);

  /// Combines each run of consecutive `RawStars` entries with the same Id into
  /// one star of `Stars`: position weighted by 1/PosErr (10 when 0), magnitude
  /// by 1/MagErr (10 when 0), errors sqrt(n) / sum of weights, the largest
  /// Class, Entries n; Catalog, Id, Band, UsePos, UseMag of the last entry.
  /// RA (degrees in `RawStars`) is averaged relative to the run's first entry,
  /// across 0/360, and given in hours in [0, 24).
  void MergeEntries();

  /// The star of `Stars` nearest to (x, y) in reference-field picture units,
  /// closer than 100; the first of equal distances. Its index, or -1 (then
  /// `star` is left alone).
  std::int32_t NearestStar(std::int32_t x, std::int32_t y, CatalogStar* star);

  /// Finds region n's CD-ROM file (prompting for the volume while it is
  /// missing) and opens it at its first record (byte 8640). False after a
  /// cancelled prompt (silently) or an open failure ("Unable to Open GSC File!").
  bool OpenRegionFile(std::uint32_t region);

  /// Inserts a star of another reader into `Stars` and counts it (stellar:
  /// StarCount and the magnitude extremes; else NonStellarCount).
  void AddStar(const CatalogStar& star);
  /// Sets the magnitude extremes and StarCount after a supplement merge.
  void SetSummary(float brightest, float faintest, std::int32_t starCount) {
    brightestMag_ = brightest;
    faintestMag_ = faintest;
    starCount_ = starCount;
  }

  StarList& Stars() { return stars_; }
  StarList& RawStars() { return rawStars_; }
  float BrightestMag() const { return brightestMag_; }
  float FaintestMag() const { return faintestMag_; }
  std::int32_t StarCount() const { return starCount_; }
  std::int32_t NonStellarCount() const { return nonStellarCount_; }
  const std::string& PrimaryName() const { return primaryName_; }
  const std::string& SupplementName() const { return supplementName_; }
  const std::string& VolumePath1() const { return volumePath1_; }
  const std::string& VolumePath2() const { return volumePath2_; }
  void SetVolumePaths(const std::string& path1, const std::string& path2) {
    volumePath1_ = path1;
    volumePath2_ = path2;
  }
  /// The regions the last LoadGSCField was asked to read.
  const RegionList& RegionsRequested() const { return regionsRequested_; }
  /// False when the last LoadGSCField stopped at a region it could not read.
  bool ReadComplete() const { return readComplete_; }

 private:
  bool ReadConvertedRegion(const SearchWindow& window, std::uint32_t region);
  void ReadOpenRegion(const SearchWindow& window, std::uint32_t region);
  void CountMagnitude(float mag);

  const OptionsRecord& options_;
  platform::Platform& ui_;
  GSCRgnsTblObj& table_;
  StarList stars_;
  StarList rawStars_;
  float brightestMag_ = 25;
  float faintestMag_ = -2;
  std::int32_t starCount_ = 0;
  std::int32_t nonStellarCount_ = 0;
  std::string primaryName_;
  std::string supplementName_;
  std::string volumePath1_;
  std::string volumePath2_;
  std::ifstream regionFile_;
  int zone_ = 0;
  bool readComplete_ = true;
  RegionList regionsRequested_;
};

}  // namespace skarvel

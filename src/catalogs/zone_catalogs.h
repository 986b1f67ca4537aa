// The zone-file star catalogs: UCAC2 (the base reader), UCAC3 and the UCAC2
// Bright Star Supplement (UCAC-BSS).
//
// Each catalog is a set of declination-zone files of fixed binary records,
// sorted by RA within a zone, and an index of cumulative counts per zone and
// 0.1 h RA bin. A field read:
//   UCAC2FileObj ucac2(options, ui);
//   ucac2.SetColourChoice(request.colourChoice);
//   if (ucac2.OpenCatalog())                     // finds and loads the index once
//     ucac2.ReadField(window, julianDate, stars); // ranges, records, conversion, window test
// The readers search, convert to the observation time and hand back their own
// list sorted by RA then Dec; the load sequence merges it into the field list.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_load.h"
#include "catalogs/field_parameters.h"
#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// Julian date of J2000.0, the catalog epoch of every zone catalog.
inline constexpr long double kJ2000JulianDate = 2451545.0L;
/// Days per Julian year.
inline constexpr long double kDaysPerJulianYear = 365.25L;

/// Years from J2000.0 to the observation at `julianDate`.
inline long double YearsFromJ2000(long double julianDate) {
  return (julianDate - kJ2000JulianDate) / kDaysPerJulianYear;
}

/// Width of an RA bin of the zone indexes, hours, and the bins per zone.
inline constexpr double kRABinHours = 0.1;
inline constexpr int kRABins = 240;

/// One stretch of records of one zone file: records [first, last) counted from
/// the start of the zone file (0-based), and the running number of the
/// catalog record before the first one (the Id of a record is base + its
/// 1-based position from `first`).
struct ZoneRange {
  int zone = 0;
  std::int64_t before = 0;  ///< P(i): the index count before the zone
  std::int64_t first = 0;
  std::int64_t last = 0;
  std::int64_t idBase = 0;  ///< running number of the record before `first`
};

/// Sizes of the zone-file records, bytes.
inline constexpr std::size_t kUCAC2RecordBytes = 44;
inline constexpr std::size_t kUCAC3RecordBytes = 84;

/// The UCAC2 reader, and the base of the UCAC3 and BSS readers.
class UCAC2FileObj : public FieldCatalogReader {
 public:
  /// `options` is the main window's working copy (the BSS reader stores its
  /// chosen directory in it).
  UCAC2FileObj(OptionsRecord& options, platform::Platform& ui);

  /// The colour choice of the field parameters dialog (which band a star carries).
  void SetColourChoice(std::uint8_t choice) { colourChoice_ = choice; }

  /// Finds the index (prompting while it is missing) and loads it once per run.
  /// True when the index is loaded.
  bool OpenCatalog() override;
  /// SelectRanges, then every range read, converted to `julianDate` and
  /// filtered by Accepts into `stars` (sorted by RA, then Dec). True when
  /// `stars` is not empty.
  bool ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) override;

  /// The record ranges of `window`: one per zone from DecZone(DecMin) to
  /// DecZone(DecMax) (never beyond the last zone), two per zone for a window
  /// that wraps through 0 h (bins 1..a, then b..240).
  virtual void SelectRanges(const SearchWindow& window);
  /// Reads the index file `name` (the zone-major counts). False after its message.
  virtual bool LoadIndex(const std::string& name);
  /// Opens zone `zone`'s file at its start (prompting while it is missing).
  /// False after a cancelled prompt or the open failure's message.
  virtual bool OpenZone(int zone);
  /// The window test: RA (with wrap), Dec and Mag <= MagLimit.
  virtual bool Accepts(const CatalogStar& star, const SearchWindow& window) const;
  /// Converts one record (RecordBytes() long) to a star at `years` from J2000.0;
  /// `runningNumber` is the record's running number in the catalog (for the Id).
  virtual CatalogStar ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber, long double years) const;
  /// trunc(RA / 0.1) + 1, kept within 1..240.
  virtual int RABin(double raHours) const;
  /// trunc((Dec + 90) / 0.5) + 1 (0.5-degree zones from the south pole).
  virtual int DecZone(double decDeg) const;

  bool Loaded() const { return loaded_; }
  const std::string& CatalogPath() const { return path_; }
  const std::vector<ZoneRange>& Ranges() const { return ranges_; }
  float BrightestMag() const { return brightestMag_; }
  float FaintestMag() const { return faintestMag_; }
  std::int32_t StarCount() const { return starCount_; }

 protected:
  /// Index value N(zone, bin) (bin 0 is the value before the zone).
  virtual std::int64_t IndexValue(int zone, int bin) const;
  virtual int ZoneCount() const { return 288; }
  virtual std::size_t RecordBytes() const { return kUCAC2RecordBytes; }
  virtual std::string ProgressText() const { return "UCAC2 Catalog\r\nSearching Selected UCAC2 Zones."; }
  /// The ranges of zone `zone` for bins from..to (inclusive).
  virtual ZoneRange RangeOf(int zone, int fromBin, int toBin) const;
  /// Reads an index of `count` little-endian int32 values from `name` into
  /// `index_`; on failure shows `message` + the file and the code under `caption`.
  bool ReadIndexFile(const std::string& name, std::size_t count, const std::string& message,
                     const std::string& caption);
  /// Opens `name` into `zoneFile_`; on failure shows `message` + file and code.
  bool OpenZoneFile(const std::string& name, const std::string& message, const std::string& caption);

  OptionsRecord& options_;
  platform::Platform& ui_;
  bool loaded_ = false;
  std::string path_;
  std::vector<std::int32_t> index_;
  std::vector<ZoneRange> ranges_;
  std::ifstream zoneFile_;
  std::uint8_t colourChoice_ = 1;
  float brightestMag_ = 25;
  float faintestMag_ = -2;
  std::int32_t starCount_ = 0;
};

/// The UCAC3 reader: 360 zones on two CD-ROM sides, 84-byte records, the
/// index "u3index.unf" and the zone table "table_zones".
class UCAC3FileObj : public UCAC2FileObj {
 public:
  UCAC3FileObj(OptionsRecord& options, platform::Platform& ui);

  /// Side paths from the options, the working path, index and zone table
  /// (prompting while the index is missing), the available sides.
  bool OpenCatalog() override;
  bool LoadIndex(const std::string& name) override;
  /// Zone files "z" + 3 digits: zones 1..144 from side 1, the others from side 2.
  bool OpenZone(int zone) override;
  /// The 84-byte record; the colour choice picks the magnitude.
  CatalogStar ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber, long double years) const override;

  /// Reads "table_zones": the first line skipped, then "zone first last" per
  /// line (first stored as F - 1). False after its message.
  bool LoadZoneTable(const std::string& name);
  const std::string& Side1Directory() const { return side1Dir_; }
  const std::string& Side2Directory() const { return side2Dir_; }

 protected:
  std::int64_t IndexValue(int zone, int bin) const override;
  int ZoneCount() const override { return 360; }
  std::size_t RecordBytes() const override { return kUCAC3RecordBytes; }
  std::string ProgressText() const override { return "UCAC3 Catalog\r\nSearching Selected UCAC3 Zones."; }
  ZoneRange RangeOf(int zone, int fromBin, int toBin) const override;

 private:
  bool OnCdrom(const std::string& dir) const;

  std::vector<std::int64_t> zoneFirst_;  ///< F(i) - 1, indexed by zone
  std::vector<std::int64_t> zoneLast_;   ///< L(i)
  std::string side1Dir_;
  std::string side2Dir_;
};

/// The UCAC2 Bright Star Supplement: 36 zones of 5 degrees, files "s01".."s36"
/// and the index "bsindex.da" (also found as "bsindx.da") in one directory.
class BSSFileObj : public UCAC2FileObj {
 public:
  BSSFileObj(OptionsRecord& options, platform::Platform& ui);

  /// The index in `BSSPath` (else `UCAC2Path` + "BSS\", `GSCPath1`,
  /// `ProgramDir`); while it is missing a directory chooser, whose choice
  /// goes into `BSSPath`.
  bool OpenCatalog() override;
  bool LoadIndex(const std::string& name) override;
  bool OpenZone(int zone) override;
  CatalogStar ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber, long double years) const override;
  /// trunc((Dec + 90) / 5) + 1.
  int DecZone(double decDeg) const override;

  /// The index file of a BSS directory: "bsindex.da" or "bsindx.da" (any
  /// letter case); "" when neither is there.
  static std::string FindIndex(const std::string& dir);

 protected:
  int ZoneCount() const override { return 36; }
  std::string ProgressText() const override { return "UCAC2-BSS Catalog\r\nSearching Selected BSS Zones."; }
};

/// Decodes the fields of a 44-byte UCAC2/BSS record used by the readers.
struct UCAC2Record {
  std::int32_t raMas = 0;
  std::int32_t decMas = 0;
  std::int16_t mag = 0;        ///< 0.01 mag
  std::uint8_t observations = 0;
  std::int8_t posErrCode = 0;  ///< PosErr = (e + 127) / 1000 arc seconds
  std::int32_t pmRA = 0;       ///< 0.1 mas/yr
  std::int32_t pmDec = 0;      ///< 0.1 mas/yr
};
UCAC2Record DecodeUCAC2Record(const std::uint8_t* record);

}  // namespace skarvel

// The USNO-SA1.0 and USNO-SA2.0 readers: 24 zones of 7.5 degrees, each a
// ".ACC" access text (first record per 0.25 h of RA) and a ".CAT" file of
// 12-byte big-endian records sorted by RA.
//
//   SAFilesObj sa(options, ui, 2);        // USNO-SA2.0
//   sa.SetColourChoice(1);                // 0 blue, 1 red
//   if (sa.OpenCatalog()) sa.ReadField(window, jd, stars);
//   sa.Merge(field, stars);               // MergeSupplement: the GSC star wins within 2"
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_load.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// Bytes of one ".CAT" record and of one ".ACC" line.
inline constexpr std::size_t kSARecordBytes = 12;
inline constexpr std::size_t kSAAccessLineBytes = 30;

/// A decoded ".CAT" record.
struct SARecord {
  std::int32_t ra = 0;    ///< 0.01 arc seconds (hours = value / 5,400,000)
  std::int32_t spd = 0;   ///< south pole distance, 0.01 arc seconds
  std::int32_t magWord = 0;
  long double RAHours() const { return ra / 5400000.0L; }
  long double DecDeg() const { return spd / 360000.0L - 90.0L; }
  /// Digits of |magWord| as Q FFF BBB RRR: red RRR / 10, blue BBB / 10, field FFF.
  float Red() const;
  float Blue() const;
  int FieldNumber() const;
};
/// Decodes 12 bytes: three big-endian signed 32-bit integers.
SARecord DecodeSARecord(const std::uint8_t* bytes);

/// One zone to read: its ".ACC"/".CAT" name stem ("ZONE0750") and the 0-based
/// record to start at.
struct SAZone {
  int start = 0;  ///< south pole distance of the band start, 0.1 degree (0, 75, ... 1725)
  std::int64_t firstRecord = 0;
};

class SAFilesObj : public FieldCatalogReader {
 public:
  /// `version` 1 (USNO-SA1.0) or 2 (USNO-SA2.0); `gscWorkingPath` gives the
  /// GSC working path, the last place looked at.
  SAFilesObj(const OptionsRecord& options, platform::Platform& ui, int version,
             std::function<std::string()> gscWorkingPath = {});

  void SetColourChoice(std::uint8_t choice) { colourChoice_ = choice; }

  /// LocateCatalog.
  bool OpenCatalog() override;
  /// SelectZones, then the zones' records in the window with a valid
  /// magnitude of the chosen colour <= MagLimit; `stars` sorted by RA, Dec.
  bool ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) override;
  /// MergeSupplement.
  void Merge(GSCFieldObj& field, const std::vector<CatalogStar>& stars) override;

  /// Finds "ZONE0000.ACC" (prompting while it is missing). True when found.
  bool LocateCatalog();
  /// The zones of the window's two Dec limits (one when both fall in the same
  /// band) with their starting records from the ".ACC" files. False after an
  /// access file failed (its message shown): the SA read is skipped.
  bool SelectZones(const SearchWindow& window, std::vector<SAZone>& zones);

  const std::string& CatalogPath() const { return path_; }
  std::string Name() const { return version_ == 1 ? "USNO-SA1.0" : "USNO-SA2.0"; }

 private:
  bool ReadZone(const SAZone& zone, const SearchWindow& window, StarList& list);

  const OptionsRecord& options_;
  platform::Platform& ui_;
  int version_;
  std::function<std::string()> gscWorkingPath_;
  std::string path_;
  bool located_ = false;
  std::uint8_t colourChoice_ = 1;
};

/// The zone name stem of a start value: "ZONE" + 4 digits.
std::string SAZoneStem(int start);

/// MergeSupplement on the field list: the supplement stars inserted sorted,
/// the field's magnitude extremes widened (a value of 0 replaced), then each
/// pair of neighbours from different catalogs closer than 2" loses its SA
/// star; StarCount = entries - NonStellarCount at the end.
void MergeSupplement(GSCFieldObj& field, const std::vector<CatalogStar>& stars);

}  // namespace skarvel

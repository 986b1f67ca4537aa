// The report: the user, camera and site records that go into its header, the
// catalogs used, the acknowledgement, and its observation records in time order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "astrometry/obs_params.h"
#include "astrometry/reference_star.h"
#include "config/observer_records.h"

namespace skarvel {

struct OptionsRecord;

/// One observation: the image's observation parameters and its target record (343 bytes).
struct ObservationRecord {
  static constexpr std::size_t kBytes = ObsParams::kBytes + ReferenceStar::kBytes;
  ObsParams params;
  ReferenceStar target;
  bool operator==(const ObservationRecord&) const = default;
};

void WriteObservationRecord(ByteWriter& out, const ObservationRecord& r);
/// Reads 343 bytes. Throws IOFailure on a short input.
ObservationRecord ReadObservationRecord(ByteReader& in);

/// The catalogs the observations were reduced with, as the report headers name them.
struct CatalogsUsed {
  bool noPrimary = false;
  bool gsc = false;
  bool ucac2 = false;
  bool ucac3 = false;
  bool sa1 = false;
  bool sa2 = false;
  bool bss = false;
  bool nomad = false;
  bool usnoB1 = false;
  bool usnoA2 = false;
  bool usnoA1 = false;   ///< kept with old report files; no reader of this program uses it
  bool gscOnACT = false;  ///< the GSC was on the ACT system
  bool gaiaDR3 = false;   ///< Gaia DR3 on-line (VizieR)
  bool ucac4 = false;     ///< UCAC4 on-line (VizieR)
  bool operator==(const CatalogsUsed&) const = default;
};

/// The catalog a report names, as the MPC and ADES know it.
struct ReportCatalog {
  char mpcCode = ' ';   ///< the MPC's catalog code letter (column 72 of the 80-column line); ' ' unknown
  std::string astCat;   ///< the ADES astCat name ("Gaia3", "UCAC4"); empty when unknown
};

/// The catalog the report's observations were reduced with, chosen in the
/// order of the "NET" line: Gaia DR3, UCAC4, then GSC (GSC-ACT "m"/"GSCACT",
/// else "i"/"GSC1.1"), USNO-A2.0, USNO-B1.0, NOMAD, UCAC2; then UCAC3,
/// USNO-SA1.0, USNO-SA2.0. Unknown (' ', "") when none is recorded.
ReportCatalog ReportCatalogOf(const CatalogsUsed& catalogs);

/// The report of a session. The main window creates it once, at the first
/// session start, with the records of the options working copy.
class AstromObsObj {
 public:
  AstromObsObj(const UserRecord& userRecord, const CameraRecord& cameraRecord, const SiteRecord& siteRecord)
      : user(userRecord), camera(cameraRecord), site(siteRecord) {}

  UserRecord user;
  CameraRecord camera;
  SiteRecord site;
  /// The camera record was last filled from an image header.
  bool cameraFromImage = false;
  /// Set while the report window rebuilds its text after an edit: the
  /// acknowledgement is then not renewed.
  bool quietRefresh = false;
  /// The next report text is the short (electronic) form.
  bool shortForm = true;
  CatalogsUsed catalogs;
  std::string ackMessage;   ///< at most 76 characters
  std::string ackEmail;     ///< at most 76 characters
  bool ackEmailTyped = false;

  /// Number of observation records in the report.
  std::size_t Count() const { return observations_.size(); }
  bool Empty() const { return observations_.empty(); }
  const std::vector<ObservationRecord>& Observations() const { return observations_; }
  std::vector<ObservationRecord>& Observations() { return observations_; }

  /// Copies the records given; a camera record clears the camera-from-image
  /// flag; `clearList` empties the observations. Always clears the quiet refresh.
  void SetRecords(const UserRecord* newUser, const CameraRecord* newCamera, bool clearList,
                  const SiteRecord* newSite);
  /// Inserts an observation in time order (after those of the same time) and
  /// records the catalogs the options select. Returns its index.
  std::size_t AddObservation(const ObsParams& params, const ReferenceStar& target, const OptionsRecord& options);
  /// Removes observation `index` (nothing outside the list).
  void DeleteObservation(std::size_t index);

 private:
  std::vector<ObservationRecord> observations_;
};

}  // namespace skarvel

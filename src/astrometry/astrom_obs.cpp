#include "astrometry/astrom_obs.h"

#include <algorithm>

#include "config/options.h"

namespace skarvel {

void WriteObservationRecord(ByteWriter& out, const ObservationRecord& r) {
  WriteObsParams(out, r.params);
  WriteReferenceStar(out, r.target);
}

ObservationRecord ReadObservationRecord(ByteReader& in) {
  ObservationRecord r;
  r.params = ReadObsParams(in);
  r.target = ReadReferenceStar(in);
  return r;
}

void AstromObsObj::SetRecords(const UserRecord* newUser, const CameraRecord* newCamera, bool clearList,
                              const SiteRecord* newSite) {
  if (newUser != nullptr) user = *newUser;
  if (newCamera != nullptr) {
    camera = *newCamera;
    cameraFromImage = false;
  }
  if (newSite != nullptr) site = *newSite;
  if (clearList) observations_.clear();
  quietRefresh = false;
}

std::size_t AstromObsObj::AddObservation(const ObsParams& params, const ReferenceStar& target,
                                         const OptionsRecord& options) {
  const auto at = std::upper_bound(observations_.begin(), observations_.end(), params.observationTime,
                                   [](double t, const ObservationRecord& r) { return t < r.params.observationTime; });
  const auto index = static_cast<std::size_t>(at - observations_.begin());
  observations_.insert(at, ObservationRecord{params, target});
  if (options.catalogLocation == 0) {
    catalogs.noPrimary = options.primaryCatalog == kPrimaryNone;
    catalogs.gsc = options.primaryCatalog == kPrimaryGSC;
    catalogs.ucac2 = options.primaryCatalog == kPrimaryUCAC2;
    catalogs.ucac3 = options.primaryCatalog == kPrimaryUCAC3;
    const bool suppl = options.primaryCatalog <= kPrimaryGSC;
    catalogs.sa1 = suppl && options.supplCatalog == 1;
    catalogs.sa2 = suppl && options.supplCatalog == 2;
    catalogs.bss = suppl && options.supplCatalog == 3;
    catalogs.gscOnACT = options.gscOnACT;
    // The catalogs only VizieR serves were not used for this observation.
    catalogs.gaiaDR3 = false;
    catalogs.ucac4 = false;
  } else {
    catalogs.nomad = options.webCatalog == kWebNOMAD;
    catalogs.usnoB1 = options.webCatalog == kWebUSNOB1;
    catalogs.usnoA2 = options.webCatalog == kWebUSNOA2;
    catalogs.gaiaDR3 = options.webCatalog == kWebGaiaDR3;
    catalogs.ucac4 = options.webCatalog == kWebUCAC4;
  }
  quietRefresh = false;
  return index;
}

ReportCatalog ReportCatalogOf(const CatalogsUsed& c) {
  // Codes and names: the MPC's list of star catalogs for column 72 and ADES astCat.
  if (c.gaiaDR3) return {'W', "Gaia3"};
  if (c.ucac4) return {'q', "UCAC4"};
  if (c.gsc) return c.gscOnACT ? ReportCatalog{'m', "GSCACT"} : ReportCatalog{'i', "GSC1.1"};
  if (c.usnoA2) return {'c', "USNOA2"};
  if (c.usnoB1) return {'o', "USNOB1"};
  if (c.nomad) return {'v', "NOMAD"};
  if (c.ucac2) return {'r', "UCAC2"};
  if (c.ucac3) return {'u', "UCAC3"};
  if (c.sa1) return {'b', "USNOSA1"};
  if (c.sa2) return {'d', "USNOSA2"};
  return {};
}

void AstromObsObj::DeleteObservation(std::size_t index) {
  if (index < observations_.size()) observations_.erase(observations_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace skarvel

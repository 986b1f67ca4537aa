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
  } else {
    catalogs.nomad = options.webCatalog == 0;
    catalogs.usnoB1 = options.webCatalog == 1;
    catalogs.usnoA2 = options.webCatalog == 2;
  }
  quietRefresh = false;
  return index;
}

void AstromObsObj::DeleteObservation(std::size_t index) {
  if (index < observations_.size()) observations_.erase(observations_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace skarvel

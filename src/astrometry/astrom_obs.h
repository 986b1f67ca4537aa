// The report: the user, camera and site records that go into its header, and
// its list of observation records.
#pragma once

#include <cstddef>

#include "config/observer_records.h"

namespace skarvel {

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

  /// Number of observation records in the report.
  std::size_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }

 protected:
  std::size_t count_ = 0;
};

}  // namespace skarvel

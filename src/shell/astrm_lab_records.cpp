// The "Set &Information Parameters" commands of the main window.
#include "shell/astrm_lab.h"

namespace skarvel {

void AstrmLab::UserInformation() {
  if (report_ == nullptr || !views_.userInformation) return;
  if (!views_.userInformation(report_->user)) return;
  options_.userRecord = report_->user;
  RefreshReportWindow(false);
  NoteOptionsChanged();
}

void AstrmLab::CameraParameters() {
  if (report_ == nullptr || !views_.cameraParameters) return;
  const CameraRecord* current = report_->cameraFromImage ? &report_->camera : nullptr;
  if (!views_.cameraParameters(report_->camera, current)) return;
  options_.cameraRecord = report_->camera;
  RefreshReportWindow(false);
  NoteOptionsChanged();
}

void AstrmLab::SiteInformation() {
  if (report_ == nullptr || !views_.siteInformation) return;
  if (!views_.siteInformation(report_->site)) return;
  options_.siteRecord = report_->site;
  RefreshReportWindow(false);
  NoteOptionsChanged();
}

}  // namespace skarvel

// The main window's part of the options dialogs: "Software Options" from the
// Preferences commands, and "Set Star Catalog Options" from "&Change" of the
// field parameters dialog.
#include "config/ui/t_catlg_opts_dlg.h"
#include "config/ui/t_options_dlg.h"
#include "shell/ui/t_astrm_lab.h"

namespace skarvel::ui {

OptionsDialogResult TAstrmLab::OptionsDialog(OptsObj& opts) {
  TOptionsDlg dialog(&opts, lab_.Ui(), search_, this);
  OptionsDialogResult result;
  result.ok = dialog.exec() == QDialog::Accepted;
  if (!result.ok) return result;
  const SoftwareOptionsLogic& logic = *dialog.Logic();
  result.userChanged = logic.Confirmed(OptionsSubDialog::User);
  result.cameraChanged = logic.Confirmed(OptionsSubDialog::Camera);
  result.siteChanged = logic.Confirmed(OptionsSubDialog::Site);
  // The next field load reads the regions table and the volume paths with the new settings.
  if (regions_ != nullptr) regions_->MarkNotLoaded();
  if (field_ != nullptr) field_->SetVolumePaths("", "");
  return result;
}

std::optional<OptionsRecord> TAstrmLab::ChangeCatalogOptions(const OptionsRecord& copy) {
  OptionsRecord changed = copy;
  TCatlgOptsDlg dialog(&changed, lab_.Ui(), this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return changed;
}

}  // namespace skarvel::ui

#include "shell/ui/record_dialog_views.h"

#include <memory>

#include "config/ui/t_record_list_form.h"
#include "config/ui/t_usr_parms_dlg.h"

namespace skarvel::ui {

void InstallRecordDialogs(AstrmLabViews& views, AstrmLab& lab, QWidget* parent) {
  auto search = std::make_shared<SearchDialogState>();
  views.userInformation = [&lab, parent](UserRecord& record) {
    TUsrParmsDlg dialog(record, lab.Ui(), lab.Options().dataDir, parent);
    return dialog.exec() == QDialog::Accepted;
  };
  views.cameraParameters = [&lab, parent, search](CameraRecord& record, const CameraRecord* current) {
    const OptionsRecord& o = lab.Options();
    QtListWindowRunner lists(lab.Ui(), *search, parent);
    TCamParmsDlg dialog(record, current, o.oldReportFormat, lab.Ui(), {o.cameraFile, o.dataDir, o.programDir}, lists,
                        parent);
    return dialog.exec() == QDialog::Accepted;
  };
  views.siteInformation = [&lab, parent, search](SiteRecord& record) {
    const OptionsRecord& o = lab.Options();
    QtListWindowRunner lists(lab.Ui(), *search, parent);
    TSiteParmsDlg dialog(record, lab.Ui(), {o.stationsFile, o.dataDir, o.programDir}, o.obsCodesFile, lists, parent);
    return dialog.exec() == QDialog::Accepted;
  };
}

}  // namespace skarvel::ui

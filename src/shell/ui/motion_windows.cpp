#include "shell/ui/motion_windows.h"

#include "astrometry/ui/t_info_list_form1.h"
#include "config/ui/t_record_list_form.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "orbits/ui/t_baseline_dlg.h"
#include "orbits/ui/t_mean_eph_form1.h"
#include "shell/motion_session.h"
#include "shell/ui/obs_list_form.h"

namespace skarvel::ui {

MotionWindows::MotionWindows(AstrmLab& lab, QWidget* parent, SearchDialogState& search)
    : lab_(lab),
      parent_(parent),
      search_(search),
      baseline_(std::make_unique<TInfoListForm1>(lab.Motion().BaselineWindow(), lab.Ui(), search)) {
  baseline_->setObjectName("BaselineList");
}

MotionWindows::~MotionWindows() = default;

void MotionWindows::Install() {
  MotionViews& v = lab_.Motion().Views();
  v.pickObservations = [this](ObservationPicker& picker) {
    ObsListForm form(picker, lab_.Ui(), parent_);
    return form.Pick();
  };
  v.positionsDialog = [this](MeanMotionForm& form, const std::function<bool(const MeanMotionForm&)>& accept) {
    TMeanEphForm1 dialog(form, accept, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.baselineDialog = [this](BaselineDialogLogic& logic) {
    const auto siteDialog = [this](SiteRecord& record, const std::string& caption) {
      const OptionsRecord& o = lab_.Options();
      QtListWindowRunner lists(lab_.Ui(), search_, parent_);
      TSiteParmsDlg dialog(record, lab_.Ui(), {o.stationsFile, o.dataDir, o.programDir}, o.obsCodesFile, lists,
                           parent_);
      dialog.setWindowTitle(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
      return dialog.exec() == QDialog::Accepted;
    };
    TBaselineDlg dialog(logic, siteDialog, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.showBaselineReport = [this] { baseline_->ShowList(); };
}

}  // namespace skarvel::ui

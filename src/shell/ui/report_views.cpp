#include "shell/ui/report_views.h"

#include "astrometry/ui/astrom_list_form.h"
#include "astrometry/ui/t_ack_msg_form.h"
#include "astrometry/ui/t_obs_params_dlg.h"
#include "foundations/date_time.h"
#include "orbits/orbit_files.h"
#include "shell/orbit_session.h"

namespace skarvel::ui {

ReportViews::ReportViews(AstrmLab& lab, SearchDialogState& search, QWidget* parent)
    : lab_(lab), search_(search), parent_(parent) {}

ReportViews::~ReportViews() = default;

void ReportViews::Release() {
  window_.reset();
}

AstromListForm& ReportViews::MakeWindow() {
  if (window_ == nullptr) {
    window_ = std::make_unique<AstromListForm>(*lab_.ReportWindow(), lab_.Ui(), search_);
    window_->SetSettingsSource([this] {
      InfoListSettings s;
      s.reportDir = lab_.reportDir;
      s.userLine = lab_.Options().userRecord.contactName;
      s.now = CurrentDateTimeValue();
      return s;
    });
  }
  return *window_;
}

void ReportViews::Install(AstrmLabViews& views) {
  views.showReport = [this] {
    if (lab_.ReportWindow() != nullptr) MakeWindow().ShowList();
  };
  views.refreshReport = [this] {
    if (window_ != nullptr) window_->Refresh();
  };
  views.reportWindowVisible = [this] { return window_ != nullptr && window_->isVisible(); };
  views.acknowledgement = [this](AstromObsObj& report, bool cancelEnabled) {
    TACKMsgForm::Ask(report, cancelEnabled, window_ != nullptr ? static_cast<QWidget*>(window_.get()) : parent_);
  };
  views.editObservationParameters = [this](ObsParams& params) {
    const OptionsRecord& o = lab_.Options();
    OrbitFiles files(OrbitFileContext{lab_.Ui(), o, {}});
    OrbitFilesLookup lookup(files);
    ObsParamsSettings settings;
    settings.oldReportFormat = o.oldReportFormat;
    settings.fitsImages = o.imageFileType == 0;
    settings.autoVerifyID = o.autoVerifyID;
    settings.currentYear = DecodeDate(CurrentDateTimeValue()).year;
    TObsParamsDlg dialog(params, "Edit Parameters", true, settings, lab_.verifiedIds, lookup, lab_.Ui(), window_.get());
    dialog.SetHelp([this](const std::string&) { lab_.Help().ObsParamsHelp(); });
    return dialog.exec() == QDialog::Accepted;
  };
  views.reportChart = [this] {
    if (lab_.Available("CreateChart1")) lab_.Orbits().ChartMeasuredPositions();
  };
  // The chart's measurement records are picked in this window.
  views.orbits.showObservationList = [this] {
    ReportList* list = lab_.ReportWindow();
    if (list == nullptr) return;
    if (window_ != nullptr && window_->isVisible()) {
      window_->raise();
      return;
    }
    if (list->Form()) {
      list->Rebuild(true);
      MakeWindow().ShowList();
    } else {
      // Shown for picking a line: the acknowledgement is not asked for.
      lab_.Report()->quietRefresh = true;
      list->ShowForm(ReportForm::kShort);
      lab_.Report()->quietRefresh = false;
    }
  };
  views.orbits.selectedObservation = [this]() -> std::optional<std::size_t> {
    ReportList* list = lab_.ReportWindow();
    if (list == nullptr || window_ == nullptr || !window_->isVisible()) return std::nullopt;
    const int observation = list->ObservationOfLine(list->Selected());
    if (observation < 0) return std::nullopt;
    return static_cast<std::size_t>(observation);
  };
  views.orbits.closeObservationList = [this] {
    if (window_ != nullptr) window_->hide();
  };
}

}  // namespace skarvel::ui

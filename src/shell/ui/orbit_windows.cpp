#include "shell/ui/orbit_windows.h"

#include "astrometry/ui/t_info_list_form1.h"
#include "config/ui/t_record_list_form.h"
#include "foundations/date_time.h"
#include "orbits/ui/t_chrt_cntrl_box.h"
#include "orbits/ui/t_ast_orb_fl_dlg.h"
#include "orbits/ui/t_comet_srch_dlg1.h"
#include "orbits/ui/t_ephemeris_dlg.h"
#include "orbits/ui/t_orb_el_form1.h"
#include "orbits/ui/t_orb_srch_dlg1.h"
#include "orbits/ui/t_orbit_fit_form.h"

namespace skarvel::ui {

OrbitWindows::OrbitWindows(AstrmLab& lab, QWidget* parent, SearchDialogState& search)
    : lab_(lab),
      parent_(parent),
      search_(search),
      ephemeris_(std::make_unique<TInfoListForm1>(lab.Orbits().EphemerisWindow(), lab.Ui(), search)),
      results_(std::make_unique<TInfoListForm1>(lab.Orbits().ResultsWindow(), lab.Ui(), search)),
      chart_(std::make_unique<TChrtCntrlBox>()),
      comets_(std::make_unique<TInfoListForm1>(lab.Orbits().CometWindow(), lab.Ui(), search)),
      statistics_(std::make_unique<TInfoListForm1>(lab.Orbits().StatisticsWindow(), lab.Ui(), search)) {
  ephemeris_->setObjectName("EphemListForm");
  comets_->setObjectName("CometListForm");
  statistics_->setObjectName("MPCStatRprtList");
  results_->setObjectName("LocateListForm");
  const auto settings = [this] {
    InfoListSettings s;
    s.reportDir = lab_.reportDir.empty() ? lab_.Options().dataDir : lab_.reportDir;
    s.userLine = lab_.Options().userRecord.contactName;
    s.now = CurrentDateTimeValue();
    return s;
  };
  for (TInfoListForm1* form : {ephemeris_.get(), results_.get(), comets_.get(), statistics_.get()})
    form->SetSettingsSource(settings);
  OrbitSession& orbits = lab_.Orbits();
  orbits.EphemerisWindow().onChart = [this] {
    lab_.Orbits().CreateChart(true);
    After();
  };
  orbits.ResultsWindow().onLoad = [this](int line) {
    lab_.Orbits().LoadResult(line);
    After();
  };
  orbits.CometWindow().onLoad = [this](int line) {
    lab_.Orbits().LoadComet(line);
    After();
  };
  chart_->onOk = [this] {
    const bool close = lab_.Orbits().ChartOk();
    After();
    return close;
  };
  chart_->onCancel = [this] {
    lab_.Orbits().ChartCancel();
    After();
  };
}

OrbitWindows::~OrbitWindows() = default;

void OrbitWindows::After() {
  if (afterCommand) afterCommand();
}

void OrbitWindows::Install(AstrmLabViews& views) {
  OrbitViews& v = views.orbits;
  v.ephemerisDialog = [this](EphemerisDialogLogic& logic) {
    TEphemerisDlg dialog(logic, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.searchDialog = [this](SearchDialogLogic& logic) {
    TOrbSrchDlg1 dialog(logic, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.elementsDialog = [this](ElementDialogLogic& logic) {
    QtListWindowRunner runner(lab_.Ui(), search_, parent_);
    logic.listRunner = &runner;
    TOrbElForm1 dialog(logic, parent_);
    const bool ok = dialog.exec() == QDialog::Accepted;
    logic.listRunner = nullptr;
    return ok;
  };
  v.recordFinder = [this](RecordFinder& finder) {
    TAstOrbFlDlg dialog(finder, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.cometSearchDialog = [this](CometSearchDialogLogic& logic) {
    TCometSrchDlg1 dialog(logic, parent_);
    return dialog.exec() == QDialog::Accepted;
  };
  v.showCometResults = [this] { comets_->ShowList(); };
  v.hideCometResults = [this] { comets_->hide(); };
  v.showStatistics = [this] { statistics_->ShowList(); };
  v.orbitFitWindow = [this](OrbitFitFormLogic& logic, const std::string& savedOrbitsPath,
                            const std::function<void(const CurrentElements&)>& useElements) {
    TOrbitFitForm window(logic, useElements, savedOrbitsPath, parent_);
    window.exec();
  };
  v.runList = [this](RecordChoiceList& list) {
    QtListWindowRunner runner(lab_.Ui(), search_, parent_);
    runner.RunModal(list);
  };
  if (views.siteInformation) v.confirmSite = views.siteInformation;
  v.showEphemerisList = [this] { ephemeris_->ShowList(); };
  v.hideEphemerisList = [this] { ephemeris_->hide(); };
  v.showSearchResults = [this] { results_->ShowList(); };
  v.hideSearchResults = [this] { results_->hide(); };
  v.refreshSearchResults = [this] {
    if (results_->isVisible()) results_->Refresh();
  };
  v.chartDialog = [this](ChartControlLogic& logic) { chart_->ShowOn(logic); };
  v.closeChartDialog = [this] { chart_->hide(); };
}

}  // namespace skarvel::ui

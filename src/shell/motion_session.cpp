#include "shell/motion_session.h"

#include "foundations/date_time.h"
#include "orbits/ephemeris_form.h"
#include "shell/astrm_lab.h"

namespace skarvel {

namespace {

std::int32_t ThisYear() {
  DateTimeObj now;
  now.SetDateTime(CurrentDateTimeValue());
  return now.year;
}

}  // namespace

// ---- the commands ----

MotionSession::MotionSession(AstrmLab& lab) : lab_(lab), baselineList_(std::string(kBaselineReportCaption)) {}

void MotionSession::AddCommands(std::map<std::string, std::function<void()>>& commands) {
  commands["MeanMotion1"] = [this] { MeanMotion(); };
  commands["Baseline1"] = [this] { Baseline(); };
}

void MotionSession::MeanMotion() {
  AstromObsObj* report = lab_.Report();
  if (report == nullptr || report->Count() < 2 || !views_.pickObservations) return;
  ObservationPicker picker(*report);
  const auto chosen = views_.pickObservations(picker);
  if (!chosen) return;
  const auto& observations = report->Observations();
  MeanMotionRecord record = record_;
  if (!TakeObservations(observations[chosen->first], observations[chosen->second], record, lab_.Ui())) return;

  MeanMotionForm form;
  form.name = record.name;
  form.dateFormat = record.dateFormat;
  form.first = FieldsOf(record.first);
  form.second = FieldsOf(record.second);
  const std::int32_t year = ThisYear();
  const auto accept = [&](const MeanMotionForm& f) {
    return AcceptMeanMotion(f.name, f.dateFormat, f.first, f.second, year, record, lab_.Ui());
  };
  if (!views_.positionsDialog || !views_.positionsDialog(form, accept)) return;
  record_ = record;

  OrbitSession& orbits = lab_.Orbits();
  const auto& ephemerisDialog = orbits.Views().ephemerisDialog;
  if (!ephemerisDialog) return;
  EphemerisDialogLogic logic(orbits.EphemerisParameters(), year, lab_.Ui());
  if (!ephemerisDialog(logic)) return;
  {
    platform::BusyCursor busy(lab_.Ui());
    // A table cut short at a pole still holds its good points, and the person was told.
    MeanMotionEphemeris(record_, orbits.EphemerisParameters(), orbits.Table(), lab_.Ui());
  }
  const std::string folder = lab_.reportDir.empty() ? lab_.Options().dataDir : lab_.reportDir;
  orbits.EphemerisWindow().Build(MeanMotionReport(record_, orbits.Table()), folder);
  lab_.Menus().SetEnabled("ViewEphText1", true);
  if (orbits.Views().showEphemerisList) orbits.Views().showEphemerisList();
}

void MotionSession::Baseline() {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!views_.baselineDialog) return;
  if (baseline_ == nullptr) {
    const SiteRecord& site = lab_.Report() != nullptr ? lab_.Report()->site : lab_.Options().siteRecord;
    baseline_ = std::make_unique<BaselineDialogLogic>(site, CurrentDateTimeValue(), ThisYear(), lab_.Ui());
  }
  BaselineDialogLogic& logic = *baseline_;
  // The records to choose from are those of now.
  logic.SetRecords(lab_.Report(), lab_.Orbits().Table(), lab_.Orbits().EphemerisWindow());
  if (!views_.baselineDialog(logic) || logic.ReportLines().empty()) return;
  baselineList_.SetLines(logic.ReportLines());
  if (views_.showBaselineReport) views_.showBaselineReport();
}

}  // namespace skarvel

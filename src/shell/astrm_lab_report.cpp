// The Report menu of the main window: the report texts, saving, loading and
// clearing the report data, the spreadsheet, and the observations handed in
// by the image windows.
#include <algorithm>
#include <cctype>

#include "astrometry/report_file.h"
#include "astrometry/report_identity.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "shell/astrm_lab.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

void AstrmLab::DefineReportCommands() {
  commands_["ShortFormat1"] = [this] { ShowReport(ReportForm::kShort); };
  commands_["LongFormat1"] = [this] { ShowReport(ReportForm::kLong); };
  commands_["ExerciseFrmt1"] = [this] { ShowReport(ReportForm::kExercise); };
  commands_["AdesPsvFormat1"] = [this] { ShowReport(ReportForm::kAdesPsv); };
  commands_["AdesXmlFormat1"] = [this] { ShowReport(ReportForm::kAdesXml); };
  commands_["SpreadsheetFormat1"] = [this] {
    if (reportList_ != nullptr) reportList_->WriteSpreadsheetFile(ui_);
  };
  commands_["SaveData1"] = [this] { SaveReportData(); };
  commands_["LoadData1"] = [this] { LoadReportData(0); };
  commands_["Version101"] = [this] { LoadReportData(1); };
  commands_["N10Version111"] = [this] { LoadReportData(2); };
  commands_["ClearData1"] = [this] { ClearReportData(); };
  commands_["SpreadSheet1"] = [this] { AccessSpreadsheet(); };
}

void AstrmLab::MakeReportList() {
  ReportListHost host;
  host.oldReportFormat = [this] { return options_.oldReportFormat; };
  host.expertMode = [this] { return options_.expertMode; };
  host.reportFileName = [this] { return reportFileName; };
  host.reportDir = [this] { return reportDir; };
  host.reportSaved = [this] { return reportSaved; };
  host.setReportSaved = [this](bool saved) { reportSaved = saved; };
  host.now = [this] { return env_.clock ? env_.clock() : CurrentDateTimeValue(); };
  host.editAcknowledgement = [this](AstromObsObj& report, bool cancelEnabled) {
    if (views_.acknowledgement) views_.acknowledgement(report, cancelEnabled);
  };
  host.editUser = [this](UserRecord& r) { return views_.userInformation && views_.userInformation(r); };
  host.editCamera = [this](CameraRecord& r, const CameraRecord* current) {
    return views_.cameraParameters && views_.cameraParameters(r, current);
  };
  host.editSite = [this](SiteRecord& r) { return views_.siteInformation && views_.siteInformation(r); };
  host.headerRecordChanged = [this](HeaderRecord which) {
    switch (which) {
      case HeaderRecord::kUser: options_.userRecord = report_->user; break;
      case HeaderRecord::kCamera: options_.cameraRecord = report_->camera; break;
      case HeaderRecord::kSite: options_.siteRecord = report_->site; break;
    }
    NoteOptionsChanged();
  };
  host.editObservationParameters = [this](ObsParams& p) {
    return views_.editObservationParameters && views_.editObservationParameters(p);
  };
  host.spreadsheetWritten = [this] { menus_.SetEnabled("SpreadSheet1", true); };
  host.observationsChanged = [this] { NoteObservationCount(); };
  host.show = [this] {
    if (views_.showReport) views_.showReport();
  };
  host.chart = [this] {
    if (views_.reportChart) views_.reportChart();
  };
  reportList_ = std::make_unique<ReportList>(*report_, std::move(host));
}

void AstrmLab::NoteObservationCount() {
  if (report_ != nullptr) menus_.SetEnabled("MeanMotion1", report_->Count() >= 2);
}

void AstrmLab::RefreshReportWindow(bool quiet) {
  if (reportList_ == nullptr || !views_.reportWindowVisible || !views_.reportWindowVisible()) return;
  reportList_->Rebuild(quiet);
  if (views_.refreshReport) views_.refreshReport();
}

bool AstrmLab::ReportLoadsLocked() const {
  const MenuItem* load = menus_.Find("LoadData1");
  const MenuItem* old = menus_.Find("LoadOldReportData1");
  return (load != nullptr && !load->enabled) || (old != nullptr && !old->enabled);
}

std::size_t AstrmLab::AddObservation(const ObsParams& params, const ReferenceStar& target) {
  if (report_ == nullptr) return 0;
  const std::size_t index = report_->AddObservation(params, target, options_);
  for (const char* name : {"Report1", "ViewEdit1", "SaveData1", "ClearData1"}) menus_.SetEnabled(name, true);
  NoteObservationCount();
  reportSaved = false;
  RefreshReportWindow();
  return index;
}

bool AstrmLab::RecordMeasurement(int slot, const ObsParams& params, const ReferenceStar& target, bool mayReplace) {
  if (report_ == nullptr || slot < 0 || slot >= kSlots) return false;
  if (ReportIdentityOf(params).Empty() &&
      platform::Tell(ui_,
                     "This measurement has no Number, no Designation and no Object Name.\r\nIts report line "
                     "would name no object, and the Minor Planet Center would refuse it.\r\n\r\nRecord it "
                     "anyway?",
                     "No Object Identification!", Icon::Exclamation, Buttons::YesNo) != Answer::Yes)
    return false;
  std::optional<ObservationRecord>& previous = slotObservations_[static_cast<std::size_t>(slot)];
  std::vector<ObservationRecord>& list = report_->Observations();
  const auto held = previous && mayReplace ? std::find(list.begin(), list.end(), *previous) : list.end();
  if (held != list.end()) {
    const std::string name = Trim(held->params.objectName).empty() ? "the target" : Trim(held->params.objectName);
    if (platform::Tell(ui_,
                       "The report list already holds the measurement of " + name + " from Image " +
                           std::to_string(slot + 1) + ".\r\n\r\nReplace it with the new measurement?",
                       "Replace Measurement?", Icon::Question, Buttons::YesNo) != Answer::Yes)
      return false;
    report_->DeleteObservation(static_cast<std::size_t>(held - list.begin()));
  }
  const std::size_t index = AddObservation(params, target);
  previous = report_->Observations().at(index);
  return true;
}

void AstrmLab::ShowReport(ReportForm form) {
  if (reportList_ != nullptr) reportList_->ShowForm(form);
}

void AstrmLab::SetReportRecords(const UserRecord* user, const CameraRecord* camera, bool clearList,
                                const SiteRecord* site) {
  report_->SetRecords(user, camera, clearList, site);
  if (clearList) {
    reportFileName.clear();
    reportSaved = true;
  }
  RefreshReportWindow(false);
}

bool AstrmLab::SaveReportData() {
  if (report_ == nullptr) return false;
  platform::FileDialogRequest request;
  request.title = "Select File Name for Save";
  request.filter = "Astrometry Report Files (*,RPT)|*.RPT";
  request.defaultExtension = ".RPT";
  request.directory = reportDir;
  request.fileName = reportFileName.empty() ? DefaultReportDataName(env_.clock ? env_.clock() : CurrentDateTimeValue())
                                            : reportFileName;
  std::string path;
  for (;;) {
    const auto chosen = ui_.SaveFile(request);
    if (!chosen || chosen->empty()) return false;
    path = *chosen;
    if (options_.expertMode || !fs::FileExists(path)) break;
    if (platform::Tell(ui_, OverwriteQuestion(path), "Replace Existing File?", Icon::Question, Buttons::YesNo) ==
        Answer::Yes)
      break;
    request.directory = fs::DirectoryOf(path);
    request.fileName = fs::FileNameOf(path);
  }
  // A failure while writing leaves the previous file (the write goes through
  // a temporary file) and reaches the general error report.
  if (!WriteReportFile(path, *report_, ui_)) return false;
  reportSaved = true;
  reportDir = fs::DirectoryOf(path);
  reportFileName = Upper(fs::FileNameOf(path));
  if (reportList_ != nullptr) reportList_->UpdateTitle();
  if (views_.refreshReport) views_.refreshReport();
  return true;
}

void AstrmLab::LoadReportData(int version) {
  if (report_ == nullptr || ReportLoadsLocked()) return;
  oldReportVersion = version;
  struct BackToCurrent {
    int& v;
    ~BackToCurrent() { v = 0; }
  } back{oldReportVersion};
  SetScreenMode(kWorkScreen);
  platform::FileDialogRequest request;
  request.title = "Select Report Data File for Load";
  request.filter = "Astrometry Report Files (*.RPT)|*.RPT|All Files (*.*)|*.*";
  request.defaultExtension = ".RPT";
  request.directory = reportDir;
  request.fileName = reportFileName;
  const auto chosen = ui_.OpenFiles(request);
  if (!chosen || chosen->empty()) return;
  const std::string path = chosen->front();
  if (!options_.expertMode && !reportSaved &&
      platform::Tell(ui_, "You Have Not Saved Your Current Report Data.\r\nDo You Want to Save It Now?",
                     "Save Current Data?", Icon::Question, Buttons::YesNo) == Answer::Yes)
    SaveReportData();
  bool merge = false;
  if (!report_->Empty()) {
    const Answer answer = platform::Tell(ui_,
                                         "Do You Want to Merge The File Data With Your Current Report?\r\n\r\n"
                                         "\"Yes\" => Merge File and Current Data\r\n"
                                         "\"No\"  => Overwrite Current Data With File",
                                         "Merge With Current?", Icon::Question, Buttons::YesNoCancel);
    if (answer == Answer::Cancel) return;
    merge = answer == Answer::Yes;
  }
  const bool loadParameters =
      platform::Tell(ui_,
                     "Do you want to replace the current User, Camera, and Site Parameters\r\nwith those from " + path +
                         "?" + "\r\n\r\n" + "\"Yes\" => Load Parameters from File" + "\r\n" +
                         "\"No\"  => Retain Current Settings",
                     "Replace Current Parameters?", Icon::Question, Buttons::YesNo) == Answer::Yes;
  const ReportVersion which = version == 1   ? ReportVersion::kBefore1
                              : version == 2 ? ReportVersion::kVersion1
                                             : ReportVersion::kCurrent;
  const ReportReadResult result =
      ReadReportFile(path, which, loadParameters, merge, options_.oldReportFormat, *report_, ui_);
  menus_.SetEnabled("ClearData1", true);
  if (result == ReportReadResult::kReadFailed) {
    // Until the report is cleared: what was read stays, nothing more is loaded.
    menus_.SetEnabled("LoadData1", false);
    menus_.SetEnabled("LoadOldReportData1", false);
    RefreshReportWindow();
    return;
  }
  if (result != ReportReadResult::kLoaded) return;
  reportSaved = true;
  reportDir = fs::DirectoryOf(path);
  reportFileName = fs::FileNameOf(path);
  for (const char* name : {"ViewEdit1", "SaveData1", "ClearData1"}) menus_.SetEnabled(name, true);
  NoteObservationCount();
  for (const char* name : {"ShortFormat1", "LongFormat1", "N15"}) menus_.SetVisible(name, true);
  RefreshReportWindow();
}

void AstrmLab::ClearReportData() {
  if (report_ == nullptr) return;
  if (!ReportLoadsLocked()) {
    if (!options_.expertMode) {
      const Answer sure =
          reportSaved ? platform::Tell(ui_, "Are You Sure You Want to Clear Your Current Report Data?",
                                       "Verify Data Clear", Icon::Stop, Buttons::YesNo)
                      : platform::Tell(ui_,
                                       "You Have Not Saved Your Current Report Data!\r\nYou Will Lose Data if You "
                                       "Clear the Report Now.\r\n\r\nClear Report Data Anyway?",
                                       "Current Data Not Saved!", Icon::Stop, Buttons::YesNo);
      if (sure != Answer::Yes) return;
    }
    const bool retain = platform::Tell(ui_,
                                       "Do You Want to Retain the Current User, Camera, and Site Parameters?\r\n\r\n"
                                       "\"Yes\" => Retain Current\r\n\"No\"  => Use Defaults",
                                       "Retain Current Parameters?", Icon::Question, Buttons::YesNo) == Answer::Yes;
    if (retain)
      SetReportRecords(nullptr, nullptr, true, nullptr);
    else
      SetReportRecords(&options_.userRecord, &options_.cameraRecord, true, &options_.siteRecord);
  } else {
    SetReportRecords(&options_.userRecord, &options_.cameraRecord, true, &options_.siteRecord);
    menus_.SetEnabled("LoadData1", true);
    menus_.SetEnabled("LoadOldReportData1", true);
  }
  for (const char* name : {"SaveData1", "ViewEdit1", "ClearData1"}) menus_.SetEnabled(name, false);
  NoteObservationCount();
}

void AstrmLab::AccessSpreadsheet() {
  platform::FileDialogRequest request;
  request.title = "Select data to pass to spreadsheet.";
  request.filter = "Comma-Separated Values (*.CSV)|*.CSV|Excel Spreadsheets (*.XLS)|*.XLS|All Files (*.*)|*.*";
  request.defaultExtension = ".CSV";
  request.directory = reportDir;
  const auto chosen = ui_.OpenFiles(request);
  std::string directory;
  std::string file;
  if (chosen && !chosen->empty()) {
    directory = fs::DirectoryOf(chosen->front());
    file = fs::FileNameOf(chosen->front());
  }
  if (launcher_ == nullptr) launcher_ = std::make_unique<ExecMod32Obj>(ui_);
  std::string program = options_.spreadsheetProgram;
  std::string argument = file;
  if (program.empty()) {
    // Without a spreadsheet program there is nothing to start when no file was chosen.
    if (file.empty()) return;
    const AssociatedProgram associated = FindAssociatedProgram(directory, file);
    if (associated.result <= 32) {
      platform::Tell(ui_,
                     "Unable to obtain associated processor for \r\n" + file + "\r\n\r\n" +
                         "Code = " + std::to_string(associated.result) + AssociationFailureSuffix(associated.result),
                     "Cannot Run Spreadsheet!", Icon::Exclamation);
      return;
    }
    program = associated.program;
    argument = directory + file;
  }
  if (launcher_->IsRunning(program)) {
    platform::Tell(ui_, "The Spreadsheet Program is Already Running.\r\n\r\nUse Alt-Tab to Scan Current Modules.",
                   "Module Already Loaded", Icon::Exclamation, Buttons::Ok, true);
    return;
  }
  std::vector<std::string> arguments;
  if (!argument.empty()) arguments.push_back(argument);
  if (!launcher_->Run(program, arguments, directory)) {
    platform::Tell(ui_,
                   "Unable to Execute " + program + "\r\n\r\n" + "Code = " + std::to_string(launcher_->LastError()) +
                       RunFailureSuffix(launcher_->LastError()),
                   "Cannot Run Spreadsheet!", Icon::Exclamation);
  }
}

}  // namespace skarvel

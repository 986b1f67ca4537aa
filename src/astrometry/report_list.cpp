#include "astrometry/report_list.h"

#include "astrometry/ades_report.h"

#include <algorithm>
#include <cctype>

#include "astrometry/report_formats.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

// The message of a header line where only observations can be changed for good.
constexpr const char* kHeaderMaterial =
    "To Make Permanent Changes to Header Material, Select\r\n\"Edit\" => \"Edit Header Parameters\" from the Menu.";

void InsertInTimeOrder(std::vector<ObservationRecord>& list, const ObservationRecord& r) {
  const auto at = std::upper_bound(list.begin(), list.end(), r.params.observationTime,
                                   [](double t, const ObservationRecord& o) { return t < o.params.observationTime; });
  list.insert(at, r);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// `name` with everything from its last "." replaced by `extension`.
std::string WithExtension(const std::string& name, const std::string& extension) {
  const std::size_t dot = name.rfind('.');
  return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

}  // namespace

const char* const kSimulatedDataWarning =
    "This report contains measurements of simulated images!\r\nThese measurements should NOT be sent to the Minor "
    "Planet Center!\r\n\r\n(To identify which measurements are of simulated images,\r\ndisplay the \"Exercise "
    "Format\" report.)\r\n\r\nContinue with Save?";

std::string DefaultReportDataName(double today) {
  std::string text = DefaultReportTextName("", today);  // "Jan5RPT.TXT"
  return text.substr(0, text.size() - 7) + ".RPT";
}

void ApplyAcknowledgement(AstromObsObj& report, const std::string& message, const std::string& email, bool emailTyped) {
  report.ackMessage = message.substr(0, kAckTextMax);
  report.ackEmail = email.substr(0, kAckTextMax);
  if (emailTyped) report.ackEmailTyped = true;
}

std::string OverwriteQuestion(const std::string& name) {
  return Upper(name) + " Already Exists!" + "\r\n\r\n" + "Do You Want to Overwrite It?";
}

ReportList::ReportList(AstromObsObj& report, ReportListHost host)
    : InfoList("Formatted Astrometric Results"), report_(report), host_(std::move(host)) {
  Menu().SetCaption("DeleteSelectedItem1", "&Delete Selected Item...");
}

int ReportList::ObservationOfLine(int line) const {
  if (line < 0 || line >= static_cast<int>(info_.size())) return -1;
  const ReportLineInfo& i = info_[static_cast<std::size_t>(line)];
  return i.kind == ReportLineKind::kObservation ? i.observation : -1;
}

int ReportList::FirstLineOf(int index) const {
  for (std::size_t i = 0; i < info_.size(); ++i)
    if (info_[i].kind == ReportLineKind::kObservation && info_[i].observation == index) return static_cast<int>(i);
  return -1;
}

void ReportList::ShowForm(ReportForm form) {
  form_ = form;
  if (form == ReportForm::kShort || form == ReportForm::kLong) report_.shortForm = form == ReportForm::kShort;
  SetSaveUtf8(IsAdesForm(form));
  Build(false);
  NameTextFileForForm();
  EnableUndo(false);
  undoKind_ = ReportUndoKind::kNone;
  SetMenusForForm();
  if (host_.show) host_.show();
}

void ReportList::Rebuild(bool quiet) {
  if (!form_) return;
  report_.quietRefresh = quiet;
  Build(true);
}

void ReportList::UpdateTitle() {
  if (!form_ || *form_ == ReportForm::kExercise) return;
  const std::string name = host_.reportFileName ? host_.reportFileName() : std::string();
  SetTitle("Formatted Astrometric Results - " + name + (Saved() ? "" : " (Modified)"));
}

void ReportList::Build(bool keepEdits) {
  const std::string fileName = host_.reportFileName ? host_.reportFileName() : std::string();
  const double now = host_.now ? host_.now() : 0.0;
  ReportText text;
  if (*form_ == ReportForm::kExercise) {
    text = BuildExerciseReport(report_);
  } else if (IsAdesForm(*form_)) {
    text = BuildAdesReport(report_, *form_ == ReportForm::kAdesXml, fileName, Saved());
  } else {
    const bool oldFormat = !host_.oldReportFormat || host_.oldReportFormat();
    text = BuildReport(report_, oldFormat, fileName, Saved(), PrintDateTimeText(now), [this](AstromObsObj& obs) {
      if (host_.editAcknowledgement) host_.editAcknowledgement(obs, false);
    });
  }
  headerLines_ = text.headerLines;
  linesPerObservation_ = text.linesPerObservation;
  const int observationLines = static_cast<int>(report_.Count()) * linesPerObservation_;
  info_.clear();
  info_.reserve(text.lines.size());
  contactLine_ = telescopeLine_ = -1;
  for (int i = 0; i < static_cast<int>(text.lines.size()); ++i) {
    ReportLineInfo line;
    line.built = text.lines[static_cast<std::size_t>(i)];
    if (i < headerLines_) {
      // The long header and the ADES context are never deleted.
      line.kind = *form_ == ReportForm::kLong || IsAdesForm(*form_) ? ReportLineKind::kLongHeader
                                                                     : ReportLineKind::kShortHeader;
      line.offset = i;
      if (*form_ == ReportForm::kLong && i > 0) {
        if (telescopeLine_ < 0 && line.built == "  Telescope & Camera:") telescopeLine_ = i;
        if (contactLine_ < 0 && line.built == "  Contact Address:") contactLine_ = i;
      }
    } else if (i < headerLines_ + observationLines) {
      line.kind = ReportLineKind::kObservation;
      line.observation = (i - headerLines_) / linesPerObservation_;
      line.offset = (i - headerLines_) % linesPerObservation_;
    } else {
      line.kind = ReportLineKind::kClosing;
      line.offset = i - headerLines_ - observationLines;
    }
    info_.push_back(std::move(line));
  }
  simulated_ = std::any_of(report_.Observations().begin(), report_.Observations().end(),
                           [](const ObservationRecord& o) { return o.params.note == kNoteSimulated; });
  // Text edits stay on their lines while those lines are still built the same way.
  if (!keepEdits) edits_.clear();
  for (std::size_t i = 0; i < info_.size(); ++i) {
    for (const TextEdit& edit : edits_)
      if (SameLine(edit, info_[i])) text.lines[i] = edit.text;
  }
  SetLines(std::move(text.lines));
  SetTitle(text.title);
  if (TextFileName().empty()) SetTextFile(DefaultReportTextName(fileName, now), TextDir());
}

void ReportList::NameTextFileForForm() {
  // The ADES forms are saved as .PSV and .XML, the others as .TXT.
  std::string name = TextFileName();
  const auto dot = name.rfind('.');
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = *form_ == ReportForm::kAdesPsv   ? ".PSV"
                                : *form_ == ReportForm::kAdesXml ? ".XML"
                                                                 : ".TXT";
  if (dot != std::string::npos) {
    std::string old = name.substr(dot);
    for (char& c : old) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (old != ".PSV" && old != ".XML" && old != ".TXT") return;  // a name the person chose
  }
  SetTextFile(stem + extension, TextDir());
}

bool ReportList::SameLine(const TextEdit& edit, const ReportLineInfo& info) const {
  if (edit.where.kind != info.kind || edit.where.offset != info.offset) return false;
  if (info.kind != ReportLineKind::kObservation) return edit.where.built == info.built;
  return info.observation >= 0 && static_cast<std::size_t>(info.observation) < report_.Count() &&
         report_.Observations()[static_cast<std::size_t>(info.observation)] == edit.record;
}

void ReportList::SetMenusForForm() {
  ListMenu& m = Menu();
  m.SetVisible("Edit1", true);
  m.SetVisible("EditObservationParameters1", true);
  m.SetVisible("Plot1", true);
  const bool headers = form_ != ReportForm::kExercise;
  m.SetVisible("N4", headers);
  m.SetVisible("EditHeaderInformation1", headers);
  m.SetEnabled("CommaDelimit", true);
  // The exercise form is not saved as text (its spreadsheet file remains).
  m.SetEnabled("SaveText1", headers);
}

void ReportList::Activated() {
  Menu().SetEnabled("CommaDelimit", true);
  Menu().SetVisible("Edit1", true);
  Menu().SetVisible("Plot1", true);
  undoKind_ = ReportUndoKind::kNone;
}

void ReportList::NoteChanged() {
  if (host_.setReportSaved) host_.setReportSaved(false);
}

void ReportList::AppendToTitle(const std::string& mark) {
  if (Title().find(mark) == std::string::npos) SetTitle(Title() + mark);
}

void ReportList::SelectObservation(const ObservationRecord& record) {
  const auto& list = report_.Observations();
  const auto it = std::find(list.begin(), list.end(), record);
  Select(it == list.end() ? -1 : FirstLineOf(static_cast<int>(it - list.begin())));
}

bool ReportList::ConfirmSaveText(ListCommandContext& context) {
  if (!simulated_) return true;
  return platform::Tell(context.ui, kSimulatedDataWarning, "Simulated Data!", Icon::Stop, Buttons::OkCancel) ==
         Answer::Ok;
}

bool ReportList::ConfirmEditLine(int line, ListCommandContext& context) {
  if (ObservationOfLine(line) < 0) {
    if (platform::Tell(context.ui, kHeaderMaterial, "Editing Report Text Only", Icon::Information, Buttons::OkCancel) !=
        Answer::Ok)
      return false;
  } else if (!Expert() && platform::Tell(context.ui,
                                         std::string("Are You Sure You Want to Edit a Formatted Data Item?") + "\r\n" +
                                             "(MPC/IAU Format Requires Data in Specific Columns.)",
                                         "Edit Formatted Text?", Icon::Question, Buttons::YesNo) != Answer::Yes) {
    return false;
  }
  return true;
}

void ReportList::LineEdited(int line, ListCommandContext& /*context*/) {
  TextEdit edit;
  edit.where = info_.at(static_cast<std::size_t>(line));
  if (edit.where.kind == ReportLineKind::kObservation)
    edit.record = report_.Observations().at(static_cast<std::size_t>(edit.where.observation));
  edit.text = Lines().at(static_cast<std::size_t>(line));
  undoEdit_.reset();
  for (auto it = edits_.begin(); it != edits_.end(); ++it) {
    if (SameLine(*it, edit.where)) {
      undoEdit_ = *it;
      edits_.erase(it);
      break;
    }
  }
  edits_.push_back(std::move(edit));
  undoKind_ = ReportUndoKind::kTextEdit;
  NoteChanged();
  AppendToTitle(" (Modified)");
}

void ReportList::DeleteLine(ListCommandContext& context) {
  const int line = Selected();
  if (line < 0) {
    platform::Tell(context.ui, "Select Item for Deletion!", "No Selection!", Icon::Exclamation);
    return;
  }
  const ReportLineInfo where = info_.at(static_cast<std::size_t>(line));
  if (where.kind == ReportLineKind::kLongHeader) {
    platform::Tell(context.ui, "Cannot Delete Selected Header Text!  ", "Select a List Item!", Icon::Exclamation);
    return;
  }
  if (!Expert() && platform::Tell(context.ui, "Are You Sure You Want to Delete this Formatted Data Item?",
                                  "Verify Deletion", Icon::Question, Buttons::YesNo) != Answer::Yes)
    return;
  if (where.kind == ReportLineKind::kObservation) {
    const auto index = static_cast<std::size_t>(where.observation);
    undoRecord_ = report_.Observations().at(index);
    report_.DeleteObservation(index);
    Rebuild();
    undoKind_ = ReportUndoKind::kObservationDeleted;
    if (host_.observationsChanged) host_.observationsChanged();
  } else {
    // Header and closing lines go from the display only; a rebuild brings them back.
    RemoveLineWithUndo(line);
    info_.erase(info_.begin() + line);
    if (where.kind == ReportLineKind::kShortHeader) --headerLines_;
    undoInfo_ = where;
    undoKind_ = ReportUndoKind::kHeaderLineDeleted;
  }
  NoteChanged();
  EnableUndo(true);
  AppendToTitle(" (Edited)");
}

void ReportList::Undo(ListCommandContext& context) {
  if (!UndoAvailable()) return;
  const ReportUndoKind kind = undoKind_;
  undoKind_ = ReportUndoKind::kNone;
  switch (kind) {
    case ReportUndoKind::kObservationDeleted:
      EnableUndo(false);
      InsertInTimeOrder(report_.Observations(), undoRecord_);
      Rebuild();
      SelectObservation(undoRecord_);
      if (host_.observationsChanged) host_.observationsChanged();
      break;
    case ReportUndoKind::kParameterEdit: {
      EnableUndo(false);
      auto& list = report_.Observations();
      const auto it = std::find(list.begin(), list.end(), editedRecord_);
      if (it != list.end()) list.erase(it);
      InsertInTimeOrder(list, undoRecord_);
      Rebuild();
      SelectObservation(undoRecord_);
      if (host_.observationsChanged) host_.observationsChanged();
      break;
    }
    case ReportUndoKind::kHeaderLineDeleted: {
      const int at = std::clamp(UndoLine(), 0, static_cast<int>(info_.size()));
      InfoList::Undo(context);
      info_.insert(info_.begin() + at, undoInfo_);
      if (undoInfo_.kind == ReportLineKind::kShortHeader) ++headerLines_;
      break;
    }
    case ReportUndoKind::kTextEdit: {
      const int line = UndoLine();
      InfoList::Undo(context);
      if (line >= 0 && line < static_cast<int>(info_.size())) {
        const ReportLineInfo& where = info_[static_cast<std::size_t>(line)];
        edits_.erase(
            std::remove_if(edits_.begin(), edits_.end(), [&](const TextEdit& e) { return SameLine(e, where); }),
            edits_.end());
      }
      if (undoEdit_) edits_.push_back(*undoEdit_);
      undoEdit_.reset();
      break;
    }
    case ReportUndoKind::kNone: InfoList::Undo(context); break;
  }
}

void ReportList::EditObservationParameters(ListCommandContext& context) {
  const int line = Selected();
  if (line < 0) {
    platform::Tell(context.ui, "Select Text Line for Edit!", "No Selection!", Icon::Exclamation);
    return;
  }
  const int index = ObservationOfLine(line);
  if (index < 0) {
    platform::Tell(context.ui, kHeaderMaterial, "Select a List Item", Icon::Information);
    return;
  }
  auto& list = report_.Observations();
  const ObservationRecord before = list.at(static_cast<std::size_t>(index));
  ObsParams params = before.params;
  if (!host_.editObservationParameters || !host_.editObservationParameters(params)) return;
  undoRecord_ = before;
  editedRecord_ = before;
  editedRecord_.params = params;
  // The list stays in time order when the edit moved the observation time.
  list.erase(list.begin() + index);
  InsertInTimeOrder(list, editedRecord_);
  NoteChanged();
  Rebuild();
  EnableUndo(true);
  undoKind_ = ReportUndoKind::kParameterEdit;
  SelectObservation(editedRecord_);
  if (host_.observationsChanged) host_.observationsChanged();
}

void ReportList::EditHeader(HeaderRecord which) {
  bool ok = false;
  switch (which) {
    case HeaderRecord::kUser: {
      UserRecord user = report_.user;
      ok = host_.editUser && host_.editUser(user);
      if (ok) report_.SetRecords(&user, nullptr, false, nullptr);
      break;
    }
    case HeaderRecord::kCamera: {
      CameraRecord camera = report_.camera;
      const CameraRecord current = report_.camera;
      ok = host_.editCamera && host_.editCamera(camera, report_.cameraFromImage ? &current : nullptr);
      if (ok) report_.SetRecords(nullptr, &camera, false, nullptr);
      break;
    }
    case HeaderRecord::kSite: {
      SiteRecord site = report_.site;
      ok = host_.editSite && host_.editSite(site);
      if (ok) report_.SetRecords(nullptr, nullptr, false, &site);
      break;
    }
  }
  if (!ok) return;
  if (form_) Build(true);
  EnableUndo(false);
  undoKind_ = ReportUndoKind::kNone;
  if (host_.headerRecordChanged) host_.headerRecordChanged(which);
}

void ReportList::DoubleClick(int line, ListCommandContext& context) {
  if (line < 0 || line >= static_cast<int>(info_.size()) || !form_) return;
  const ReportLineInfo& where = info_[static_cast<std::size_t>(line)];
  if (where.kind == ReportLineKind::kObservation) {
    Select(line);
    EditObservationParameters(context);
    return;
  }
  if (where.kind == ReportLineKind::kLongHeader) {
    if (contactLine_ >= 0 && line >= contactLine_)
      EditHeader(HeaderRecord::kUser);
    else if (telescopeLine_ < 0 || line < telescopeLine_)
      EditHeader(HeaderRecord::kSite);
    else
      EditHeader(HeaderRecord::kCamera);
    return;
  }
  if (where.kind != ReportLineKind::kShortHeader || *form_ != ReportForm::kShort) return;
  const std::string key = Lines()[static_cast<std::size_t>(line)].substr(0, 3);
  if (key == "COD" || key == "TEL") {
    EditHeader(HeaderRecord::kSite);
  } else if (key == "CON" || key == "OBS" || key == "MEA") {
    EditHeader(HeaderRecord::kUser);
  } else if (key == "ACK" || key == "AC2") {
    report_.quietRefresh = false;
    Build(true);
  }
}

bool ReportList::OwnerCommand(const std::string& name, ListCommandContext& context) {
  if (name == "EditObservationParameters1") {
    EditObservationParameters(context);
  } else if (name == "UserParameters1") {
    EditHeader(HeaderRecord::kUser);
  } else if (name == "CameraParameters1") {
    EditHeader(HeaderRecord::kCamera);
  } else if (name == "SiteParameters1") {
    EditHeader(HeaderRecord::kSite);
  } else if (name == "Plot1") {
    if (host_.chart) host_.chart();
  } else {
    return false;
  }
  return true;
}

void ReportList::CommaDelimit(ListCommandContext& context) {
  WriteSpreadsheetFile(context.ui);
}

void ReportList::WriteSpreadsheetFile(platform::Platform& ui) {
  const double now = host_.now ? host_.now() : 0.0;
  const std::string reportName = host_.reportFileName ? host_.reportFileName() : std::string();
  platform::FileDialogRequest request;
  request.title = "Save Report for Spreadsheet";
  request.filter = "Comma-Separated Values (*.CSV)|*.CSV|All Files (*.*)|*.*";
  request.defaultExtension = ".CSV";
  request.directory = !csvDir_.empty() ? csvDir_ : (host_.reportDir ? host_.reportDir() : std::string());
  if (!csvName_.empty())
    request.fileName = csvName_;
  else
    request.fileName =
        WithExtension(TextFileName().empty() ? DefaultReportTextName(reportName, now) : TextFileName(), ".CSV");
  std::string path;
  for (;;) {
    const auto chosen = ui.SaveFile(request);
    if (!chosen || chosen->empty()) return;
    path = *chosen;
    if (Expert() || !fs::FileExists(path)) break;
    if (platform::Tell(ui, path + " Already Exists!" + "\r\n\r\n" + "Do You Want to Overwrite It?",
                       "Replace Existing File?", Icon::Question, Buttons::YesNo) == Answer::Yes)
      break;
    request.directory = fs::DirectoryOf(path);
    request.fileName = fs::FileNameOf(path);
  }
  try {
    std::vector<std::uint8_t> bytes;
    for (const std::string& line : SpreadsheetLines(report_)) {
      bytes.insert(bytes.end(), line.begin(), line.end());
      bytes.push_back('\n');
    }
    fs::AtomicWriteFile(path, bytes);
  } catch (const IOFailure& failure) {
    platform::Tell(ui,
                   std::string(failure.what()) + "\r\n\r\n" + "File Name: " + path + "\r\n" +
                       "IOResult = " + std::to_string(failure.Code()),
                   "Skarvel", Icon::Error);
    return;
  }
  csvName_ = fs::FileNameOf(path);
  csvDir_ = fs::DirectoryOf(path);
  if (!Expert())
    platform::Tell(ui, "Report Written to " + path + " for Spreadsheet Input.", "Text File Written", Icon::Information);
  if (host_.spreadsheetWritten) host_.spreadsheetWritten();
}

}  // namespace skarvel

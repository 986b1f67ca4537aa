// The report window's content and commands, without any windowing.
//
// `ReportList` is the text list of the report (AstromListForm draws it): it
// builds the short, long or exercise text from the report's observations,
// knows for every line whether it belongs to the long or short header, to an
// observation (and to which) or to the closing lines, and runs the window's
// commands on that knowledge: a text edit of a line, the deletion of an
// observation with undo, the refusal to delete a line of the long header, the
// observation parameter edit, the header dialogs, the saves with their
// simulated-data warning and the spreadsheet file.
//
// Usage for the main window:
//   ReportList list(report, host);          // host: the session's state and dialogs
//   list.ShowForm(ReportForm::kShort);      // "&Short (Electronic) Format..."
//   ... the window forwards its commands: list.Run(name, context) ...
//   list.Rebuild();                         // after observations changed elsewhere
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "astrometry/info_list.h"

namespace skarvel {

/// The text forms the report window shows.
enum class ReportForm { kShort, kLong, kExercise, kAdesPsv, kAdesXml };

/// True for the two ADES forms.
inline bool IsAdesForm(ReportForm form) { return form == ReportForm::kAdesPsv || form == ReportForm::kAdesXml; }

/// Which header record a header dialog changed.
enum class HeaderRecord { kUser, kCamera, kSite };

/// What a line of the report text is.
enum class ReportLineKind {
  kShortHeader,  ///< a line of the short header (or of the exercise heading): deleted from the display only
  kLongHeader,   ///< a line of the long header: never deleted
  kObservation,  ///< one of the lines of an observation
  kClosing,      ///< "CNT", the simulated-image notice: deleted from the display only
};

/// One line's place in the report.
struct ReportLineInfo {
  ReportLineKind kind = ReportLineKind::kShortHeader;
  int observation = -1;  ///< index into the report's observations for kObservation, else -1
  int offset = 0;        ///< line within the observation's block, or the line's index within the header
  std::string built;     ///< the text as built, before any text edit
};

/// The session state and dialogs the report window works with. Every member
/// may be left empty: a missing state reads as false or "", a missing dialog
/// as cancelled.
struct ReportListHost {
  std::function<bool()> oldReportFormat;        ///< `OldReportFormat`: 80-column layout
  std::function<bool()> expertMode;             ///< `ExpertMode`: fewer confirmations
  std::function<std::string()> reportFileName;  ///< `ReportFileName`
  std::function<std::string()> reportDir;       ///< `ReportDir`
  std::function<bool()> reportSaved;            ///< `ReportSaved`
  std::function<void(bool)> setReportSaved;
  std::function<double()> now;  ///< the current date-time value (days)
  /// The "Edit Acknowledgement Message" dialog; `cancelEnabled` false while a report is generated.
  std::function<void(AstromObsObj&, bool cancelEnabled)> editAcknowledgement;
  /// The user, camera and site dialogs on the report's record: true on OK.
  /// The camera dialog also gets the camera record last filled from an image, or null.
  std::function<bool(UserRecord&)> editUser;
  std::function<bool(CameraRecord&, const CameraRecord* current)> editCamera;
  std::function<bool(SiteRecord&)> editSite;
  /// A header dialog was confirmed: the main window copies the record into the
  /// options working copy and runs its options-changed flow.
  std::function<void(HeaderRecord)> headerRecordChanged;
  /// The "Observation Parameters" dialog in its "Edit Parameters" mode: true on OK.
  std::function<bool(ObsParams&)> editObservationParameters;
  /// The spreadsheet file was written ("Access &Spreadsheet" is enabled).
  std::function<void()> spreadsheetWritten;
  /// Observations were deleted, restored or changed by the window.
  std::function<void()> observationsChanged;
  /// The window is to be shown (or brought to the front) with the new text.
  std::function<void()> show;
  /// "&Chart": the main window's "Create &Chart..." with the measured positions preselected.
  std::function<void()> chart;
};

/// What "&Undo Text Edit/Delete" restores.
enum class ReportUndoKind { kNone, kObservationDeleted, kParameterEdit, kHeaderLineDeleted, kTextEdit };

/// The report data file's default name: the month's first three letters and
/// the day of `today` (a date-time value) + ".RPT" ("Jan5.RPT").
std::string DefaultReportDataName(double today);

/// The question before an existing file is overwritten: `name` upper-cased +
/// " Already Exists!" + "\r\n\r\n" + "Do You Want to Overwrite It?".
std::string OverwriteQuestion(const std::string& name);

/// Longest acknowledgement message and e-mail (characters).
inline constexpr std::size_t kAckTextMax = 76;

/// OK of the "Edit Acknowledgement Message" dialog: the message and e-mail,
/// each cut to kAckTextMax characters, go into the report; `emailTyped`
/// (the e-mail field was typed in) sets the report's typed flag.
void ApplyAcknowledgement(AstromObsObj& report, const std::string& message, const std::string& email, bool emailTyped);

/// The warning of a save while simulated measurements are in the report.
extern const char* const kSimulatedDataWarning;

class ReportList : public InfoList {
 public:
  ReportList(AstromObsObj& report, ReportListHost host);

  AstromObsObj& Report() { return report_; }
  ReportListHost& Host() { return host_; }

  /// Builds the text of `form` afresh (the short form renews the
  /// acknowledgement unless a quiet refresh runs, see BuildReport), forgets
  /// earlier text edits, clears undo and shows the window.
  void ShowForm(ReportForm form);
  /// Rebuilds the shown form, keeping the text edits of lines that are still
  /// there: as a quiet refresh (no acknowledgement dialog), or with `quiet`
  /// false as a fresh report of the short form would (after the records were
  /// set). Nothing before a form was shown.
  void Rebuild(bool quiet = true);
  /// The title as a fresh build would give it (after `ReportSaved` changed).
  void UpdateTitle();

  /// The form shown, or nothing before the first.
  std::optional<ReportForm> Form() const { return form_; }
  /// Lines before the first observation line; -1 before the first report.
  int HeaderLineCount() const { return headerLines_; }
  /// 1, 2, 4 or 6 lines per observation.
  int LinesPerObservation() const { return linesPerObservation_; }
  /// First line of the long header's contact section and of its telescope section (-1 in other forms).
  int ContactLine() const { return contactLine_; }
  int TelescopeLine() const { return telescopeLine_; }
  bool ShortFormShown() const { return form_ == ReportForm::kShort; }
  bool SimulatedPresent() const { return simulated_; }
  const std::vector<ReportLineInfo>& LineInfo() const { return info_; }
  /// The observation (index into the report) line `line` belongs to, or -1 for
  /// header and closing lines and lines outside the text.
  int ObservationOfLine(int line) const;
  /// The first line of observation `index`, or -1 when it is not shown.
  int FirstLineOf(int index) const;
  ReportUndoKind UndoKind() const { return undoKind_; }
  /// Last spreadsheet file name (without folder) and its folder.
  const std::string& CsvName() const { return csvName_; }
  const std::string& CsvDir() const { return csvDir_; }

  // ---- commands (InfoList) ----
  void DoubleClick(int line, ListCommandContext& context) override;
  /// "&Delete Selected Item...".
  void DeleteLine(ListCommandContext& context) override;
  /// "&Undo Text Edit/Delete".
  void Undo(ListCommandContext& context) override;
  /// "&Comma Delimit (for Spreadsheet)..." writes the spreadsheet file.
  void CommaDelimit(ListCommandContext& context) override;

  /// "Edit Observation Parameters..." on the selected line.
  void EditObservationParameters(ListCommandContext& context);
  /// "&User Information...", "&Camera Parameters...", "&Site Information..." of "Edit Header &Information".
  void EditHeader(HeaderRecord which);
  /// "S&preadsheet Format (.CSV)...": the save dialog, the file and its message.
  /// A failure while writing throws IOFailure (the general error report).
  void WriteSpreadsheetFile(platform::Platform& ui);

 protected:
  void Activated() override;
  bool ConfirmSaveText(ListCommandContext& context) override;
  bool ConfirmEditLine(int line, ListCommandContext& context) override;
  void LineEdited(int line, ListCommandContext& context) override;
  bool OwnerCommand(const std::string& name, ListCommandContext& context) override;

 private:
  struct TextEdit {
    ReportLineInfo where;
    ObservationRecord record;  ///< the observation of an observation line
    std::string text;
  };
  void Build(bool keepEdits);
  void SetMenusForForm();
  void NameTextFileForForm();
  bool Expert() const { return host_.expertMode && host_.expertMode(); }
  bool Saved() const { return !host_.reportSaved || host_.reportSaved(); }
  void NoteChanged();
  void AppendToTitle(const std::string& mark);
  bool SameLine(const TextEdit& edit, const ReportLineInfo& info) const;
  void SelectObservation(const ObservationRecord& record);

  AstromObsObj& report_;
  ReportListHost host_;
  std::optional<ReportForm> form_;
  int headerLines_ = -1;
  int linesPerObservation_ = 1;
  int contactLine_ = -1;
  int telescopeLine_ = -1;
  bool simulated_ = false;
  std::vector<ReportLineInfo> info_;
  std::vector<TextEdit> edits_;
  ReportUndoKind undoKind_ = ReportUndoKind::kNone;
  ObservationRecord undoRecord_;
  ObservationRecord editedRecord_;    ///< the record after a parameter edit, to find it for undo
  ReportLineInfo undoInfo_;           ///< the deleted header line's place
  std::optional<TextEdit> undoEdit_;  ///< the text edit the last edit replaced, if any
  std::string csvName_;
  std::string csvDir_;
};

}  // namespace skarvel

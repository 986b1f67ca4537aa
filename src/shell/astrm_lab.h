// The session logic of the main window: start-up, Enter session, the menu
// states, the command table, option saving, the close query and close.
//
// The Qt window (shell/ui/t_astrm_lab.h) draws the menus from Menus(), runs
// Run(name) for a chosen item and paints the client area from ScreenMode()
// and WorkScreenLines(); everything it decides lives here.
//
// Usage:
//   AstrmLab lab(ui, AstrmLabEnvironment::FromProcess(args));
//   if (lab.Create() != AstrmLab::StartResult::Running) -> end the program
//   ... lab.Run("SaveUpdates1"); lab.MenuOpened("ViewEdit1"); ...
//   if (lab.CloseQuery()) lab.Close();
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "astrometry/obs_params.h"
#include "astrometry/obs_params_form.h"
#include "astrometry/program_launcher.h"
#include "astrometry/report_list.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_convert.h"
#include "config/options.h"
#include "config/session_log.h"
#include "images/blink.h"
#include "images/box_record.h"
#include "images/calibration_dialog.h"
#include "images/graphics_file.h"
#include "platform/platform.h"
#include "shell/command_line.h"
#include "shell/help_system.h"
#include "shell/menu_model.h"
#include "shell/orbit_session.h"

namespace skarvel {

class MotionSession;

/// What the main window is started with.
struct AstrmLabEnvironment {
  StorageEnvironment storage;
  /// The command line after the program's name (arguments joined by blanks).
  std::string commandArguments;
  /// The clock of the session log.
  LogFileObj::Clock clock = CurrentDateTimeValue;
  /// Where "Open Demo Night" prepares its session (shell/demo_night.h); empty: nowhere.
  std::string demoWorkDir;

  static AstrmLabEnvironment FromProcess(const std::string& commandArguments);
};

/// One image slot: the image loaded into it, if any.
struct ImageSlot {
  std::unique_ptr<GraphicsFileObj> image;
  bool Loaded() const { return image != nullptr; }
};

/// The choice of the "Select Image File Type" dialog.
struct ImageTypeSelection {
  std::uint8_t format = 0;    ///< 0 FITS, 1 ST-4, 2 other SBIG
  std::uint8_t timeType = 0;  ///< 0 start, 1 midpoint, 2 end of the exposure; 3 with ST-4
};

/// What the options dialog reports back.
struct OptionsDialogResult {
  bool ok = false;
  bool userChanged = false;    ///< the user sub-dialog was confirmed
  bool cameraChanged = false;  ///< the camera sub-dialog was confirmed
  bool siteChanged = false;    ///< the site sub-dialog was confirmed
};

/// The measurement state of a slot's image, as the work screen states it.
enum class SlotMeasurement { kNotMeasured, kSolved, kInReport };

/// Windows and dialogs the session logic asks the GUI to show.
struct AstrmLabViews {
  /// The windows of the orbit search and ephemeris commands (shell/orbit_session.h).
  OrbitViews orbits;
  std::function<void()> repaint;
  std::function<void()> about;
  std::function<void()> closeWindow;
  /// The "Software Options" dialog editing the OptsObj's record; absent until it exists.
  std::function<OptionsDialogResult(OptsObj&)> options;
  std::function<void()> releaseReferenceField;
  /// The "Select Image File Type" dialog on the present choice: the new choice, or nothing when cancelled.
  std::function<std::optional<ImageTypeSelection>(ImageTypeSelection)> imageFileType;
  /// A slot received an image: its image window is created or set up; true when it holds a valid image.
  std::function<bool(int slot)> imageLoaded;
  /// The images are cleared: every image window is released.
  std::function<void()> imagesCleared;
  /// "&View/Adjust...": whether a slot's image window holds a valid image,
  /// whether it is visible in the normal window state, the "Select Image(s)"
  /// dialog (ticked boxes in, chosen boxes out, nothing when cancelled), and
  /// showing a slot's window for viewing as the m-th one (m from 0).
  std::function<bool(int slot)> imageValid;
  std::function<bool(int slot)> imageWindowNormal;
  std::function<std::optional<std::array<bool, 4>>(std::array<bool, 4>)> selectImages;
  std::function<void(int slot, int m)> viewImage;
  /// The record dialogs of "Set &Information Parameters", each on the record
  /// handed (the camera dialog also on the camera last filled from an image,
  /// or null): true on OK.
  std::function<bool(UserRecord&)> userInformation;
  std::function<bool(CameraRecord&, const CameraRecord* current)> cameraParameters;
  std::function<bool(SiteRecord&)> siteInformation;
  // ---- measuring an image ----
  /// The observation parameters dialog ("Verify/Complete") on the image
  /// window's copy, with the window switched to measuring: its result on OK.
  std::function<std::optional<ObsParams>(int slot)> verifyImageObsParams;
  /// A reference-field window exists and is marked kept (a chart).
  std::function<bool()> referenceFieldKept;
  /// "Enter/Verify Field Parameters" on the session's field request; true on OK.
  std::function<bool(FieldRequest&)> fieldParametersDialog;
  /// Loads the reference field of the request at the Julian date; true when the field was
  /// loaded (it may hold no stars: the reference-field window reports that).
  std::function<bool(const FieldRequest&, long double julianDate)> loadReferenceField;
  /// True when the last field load failed and the person was told why already
  /// (a chosen catalog's reader or folder missing, a failed on-line query).
  std::function<bool()> fieldFailureTold;
  /// Places and shows the image window, the reference-field window (built
  /// anew when `newField`), the selection dialog and the magnifier.
  std::function<void(int slot, bool newField)> showMeasurement;
  /// "&Reference Fields Only": every image window drops its solution state.
  std::function<void()> referenceFieldsCleared;
  /// The report window: shown (or brought to the front) with its new text,
  /// redrawn after its text changed, and whether it is visible.
  std::function<void()> showReport;
  std::function<void()> refreshReport;
  std::function<bool()> reportWindowVisible;
  /// The "Edit Acknowledgement Message" dialog on the report.
  std::function<void(AstromObsObj&, bool cancelEnabled)> acknowledgement;
  /// The "Observation Parameters" dialog in its "Edit Parameters" mode: true on OK.
  std::function<bool(ObsParams&)> editObservationParameters;
  /// "Create &Chart..." started from the report window.
  std::function<void()> reportChart;
  /// How far the measurement of a slot's image has come (the work screen says it).
  std::function<SlotMeasurement(int slot)> slotMeasurement;
  /// "&Blink...": the blink window (created once) takes the image windows of slots 0 .. last.
  std::function<void(int last)> blink;
  /// "Find Moving &Objects...": the candidates window over slots 0 .. last.
  std::function<void(int last)> movingObjects;
  /// "Calibration...": the calibration dialog on the host; true on OK.
  std::function<bool(CalibrationDialogHost)> calibration;
  /// "Track and &Stack...": the frame series window.
  std::function<void()> trackSeries;
  /// "Convert GSC to VORN Format" on the kept conversion settings: true on OK
  /// (the settings then hold the dialog's choices).
  std::function<bool(GSCConvertSettings&)> convertGSCDialog;
  /// The catalog options changed outside the options dialog: the next field
  /// load reads the regions table and the volume paths afresh.
  std::function<void()> catalogSettingsChanged;
};

/// One line of text of the work screen, in client coordinates.
struct ScreenLine {
  int x = 0;
  int y = 0;
  std::string text;
  bool white = false;  ///< drawn in white (the orbit notes), else in the screen's yellow
};

class AstrmLab {
 public:
  static constexpr int kSlots = 4;                       ///< number of image slots
  static constexpr const char* kOptionsFile = "ASTROPTS.INI";
  static constexpr const char* kVersion = "1.330";       ///< program version
  static constexpr const char* kLogTag = "VORN_AST";     ///< tag of the session log entries
  static constexpr const char* kTitle = "Skarvel";       ///< application title
  static constexpr const char* kCaption = "VORN Skarvel";
  static constexpr int kClientWidth = 634;               ///< client area, pixels
  static constexpr int kClientHeight = 436;
  static constexpr int kMinScreenWidth = 800;            ///< smallest usable screen, pixels
  static constexpr int kMinScreenHeight = 600;

  enum class StartResult { Running, ScreenTooSmall, NoStorage };
  enum ScreenModes : int { kLogoScreen = 0, kTitleScreen = 1, kWorkScreen = 2 };

  AstrmLab(platform::Platform& ui, AstrmLabEnvironment env);
  ~AstrmLab();
  AstrmLab(const AstrmLab&) = delete;
  AstrmLab& operator=(const AstrmLab&) = delete;

  void SetViews(AstrmLabViews views) {
    views_ = std::move(views);
    orbits_->SetViews(views_.orbits);
  }
  /// The views in force (a window adds to them after it set them).
  AstrmLabViews& Views() { return views_; }

  /// The creation step: screen check, options, box settings, help commands,
  /// command line, directories, flags, then Enter session.
  StartResult Create();
  /// Enters the session (at start and again after the options dialog).
  void EnterSession();

  // ---- commands ----
  /// True when the command of that menu component is built.
  bool HasCommand(const std::string& name) const { return commands_.count(name) != 0; }
  /// True when the item can be chosen now: shown and enabled in the model and,
  /// for a command, built and allowed in the present state.
  bool Available(const std::string& name) const;
  /// Runs a command. A failure that the command does not handle is shown as
  /// the program's general error report and the program goes on. False when
  /// the command is not built or not available.
  bool Run(const std::string& name);
  /// A menu or submenu is about to open.
  void MenuOpened(const std::string& name);

  // ---- image slots ----
  /// "Image &1".."Image &4" of "L&oad Image Files" (slot 0..3).
  void LoadImage(int slot);
  /// "&Multiple Load".
  void MultipleLoad();
  /// "&Images and Reference Fields".
  void ClearAll();
  /// "&Reference Fields Only".
  void ClearReferenceFields();
  /// "Set Image &File Type...".
  void SetImageFileType();
  /// "&View/Adjust...": the image selection dialog, then the chosen windows shown for viewing.
  void ViewImages();
  /// "&Blink...": the images in consecutive slots from slot 1 are locked and,
  /// from two on, blinked ("&Clear Images/Ref. Fields" and "L&oad Image
  /// Files" are disabled until the blink window closes).
  void Blink();
  /// The blink window closed: those menus enabled again and its slots released.
  void BlinkClosed();
  /// "Find Moving &Objects...": the images in consecutive slots from slot 1,
  /// from three on, searched in the candidates window.
  void FindMovingObjects();
  /// "Calibration...": the calibration dialog for the report's camera record.
  void Calibration();
  /// A FITS file (a stack of a frame series) loaded into the first empty slot
  /// as "Image n" loads it, its header time the midpoint of the exposure, not calibrated again; the slot, or -1 when it could not be read (the
  /// reader told why) or every slot holds an image (the person told; nothing changes).
  int LoadIntoFreeSlot(const std::string& file);
  /// The loaded images calibrated in place by the masters (a slot being
  /// measured is left alone) and shown again: their calibrated frames.
  /// Throws CalibrationFailure; the images done before a failure stay calibrated.
  std::vector<CalibFrame> CalibrateLoadedImages(const MasterSet& masters);
  /// Per slot, what the blink alignment found (reset whenever the slot is loaded).
  BlinkAlignments blinkAlignments{};
  /// The first alignment message was shown.
  bool firstAlignmentStarAsked = false;
  /// "Image &1".."Image &4" of "&Measure": the observation parameters, a
  /// new reference field when needed, then the measurement windows.
  void MeasureImage(int slot);
  /// The open dialog's filter of the image files.
  static constexpr const char* kImageFilter =
      "FITS Files (*.FIT, *.FTS)|*.FIT; *.FTS|ST-4 Files|*.ST4|SBIG Files (ST4X thru STV)|*.ST*|All Files (*.*)|*.*";

  // ---- "Set &Information Parameters" (astrm_lab_records.cpp) ----
  /// The user, camera or site dialog on the report's record; OK copies the
  /// record into the options working copy and runs NoteOptionsChanged. Nothing
  /// without a report or without the dialog's view.
  void UserInformation();
  void CameraParameters();
  void SiteInformation();

  // ---- the report (astrm_lab_report.cpp) ----
  /// "&Add to Report List..." of an image window: the observation goes into
  /// the report in time order; the Report menu, "&View/Print/Save Text",
  /// "&Save Report Data...", "&Clear Report Data..." and, from two
  /// observations on, "Use &Mean Motion..." are enabled; `ReportSaved`
  /// becomes false; a visible report window shows the new text. Returns the
  /// observation's index in the report (0 without a report).
  std::size_t AddObservation(const ObsParams& params, const ReferenceStar& target);
  /// "&Add to Report List..." of image `slot`: the measurement goes into the
  /// report (AddObservation) after two checks. An observation that names no
  /// object at all (no number, no designation, no name) is recorded only when
  /// the person agrees ("No Object Identification!"). With `mayReplace` (the
  /// image's measurement was recorded before and has been solved again) the
  /// observation recorded from this slot, while the report still holds it, is
  /// replaced after the person agrees ("Replace Measurement?"). False when
  /// nothing was recorded.
  bool RecordMeasurement(int slot, const ObsParams& params, const ReferenceStar& target, bool mayReplace);
  /// "&Short (Electronic) Format...", "&Long (Text) Format...", "&Exercise Format...".
  void ShowReport(ReportForm form);
  /// "&Save Report Data...": true when the file was written.
  bool SaveReportData();
  /// "&Load Report Data..." (version 0) and the two old-version items (1 before
  /// 1.0, 2 for 1.0 and 1.001); `oldReportVersion` is back to 0 afterwards.
  void LoadReportData(int version);
  /// "&Clear Report Data...".
  void ClearReportData();
  /// "Access &Spreadsheet".
  void AccessSpreadsheet();
  /// The report window's content (exists with the report).
  ReportList* ReportWindow() { return reportList_.get(); }
  /// The program launcher, created on the first "Access &Spreadsheet".
  ExecMod32Obj* Launcher() { return launcher_.get(); }
  /// A failed read locked the load commands until the report is cleared.
  bool ReportLoadsLocked() const;

  // ---- "Convert &GSC..." (astrm_lab_catalogs.cpp) ----
  /// The conversion dialog, the conversion (both processor cores when there
  /// are two) and, when it ran to the end, "Do you want to change your setup
  /// to use the converted GSC file?" ("GSC Successfully Converted"): Yes sets
  /// `GSCPath1` and `GSCPath2` to the output folder and `VornFormatGSC`,
  /// asks for a new reference field (the next measurement reads the converted
  /// catalog) and runs NoteOptionsChanged. True when the conversion ran to the end.
  bool ConvertGSC();
  /// The conversion settings, made from the options on the first "Convert
  /// &GSC..." and kept for the run of the program; null before.
  const GSCConvertSettings* GSCConversionSettings() const { return gscSettings_.get(); }
  /// "Open Demo Night" of "&Help": the images loaded are cleared first (as
  /// "&Images and Reference Fields" does, asking); the demo night of the
  /// program folder is copied into the environment's `demoWorkDir`
  /// (PrepareDemoSession), and the session goes on there: the demo's options
  /// become the working copy with that folder as `DataDir` (and the current
  /// directory), the image, report and FIND_ORB folders follow, and a message
  /// names the folder. Nothing is written into the program folder.
  void OpenDemoNight();

  // ---- operations used by other windows ----
  void LockSlot(int slot, bool busy);
  void NoteOptionsChanged();
  void SaveUpdates();
  void Preferences();
  /// Asks before closing; true when closing is allowed (and then saves changed options).
  bool CloseQuery();
  /// Releases everything and writes the Logout entry.
  void Close();

  // ---- state ----
  /// The platform the session talks through (the image windows use it too).
  platform::Platform& Ui() { return ui_; }
  MenuModel& Menus() { return menus_; }
  const MenuModel& Menus() const { return menus_; }
  OptionsRecord& Options() { return options_; }
  const OptionsRecord& Options() const { return options_; }
  OptsObj* Opts() { return opts_.get(); }
  AstromObsObj* Report() { return report_.get(); }
  /// The orbit side: current elements, ephemeris, field search, chart.
  OrbitSession& Orbits() { return *orbits_; }
  /// The help system: topic list, help window and topic list dialog (shell/help_system.h).
  HelpSystem& Help() { return *help_; }
  /// "Use &Mean Motion..." and "Compute &Baseline..." (shell/motion_session.h).
  MotionSession& Motion() { return *motion_; }
  const LoginRecord& Login() const { return login_; }
  LogFileObj* Log() { return log_.get(); }
  std::array<ImageSlot, kSlots>& Slots() { return slots_; }
  int ScreenMode() const { return screenMode_; }
  void SetScreenMode(int mode);
  const BoxRecord& SharedRefBox() const { return refBox_; }
  const BoxRecord& SharedUnknownBox() const { return unknownBox_; }
  /// Lines of the work screen for a client area `clientWidth` wide, given the
  /// width and height of a text in the window's font: per loaded slot its
  /// heading, its measurement state beside it and its file name, then the
  /// number of observations the report holds.
  std::vector<ScreenLine> WorkScreenLines(int clientWidth, const std::function<int(const std::string&)>& textWidth,
                                          int textHeight) const;
  /// The About box: caption, version line, exercise line.
  struct AboutText {
    std::string caption;
    std::string version;
    std::string exercise;
  };
  static AboutText About();

  /// The blink window's timer state, asked by LockSlot.
  std::function<bool()> blinkRunning;

  // Session flags (names as the other windows know them).
  bool orbitView = false;
  bool reportSaved = true;
  bool optionsChanged = false;
  bool saveAsDefaults = false;
  bool closeConfirmed = false;
  bool newFieldNeeded = true;
  bool optionsUnlocked = false;
  int oldReportVersion = 0;
  bool minRefHintShown = false;
  bool zoomHintPending = true;
  bool blinkHintPending = true;
  int measureSlot = 0;
  ObsParams currentObsParms;
  /// The session's field parameters and colour choice.
  FieldRequest fieldRequest;
  /// The name, number and designation the observation parameters dialog last verified.
  VerifiedIds verifiedIds;
  std::string imageDir;
  std::string imageFileName;
  std::string lastImageDir;
  std::string reportDir;
  std::string reportFileName;
  std::string findOrbDir;
  std::string findOrbFileName;

 private:
  void Repaint();
  void SaveIntoDataDir();            // the first question of Save updates
  void SaveAsDefaultsForAllUsers();  // the second, while an all-users save is pending
  /// The help commands follow the help file options; with a topic list
  /// option the list ProgramDir + ToolHelpList is read again.
  void UpdateHelpCommands();
  void OpenWebPage(const std::string& url);
  void NoteImageDirectory(const std::string& chosenFile);
  /// Loads `file` into a new reader (of the options' file type, or of
  /// `fileType` when not -1, its header times meaning the options' or
  /// `headerTimeType`; calibrated by the camera's masters on load when the
  /// options ask for it and `calibrateOnLoad`); the reader on success, else null (the reader has told why).
  std::unique_ptr<GraphicsFileObj> ReadImage(const std::string& file, int fileType = -1, int headerTimeType = -1,
                                            bool calibrateOnLoad = true);
  void PutImage(int slot, std::unique_ptr<GraphicsFileObj> image);
  void DefineCommands();
  void DefineReportCommands();
  void MakeReportList();
  /// The report's SetRecords with the main window's part: clearing the list
  /// empties `ReportFileName` and sets `ReportSaved`; a visible report window
  /// shows the new text.
  void SetReportRecords(const UserRecord* user, const CameraRecord* camera, bool clearList, const SiteRecord* site);
  /// "Use &Mean Motion..." follows the number of observations.
  void NoteObservationCount();
  /// A visible report window rebuilds its text: quietly (no acknowledgement
  /// dialog) or as a fresh report after the records were set.
  void RefreshReportWindow(bool quiet = true);

  int blinkLast_ = 0;  ///< the last slot handed to the blink window
  platform::Platform& ui_;
  AstrmLabEnvironment env_;
  AstrmLabViews views_;
  MenuModel menus_ = MenuModel::Designed();
  std::unique_ptr<OptsObj> opts_;
  OptionsRecord options_;
  std::unique_ptr<AstromObsObj> report_;
  std::unique_ptr<ReportList> reportList_;
  std::unique_ptr<ExecMod32Obj> launcher_;
  LoginRecord login_;
  std::unique_ptr<LogFileObj> log_;
  std::array<ImageSlot, kSlots> slots_;
  /// The persisted fields as the options file in DataDir holds them (empty when none is known).
  std::vector<std::uint8_t> savedOptions_;
  static std::vector<std::uint8_t> OptionBytes(const OptionsRecord& record);
  /// The observation each slot last put into the report (RecordMeasurement).
  std::array<std::optional<ObservationRecord>, kSlots> slotObservations_;
  BoxRecord refBox_;
  BoxRecord unknownBox_;
  int screenMode_ = kLogoScreen;
  bool closed_ = false;
  std::map<std::string, std::function<void()>> commands_;
  std::unique_ptr<HelpSystem> help_;
  std::unique_ptr<OrbitSession> orbits_;
  std::unique_ptr<MotionSession> motion_;
  std::unique_ptr<GSCConvertSettings> gscSettings_;
};

}  // namespace skarvel

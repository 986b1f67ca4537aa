#include "shell/astrm_lab.h"

#include <cctype>
#include <cstdlib>
#include <exception>

#include "foundations/file_system.h"
#include "images/calibration_choice.h"
#include "images/image_readers.h"
#include "orbits/convert_commands.h"
#include "orbits/download_commands.h"
#include "shell/demo_night.h"
#include "shell/orbit_screen.h"
#include "shell/motion_session.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

AstrmLabEnvironment AstrmLabEnvironment::FromProcess(const std::string& commandArguments) {
  AstrmLabEnvironment env;
  env.storage = StorageEnvironment::FromProcess();
  env.commandArguments = commandArguments;
  env.demoWorkDir = DemoWorkDirectory(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  return env;
}

AstrmLab::AstrmLab(platform::Platform& ui, AstrmLabEnvironment env)
    : ui_(ui), env_(std::move(env)), help_(std::make_unique<HelpSystem>(ui)),
      orbits_(std::make_unique<OrbitSession>(*this)),
      motion_(std::make_unique<MotionSession>(*this)) {
  DefineCommands();
}

AstrmLab::~AstrmLab() {
  if (!closed_ && log_ != nullptr) {
    try {
      Close();
    } catch (const std::exception&) {
      // A log that fails while the program ends has nobody left to tell.
    }
  }
}

void AstrmLab::DefineCommands() {
  orbits_->AddCommands(commands_);
  motion_->AddCommands(commands_);
  commands_["MinorPlanetCenter1"] = [this] { OpenWebPage(options_.mpcURL); };
  commands_["VORNWebsite1"] = [this] { OpenWebPage(options_.vornURL); };
  commands_["ProjectPluto1"] = [this] { OpenWebPage(options_.pPlutoURL); };
  commands_["USNOOnlineStatusInfo1"] = [this] { OpenWebPage(options_.usnoStatusURL); };
  // A conversion that found its source in a new folder keeps that folder in the options.
  commands_["ConvertLowell"] = [this] {
    ConvertLowell(ui_, options_, [this](OrbitDatabase, const std::string& dir) {
      options_.astorbPath = dir;
      NoteOptionsChanged();
    });
  };
  commands_["ConvertMPC"] = [this] {
    ConvertMPC(ui_, options_, [this](OrbitDatabase, const std::string& dir) {
      options_.mpcOrbPath = dir;
      NoteOptionsChanged();
    });
  };
  commands_["ConvertGSC1"] = [this] { ConvertGSC(); };
  commands_["UserInformation1"] = [this] { UserInformation(); };
  commands_["CameraParameters1"] = [this] { CameraParameters(); };
  commands_["SiteInformation1"] = [this] { SiteInformation(); };
  commands_["Options1"] = [this] { Preferences(); };
  commands_["Preferences2"] = [this] { Preferences(); };
  commands_["SaveUpdates1"] = [this] { SaveUpdates(); };
  commands_["Exit1"] = [this] {
    if (views_.closeWindow) views_.closeWindow();
  };
  for (int slot = 0; slot < kSlots; ++slot)
    commands_["LoadImg" + std::to_string(slot + 1)] = [this, slot] { LoadImage(slot); };
  commands_["MultipleLoad1"] = [this] { MultipleLoad(); };
  commands_["Calibration1"] = [this] { Calibration(); };
  for (int slot = 0; slot < kSlots; ++slot)
    commands_["MeasImg" + std::to_string(slot + 1)] = [this, slot] { MeasureImage(slot); };
  commands_["Object1"] = [this] { ClearAll(); };
  commands_["FieldObservationSet1"] = [this] { ClearReferenceFields(); };
  commands_["ImageFileType1"] = [this] {
    if (orbitView) {
      orbitView = false;
      Repaint();
    }
    SetImageFileType();
  };
  commands_["ViewAdjust1"] = [this] { ViewImages(); };
  commands_["Blink1"] = [this] { Blink(); };
  commands_["MovingObjects1"] = [this] { FindMovingObjects(); };
  commands_["TrackStack1"] = [this] {
    if (views_.trackSeries) views_.trackSeries();
  };
  commands_["OnHelp1"] = [this] { help_->OnHelp(); };
  commands_["Topics1"] = [this] { help_->Topics(); };
  commands_["User1"] = [this] { help_->UserHelp(); };
  commands_["OpenDemoNight1"] = [this] { OpenDemoNight(); };
  commands_["AboutThisExercise1"] = [this] {
    if (views_.about) views_.about();
  };
  DefineReportCommands();
}

AstrmLab::StartResult AstrmLab::Create() {
  // 1. The screen must be at least 800 x 600.
  const auto screen = ui_.Screen();
  if (screen.width < kMinScreenWidth || screen.height < kMinScreenHeight) {
    platform::Tell(ui_,
                   "You Cannot Run the \"Skarvel\" Software\r\nWith a Screen Resolution of Less Than "
                   "800x600 Pixels!\r\n\r\nSee Windows Help for information on changing the screen resolution.",
                   "Screen Resolution Not Adequate!", Icon::Error);
    return StartResult::ScreenTooSmall;
  }
  // 2.-3. Number formats are fixed ("." and "YYYY/MM/DD") throughout; the logo screen first.
  screenMode_ = kLogoScreen;
  // 4. The options.
  opts_ = std::make_unique<OptsObj>(kOptionsFile, kVersion, env_.storage, ui_);
  if (!opts_->Start()) {
    opts_.reset();
    return StartResult::NoStorage;
  }
  options_ = opts_->Record();
  // What the options file in DataDir holds, when there is one.
  if (fs::FileExists(options_.dataDir + options_.fileName)) savedOptions_ = OptionBytes(options_);
  // 6. The shared box settings of the measuring windows.
  refBox_ = options_.refBox;
  unknownBox_ = options_.unknownBox;
  // 7. Help commands.
  UpdateHelpCommands();
  // 8. The command line.
  const CommandLineEffect cl = ParseCommandArguments(env_.commandArguments);
  if (cl.anyArgument) options_.imagePath = fs::WithTrailingSeparator(env_.storage.currentDir);
  if (cl.tarne) {
    options_.orbitFileArg = cl.orbitFileArg;
    menus_.SetVisible("SearchTARNEOrbitFile1", true);
    menus_.SetVisible("TARNEOrbitFile1", true);
  }
  // 9. Directories.
  if (!options_.imagePath.empty()) {
    imageDir = reportDir = lastImageDir = options_.imagePath;
  } else {
    imageDir = options_.dataDir;
    reportDir.clear();
    lastImageDir.clear();
  }
  imageFileName.clear();
  reportFileName.clear();
  findOrbDir = options_.dataDir;
  findOrbFileName.clear();
  // 12. Flags.
  closeConfirmed = optionsUnlocked = orbitView = minRefHintShown = false;
  newFieldNeeded = zoomHintPending = blinkHintPending = true;
  oldReportVersion = 0;
  // 13.
  EnterSession();
  return StartResult::Running;
}

void AstrmLab::EnterSession() {
  if (!login_.Recorded()) {
    login_ = LoginRecord::Demonstration();
    screenMode_ = kTitleScreen;
    Repaint();
  }
  if (report_ == nullptr)
    report_ = std::make_unique<AstromObsObj>(options_.userRecord, options_.cameraRecord, options_.siteRecord);
  ResetFieldParameters(fieldRequest, options_);
  if (reportList_ == nullptr) MakeReportList();
  if (options_.optionsAccess) {
    optionsUnlocked = true;
    menus_.SetVisible("Preferences1", true);
    menus_.SetEnabled("Preferences1", true);
    menus_.SetVisible("PrefSeparator", true);
  }
  const bool hasObservations = !report_->Empty();
  for (const char* name : {"ViewEdit1", "SaveData1", "ClearData1"}) menus_.SetEnabled(name, hasObservations);
  NoteObservationCount();  // "Use &Mean Motion..." wants two observations from the start
  for (const char* name : {"Report1", "Ephemeris1", "OrbitSearch1"}) {
    menus_.SetVisible(name, true);
    menus_.SetEnabled(name, true);
  }
  for (const char* name : {"SpreadSheet1", "LoadImages1", "ImageFileType1", "DownloadOrbitDatabase1", "OtherURLs1"})
    menus_.SetEnabled(name, true);
  newFieldNeeded = true;
  for (const char* name : {"MeasImg1", "MeasImg2", "MeasImg3", "MeasImg4"}) menus_.SetChecked(name, false);
  // One log writer per run: entering the session again after the options
  // dialog keeps it, so the log shows one Login and one Logout per run.
  if (log_ == nullptr) {
    std::string path = options_.logFile;
    if (!path.empty() && !fs::HasDirectory(path)) path = options_.dataDir + path;
    log_ = std::make_unique<LogFileObj>(kLogTag, fs::NativePath(path), &login_, env_.clock);
    log_->WriteLogin();
  }
}

void AstrmLab::UpdateHelpCommands() {
  menus_.SetEnabled("OnHelp1", !options_.helpFile.empty());
  menus_.SetEnabled("Topics1", !options_.toolHelpList.empty());
  menus_.SetEnabled("User1", !options_.userHelpFile.empty());
  help_->SetProgramDir(options_.programDir);
  help_->SetHelpFiles(options_.helpFile, options_.userHelpFile);
  if (!options_.toolHelpList.empty()) help_->LoadList(options_.programDir + options_.toolHelpList);
}

bool AstrmLab::Available(const std::string& name) const {
  const MenuItem* item = menus_.Find(name);
  if (item == nullptr || !item->visible || !item->enabled) return false;
  if (item->IsSubmenu()) return true;
  if (!HasCommand(name)) return false;
  if ((name == "Options1" || name == "Preferences2") && optionsUnlocked && !views_.options) return false;
  if (name == "ImageFileType1" && !views_.imageFileType) return false;
  if (name == "ConvertGSC1" && !views_.convertGSCDialog) return false;
  return true;
}

bool AstrmLab::Run(const std::string& name) {
  if (!Available(name)) return false;
  try {
    commands_.at(name)();
  } catch (const std::exception& failure) {
    // The program's general error report: the failure's own text.
    platform::Tell(ui_, failure.what(), kTitle, Icon::Error);
  }
  return true;
}

void AstrmLab::MenuOpened(const std::string& name) {
  if (name == "ViewEdit1") {
    for (const char* item : {"ShortFormat1", "LongFormat1", "N15"}) menus_.SetVisible(item, true);
  } else if (name == "Images1" || name == "ClearImages1" || name == "LoadImages1") {
    if (orbitView) {
      orbitView = false;
      Repaint();
    }
  } else if (name == "OrbitSearch1" || name == "Ephemeris1") {
    if (!orbitView) {
      orbitView = true;
      Repaint();
    }
  }
}

void AstrmLab::LockSlot(int slot, bool busy) {
  if (slot < 0 || slot >= kSlots) return;
  busy = busy || (blinkRunning && blinkRunning());
  menus_.SetEnabled("LoadImg" + std::to_string(slot + 1), !busy);
  menus_.SetEnabled("ImageFileType1", !busy);
  menus_.SetEnabled("ClearImages1", !busy);
  menus_.SetEnabled("Preferences1", !busy);
  menus_.SetEnabled("Preferences2", !busy);  // the pop-up menu's item
  menus_.SetEnabled("MultipleLoad1", !busy && !slots_[0].Loaded());
}

std::vector<std::uint8_t> AstrmLab::OptionBytes(const OptionsRecord& record) {
  ByteWriter out;
  WriteOptionsFields(out, record);
  return out.Buffer();
}

void AstrmLab::NoteOptionsChanged() {
  optionsChanged = true;
  saveAsDefaults = options_.administrator;
  menus_.SetEnabled("SaveUpdates1", true);
  SaveUpdates();
}

void AstrmLab::SaveUpdates() {
  SaveIntoDataDir();
  SaveAsDefaultsForAllUsers();
}

void AstrmLab::SaveIntoDataDir() {
  if (opts_ == nullptr) return;
  const bool expert = options_.expertMode;
  if (expert || platform::Tell(ui_, "Save Updated Parameters in " + options_.dataDir + options_.fileName + "?",
                               "Save Option Changes?", Icon::Question, Buttons::YesNo) == Answer::Yes) {
    platform::BusyCursor busy(ui_);
    opts_->Record() = options_;
    // A save that failed leaves the changes marked, to be offered again.
    if (opts_->Write(options_.dataDir)) {
      savedOptions_ = OptionBytes(options_);
      optionsChanged = false;
      menus_.SetEnabled("SaveUpdates1", false);
    }
  }
}

void AstrmLab::SaveAsDefaultsForAllUsers() {
  if (opts_ == nullptr) return;
  const bool expert = options_.expertMode;
  if (saveAsDefaults) {
    if (expert || platform::Tell(ui_, "Save Updated Parameters in " + options_.programDir + options_.fileName + "?",
                                 "Use As Defaults for All Users?", Icon::Question, Buttons::YesNo) == Answer::Yes) {
      opts_->Record() = options_;
      if (!opts_->Write(options_.programDir)) {
        options_.administrator = false;
        opts_->Record().administrator = false;
      }
      saveAsDefaults = false;
    }
  }
}

void AstrmLab::Preferences() {
  if (!optionsUnlocked) {
    platform::Tell(ui_,
                   "INSTRUCTOR: Many features of this software are controlled by\r\noption switches and parameters "
                   "that enable you to tailor the\r\nexercise to your own needs and preferences.\r\n\r\nSee the "
                   "technical documentation for details and instructions!",
                   "USER OPTIONS!", Icon::Exclamation);
    return;
  }
  if (!views_.options || opts_ == nullptr) return;
  // The dialog starts from the working copy, so that OK keeps what was changed
  // but not saved (and the command line's settings); Cancel leaves both as they were.
  opts_->Record() = options_;
  const OptionsDialogResult result = views_.options(*opts_);
  if (result.ok) {
    options_ = opts_->Record();
    refBox_ = options_.refBox;
    unknownBox_ = options_.unknownBox;
    NoteOptionsChanged();
    if (result.userChanged) report_->user = options_.userRecord;
    if (result.cameraChanged) report_->camera = options_.cameraRecord;
    if (result.siteChanged) report_->site = options_.siteRecord;
    if (result.userChanged || result.cameraChanged || result.siteChanged) RefreshReportWindow(false);
    UpdateHelpCommands();
    Repaint();
  }
  if (views_.releaseReferenceField) views_.releaseReferenceField();
  EnterSession();
}

bool AstrmLab::CloseQuery() {
  if (!closeConfirmed) {
    Answer answer;
    if (reportSaved) {
      answer = platform::Tell(ui_, "Close Astrometry Program Now?", "Verify Exit", Icon::Question, Buttons::YesNo);
    } else {
      answer = platform::Tell(ui_,
                              "You Have Not Saved Your Report Data.\r\nYou Will Lose Measurement Data if You Exit "
                              "Now!\r\n\r\nClose Program Anyway?",
                              "New/Modified Data Not Saved!", Icon::Stop, Buttons::YesNo);
    }
    closeConfirmed = answer == Answer::Yes;
    if (!closeConfirmed) return false;
  }
  // Changes that came back to what the options file holds are nothing to save.
  if (optionsChanged && !savedOptions_.empty() && OptionBytes(options_) == savedOptions_) optionsChanged = false;
  try {
    if (optionsChanged) {
      SaveUpdates();
      optionsChanged = false;
      saveAsDefaults = false;
    } else if (saveAsDefaults) {
      SaveAsDefaultsForAllUsers();
    }
  } catch (const std::exception& failure) {
    platform::Tell(ui_, failure.what(), kTitle, Icon::Error);
  }
  return true;
}

void AstrmLab::Close() {
  if (closed_) return;
  closed_ = true;
  for (auto& slot : slots_) slot.image.reset();
  if (log_ != nullptr) log_->WriteLogout();
  log_.reset();
  launcher_.reset();
  opts_.reset();
  reportList_.reset();
  report_.reset();
}

void AstrmLab::SetScreenMode(int mode) {
  screenMode_ = mode;
  Repaint();
}

void AstrmLab::Repaint() {
  if (views_.repaint) views_.repaint();
}

void AstrmLab::OpenWebPage(const std::string& url) {
  skarvel::OpenWebPage(ui_, url);
}

std::vector<ScreenLine> AstrmLab::WorkScreenLines(int clientWidth,
                                                  const std::function<int(const std::string&)>& textWidth,
                                                  int textHeight) const {
  std::vector<ScreenLine> lines = OrbitScreenLines(orbits_->Current(), orbitView, options_.orbitFileArg, textHeight);
  if (orbitView) return lines;
  constexpr int kX = 20;                           // left margin, pixels
  constexpr int kSlotY[kSlots] = {20, 75, 130, 185};  // top of each slot's heading, pixels
  constexpr int kStateGap = 15;                    // between a heading and its state, pixels
  // The report line below the last slot's file name, clear of the elements
  // panel below it (which starts at kPanelTop), pixels.
  const int reportY = kSlotY[kSlots - 1] + 2 * (textHeight + 5) + 5;
  bool anyLoaded = false;
  for (int i = 0; i < kSlots; ++i) {
    const ImageSlot& slot = slots_[static_cast<std::size_t>(i)];
    if (!slot.Loaded()) continue;
    anyLoaded = true;
    const std::string heading = "** Image " + std::to_string(i + 1) + " **";
    lines.push_back({kX, kSlotY[i], heading});
    const SlotMeasurement state = views_.slotMeasurement ? views_.slotMeasurement(i) : SlotMeasurement::kNotMeasured;
    const char* stateText = state == SlotMeasurement::kInReport ? "measured, in the report"
                            : state == SlotMeasurement::kSolved ? "measured, not in the report"
                                                                : "not measured";
    lines.push_back({kX + textWidth(heading) + kStateGap, kSlotY[i], stateText});
    const std::string& path = slot.image->fileName;
    std::string file = "File Name: " + path;
    if (kX + textWidth(file) + 20 >= clientWidth) file = "File Name: " + fs::FileNameOf(path);
    lines.push_back({kX, kSlotY[i] + textHeight + 5, file});
  }
  const std::size_t count = report_ != nullptr ? report_->Count() : 0;
  if (anyLoaded || count > 0) {
    const std::string text = count == 0   ? "The report holds no observations."
                             : count == 1 ? "The report holds 1 observation."
                                          : "The report holds " + std::to_string(count) + " observations.";
    lines.push_back({kX, reportY, text});
  }
  return lines;
}

// ---------------------------------------------------------------- image slots

void AstrmLab::NoteImageDirectory(const std::string& chosenFile) {
  imageDir = fs::DirectoryOf(chosenFile);
  if (imageDir != options_.imagePath) {
    options_.imagePath = imageDir;
    lastImageDir = imageDir;
    if (reportDir.empty()) reportDir = imageDir;
    optionsChanged = true;
    menus_.SetEnabled("SaveUpdates1", true);
  }
  imageFileName = fs::FileNameOf(chosenFile);
}

std::unique_ptr<GraphicsFileObj> AstrmLab::ReadImage(const std::string& file, int fileType, int headerTimeType,
                                                     bool calibrateOnLoad) {
  auto image = MakeImageReader(fileType >= 0 ? static_cast<std::uint8_t>(fileType) : options_.imageFileType,
                               ImageLoadContext{&ui_, options_.dataDir,
                                                headerTimeType >= 0 ? static_cast<std::uint8_t>(headerTimeType)
                                                                    : options_.headerTimeType,
                                                &currentObsParms,
                                                report_.get()});
  if (image == nullptr) return nullptr;
  image->tempNameTaken = [this](const std::string& header, const std::string& bitmap) {
    for (const auto& slot : slots_) {
      const GraphicsFileObj* other = slot.image.get();
      if (other != nullptr && ((other->headerTextPresent && other->headerTextPath == header) ||
                               other->BitmapPath() == bitmap))
        return true;
    }
    return false;
  };
  if (!image->Load(file)) return nullptr;
  // The masters chosen for the camera, when it calibrates its images on load.
  const CalibrationChoice choice =
      ChoiceForCamera(options_.dataDir, report_ ? report_->camera.name : options_.cameraRecord.name);
  if (calibrateOnLoad && choice.onLoad && !choice.Empty()) {
    try {
      CalibrateImage(*image, LoadMasters(choice));
    } catch (const CalibrationFailure& e) {
      platform::Tell(ui_, std::string(e.what()) + "\r\n\r\nThe image is loaded without calibration.",
                     CalibrationDialogLogic::kErrorCaption, Icon::Error);
    }
  }
  return image;
}

void AstrmLab::Calibration() {
  if (!views_.calibration) return;
  CalibrationDialogHost host;
  host.ui = &ui_;
  host.dataDir = options_.dataDir;
  host.camera = report_ ? report_->camera.name : options_.cameraRecord.name;
  host.directory = imageDir;
  host.calibrateLoaded = [this](const MasterSet& masters) { return CalibrateLoadedImages(masters); };
  views_.calibration(std::move(host));
}

std::vector<CalibFrame> AstrmLab::CalibrateLoadedImages(const MasterSet& masters) {
  std::vector<CalibFrame> done;
  for (int slot = 0; slot < kSlots; ++slot) {
    GraphicsFileObj* image = slots_[static_cast<std::size_t>(slot)].image.get();
    if (image == nullptr || !image->HasImage() || menus_.At("MeasImg" + std::to_string(slot + 1)).checked) continue;
    done.push_back(CalibrateImage(*image, masters));
    if (views_.imageLoaded) views_.imageLoaded(slot);
  }
  return done;
}

void AstrmLab::PutImage(int slot, std::unique_ptr<GraphicsFileObj> image) {
  const auto k = static_cast<std::size_t>(slot);
  slots_[k].image = std::move(image);
  Repaint();
  bool valid = slots_[k].image->HasImage();
  if (views_.imageLoaded) valid = views_.imageLoaded(slot) && valid;
  const std::string n = std::to_string(slot + 1);
  if (slot == 0) {
    menus_.SetEnabled("MultipleLoad1", false);
    menus_.SetEnabled("ClearImages1", true);
    menus_.SetEnabled("Images1", true);
  }
  menus_.SetChecked("LoadImg" + n, true);
  if (slot + 1 < kSlots) menus_.SetEnabled("LoadImg" + std::to_string(slot + 2), true);
  menus_.SetEnabled("MeasImg" + n, valid);
  menus_.SetChecked("MeasImg" + n, false);
  ResetSlotAlignment(blinkAlignments, slot);  // a new image is aligned afresh
  if (slot <= 1) menus_.SetEnabled("Blink1", menus_.At("MeasImg1").enabled && menus_.At("MeasImg2").enabled);
  if (slot <= 2)
    menus_.SetEnabled("MovingObjects1", menus_.At("MeasImg1").enabled && menus_.At("MeasImg2").enabled &&
                                            menus_.At("MeasImg3").enabled);
}

void AstrmLab::LoadImage(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  const std::string n = std::to_string(slot + 1);
  if (!options_.expertMode && menus_.At("LoadImg" + n).checked &&
      platform::Tell(ui_, "Replace Current Image " + n + " With New Image?", "Confirm", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  SetScreenMode(kWorkScreen);
  platform::FileDialogRequest request;
  request.title = "Select Image File for Load (Image " + n + ")";
  request.filter = kImageFilter;
  request.filterIndex = options_.imageFileType <= 2 ? options_.imageFileType + 1 : 4;
  request.directory = imageDir;
  request.fileName = imageFileName;
  for (;;) {
    const auto chosen = ui_.OpenFiles(request);
    if (!chosen || chosen->empty()) return;
    const std::string file = chosen->front();
    NoteImageDirectory(file);
    request.directory = imageDir;
    request.fileName = imageFileName;
    if (options_.imageFileType > 2 || MakeImageReader(options_.imageFileType, {}) == nullptr) {
      std::string ext;
      const std::string name = fs::FileNameOf(file);
      if (const auto dot = name.rfind('.'); dot != std::string::npos) ext = name.substr(dot);
      for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (platform::Tell(ui_,
                         "The file type you selected (extension " + ext + ") is not supported!" + "\r\n\r\n" +
                             "Do you want to change your selection?",
                         "File Type Not Supported!", Icon::Stop, Buttons::YesNo) != Answer::Yes)
        return;
      continue;
    }
    platform::BusyCursor busy(ui_);
    if (auto image = ReadImage(file)) {
      PutImage(slot, std::move(image));
      return;
    }
  }
}

void AstrmLab::MultipleLoad() {
  SetScreenMode(kWorkScreen);
  platform::FileDialogRequest request;
  request.title = "Select (n <= 4) Image Files for Load";
  request.filter = kImageFilter;
  request.filterIndex = options_.imageFileType <= 2 ? options_.imageFileType + 1 : 4;
  request.directory = imageDir;
  request.fileName = imageFileName;
  request.multiple = true;
  std::vector<std::string> files;
  for (;;) {
    const auto chosen = ui_.OpenFiles(request);
    if (!chosen || chosen->empty()) return;
    if (chosen->size() <= static_cast<std::size_t>(kSlots)) {
      files = *chosen;
      break;
    }
    platform::Tell(ui_, "A Maximum of Four (4) Files May Be Selected.", "Too Many Files!", Icon::Exclamation);
  }
  platform::BusyCursor busy(ui_);
  // The dialog lists the names in the order it shows them: the first goes to
  // slot 1, so the images land in the order the user sees.
  for (std::size_t slot = 0; slot < files.size(); ++slot) {
    NoteImageDirectory(files[slot]);
    if (auto image = ReadImage(files[slot])) PutImage(static_cast<int>(slot), std::move(image));
  }
}

int AstrmLab::LoadIntoFreeSlot(const std::string& file) {
  int slot = 0;
  while (slot < kSlots && slots_[static_cast<std::size_t>(slot)].Loaded()) ++slot;
  if (slot == kSlots) {
    platform::Tell(ui_, "Every image slot holds an image: clear the images first to load the stack.",
                   "No Free Image Slot", Icon::Exclamation);
    return -1;
  }
  SetScreenMode(kWorkScreen);
  platform::BusyCursor busy(ui_);
  auto image = ReadImage(file, 0, 1, false);  // FITS; DATE-OBS is the stack's reference time
  if (!image) return -1;
  PutImage(slot, std::move(image));
  return slot;
}

void AstrmLab::ViewImages() {
  if (!views_.selectImages) return;
  std::array<bool, kSlots> valid{};
  for (int k = 0; k < kSlots; ++k) valid[static_cast<std::size_t>(k)] = views_.imageValid && views_.imageValid(k);
  const auto ticked = views_.selectImages(valid);
  if (!ticked) return;
  int m = 0;
  for (int k = 0; k < kSlots; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const bool chosen = ((*ticked)[i] && valid[i]) || (views_.imageWindowNormal && views_.imageWindowNormal(k));
    if (!chosen) continue;
    LockSlot(k, true);
    if (views_.viewImage) views_.viewImage(k, m);
    ++m;
  }
}

void AstrmLab::Blink() {
  // The images in consecutive slots from slot 1 take part.
  int count = 0;
  while (count < kSlots && views_.imageValid && views_.imageValid(count)) ++count;
  for (int k = 0; k < count; ++k) LockSlot(k, true);
  if (count < 2) {
    for (int k = 0; k < count; ++k) LockSlot(k, false);
    return;
  }
  blinkLast_ = count - 1;
  menus_.SetEnabled("ClearImages1", false);
  menus_.SetEnabled("LoadImages1", false);
  if (views_.blink) views_.blink(blinkLast_);
}

void AstrmLab::FindMovingObjects() {
  // The images in consecutive slots from slot 1, three or four of them.
  int count = 0;
  while (count < kSlots && views_.imageValid && views_.imageValid(count)) ++count;
  if (count < 3) return;
  if (views_.movingObjects) views_.movingObjects(count - 1);
}

void AstrmLab::BlinkClosed() {
  menus_.SetEnabled("ClearImages1", true);
  menus_.SetEnabled("LoadImages1", true);
  for (int k = 0; k <= blinkLast_; ++k) LockSlot(k, false);
}

void AstrmLab::ClearAll() {
  if (!orbitView && !options_.expertMode &&
      platform::Tell(ui_, "Clear Current Images, Reference Fields and Parameters?", "Verify Clear", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  if (!reportSaved &&
      platform::Tell(ui_,
                     "For safety, you should save your current report data before loading new images.\r\n\r\n"
                     "Save report data now?",
                     "Save Current Data?", Icon::Question, Buttons::YesNo) == Answer::Yes &&
      HasCommand("SaveData1"))
    commands_.at("SaveData1")();
  if (views_.imagesCleared) views_.imagesCleared();
  for (auto& slot : slots_) slot.image.reset();
  for (int k = 0; k < kSlots; ++k) ResetSlotAlignment(blinkAlignments, k);
  ResetFieldParameters(fieldRequest, options_);
  if (views_.releaseReferenceField) views_.releaseReferenceField();
  newFieldNeeded = true;
  if (report_ != nullptr) {
    report_->camera = options_.cameraRecord;
    report_->cameraFromImage = false;
  }
  ClearObsParams(currentObsParms, verifiedIds);
  for (const char* name : {"ClearImages1", "LoadImg2", "LoadImg3", "LoadImg4", "MeasImg1", "MeasImg2", "MeasImg3",
                           "MeasImg4", "Blink1", "MovingObjects1", "Images1"})
    menus_.SetEnabled(name, false);
  menus_.SetEnabled("MultipleLoad1", true);
  menus_.SetEnabled("LoadImg1", true);
  for (const char* name : {"LoadImg1", "LoadImg2", "LoadImg3", "LoadImg4", "MeasImg1", "MeasImg2", "MeasImg3",
                           "MeasImg4"})
    menus_.SetChecked(name, false);
  minRefHintShown = false;
  Repaint();
  menus_.SetEnabled("Preferences1", true);
  menus_.SetEnabled("Preferences2", true);
}

void AstrmLab::ClearReferenceFields() {
  if (!options_.expertMode &&
      platform::Tell(ui_, "Clear Field and Reference Star Parameters?", "Verify Clear", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  ResetFieldParameters(fieldRequest, options_);
  newFieldNeeded = true;
  for (const char* name : {"MeasImg1", "MeasImg2", "MeasImg3", "MeasImg4"}) menus_.SetChecked(name, false);
  if (views_.referenceFieldsCleared) views_.referenceFieldsCleared();
}

void AstrmLab::SetImageFileType() {
  if (!views_.imageFileType) return;
  const ImageTypeSelection present{options_.imageFileType, options_.headerTimeType};
  const auto choice = views_.imageFileType(present);
  if (!choice) return;
  ImageTypeSelection next = *choice;
  if (next.format == kImageST4) next.timeType = 3;
  if (next.format == present.format && next.timeType == present.timeType) return;  // no change counts as Cancel
  options_.imageFileType = next.format;
  options_.headerTimeType = next.timeType;
  NoteOptionsChanged();
}

AstrmLab::AboutText AstrmLab::About() {
  // The program's version as the build knows it, the one `skarvel --version` prints.
  return {"About This Software", std::string("Version ") + SKARVEL_VERSION_TEXT, kTitle};
}

}  // namespace skarvel

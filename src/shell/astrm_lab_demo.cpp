// "Open Demo Night" of the main window's Help menu.
#include "foundations/file_system.h"
#include "shell/astrm_lab.h"
#include "shell/demo_night.h"

namespace skarvel {

using platform::Icon;

void AstrmLab::OpenDemoNight() {
  const std::string demo = options_.programDir + kDemoFolder;
  if (!fs::FileExists(demo + kOptionsFile)) {
    platform::Tell(ui_, "The demo night is not installed.\r\n\r\nFolder: " + demo, "Open Demo Night", Icon::Error);
    return;
  }
  const std::string work = env_.demoWorkDir;
  if (work.empty()) {
    platform::Tell(ui_,
                   "There is no folder for the demo night: neither XDG_DATA_HOME nor HOME names one.",
                   "Open Demo Night", Icon::Error);
    return;
  }
  // The demo's images take the slots: the images loaded go first, as the
  // clear command does it (asking).
  for (const ImageSlot& slot : slots_) {
    if (!slot.Loaded()) continue;
    ClearAll();
    break;
  }
  for (const ImageSlot& slot : slots_)
    if (slot.Loaded()) return;
  // A failure here ends the command with its own text; the session stays as it was.
  PrepareDemoSession(demo, work, ui_);
  if (opts_ == nullptr) return;
  const OptionsRecord before = opts_->Record();
  if (!opts_->Read(work + kOptionsFile)) {
    opts_->Record() = before;
    return;
  }
  OptionsRecord& r = opts_->Record();
  r.dataDir = work;
  r.programDir = options_.programDir;
  r.cdromDrive = options_.cdromDrive;
  r.administrator = false;
  options_ = r;
  if (env_.storage.changeCurrentDirectory) fs::SetCurrentDirectory(work);
  refBox_ = options_.refBox;
  unknownBox_ = options_.unknownBox;
  imageDir = reportDir = lastImageDir = options_.imagePath;
  findOrbDir = options_.dataDir;
  optionsChanged = false;
  menus_.SetEnabled("SaveUpdates1", false);
  if (report_ != nullptr) {
    report_->user = options_.userRecord;
    report_->camera = options_.cameraRecord;
    report_->site = options_.siteRecord;
    RefreshReportWindow(false);
  }
  ResetFieldParameters(fieldRequest, options_);
  newFieldNeeded = true;
  if (views_.catalogSettingsChanged) views_.catalogSettingsChanged();
  UpdateHelpCommands();
  Repaint();
  platform::Tell(ui_,
                 "The demo night is ready in " + work + "\r\n\r\nLoad its four images with \"Load Image Files\" - "
                 "\"Multiple Load\" from " + options_.imagePath + ".",
                 "Open Demo Night", Icon::Information);
}

}  // namespace skarvel

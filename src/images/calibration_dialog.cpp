#include "images/calibration_dialog.h"

#include "foundations/file_system.h"
#include "images/calibration_files.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

CalibrationDialogLogic::CalibrationDialogLogic(CalibrationDialogHost host) : host_(std::move(host)) {
  choice = ChoiceForCamera(host_.dataDir, host_.camera);
}

void CalibrationDialogLogic::Fail(const std::string& text) {
  platform::Tell(*host_.ui, text, kErrorCaption, Icon::Error);
}

std::string& CalibrationDialogLogic::Field(FrameKind kind) {
  return kind == FrameKind::Bias ? choice.bias : kind == FrameKind::Dark ? choice.dark : choice.flat;
}

bool CalibrationDialogLogic::Browse(FrameKind kind) {
  platform::FileDialogRequest request;
  request.title = "Select the Master " + std::string(kind == FrameKind::Bias   ? "Bias"
                                                     : kind == FrameKind::Dark ? "Dark"
                                                                               : "Flat");
  request.filter = kFitsFilter;
  request.directory = Field(kind).empty() ? host_.directory : fs::DirectoryOf(Field(kind));
  request.fileName = Field(kind).empty() ? "*.FIT" : fs::FileNameOf(Field(kind));
  const auto chosen = host_.ui->OpenFiles(request);
  if (!chosen || chosen->empty()) return false;
  Field(kind) = chosen->front();
  return true;
}

bool CalibrationDialogLogic::BuildMaster() {
  const std::string word = FrameKindWord(buildKind);
  std::string title = word;
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  platform::FileDialogRequest open;
  open.title = "Select the " + title + " Frames";
  open.filter = kFitsFilter;
  open.directory = host_.directory;
  open.fileName = "*.FIT";
  open.multiple = true;
  const auto frames = host_.ui->OpenFiles(open);
  if (!frames || frames->empty()) return false;
  platform::FileDialogRequest save;
  save.title = "Save the Master " + title;
  save.filter = kFitsFilter;
  save.defaultExtension = ".FIT";
  save.directory = fs::DirectoryOf(frames->front());
  save.fileName = "MASTER_" + FrameKindName(buildKind) + ".FIT";
  const auto out = host_.ui->SaveFile(save);
  if (!out) return false;
  try {
    MasterSet corrections;
    if (buildKind != FrameKind::Bias && !choice.bias.empty())
      corrections.bias = MasterFromFiles(FrameKind::Bias, {choice.bias}, method);
    if (buildKind == FrameKind::Flat && !choice.dark.empty())
      corrections.dark = MasterFromFiles(FrameKind::Dark, {choice.dark}, method,
                                         corrections.bias ? &*corrections.bias : nullptr);
    const auto total = static_cast<std::int64_t>(2 * frames->size());
    const auto progress = host_.ui->OpenProgress("Building the Master " + title,
                                                 "Combining " + std::to_string(frames->size()) + " " + word +
                                                     " frames...",
                                                 total, true);
    CalibFrame master = MasterFromFiles(buildKind, *frames, method,
                                        corrections.bias ? &*corrections.bias : nullptr,
                                        corrections.dark ? &*corrections.dark : nullptr,
                                        [&](std::int64_t done, std::int64_t) {
                                          progress->SetPosition(done);
                                          return !progress->StopRequested();
                                        });
    if (!master.path.empty())  // a single master chosen: nothing to build
      throw CalibrationFailure(fs::FileNameOf(frames->front()) + " is a master already.");
    std::vector<std::string> inputs = *frames;
    if (corrections.bias) inputs.push_back(choice.bias);
    if (corrections.dark) inputs.push_back(choice.dark);
    SaveMaster(*out, master, inputs);
    Field(buildKind) = *out;
    platform::Tell(*host_.ui,
                   "Master " + word + " of " + std::to_string(master.facts.combined) + " frames written to " + *out +
                       ".",
                   "Master Written", Icon::Information);
    return true;
  } catch (const CalibrationFailure& e) {
    Fail(e.what());
    return false;
  }
}

bool CalibrationDialogLogic::CalibrateLoaded() {
  if (choice.Empty()) {
    Fail("Choose a bias, a dark or a flat to apply first.");
    return false;
  }
  std::vector<CalibFrame> done;
  try {
    const MasterSet masters = LoadMasters(choice);
    platform::BusyCursor busy(*host_.ui);
    done = host_.calibrateLoaded ? host_.calibrateLoaded(masters) : std::vector<CalibFrame>{};
  } catch (const CalibrationFailure& e) {
    Fail(e.what());
    return false;
  }
  if (done.empty()) {
    Fail("No image is loaded.");
    return false;
  }
  if (platform::Tell(*host_.ui,
                     std::to_string(done.size()) + (done.size() == 1 ? " image was" : " images were") +
                         " calibrated.\r\n\r\nSave the calibrated images as FITS files?",
                     kCaption, Icon::Question, Buttons::YesNo) != Answer::Yes)
    return true;
  platform::DirectoryRequest where;
  where.title = "Folder for the Calibrated Images";
  where.directory = host_.directory;
  where.mayCreate = true;
  const auto dir = host_.ui->ChooseDirectory(where);
  if (!dir) return true;
  try {
    const std::string folder = fs::WithTrailingSeparator(*dir);
    for (const CalibFrame& f : done)
      if (SameFile(folder + fs::FileNameOf(f.path), f.path))
        throw CalibrationFailure("The calibrated " + fs::FileNameOf(f.path) + " would replace the light " + f.path +
                                 "; choose another folder.");
    for (const CalibFrame& f : done) WriteFloatFits(folder + fs::FileNameOf(f.path), f);
  } catch (const CalibrationFailure& e) {
    Fail(e.what());
  }
  return true;
}

bool CalibrationDialogLogic::Accept() {
  try {
    if (!choice.Empty()) (void)LoadMasters(choice);
    if (choice.onLoad && choice.Empty()) throw CalibrationFailure("Choose a bias, a dark or a flat to apply on load.");
    choice.camera = host_.camera;
    RememberChoice(host_.dataDir, choice);
  } catch (const CalibrationFailure& e) {
    Fail(e.what());
    return false;
  }
  return true;
}

}  // namespace skarvel

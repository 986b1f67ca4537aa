// "Convert &GSC..." of the main window.
#include <thread>

#include "shell/astrm_lab.h"

namespace skarvel {

bool AstrmLab::ConvertGSC() {
  if (!views_.convertGSCDialog) return false;
  if (gscSettings_ == nullptr) gscSettings_ = std::make_unique<GSCConvertSettings>(DefaultConvertSettings(options_));
  if (!views_.convertGSCDialog(*gscSettings_)) return false;
  // The regions are parsed on two threads when the machine has two cores; the
  // files are the same bytes either way.
  const int threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
  GSCConverter converter(options_, ui_, *gscSettings_);
  if (!converter.ConvertGSC(threads)) return false;
  if (platform::Tell(ui_, "Do you want to change your setup to use the converted GSC file?",
                     "GSC Successfully Converted", platform::Icon::Question,
                     platform::Buttons::YesNo) == platform::Answer::Yes) {
    options_.gscPath1 = options_.gscPath2 = gscSettings_->outputPath;
    options_.vornFormatGSC = true;
    // A field read from the CD-ROM form is not read again from there.
    newFieldNeeded = true;
    if (views_.catalogSettingsChanged) views_.catalogSettingsChanged();
    NoteOptionsChanged();
  }
  return true;
}

}  // namespace skarvel

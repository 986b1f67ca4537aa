#include "catalogs/gsc_convert_form.h"

#include <cmath>

#include "foundations/file_system.h"
#include "foundations/strings.h"

namespace skarvel {

const std::array<const char*, 3> GSCConvertForm::kPathLabels = {"Input Path - Volume 1", "Input Path - Volume 2",
                                                                 "Output Path:"};

GSCConvertForm::GSCConvertForm(const GSCConvertSettings& s)
    : paths{s.inputPath1, s.inputPath2, s.outputPath},
      magText(FormatFixed(1, static_cast<long double>(s.magLimit))),
      restart(s.restart),
      finder(s.finder),
      marloVersion(s.marloVersion) {}

bool GSCConvertForm::DoubleClicked(GSCConvertPath field, platform::Platform& ui, const std::string& dataDir) {
  std::string& text = paths[field];
  const std::string start = text.empty() ? dataDir : text;
  const auto chosen = ui.ChooseDirectory({kPathLabels[field], fs::NativePath(start), field == kOutputPath});
  if (!chosen) return false;
  text = fs::WithTrailingSeparator(*chosen);
  if (text.size() > kGSCConvertPathLength + 1) text.resize(kGSCConvertPathLength + 1);
  return true;
}

bool GSCConvertForm::Ok(platform::Platform& ui, GSCConvertSettings& settings) {
  GSCConvertSettings taken = settings;
  taken.inputPath1 = paths[kInputPath1];
  taken.inputPath2 = paths[kInputPath2];
  taken.outputPath = paths[kOutputPath];
  const bool pathsFine = CheckConvertSettings(ui, taken);
  paths = {taken.inputPath1, taken.inputPath2, taken.outputPath};  // with their separators
  if (!pathsFine) return false;
  const auto mag = ParseDecimal(magText);
  // The limit is kept as a float: a number beyond its range is no limit either.
  if (!mag || !std::isfinite(static_cast<float>(*mag))) {
    platform::Tell(ui, "Invalid Numeric Value - Check Mag Limit Entry!", "Input Error!", platform::Icon::Error);
    return false;
  }
  taken.magLimit = static_cast<float>(*mag);
  taken.restart = restart;
  taken.finder = finder;
  taken.marloVersion = marloVersion;
  settings = taken;
  return true;
}

}  // namespace skarvel

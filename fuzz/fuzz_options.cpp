// "ASTROPTS.INI", then what the program does with its display defaults at once:
// a new image display's settings, the palette and the adjustment dialog's
// controls (brightness and contrast positions, background and range).
#include <cstdint>

#include "config/options.h"
#include "images/display_mapping.h"
#include "images/image_adjust.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteInput("ASTROPTS.INI", data, size);
  testing::ScriptedPlatform ui;
  StorageEnvironment env;
  env.programDir = fuzz::WorkDir() + "program/";
  env.currentDir = fuzz::WorkDir();
  env.perUserDir = fuzz::WorkDir() + "peruser/";
  env.perUserStorage = false;
  env.changeCurrentDirectory = false;
  env.mountsFile = fuzz::WorkDir() + "no-mounts";
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  if (!opts.Read(fuzz::WorkDir() + "ASTROPTS.INI") || fuzz::kReaderOnly) return 0;
  OptionsRecord& r = opts.Record();
  DisplaySettings shown = NewDisplaySettings(r.displayDefaults, r.imageFileType);
  UpdatePaletteBounds(shown);
  (void)PaletteRamp(shown.paletteLow, shown.paletteHigh);
  ImageAdjustModel adjust(shown, ImageAdjustModel::Mode::Defaults, 0, r.displayDefaults, r.imageFileType, true);
  (void)adjust.BrightnessText();
  (void)adjust.ContrastText();
  (void)adjust.BackgroundText();
  (void)adjust.RangeText();
  adjust.TakeControls();
  return 0;
}

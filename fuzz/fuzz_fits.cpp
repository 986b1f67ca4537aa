// A FITS file, then what the program does with a loaded image: the display
// build (histogram statistics, range, hot-pixel repair, bitmap file), both
// mirror orientations, the palette with extreme brightness and contrast, the
// header and image data windows.
#include <cstdint>

#include "images/display_mapping.h"
#include "images/fits_file.h"
#include "images/image_display.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  testing::ScriptedPlatform ui;
  ObsParams obs;
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  const std::string path = fuzz::WriteInput("IMAGE.FIT", data, size);
  for (int headerTime = 0; headerTime < 2; ++headerTime) {
    FITSFileObj image(ImageLoadContext{&ui, fuzz::WorkDir(), static_cast<std::uint8_t>(headerTime), &obs, &report});
    if (!image.Load(path) || !image.HasImage() || fuzz::kReaderOnly) continue;
    image.StoreCameraParameters();
    (void)image.HeaderWindowContent("Image 1 - ");
    (void)image.ImageDataWindowContent("Image 1 - ");
    DisplaySettings defaults;
    const DisplayBuildContext context{&defaults, 0, fuzz::WorkDir(), &ui};
    ImageDisplayObj display;
    if (!display.BuildDisplay(image, true, context)) continue;
    display.settings.mirrorLeftRight = true;
    display.settings.mirrorUpDown = true;
    display.settings.brightness = 50;
    display.settings.contrast = -50;
    UpdatePaletteBounds(display.settings);
    display.BuildDisplay(image, false, context);
    display.RewritePalette(image);
    (void)display.DisplayIndex(image.minimum);
    (void)display.DisplayIndex(image.maximum);
  }
  return 0;
}

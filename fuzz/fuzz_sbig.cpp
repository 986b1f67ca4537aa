// An SBIG camera file (the first byte chooses: even the ST-4X..STV format,
// plain or row-compressed; odd the ST-4 format), then what the program does
// with a loaded image: the camera record, the header and data windows, the
// display build in both orientations and the palette at extreme settings.
#include <cstdint>

#include "images/display_mapping.h"
#include "images/image_display.h"
#include "images/sbig_file.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool st4 = (data[0] & 1) != 0;
  const std::string path = fuzz::WriteInput(st4 ? "IMAGE.ST4" : "IMAGE.ST7", data + 1, size - 1);
  testing::ScriptedPlatform ui;
  ObsParams obs;
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  const ImageLoadContext context{&ui, fuzz::WorkDir(), static_cast<std::uint8_t>((data[0] >> 1) % 3), &obs, &report};
  std::unique_ptr<SBIGFileObj> image = st4 ? std::make_unique<ST4FileObj>(context) : std::make_unique<SBIGFileObj>(context);
  if (!image->Load(path) || !image->HasImage() || fuzz::kReaderOnly) return 0;
  image->StoreCameraParameters();
  (void)image->HeaderWindowContent("Image 1 - ");
  (void)image->ImageDataWindowContent("Image 1 - ");
  DisplaySettings defaults;
  const DisplayBuildContext build{&defaults, 0, fuzz::WorkDir(), &ui};
  ImageDisplayObj display;
  if (!display.BuildDisplay(*image, true, build)) return 0;
  display.settings.mirrorLeftRight = true;
  display.settings.mirrorUpDown = true;
  display.settings.brightness = -50;
  display.settings.contrast = 50;
  UpdatePaletteBounds(display.settings);
  display.BuildDisplay(*image, false, build);
  display.RewritePalette(*image);
  (void)display.DisplayIndex(image->minimum);
  (void)display.DisplayIndex(image->maximum);
  return 0;
}

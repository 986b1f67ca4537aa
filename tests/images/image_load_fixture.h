// What the reader tests load images with: a scratch folder, the scripted
// person, the observation parameters and the report whose camera record the
// readers fill.
#pragma once

#include <gtest/gtest.h>

#include "images/graphics_file.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel::testing {

class ImageLoadTest : public ::testing::Test {
 protected:
  explicit ImageLoadTest(std::uint8_t timeType) : headerTimeType(timeType) {}

  TempDir dir;
  std::string dataDir = dir.MakeDir("data");
  ScriptedPlatform ui;
  ObsParams obs;
  AstromObsObj report{UserRecord{}, CameraRecord{}, SiteRecord{}};
  std::uint8_t headerTimeType;  ///< 0 start, 1 midpoint, 2 end of the exposure

  ImageLoadContext Context() { return ImageLoadContext{&ui, dataDir, headerTimeType, &obs, &report}; }
};

}  // namespace skarvel::testing

// The detector's robust fallback for the moving-object search: a star with a
// hot pixel in its measuring box's sky frame, which the measuring centroid
// cannot place (the pixel lifts its threshold over the star), is kept with
// the right position and flux; without the fallback it is left out.
#include <gtest/gtest.h>

#include <cmath>

#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace skarvel {
namespace {

TEST(StarDetectFallback, AStarBesideAHotPixelIsKept) {
  testing::FrameSetup setup;
  setup.width = setup.height = 64;
  setup.arcsecPerPixel = 3;
  setup.centreRAHours = 10;
  setup.centreDecDeg = 20;
  setup.fwhmPixels = 2.2;
  testing::SkyFrame frame(setup);
  // One star of magnitude 13 at the centre (2e5 x 10^-1.2 = 12619 ADU in all).
  frame.Render({{10, 20, 13.0f}});
  double x = 0, y = 0;
  ASSERT_TRUE(frame.TruePixel(10, 20, x, y));
  const auto plain = DetectStars(frame, DetectSettings{});
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_NEAR(static_cast<double>(plain[0].x), x, 0.15);
  // A hot pixel 5 pixels off, in the sky frame of the measuring box.
  frame.pixels.SetPixel(static_cast<int>(x) + 5, static_cast<int>(y), 40000);
  DetectSettings near;
  near.blendRadius = 3.5L;  // the hot pixel is no blend
  EXPECT_TRUE(DetectStars(frame, near).empty());
  DetectSettings robust = near;
  robust.robustFallback = true;
  const auto kept = DetectStars(frame, robust);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NEAR(static_cast<double>(kept[0].x), x, 0.3);
  EXPECT_NEAR(static_cast<double>(kept[0].y), y, 0.3);
  // The 5 x 5 inner square holds most of a 2.2-pixel star; the median sky ignores the hot pixel.
  EXPECT_NEAR(static_cast<double>(kept[0].flux), static_cast<double>(plain[0].flux), 0.05 * static_cast<double>(plain[0].flux));
}

}  // namespace
}  // namespace skarvel

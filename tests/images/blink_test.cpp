// The blink comparator's decisions: registration shifts, alignment kept per
// slot and reset on reload, the blink options' frame list, the window size,
// the zoomed region of each image, the timer's frame order, and the steps of
// the alignment dialog.
#include "images/blink.h"

#include <gtest/gtest.h>

#include <cmath>

#include "images/blink_init.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

TEST(BlinkShifts, TheMeanOfTheTwoStarsDisplacements) {
  BlinkAlignments a;
  a[0].star1 = {100, 100};
  a[0].star2 = {300, 200};
  a[1].star1 = {103, 98};
  a[1].star2 = {304, 197};
  ComputeShifts(a, 1);
  EXPECT_EQ(a[0].shift, (BlinkPoint{0, 0}));  // the reference keeps its place
  EXPECT_EQ(a[1].shift, (BlinkPoint{-3.5L, 2.5L}));
  EXPECT_TRUE(a[0].aligned && a[1].aligned);
  EXPECT_FALSE(a[2].aligned);  // beyond the last image
}

TEST(BlinkShifts, AReloadedSlotAloneLosesItsAlignment) {
  BlinkAlignments a;
  for (int k = 0; k < 3; ++k) {
    a[static_cast<std::size_t>(k)].star1 = {10.0L + k, 20};
    a[static_cast<std::size_t>(k)].star2 = {50.0L + k, 70};
  }
  ComputeShifts(a, 2);
  ResetSlotAlignment(a, 1);  // a new image in slot 2
  EXPECT_TRUE(a[0].aligned);
  EXPECT_FALSE(a[1].aligned);
  EXPECT_EQ(a[1].shift, (BlinkPoint{0, 0}));
  EXPECT_EQ(a[1].star1, (BlinkPoint{0, 0}));
  EXPECT_TRUE(a[2].aligned);
  EXPECT_EQ(a[2].shift, (BlinkPoint{-2, 0}));  // the others keep their shifts
  ResetSlotAlignment(a, 7);                    // no such slot: nothing happens
  EXPECT_TRUE(a[2].aligned);
}

TEST(BlinkShifts, MarkerPredictions) {
  SlotAlignment previous;
  previous.star1 = {100, 100};
  previous.star2 = {300, 200};
  previous.shift = {-3.5L, 2.5L};
  SlotAlignment image;
  image.star1 = {104, 97};
  EXPECT_EQ(PredictedStar2(image, previous), (BlinkPoint{304, 197}));
  EXPECT_EQ(PredictedStar1(previous), (BlinkPoint{96.5L, 102.5L}));
}

TEST(BlinkOptionsTest, TwoImagesBlinkBothAndFramesShowOnlyTheirImages) {
  const BlinkOptions two = BlinkOptions::Defaults(1);
  EXPECT_EQ(two.FrameList(), (std::vector<int>{0, 1}));
  EXPECT_EQ(two.FramesInUse(), 2);
  EXPECT_EQ(two.frames[2], kBlinkNoImage);
  // Three images with frame choices 3, None, 1, None blink images 3 and 1 only.
  BlinkOptions o = BlinkOptions::Defaults(2);
  EXPECT_TRUE(o.Choose(0, 2, 2));
  EXPECT_TRUE(o.Choose(1, kBlinkNoImage, 2));
  EXPECT_TRUE(o.Choose(2, 0, 2));
  EXPECT_TRUE(o.Choose(3, kBlinkNoImage, 2));
  EXPECT_EQ(o.FrameList(), (std::vector<int>{2, 0}));
  EXPECT_EQ(o.DistinctImages(), 2);
  // An image that is not loaded becomes None (the dialog beeps).
  EXPECT_FALSE(o.Choose(1, 3, 2));
  EXPECT_EQ(o.frames[1], kBlinkNoImage);
  // The same image twice is one image: not enough to blink.
  o.Choose(0, 1, 2);
  o.Choose(2, 1, 2);
  EXPECT_EQ(o.FramesInUse(), 2);
  EXPECT_EQ(o.DistinctImages(), 1);
}

TEST(BlinkWindowSize, FirstImageFitsTheLargestSide) {
  const BlinkSize wide = FitBlinkWindow(1024, 768, false, 1024, 40);
  EXPECT_EQ(wide.maximum, 512);
  EXPECT_EQ(wide.clientWidth, 512);
  EXPECT_EQ(wide.clientHeight, 384);
  EXPECT_EQ(wide.scale, 0.5L);
  EXPECT_TRUE(wide.centred);
  // Taller than wide: the height is limited.
  const BlinkSize tall = FitBlinkWindow(600, 1000, false, 1024, 40);
  EXPECT_EQ(tall.clientHeight, 512);
  EXPECT_EQ(tall.clientWidth, 307);  // 512 / (1000 / 600) = 307.2
  // A small image is never enlarged.
  const BlinkSize small = FitBlinkWindow(400, 300, false, 1024, 40);
  EXPECT_EQ(small.clientWidth, 400);
  EXPECT_EQ(small.clientHeight, 300);
  EXPECT_EQ(small.scale, 1.0L);
  // MaximizeBlink: M from the desktop height less title, menu and 30 pixels.
  const BlinkSize max = FitBlinkWindow(2048, 2048, true, 1024, 44);
  EXPECT_EQ(max.maximum, 1024 - 44 - 30);
  EXPECT_EQ(max.clientWidth, 950);
  EXPECT_FALSE(max.centred);
}

TEST(BlinkRegion, EachImageShowsTheRegionMovedBackByItsOwnShift) {
  const ScreenRect region{100, 50, 200, 150};
  const SourceRect first = BlinkSource(region, 0.5L, BlinkPoint{});
  EXPECT_EQ(first.left, 200);
  EXPECT_EQ(first.top, 100);
  EXPECT_EQ(first.right, 400);
  EXPECT_EQ(first.bottom, 300);
  const SourceRect second = BlinkSource(region, 0.5L, BlinkPoint{-3.5L, 2.5L});
  EXPECT_EQ(second.left, 207);
  EXPECT_EQ(second.top, 95);
  EXPECT_EQ(second.right - second.left, 200);
}

TEST(BlinkTimer, FramesAdvanceInOrderAndWrap) {
  std::vector<int> seen;
  int frame = 0;
  for (int tick = 0; tick < 5; ++tick) {
    frame = NextBlinkFrame(frame, 3);
    seen.push_back(frame);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1, 2}));
  EXPECT_EQ(NextBlinkFrame(0, 0), 0);
  EXPECT_EQ(BlinkCaption(2, "EROS003.FIT"), "Blinking Images: Image 3 - EROS003.FIT");
}

}  // namespace
}  // namespace skarvel

// ---------------------------------------------------------------- alignment steps

namespace skarvel {
namespace {

using testing::ScriptedPlatform;

// A blink window of three images whose stars lie at known places: each
// image holds the two stars of image 1 moved by its own offset.
struct AlignmentRig {
  ScriptedPlatform ui;
  BlinkAlignments alignments;
  bool firstStarAsked = false;
  std::vector<BlinkPoint> offsets{{0, 0}, {3, -2}, {-5, 4}};
  std::vector<std::string> calls;
  std::vector<int> centroided;
  std::array<bool, 4> targets{};
  std::vector<BlinkPoint> targetAt = std::vector<BlinkPoint>(4);

  std::optional<BlinkPoint> Star(int slot, BlinkPoint at) const {
    for (BlinkPoint s : {BlinkPoint{100, 100}, BlinkPoint{300, 200}, BlinkPoint{210, 150}}) {
      const BlinkPoint p{s.x + offsets[static_cast<std::size_t>(slot)].x, s.y + offsets[static_cast<std::size_t>(slot)].y};
      if (std::hypot(static_cast<double>(p.x - at.x), static_cast<double>(p.y - at.y)) < 6) return p;
    }
    return std::nullopt;
  }

  BlinkInitLogic Make(std::vector<int> frames, int last, long double scale = 1) {
    BlinkInitSetup setup;
    setup.alignments = &alignments;
    setup.firstStarAsked = &firstStarAsked;
    setup.frames = std::move(frames);
    setup.last = last;
    setup.scale = scale;
    setup.ui = &ui;
    BlinkInitHooks h;
    h.centroid = [this](int slot, BlinkPoint at, bool) {
      centroided.push_back(slot);
      return Star(slot, at);
    };
    h.showImage = [this](int slot) { calls.push_back("show " + std::to_string(slot + 1)); };
    h.applyShifts = [this] { calls.push_back("shifts"); };
    h.enableMenus = [this](bool on) { calls.push_back(on ? "menus on" : "menus off"); };
    h.aligned = [this] { calls.push_back("aligned"); };
    h.openOptions = [this] { calls.push_back("options"); };
    h.setTarget = [this](int slot, BlinkPoint p) {
      targets[static_cast<std::size_t>(slot)] = true;
      targetAt[static_cast<std::size_t>(slot)] = p;
    };
    h.targetLocated = [this](int slot) { return targets[static_cast<std::size_t>(slot)]; };
    h.clearTarget = [this](int slot) { targets[static_cast<std::size_t>(slot)] = false; };
    h.closeDialog = [this](bool window) { calls.push_back(window ? "close window" : "close dialog"); };
    return BlinkInitLogic(std::move(setup), std::move(h));
  }

  // Clicks the two stars of `slot` (a pixel off) and presses Continue after each.
  void AlignImage(BlinkInitLogic& logic, int slot) {
    const BlinkPoint o = offsets[static_cast<std::size_t>(slot)];
    logic.Clicked({o.x + 101, o.y + 99});
    logic.Continue();
    logic.Clicked({o.x + 299, o.y + 201});
    logic.Continue();
  }
};

TEST(BlinkAlignmentSteps, TwoImagesAlignedWithoutOpeningTheOptions) {
  AlignmentRig rig;
  rig.offsets[1] = {3, -2};
  BlinkInitLogic logic = rig.Make({0, 1}, 1);
  EXPECT_TRUE(logic.Begin());
  EXPECT_EQ(logic.Step(), kBlinkStar1);
  EXPECT_EQ(logic.CurrentSlot(), 0);
  EXPECT_EQ(logic.Message(), "Select a star for field alignment.");
  EXPECT_FALSE(logic.Marker().has_value());
  // Continue without a click or a marker asks for one.
  logic.Continue();
  ASSERT_EQ(rig.ui.Messages().size(), 1u);
  EXPECT_EQ(rig.ui.Messages()[0].text, "Please Make a Valid Selection!");
  EXPECT_EQ(rig.ui.Messages()[0].caption, "No Selection Made!");
  EXPECT_EQ(logic.Step(), kBlinkStar1);
  logic.Clicked({101, 99});
  ASSERT_TRUE(logic.Marker().has_value());
  EXPECT_EQ(*logic.Marker(), (BlinkPoint{100, 100}));  // the centroid, marked
  logic.Continue();
  EXPECT_EQ(logic.Step(), kBlinkStar2);
  EXPECT_EQ(logic.Message(), "Select another star for field alignment.");
  logic.Clicked({299, 201});
  logic.Continue();
  // The second image: star 1 predicted at image 1's star 1 plus its shift (0).
  EXPECT_EQ(logic.CurrentSlot(), 1);
  EXPECT_EQ(logic.Message(), " Select the 1st alignment star on Image 2.");
  EXPECT_EQ(*logic.Marker(), (BlinkPoint{100, 100}));
  logic.Clicked({104, 97});
  logic.Continue();
  EXPECT_EQ(logic.Message(), "Select the 2nd alignment star.");
  EXPECT_EQ(*logic.Marker(), (BlinkPoint{303, 198}));  // star 1 plus image 1's star-2 - star-1 vector
  logic.Continue();  // accepts the marker position
  EXPECT_EQ(logic.Step(), kBlinkFinished);
  EXPECT_EQ(rig.alignments[1].shift, (BlinkPoint{-3, 2}));
  EXPECT_TRUE(rig.alignments[0].aligned && rig.alignments[1].aligned);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"shifts", "menus off", "show 1", "show 2", "shifts",
                                                 "close dialog", "menus on", "aligned"}));
  EXPECT_EQ(rig.ui.Beeps(), 4);
}

TEST(BlinkAlignmentSteps, AReloadedImageAloneIsAskedForItsStars) {
  AlignmentRig rig;
  {
    BlinkInitLogic first = rig.Make({0, 1, 2}, 2);
    ASSERT_TRUE(first.Begin());
    for (int slot = 0; slot < 3; ++slot) rig.AlignImage(first, slot);
    EXPECT_EQ(first.Step(), kBlinkFinished);
    EXPECT_EQ(rig.calls.back(), "options");  // three frames: the options open
  }
  EXPECT_EQ(rig.alignments[1].shift, (BlinkPoint{-3, 2}));
  EXPECT_EQ(rig.alignments[2].shift, (BlinkPoint{5, -4}));
  // A new image in slot 2, moved otherwise.
  ResetSlotAlignment(rig.alignments, 1);
  rig.offsets[1] = {7, 1};
  rig.centroided.clear();
  BlinkInitLogic again = rig.Make({0, 1, 2}, 2);
  ASSERT_TRUE(again.Begin());
  EXPECT_EQ(again.FirstUnalignedFrame(), 1);
  EXPECT_EQ(again.CurrentSlot(), 1);
  EXPECT_EQ(again.Message(), " Select the 1st alignment star on Image 2.");
  rig.AlignImage(again, 1);
  EXPECT_EQ(again.Step(), kBlinkFinished);
  EXPECT_EQ(rig.centroided, (std::vector<int>(4, 1)));  // image 2 only (click and Continue, twice)
  EXPECT_EQ(rig.alignments[1].shift, (BlinkPoint{-7, -1}));
  EXPECT_EQ(rig.alignments[2].shift, (BlinkPoint{5, -4}));  // kept
}

TEST(BlinkAlignmentSteps, AllAlignedOpensTheOptionsOnlyForMoreThanTwoFrames) {
  AlignmentRig rig;
  for (int k = 0; k < 3; ++k) rig.alignments[static_cast<std::size_t>(k)].aligned = true;
  BlinkInitLogic two = rig.Make({0, 1}, 1);
  EXPECT_FALSE(two.Begin());
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"shifts"}));
  rig.calls.clear();
  BlinkInitLogic three = rig.Make({0, 1, 2}, 2);
  EXPECT_FALSE(three.Begin());
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"shifts", "options"}));
}

TEST(BlinkAlignmentSteps, CancelRestoresTheStarsAndShifts) {
  AlignmentRig rig;
  BlinkInitLogic logic = rig.Make({0, 1}, 1);
  ASSERT_TRUE(logic.Begin());
  rig.AlignImage(logic, 0);
  EXPECT_EQ(rig.alignments[0].star1, (BlinkPoint{100, 100}));
  logic.Cancel();
  EXPECT_EQ(logic.Step(), kBlinkFinished);
  EXPECT_EQ(rig.alignments[0].star1, (BlinkPoint{0, 0}));
  EXPECT_FALSE(rig.alignments[0].aligned);
  EXPECT_EQ(rig.calls.back(), "menus on");
}

TEST(BlinkAlignmentSteps, TheTargetIsIdentifiedOnEveryImage) {
  AlignmentRig rig;
  BlinkInitLogic logic = rig.Make({0, 1}, 1, 0.5L);
  ASSERT_TRUE(logic.Begin());
  rig.AlignImage(logic, 0);
  rig.AlignImage(logic, 1);
  ASSERT_EQ(logic.Step(), kBlinkFinished);
  rig.calls.clear();
  logic.IdentifyTarget();
  EXPECT_EQ(logic.Step(), kBlinkTarget1);
  EXPECT_EQ(logic.Caption(), "Identify Target Object for Measurements");
  EXPECT_EQ(logic.Message(), "Identify the Target Object on Image 1.");
  // The "target" (the third star) clicked on image 1: image pixels = centroid / s.
  logic.Clicked({211, 151});
  logic.Continue();
  EXPECT_TRUE(rig.targets[0]);
  EXPECT_EQ(rig.targetAt[0], (BlinkPoint{420, 300}));
  EXPECT_EQ(logic.Step(), kBlinkTarget1 + 1);
  EXPECT_EQ(logic.Message(), "Identify the Target Object on Image 2.");
  // On image 2 the click is moved back by its shift (-3, 2) before centroiding.
  logic.Clicked({210, 150});
  logic.Continue();
  EXPECT_EQ(rig.targetAt[1], (BlinkPoint{426, 296}));
  EXPECT_EQ(logic.Step(), kBlinkFinished);
  EXPECT_EQ(rig.calls.back(), "close window");
  // Asked again with every target known: cleared from the first unaligned frame (none: all).
  logic.IdentifyTarget();
  EXPECT_EQ(logic.Step(), kBlinkTarget1);
  EXPECT_FALSE(rig.targets[0] || rig.targets[1]);
}

TEST(BlinkAlignmentSteps, IdentifyingAgainClearsFromTheFirstImageThatWasNotAligned) {
  AlignmentRig rig;
  for (int k = 0; k < 2; ++k) {
    rig.alignments[static_cast<std::size_t>(k)].aligned = true;
    rig.alignments[static_cast<std::size_t>(k)].star1 = {100.0L + rig.offsets[static_cast<std::size_t>(k)].x, 100};
  }
  rig.targets = {true, true, true, false};
  BlinkInitLogic logic = rig.Make({0, 1, 2}, 2);
  ASSERT_TRUE(logic.Begin());  // image 3 is new
  EXPECT_EQ(logic.FirstUnalignedFrame(), 2);
  rig.AlignImage(logic, 2);
  logic.IdentifyTarget();
  // Images 1 and 2 keep their targets; image 3 is asked.
  EXPECT_TRUE(rig.targets[0] && rig.targets[1]);
  EXPECT_FALSE(rig.targets[2]);
  EXPECT_EQ(logic.Step(), kBlinkTarget1 + 2);
  EXPECT_EQ(logic.Message(), "Identify the Target Object on Image 3.");
  // Passed over without a click, the dialog closes with the window.
  logic.Continue();
  EXPECT_EQ(logic.Step(), kBlinkFinished);
  EXPECT_EQ(rig.calls.back(), "close window");
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

TEST(BlinkAlignmentSteps, AMaximisedBlinkBelowFullResolutionSaysSo) {
  for (const bool expert : {false, true}) {
    AlignmentRig rig;
    BlinkInitSetup setup;
    setup.alignments = &rig.alignments;
    setup.frames = {0, 1};
    setup.last = 1;
    setup.scale = 0.6L;
    setup.maximizeBlink = true;
    setup.expertMode = expert;
    setup.desktopHeight = 1024;
    setup.ui = &rig.ui;
    BlinkInitHooks hooks;
    hooks.centroid = [&rig](int slot, BlinkPoint at, bool) { return rig.Star(slot, at); };
    BlinkInitLogic logic(setup, hooks);
    ASSERT_TRUE(logic.Begin());
    rig.AlignImage(logic, 0);
    rig.AlignImage(logic, 1);
    ASSERT_EQ(logic.Step(), kBlinkFinished);
    if (expert) {
      EXPECT_TRUE(rig.ui.Messages().empty());
    } else {
      ASSERT_EQ(rig.ui.Messages().size(), 1u);
      EXPECT_EQ(rig.ui.Messages()[0].text,
                "This image is too large to blink at full resolution with your current display settings.\r\n\r\n"
                "Vertical Screen Resolution: 1024");
      EXPECT_EQ(rig.ui.Messages()[0].caption, "Image Too Large for Display");
    }
  }
}

}  // namespace
}  // namespace skarvel

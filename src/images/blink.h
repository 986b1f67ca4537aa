// The blink comparator's decisions, apart from its window: the alignment
// data kept per image slot, the shifts of the two-star registration, the
// blink options and their frame list, the size of the blink window, the
// region shown when a zoomed region is blinked, the marker predictions of
// the alignment and the timer's frame order.
//
// Usage:
//   BlinkAlignments a;                       // kept while the program runs
//   ResetSlotAlignment(a, slot);             // after every load into a slot
//   BlinkOptions o = BlinkOptions::Defaults(last);
//   const std::vector<int> frames = o.FrameList();
//   ... stars centroided on every image ... ComputeShifts(a, last);
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "images/image_view.h"

namespace skarvel {

inline constexpr int kBlinkSlots = 4;                 ///< image slots that can be blinked
inline constexpr int kBlinkNoImage = 4;               ///< a frame's image number "None"
inline constexpr int kBlinkMaximum = 512;             ///< largest client side without MaximizeBlink, pixels
inline constexpr int kBlinkScreenMargin = 30;         ///< kept free below a maximised blink window, pixels
inline constexpr int kBlinkDefaultInterval = 500;     ///< blink interval, milliseconds
inline constexpr int kBlinkMinInterval = 10;          ///< "Set Blink Interval" scroll bar, milliseconds
inline constexpr int kBlinkMaxInterval = 1000;
inline constexpr int kBlinkIntervalStep = 100;        ///< its large step, milliseconds

/// A point in blink-window screen coordinates (pixels, extended).
struct BlinkPoint {
  long double x = 0;
  long double y = 0;
  bool operator==(const BlinkPoint&) const = default;
};

/// The alignment data of one slot.
struct SlotAlignment {
  bool aligned = false;
  BlinkPoint star1;
  BlinkPoint star2;
  BlinkPoint shift;  ///< put into the registration offset of the slot's image window
};
using BlinkAlignments = std::array<SlotAlignment, kBlinkSlots>;

/// Clears aligned, stars and shift of a slot (0..3; others are ignored).
void ResetSlotAlignment(BlinkAlignments& alignments, int slot);

/// The registration: slot 0 is the reference and keeps shift 0; every image
/// k = 1 .. last gets the mean of its two stars' displacements onto the
/// reference's stars, shift = ((ref1 - star1) + (ref2 - star2)) / 2 on each
/// axis. Images 0 .. last are then aligned. `last` is clamped to 0..3.
void ComputeShifts(BlinkAlignments& alignments, int last);

/// Where the alignment dialog marks the expected star 2 of an image after the
/// first: its star 1 plus the previous image's star-2 - star-1 vector.
BlinkPoint PredictedStar2(const SlotAlignment& image, const SlotAlignment& previous);
/// Where it marks the expected star 1 of the next image: the previous
/// image's star 1 plus the previous image's shift.
BlinkPoint PredictedStar1(const SlotAlignment& previous);

/// The blink options ("Blink Options"): per frame 1..4 an image number 0..3
/// or kBlinkNoImage.
struct BlinkOptions {
  std::array<int, 4> frames{kBlinkNoImage, kBlinkNoImage, kBlinkNoImage, kBlinkNoImage};

  /// Frame k shows image k while image k exists (k <= last), none otherwise.
  static BlinkOptions Defaults(int last);
  /// Sets frame `frame` (0..3) to `image`; an image number above `last` sets
  /// None and returns false (the dialog beeps).
  bool Choose(int frame, int image, int last);
  /// The images of the frames that are not None, in frame order.
  std::vector<int> FrameList() const;
  /// How many frames show an image.
  int FramesInUse() const { return static_cast<int>(FrameList().size()); }
  /// How many different images the frames show (OK needs at least 2).
  int DistinctImages() const;
};

/// The blink window's size from the first image (W x H pixels).
struct BlinkSize {
  std::int32_t maximum = kBlinkMaximum;  ///< M
  std::int32_t clientWidth = 0;
  std::int32_t clientHeight = 0;
  long double scale = 1;  ///< s = client width / W
  bool centred = true;    ///< centred on the screen (M = 512), else at the top-left corner
};
/// M = 512, or with `maximize` desktop height + client height - window height
/// - 30, where `frameHeight` = window height - client height (title and menu).
/// Taller than wide: client height := min(M, H), width := round(height / aspect);
/// otherwise client width := min(M, W), height := round(width x aspect).
BlinkSize FitBlinkWindow(std::int32_t imageWidth, std::int32_t imageHeight, bool maximize,
                         std::int32_t desktopHeight, std::int32_t frameHeight);

/// The bitmap region shown when a region is blinked zoomed: the region moved
/// back by the image's shift and divided by s.
SourceRect BlinkSource(const ScreenRect& region, long double scale, const BlinkPoint& shift);

/// The timer's next frame: the one after `current`, the first after the last.
int NextBlinkFrame(int current, int frameCount);

/// The caption of the frame showing slot `slot` (0..3): "Blinking Images: Image 1 - " + name.
std::string BlinkCaption(int slot, const std::string& displayName);

}  // namespace skarvel

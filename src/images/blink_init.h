// The steps of the blink alignment dialog ("Select Star for Image
// Positioning"): two stars centroided on every image that is not aligned,
// the shifts computed when the last one is done, and the identification of
// the target on each image. The Qt dialog (images/ui/t_blink_form1.h) shows
// the message and the marker and forwards the buttons and clicks here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "images/blink.h"
#include "platform/platform.h"

namespace skarvel {

/// Step codes of the alignment dialog.
enum BlinkStep : int {
  kBlinkStart = 0,
  kBlinkStar1 = 1,
  kBlinkStar2 = 2,
  kBlinkTarget1 = 3,  ///< 3 .. 6: identify the target on image 1 .. 4
  kBlinkFinished = 7,
  kBlinkIdentify = 8,
};

/// What the alignment steps ask of the blink window.
struct BlinkInitHooks {
  /// The centroid of a star near `at` (blink-window pixels) on the image of
  /// `slot`, with the unknown's box when `unknownBox`; nothing when none is found.
  std::function<std::optional<BlinkPoint>(int slot, BlinkPoint at, bool unknownBox)> centroid;
  /// Show the image of `slot` in the blink window.
  std::function<void(int slot)> showImage;
  /// The shifts of the alignment data go into the image windows' registration offsets.
  std::function<void()> applyShifts;
  /// The blink menus (and closing the blink window) off while aligning, on again after.
  std::function<void(bool enabled)> enableMenus;
  /// Alignment done: "&Blink" and the region commands enabled, image 1 shown.
  std::function<void()> aligned;
  /// The blink options dialog.
  std::function<void()> openOptions;
  /// A target identified on the image of `slot` (image pixels, click or centroid).
  std::function<void(int slot, BlinkPoint imagePoint)> setTarget;
  /// Whether the image window of `slot` has its target located; clearing it.
  std::function<bool(int slot)> targetLocated;
  std::function<void(int slot)> clearTarget;
  /// The dialog closes; with `closeWindow` the blink window closes too.
  std::function<void(bool closeWindow)> closeDialog;
};

/// What the blink window is set up with.
struct BlinkInitSetup {
  BlinkAlignments* alignments = nullptr;  ///< kept by the main window while the program runs
  bool* firstStarAsked = nullptr;         ///< "Select a star for field alignment." was shown (once per run)
  std::vector<int> frames;                ///< the frame list (image slots in frame order)
  int last = 0;                           ///< index of the last blink image
  long double scale = 1;                  ///< s of the blink window
  bool expertMode = false;
  bool maximizeBlink = false;
  int desktopHeight = 0;
  platform::Platform* ui = nullptr;
};

class BlinkInitLogic {
 public:
  BlinkInitLogic(BlinkInitSetup setup, BlinkInitHooks hooks);

  /// The blink window is shown: the stored shifts go into the image windows
  /// and the first frame whose image is not aligned is noted. With every
  /// frame aligned the options open (unless exactly two frames are in use)
  /// and false is returned; otherwise the dialog opens at step 0 (true).
  bool Begin();
  /// The dialog is shown: a copy of all stars and shifts is kept for Cancel.
  void Shown();
  /// "C&ontinue...": acts on the current step.
  void Continue();
  /// "&Cancel": the stars and shifts as they were when shown; step 7; the dialog closes.
  void Cancel();
  /// "Identify &Target" of the blink window (step 8).
  void IdentifyTarget();
  /// A click in the blink window (blink-window pixels): recorded, and a star
  /// centroided at it on the current image (its shift subtracted during the
  /// target steps); the marker moves there when one is found.
  void Clicked(BlinkPoint at);

  int Step() const { return step_; }
  /// "Set Blink &Region (Zoom)...": the alignment steps end (step 7), so
  /// that clicks in the window no longer measure.
  void EndSteps() { step_ = kBlinkFinished; }
  int CurrentSlot() const { return slot_; }
  /// The first frame whose image was not aligned when the window was shown (-1: none).
  int FirstUnalignedFrame() const { return firstUnaligned_; }
  const std::string& Message() const { return message_; }
  const std::string& Caption() const { return caption_; }
  bool CancelEnabled() const { return cancelEnabled_; }
  /// The marker of the current step (blink-window pixels), if any.
  const std::optional<BlinkPoint>& Marker() const { return marker_; }

  static constexpr const char* kCaption = "Select Star for Image Positioning";

 private:
  SlotAlignment& Slot(int slot) { return (*setup_.alignments)[static_cast<std::size_t>(slot)]; }
  void Beep();
  void StartImage(int frame);
  void StarStep(bool second);
  void TargetStep();
  void AskNextTarget(bool fromStart);
  /// The point a step measures at: the click, else the marker; nothing with neither.
  std::optional<BlinkPoint> Selection();

  BlinkInitSetup setup_;
  BlinkInitHooks hooks_;
  int step_ = kBlinkStart;
  int slot_ = 0;
  int position_ = 0;  ///< position in the frame list
  int firstUnaligned_ = -1;
  std::string message_;
  std::string caption_ = kCaption;
  bool cancelEnabled_ = true;
  std::optional<BlinkPoint> marker_;
  std::optional<BlinkPoint> click_;
  std::vector<int> done_;  ///< slots centroided in this pass
  BlinkAlignments backup_{};
};

}  // namespace skarvel

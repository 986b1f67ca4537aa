#include "images/blink_init.h"

#include <algorithm>
#include <cmath>

namespace skarvel {

using platform::Buttons;
using platform::Icon;

namespace {

std::string ImageWord(int slot) { return " Image " + std::to_string(slot + 1) + "."; }

constexpr long double kFullResolution = 0.98L;  ///< below this scale a maximised blink is not full resolution

}  // namespace

BlinkInitLogic::BlinkInitLogic(BlinkInitSetup setup, BlinkInitHooks hooks)
    : setup_(std::move(setup)), hooks_(std::move(hooks)) {}

void BlinkInitLogic::Beep() {
  if (setup_.ui != nullptr) setup_.ui->Beep();
}

bool BlinkInitLogic::Begin() {
  if (hooks_.applyShifts) hooks_.applyShifts();
  firstUnaligned_ = -1;
  for (std::size_t k = 0; k < setup_.frames.size(); ++k)
    if (!Slot(setup_.frames[k]).aligned) {
      firstUnaligned_ = static_cast<int>(k);
      break;
    }
  if (firstUnaligned_ < 0 && setup_.frames.size() > 1) {
    step_ = kBlinkFinished;
    if (setup_.frames.size() != 2 && hooks_.openOptions) hooks_.openOptions();
    return false;
  }
  step_ = kBlinkStart;
  Shown();
  Continue();
  return true;
}

void BlinkInitLogic::Shown() {
  backup_ = *setup_.alignments;
  click_.reset();
}

std::optional<BlinkPoint> BlinkInitLogic::Selection() {
  if (click_) return click_;
  return marker_;
}

void BlinkInitLogic::Clicked(BlinkPoint at) {
  click_ = at;
  if (step_ == kBlinkFinished || !hooks_.centroid) return;
  BlinkPoint probe = at;
  const bool target = step_ >= kBlinkTarget1 && step_ <= kBlinkTarget1 + 3;
  if (target) {
    probe.x -= Slot(slot_).shift.x;
    probe.y -= Slot(slot_).shift.y;
  }
  if (const auto found = hooks_.centroid(slot_, probe, false)) {
    marker_ = *found;
    if (target) {
      marker_->x += Slot(slot_).shift.x;
      marker_->y += Slot(slot_).shift.y;
    }
  }
}

void BlinkInitLogic::StartImage(int frame) {
  position_ = frame;
  slot_ = setup_.frames[static_cast<std::size_t>(frame)];
  step_ = kBlinkStar1;
  click_.reset();
  if (hooks_.showImage) hooks_.showImage(slot_);
}

void BlinkInitLogic::Continue() {
  switch (step_) {
    case kBlinkStart: {
      if (hooks_.enableMenus) hooks_.enableMenus(false);
      done_.clear();
      StartImage(std::max(firstUnaligned_, 0));
      const bool asked = setup_.firstStarAsked != nullptr && *setup_.firstStarAsked;
      message_ = asked ? " Select the 1st alignment star on" + ImageWord(slot_) : "Select a star for field alignment.";
      if (setup_.firstStarAsked != nullptr) *setup_.firstStarAsked = true;
      const SlotAlignment& a = Slot(slot_);
      if (a.star1.x != 0 || a.star1.y != 0)
        marker_ = a.star1;
      else
        marker_.reset();
      return;
    }
    case kBlinkStar1:
      StarStep(false);
      return;
    case kBlinkStar2:
      StarStep(true);
      return;
    case kBlinkFinished:
      return;
    default:
      if (step_ >= kBlinkTarget1 && step_ <= kBlinkTarget1 + 3) TargetStep();
      return;
  }
}

void BlinkInitLogic::StarStep(bool second) {
  const std::optional<BlinkPoint> at = Selection();
  if (!at) {
    platform::Tell(*setup_.ui, "Please Make a Valid Selection!", "No Selection Made!", Icon::Exclamation);
    return;
  }
  const std::optional<BlinkPoint> star = hooks_.centroid ? hooks_.centroid(slot_, *at, false) : std::nullopt;
  SlotAlignment& a = Slot(slot_);
  (second ? a.star2 : a.star1) = star.value_or(*at);  // no star found: the position as selected
  click_.reset();
  Beep();
  if (!second) {
    step_ = kBlinkStar2;
    if (position_ > 0) {
      // An image after the first: star 2 is expected where the previous
      // image's second star lies from its first.
      message_ = "Select the 2nd alignment star.";
      marker_ = PredictedStar2(a, Slot(setup_.frames[static_cast<std::size_t>(position_ - 1)]));
    } else {
      message_ = "Select another star for field alignment.";
      if (a.star2.x != 0 || a.star2.y != 0)
        marker_ = a.star2;
      else
        marker_.reset();
    }
    return;
  }
  done_.push_back(slot_);
  // The next frame whose image is not aligned and was not done in this pass.
  for (std::size_t k = static_cast<std::size_t>(position_) + 1; k < setup_.frames.size(); ++k) {
    const int slot = setup_.frames[k];
    if (Slot(slot).aligned || std::find(done_.begin(), done_.end(), slot) != done_.end()) continue;
    const SlotAlignment& previous = Slot(slot_);
    StartImage(static_cast<int>(k));
    message_ = " Select the 1st alignment star on" + ImageWord(slot_);
    marker_ = PredictedStar1(previous);
    return;
  }
  ComputeShifts(*setup_.alignments, setup_.last);
  if (hooks_.applyShifts) hooks_.applyShifts();
  step_ = kBlinkFinished;
  marker_.reset();
  if (hooks_.closeDialog) hooks_.closeDialog(false);
  if (hooks_.enableMenus) hooks_.enableMenus(true);
  if (hooks_.aligned) hooks_.aligned();
  if (!setup_.expertMode && setup_.maximizeBlink && setup_.scale < kFullResolution)
    platform::Tell(*setup_.ui,
                   "This image is too large to blink at full resolution with your current display settings.\r\n\r\n"
                   "Vertical Screen Resolution: " +
                       std::to_string(setup_.desktopHeight),
                   "Image Too Large for Display", Icon::Information);
  if (setup_.frames.size() != 2 && hooks_.openOptions) hooks_.openOptions();
}

void BlinkInitLogic::TargetStep() {
  if (click_) {
    const SlotAlignment& a = Slot(slot_);
    const BlinkPoint at{std::nearbyint(click_->x - a.shift.x), std::nearbyint(click_->y - a.shift.y)};
    const std::optional<BlinkPoint> star = hooks_.centroid ? hooks_.centroid(slot_, at, true) : std::nullopt;
    const BlinkPoint screen = star.value_or(at);
    const long double s = setup_.scale > 0 ? setup_.scale : 1;
    if (hooks_.setTarget) hooks_.setTarget(slot_, BlinkPoint{screen.x / s, screen.y / s});
  }
  click_.reset();
  Beep();
  AskNextTarget(false);
}

void BlinkInitLogic::AskNextTarget(bool fromStart) {
  for (std::size_t k = 0; k < setup_.frames.size(); ++k) {
    const int slot = setup_.frames[k];
    if (hooks_.targetLocated && hooks_.targetLocated(slot)) continue;
    if (!fromStart && std::find(done_.begin(), done_.end(), slot) != done_.end()) continue;
    done_.push_back(slot);
    position_ = static_cast<int>(k);
    slot_ = slot;
    step_ = kBlinkTarget1 + slot;
    message_ = "Identify the Target Object on Image " + std::to_string(slot + 1) + ".";
    marker_.reset();
    if (hooks_.showImage) hooks_.showImage(slot);
    return;
  }
  // Every image has its target: the dialog and the blink window close.
  step_ = kBlinkFinished;
  if (hooks_.closeDialog) hooks_.closeDialog(true);
}

void BlinkInitLogic::IdentifyTarget() {
  // The identifications from the first frame that was unaligned when the
  // window was shown are cleared (all of them when every frame was aligned).
  const std::size_t from = firstUnaligned_ < 0 ? 0 : static_cast<std::size_t>(firstUnaligned_);
  for (std::size_t k = from; k < setup_.frames.size(); ++k)
    if (hooks_.clearTarget) hooks_.clearTarget(setup_.frames[k]);
  Shown();
  done_.clear();
  for (int slot : setup_.frames)
    if (!hooks_.targetLocated || !hooks_.targetLocated(slot)) {
      caption_ = "Identify Target Object for Measurements";
      cancelEnabled_ = true;
      if (hooks_.enableMenus) hooks_.enableMenus(false);
      AskNextTarget(true);
      return;
    }
  caption_ = "Target Identified";
  cancelEnabled_ = false;
  message_ = "Target is identified on all images.  Identification can be changed during measurement.";
  step_ = kBlinkFinished;
}

void BlinkInitLogic::Cancel() {
  *setup_.alignments = backup_;
  if (hooks_.applyShifts) hooks_.applyShifts();
  step_ = kBlinkFinished;
  marker_.reset();
  click_.reset();
  if (hooks_.closeDialog) hooks_.closeDialog(false);
  if (hooks_.enableMenus) hooks_.enableMenus(true);
}

}  // namespace skarvel

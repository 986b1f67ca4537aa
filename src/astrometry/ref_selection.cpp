#include "astrometry/ref_selection.h"

#include <algorithm>

#include "astrometry/plate_solution.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

constexpr const char* kBreak2 = "\r\n\r\n";

std::string ModelName(std::uint8_t solutionType) {
  switch (solutionType) {
    case 1: return "cross-term solution!";
    case 2: return "quadratic solution!";
    default: return "linear solution!";
  }
}

}  // namespace

std::string RefSelection::SelectPrompt(int minStars) {
  return std::string(kBreak2) + "Select at least " + std::to_string(minStars) + " (more, if possible) Reference Stars" +
         " on the Reference (left-hand) Display." + "  Press \"OK\" when finished.";
}

std::string RefSelection::LocatePrompt(int number) const {
  return std::string(kBreak2) + "Locate Reference Star #" + std::to_string(number) + " on the Image " +
         std::to_string(slot_ + 1) + " (right-hand) Display" + " and press \"OK\".";
}

std::string RefSelection::UnknownPrompt() const {
  return std::string(kBreak2) + "Locate the Target Object on the Image " + std::to_string(slot_ + 1) +
         " (right-hand) Display" + " and press \"OK\".";
}

std::string RefSelection::SkyPrompt() const {
  return std::string(kBreak2) + "Locate an Area near the Target Object that is Free of Stars on the Image  " +
         std::to_string(slot_ + 1) + " (right-hand) Display!";
}

std::string RefSelection::AcceptPrompt(int number) const {
  const std::string n = std::to_string(number);
  return std::string("Press \"Accept\" if all projected identifications are acceptable (all images should lie "
                     "within the inner (solid) Boxes).  Otherwise,...") +
         kBreak2 + "If Reference Star #" + n + " identification is acceptable, press \"OK\"." +
         "  If not, locate Reference Star #" + n + " on the Image " + std::to_string(slot_ + 1) +
         " (right-hand) Display" + " before pressing \"OK\".";
}

void RefSelection::Beep() { ui_.Beep(); }

void RefSelection::Repaint() {
  if (hooks_.repaintImage) hooks_.repaintImage();
}

void RefSelection::StartSelection(int slot) {
  slot_ = slot;
  step_ = kSelect;
  title_ = "Select Reference Stars";
  minStars_ = UnknownCount(options_.solutionType);
  label_ = SelectPrompt(minStars_);
  wasSolved_ = M().plate.Solved();
  acceptVisible_ = false;
  improveVisible_ = false;
  improveCaption_ = "&Improve";
  resolveOnly_ = false;
  locateIndex_ = 0;
  clickedForCurrent_ = false;
  Repaint();
  Beep();
}

void RefSelection::Ok() {
  switch (step_) {
    case kSelect:
    case kAddDelete: OkSelect(); break;
    case kLocate: OkLocate(); break;
    case kUnknown: OkUnknown(); break;
    case kSky: OkSky(); break;
    case kSolved: OkSolved(); break;
    case kCompleted: OkCompleted(); break;
  }
}

void RefSelection::OkSelect() {
  std::vector<ReferenceStar>& selection = hooks_.fieldSelection();
  int used = 0;
  for (const ReferenceStar& e : selection)
    if (e.usePos) ++used;
  if (used < minStars_) {
    platform::Tell(ui_, "You must select at least " + std::to_string(minStars_) + " reference stars for a " +
                            ModelName(options_.solutionType),
                   "Insufficient Reference Stars!", Icon::Warning);
    return;
  }
  if (used == minStars_ && !options_.expertMode && !minRefHintShown_) {
    minRefHintShown_ = true;
    platform::MessageRequest q;
    q.text = std::string("The accuracy of your solution will improve if you select more than the minimum number of "
                         "reference stars.") +
             kBreak2 + "Continue Reference Star Selection?";
    q.caption = "Select More Reference Stars?";
    q.icon = Icon::Question;
    q.buttons = Buttons::YesNo;
    q.beep = true;
    if (ui_.Message(q) == Answer::Yes) return;
  }
  if (hooks_.setAddRemove) hooks_.setAddRemove(false);
  ImageMeasurement& m = M();
  m.plate.MarkUnsolved();
  if (!resolveOnly_) {
    const bool allLocatedBefore = !m.references.empty() && m.AllLocated();
    for (const ReferenceStar& e : selection) {
      bool found = false;
      for (ReferenceStar& r : m.references)
        if (r.id == e.id) {
          r.usePos = e.usePos;
          r.useMag = e.useMag;
          r.kind = e.kind;
          found = true;
          break;
        }
      if (found) continue;
      ReferenceStar r = e;
      r.measured = false;
      if (allLocatedBefore)
        if (const auto p = m.Predict(r.fieldX, r.fieldY)) {
          r.imageX = (*p)[0];
          r.imageY = (*p)[1];
        }
      m.references.push_back(r);
    }
  }
  resolveOnly_ = false;
  if (!m.references.empty() && m.AllLocated() && m.targetLocated) {
    m.MeasureReferences(hooks_.view(), options_.refBox);
    if (m.AllLocated()) {
      locateIndex_ = kAllLocated;
      SolveStep();
    } else {
      step_ = kAddDelete;
      Cancel();
    }
    return;
  }
  StartLocate();
}

void RefSelection::AutoMatch() {
  if (!AutoMatchAvailable() || !hooks_.autoMatch) return;
  const auto positions = hooks_.autoMatch();
  if (!positions) return;
  // As OK at the selection step with every reference new to the image.
  if (hooks_.setAddRemove) hooks_.setAddRemove(false);
  ImageMeasurement& m = M();
  m.plate.MarkUnsolved();
  m.references.clear();
  m.referencesMeasured = false;
  for (const ReferenceStar& e : hooks_.fieldSelection()) {
    ReferenceStar r = e;
    r.measured = false;
    m.references.push_back(r);
  }
  resolveOnly_ = false;
  StartLocate();
  // Each star located as a click on it would locate it.
  const MeasureView view = hooks_.view();
  const int count = static_cast<int>(std::min(positions->size(), m.references.size()));
  for (int k = 1; k <= count; ++k) {
    const auto& p = (*positions)[static_cast<std::size_t>(k - 1)];
    m.MeasureReference(AtKnownPosition(view), options_.refBox, k, p[0] * view.scale, p[1] * view.scale);
    currentNumber_ = m.references[static_cast<std::size_t>(k - 1)].number;
  }
  locateIndex_ = count + 1;
  FinishLocate();
}

void RefSelection::StartLocate() {
  step_ = kLocate;
  title_ = "Locate Reference Stars";
  locateIndex_ = 1;
  currentNumber_ = 1;
  clickedForCurrent_ = false;
  if (hooks_.setMeasuring) hooks_.setMeasuring(true);
  M().referenceFound = false;
  M().targetUse = false;
  acceptVisible_ = false;
  label_ = LocatePrompt(currentNumber_);
  Repaint();
  Beep();
}

void RefSelection::ImageClicked(long double screenX, long double screenY) {
  ImageMeasurement& m = M();
  switch (step_) {
    case kLocate:
      m.MeasureReference(hooks_.view(), options_.refBox, locateIndex_, screenX, screenY);
      clickedForCurrent_ = true;
      Repaint();
      if (hooks_.bringForward) hooks_.bringForward();
      break;
    case kUnknown:
      if (!m.LocateTarget(hooks_.view(), options_.unknownBox, screenX, screenY)) return;
      Repaint();
      if (hooks_.bringForward) hooks_.bringForward();
      break;
    case kSky:
      m.ReadSkySpot(hooks_.view(), options_.refBox, screenX, screenY);
      Repaint();
      if (hooks_.bringForward) hooks_.bringForward();
      break;
    default: break;
  }
}

bool RefSelection::SearchPredicted(int k) {
  ImageMeasurement& m = M();
  const MeasureView view = hooks_.view();
  const ReferenceStar& r = m.references[static_cast<std::size_t>(k - 1)];
  return m.MeasureReference(AtKnownPosition(view), options_.refBox, k, r.imageX * view.scale, r.imageY * view.scale);
}

void RefSelection::OkLocate() {
  ImageMeasurement& m = M();
  const auto count = static_cast<int>(m.references.size());
  if (locateIndex_ < 1 || locateIndex_ > count) {
    FinishLocate();
    return;
  }
  const bool wasOff = m.references[static_cast<std::size_t>(locateIndex_ - 1)].kind == kRefNeither;
  if (locateIndex_ >= 4 && !clickedForCurrent_ && !wasOff) SearchPredicted(locateIndex_);
  if (m.referenceFound || m.references[static_cast<std::size_t>(locateIndex_ - 1)].kind == kRefNeither) {
    AdvanceLocate();
    return;
  }
  Beep();
  platform::Tell(ui_,
                 "Please locate reference star #" + std::to_string(locateIndex_) + " on the image " +
                     std::to_string(slot_ + 1) + " (right-hand) display!",
                 "No Selection Made!", Icon::Warning);
}

void RefSelection::AdvanceLocate() {
  ImageMeasurement& m = M();
  const auto count = static_cast<int>(m.references.size());
  if (locateIndex_ < count) currentNumber_ = m.references[static_cast<std::size_t>(locateIndex_)].number;
  ++locateIndex_;
  m.referenceFound = false;
  clickedForCurrent_ = false;
  Repaint();
  if (locateIndex_ > 3) acceptVisible_ = true;
  if (locateIndex_ > count) {
    FinishLocate();
    return;
  }
  if (locateIndex_ > 3) {
    label_ = AcceptPrompt(currentNumber_);
  } else {
    label_ = LocatePrompt(currentNumber_);
  }
  Beep();
}

void RefSelection::Accept() {
  if (step_ != kLocate) return;
  ImageMeasurement& m = M();
  const auto count = static_cast<int>(m.references.size());
  while (locateIndex_ >= 1 && locateIndex_ <= count) {
    const ReferenceStar& r = m.references[static_cast<std::size_t>(locateIndex_ - 1)];
    if (r.kind != kRefNeither && !SearchPredicted(locateIndex_)) {
      // Not found where predicted: the user locates this one by hand.
      currentNumber_ = r.number;
      label_ = AcceptPrompt(currentNumber_);
      Repaint();
      Beep();
      return;
    }
    if (locateIndex_ < count) currentNumber_ = m.references[static_cast<std::size_t>(locateIndex_)].number;
    ++locateIndex_;
    m.referenceFound = false;
    clickedForCurrent_ = false;
  }
  Repaint();
  FinishLocate();
}

void RefSelection::FinishLocate() {
  ImageMeasurement& m = M();
  acceptVisible_ = false;
  m.targetUse = m.targetLocated;
  m.MeasureReferences(hooks_.view(), options_.refBox);
  if (!m.AllLocated()) {
    step_ = kAddDelete;
    Cancel();
    return;
  }
  locateIndex_ = kAllLocated;
  // Every reference has just been located anew: an older solution of the
  // image no longer asks for another round of locating (which would throw
  // these pairs, an Auto-Match's among them, away).
  wasSolved_ = false;
  Beep();
  Repaint();
  if (m.targetLocated) {
    if (m.target.flux != 0) {
      SolveStep();
    } else {
      step_ = kUnknown;
      OkUnknown();
    }
    return;
  }
  StartUnknown();
}

void RefSelection::StartUnknown() {
  step_ = kUnknown;
  title_ = "Locate Unknown";
  label_ = UnknownPrompt();
  Beep();
}

void RefSelection::OkUnknown() {
  ImageMeasurement& m = M();
  if (!m.targetLocated) {
    Beep();
    platform::Tell(ui_,
                   "Please locate the target object on the image " + std::to_string(slot_ + 1) +
                       " (right-hand) display!",
                   "No Selection Made!", Icon::Warning);
    return;
  }
  platform::MessageRequest q;
  q.text = "Is the sky border (between the dotted and solid lines) surrounding\r\nthe target object free of stars and "
           "other objects?";
  q.caption = "Target Sky OK?";
  q.icon = Icon::Question;
  q.buttons = Buttons::YesNo;
  q.beep = true;
  const MeasureView view = hooks_.view();
  if (ui_.Message(q) == Answer::Yes) {
    if (m.TargetFlux(view, options_.unknownBox, false)) {
      SolveStep();
      return;
    }
    title_ = "Sky Border is Corrupted! - Read Sky Background";
    label_ = SkyPrompt();
    Beep();
    step_ = kSky;
    return;
  }
  if (m.skySpotRead && m.TargetFlux(view, options_.unknownBox, true)) {
    SolveStep();
    return;
  }
  // No background read yet, or the one read is brighter than the target's
  // box: a flux of 0 would throw every magnitude reference away.
  m.ResetSkySpot();
  title_ = "Read Sky Background";
  label_ = SkyPrompt();
  Beep();
  step_ = kSky;
}

void RefSelection::OkSky() {
  ImageMeasurement& m = M();
  if (m.skySpotRead) {
    if (m.TargetFlux(hooks_.view(), options_.unknownBox, true)) {
      SolveStep();
      return;
    }
    m.ResetSkySpot();
    Repaint();
  }
  Beep();
  platform::Tell(ui_,
                 "Please locate an area that is free of stars on the image  " + std::to_string(slot_ + 1) +
                     " (right-hand) display!",
                 "Re-Select Background!", Icon::Warning);
}

void RefSelection::SolveStep() {
  ImageMeasurement& m = M();
  if (wasSolved_) {
    wasSolved_ = false;
    m.plate.MarkUnsolved();
    StartLocate();
    return;
  }
  if (hooks_.setMeasuring) hooks_.setMeasuring(false);
  const SolutionSettings settings = hooks_.solutionSettings ? hooks_.solutionSettings() : SolutionSettings{};
  if (!m.Solve(settings, ui_)) {
    platform::Tell(ui_, "Not Enough Reference Stars for Selected Solution Type!", "Insufficient References",
                   Icon::Error);
    return;
  }
  step_ = kSolved;
  improveVisible_ = true;
  improveCaption_ = "&Improve";
  title_ = "Solution OK?";
  label_ = std::string("Press \"OK\" to accept solution.") + kBreak2 +
           "Press \"Improve\" to remove highest position residual or change solution and recompute." + kBreak2 +
           "Press \"Cancel\" to make other changes.";
  Repaint();
  if (hooks_.showSolution) hooks_.showSolution();
  Beep();
}

void RefSelection::OkSolved() {
  if (hooks_.enableAddToReport) hooks_.enableAddToReport();
  improveVisible_ = false;
  platform::MessageRequest q;
  q.text = "Record measurement on report list now?";
  q.caption = "Add to Report?";
  q.icon = Icon::Question;
  q.buttons = Buttons::YesNo;
  if (ui_.Message(q) == Answer::Yes && hooks_.addToReport) hooks_.addToReport();
  step_ = kCompleted;
  improveVisible_ = true;
  improveCaption_ = "&New";
  title_ = "Measurement Completed";
  label_ = std::string(kBreak2) + "Press \"OK\" To Close Windows and Return to Main Display." + kBreak2 +
           "Press \"New\" To Measure a New Target on the Same Image.";
  Beep();
}

void RefSelection::OkCompleted() {
  Beep();
  improveVisible_ = false;
  if (hooks_.closeMeasurement) hooks_.closeMeasurement(true);
}

bool RefSelection::Improve() {
  if (improveCaption_ == "&Improve") return true;
  if (!hooks_.verifyObservationParameters || !hooks_.verifyObservationParameters()) {
    if (hooks_.releaseSlot) hooks_.releaseSlot();
    return false;
  }
  if (hooks_.adoptObservationParameters) hooks_.adoptObservationParameters();
  improveVisible_ = false;
  improveCaption_ = "&Improve";
  ImageMeasurement& m = M();
  const MeasureView view = hooks_.view();
  m.targetLocated = false;
  m.recorded = false;
  m.ResetTarget(view.mirrorLeftRight, view.mirrorUpDown);
  if (hooks_.setMeasuring) hooks_.setMeasuring(true);
  Repaint();
  StartUnknown();
  return false;
}

void RefSelection::RemoveHighestResidual() {
  ImageMeasurement& m = M();
  ReferenceStar* worst = nullptr;
  for (ReferenceStar& r : m.references)
    if (r.usePos && (worst == nullptr || r.resTotal > worst->resTotal)) worst = &r;
  if (worst == nullptr || !(worst->resTotal > 0)) return;
  worst->usePos = false;
  if (options_.defaultRefMags) worst->useMag = false;
  worst->kind = worst->useMag ? kRefMagOnly : kRefNeither;
  for (ReferenceStar& e : hooks_.fieldSelection())
    if (e.id == worst->id) {
      e.usePos = worst->usePos;
      e.useMag = worst->useMag;
      e.kind = worst->kind;
    }
  step_ = kSelect;
  resolveOnly_ = true;
  OkSelect();
}

void RefSelection::ChangeModel(std::uint8_t solutionType) {
  options_.solutionType = solutionType;
  if (hooks_.solutionTypeChanged) hooks_.solutionTypeChanged(solutionType);
  step_ = kSelect;
  resolveOnly_ = true;
  OkSelect();
}

CancelOptions RefSelection::CancelOptionsForStep() const {
  CancelOptions o;
  auto on = [&o](CancelChoice c) { o.enabled[static_cast<std::size_t>(c)] = true; };
  on(CancelChoice::ReturnToStep);
  switch (step_) {
    case kSelect:
      on(CancelChoice::SelectReferences);
      o.preselected = CancelChoice::SelectReferences;
      break;
    case kAddDelete:
    case kLocate:
      on(CancelChoice::SelectReferences);
      on(CancelChoice::AddDeleteReferences);
      on(CancelChoice::LocateReferences);
      o.preselected = CancelChoice::LocateReferences;
      break;
    case kUnknown:
      on(CancelChoice::SelectReferences);
      on(CancelChoice::AddDeleteReferences);
      on(CancelChoice::LocateReferences);
      on(CancelChoice::LocateUnknown);
      o.preselected = CancelChoice::LocateUnknown;
      break;
    case kSky: return lastCancelOptions_;
    case kSolved:
    case kCompleted:
      o.enabled.fill(true);
      o.preselected = CancelChoice::AddDeleteReferences;
      break;
  }
  return o;
}

void RefSelection::Cancel() {
  if (step_ == kSolved && hooks_.closeSolution) hooks_.closeSolution();
  Beep();
  const CancelOptions options = CancelOptionsForStep();
  lastCancelOptions_ = options;
  const std::optional<CancelChoice> choice =
      hooks_.cancelOptions ? hooks_.cancelOptions(options) : std::optional<CancelChoice>{};
  if (!choice) {
    if (hooks_.closeMeasurement) hooks_.closeMeasurement(false);
    return;
  }
  AfterCancelChoice(*choice);
}

void RefSelection::AfterCancelChoice(CancelChoice choice) {
  ImageMeasurement& m = M();
  switch (choice) {
    case CancelChoice::SelectReferences:
      if (hooks_.clearReselect) hooks_.clearReselect();
      wasSolved_ = m.plate.Solved();
      break;
    case CancelChoice::AddDeleteReferences:
      if (hooks_.addRemove) hooks_.addRemove();
      break;
    case CancelChoice::LocateReferences:
      m.plate.MarkUnsolved();
      StartLocate();
      Repaint();
      break;
    case CancelChoice::LocateUnknown: {
      const MeasureView view = hooks_.view();
      m.targetLocated = false;
      m.recorded = false;
      m.ResetTarget(view.mirrorLeftRight, view.mirrorUpDown);
      if (hooks_.setMeasuring) hooks_.setMeasuring(true);
      Repaint();
      StartUnknown();
      break;
    }
    case CancelChoice::SkyBackground:
      m.plate.MarkUnsolved();
      m.ResetSkySpot();
      if (hooks_.setMeasuring) hooks_.setMeasuring(true);
      title_ = "Read Sky Background";
      label_ = SkyPrompt();
      step_ = kSky;
      Repaint();
      break;
    case CancelChoice::ReturnToStep: break;
  }
}

}  // namespace skarvel

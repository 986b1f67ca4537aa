// The reference-star selection of one measurement: pick reference stars on
// the reference field, locate them in the image (the rest predicted after
// three), locate the target, settle its sky, solve, improve by rejecting the
// worst star or changing the model, record the observation, finish or measure
// another target. The Qt dialog only shows the state kept here and forwards
// its buttons; the windows it drives are reached through hooks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/image_measurement.h"
#include "astrometry/reference_star.h"
#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// The choices of the "Cancel" options dialog, in its order.
enum class CancelChoice { SelectReferences, AddDeleteReferences, LocateReferences, LocateUnknown, SkyBackground,
                          ReturnToStep };

/// Enabled buttons and the preselected one of the "Cancel" options dialog.
struct CancelOptions {
  std::array<bool, 6> enabled{};  ///< by CancelChoice
  CancelChoice preselected = CancelChoice::ReturnToStep;
};

/// What the selection needs from the windows around it.
struct SelectionHooks {
  /// The image window's measurement state (reference list, target, plate).
  std::function<ImageMeasurement&()> measurement;
  /// How the image is shown (for the centroids).
  std::function<MeasureView()> view;
  /// The reference-field window's selection list.
  std::function<std::vector<ReferenceStar>&()> fieldSelection;
  /// The reference-field window's AddRemove (and its "&Add/Remove..." items enabled when off).
  std::function<void(bool)> setAddRemove;
  /// The reference-field window's "&Clear/Reselect" (which restarts this selection).
  std::function<void()> clearReselect;
  /// The reference-field window's "&Add/Remove..." (which restarts this selection).
  std::function<void()> addRemove;
  /// The model's check marks in the reference-field window.
  std::function<void(std::uint8_t)> solutionTypeChanged;
  /// Repaints the image window; brings this dialog forward.
  std::function<void()> repaintImage;
  std::function<void()> bringForward;
  /// The image window's measuring flag; while measuring it cannot be closed.
  std::function<void(bool)> setMeasuring;
  /// The field centre, the camera filter: what the solution sequence needs.
  std::function<SolutionSettings()> solutionSettings;
  /// The solution was computed: enable "&Solution Results..." and show the report.
  std::function<void()> showSolution;
  /// Closes the solution report window (Cancel at "Solution OK?").
  std::function<void()> closeSolution;
  /// Enables the image window's "&Add to Report List..." / runs it.
  std::function<void()> enableAddToReport;
  std::function<void()> addToReport;
  /// "&New": the observation parameters of the image verified; true on OK.
  std::function<bool()> verifyObservationParameters;
  /// Copies the image's observation parameters into the main window's.
  std::function<void()> adoptObservationParameters;
  /// Releases the slot in the main window.
  std::function<void()> releaseSlot;
  /// The "Cancel" options dialog: the choice on OK, nothing on Cancel.
  std::function<std::optional<CancelChoice>(const CancelOptions&)> cancelOptions;
  /// "&Auto-Match": fills the reference field's selection with stars matched
  /// in the image and gives their image positions (display image
  /// coordinates) in the selection's order; nothing, with the person told
  /// why and the selection untouched, when no trustworthy match is found.
  std::function<std::optional<std::vector<std::array<long double, 2>>>()> autoMatch;
  /// Closes the measurement: offers to save an unsaved solution report when
  /// `finished`, then closes the report, the image and reference-field
  /// windows, the magnifier and the dialog.
  std::function<void(bool finished)> closeMeasurement;
};

class RefSelection {
 public:
  enum Step : std::uint8_t { kSelect = 0, kAddDelete = 1, kLocate = 2, kUnknown = 3, kSky = 4, kSolved = 5,
                             kCompleted = 6 };
  static constexpr int kAllLocated = 99;

  /// `options` supplies SolutionType, ExpertMode and DefaultRefMags (and
  /// takes a changed model); `minRefHintShown` is the main window's mark of
  /// the one hint per set of images.
  RefSelection(platform::Platform& ui, OptionsRecord& options, bool& minRefHintShown, SelectionHooks hooks)
      : ui_(ui), options_(options), minRefHintShown_(minRefHintShown), hooks_(std::move(hooks)) {}

  /// Step 0 for image `slot` (0..3).
  void StartSelection(int slot);

  // ---- the dialog's buttons ----
  void Ok();
  void Cancel();
  void Accept();
  /// "&Improve" (returns true: the caller opens the pop-up) or "&New".
  bool Improve();
  void RemoveHighestResidual();
  void ChangeModel(std::uint8_t solutionType);
  /// "&Auto-Match" (steps 0 and 1): the matched stars become the selection,
  /// are located in the image as clicks on them would locate them, and the
  /// locate step finishes (the target is located next). Without a match
  /// nothing changes.
  void AutoMatch();
  /// The step at which "&Auto-Match" is offered.
  bool AutoMatchAvailable() const { return step_ == kSelect || step_ == kAddDelete; }

  /// A click in the image window while measuring (screen coordinates).
  void ImageClicked(long double screenX, long double screenY);

  // ---- what the dialog shows ----
  Step CurrentStep() const { return step_; }
  const std::string& Title() const { return title_; }
  const std::string& Label() const { return label_; }
  bool AcceptVisible() const { return acceptVisible_; }
  bool ImproveVisible() const { return improveVisible_; }
  const std::string& ImproveCaption() const { return improveCaption_; }
  int MinStars() const { return minStars_; }
  int LocateIndex() const { return locateIndex_; }
  int CurrentNumber() const { return currentNumber_; }
  bool ResolveOnly() const { return resolveOnly_; }
  bool WasSolved() const { return wasSolved_; }
  int Slot() const { return slot_; }
  std::uint8_t SolutionType() const { return options_.solutionType; }
  bool showMagnifier = true;
  /// The "Cancel" options offered at the current step.
  CancelOptions CancelOptionsForStep() const;

  /// Texts of the prompts (without their beeps).
  static std::string SelectPrompt(int minStars);
  std::string LocatePrompt(int number) const;
  std::string AcceptPrompt(int number) const;
  std::string UnknownPrompt() const;
  std::string SkyPrompt() const;

 private:
  ImageMeasurement& M() { return hooks_.measurement(); }
  void Beep();
  void OkSelect();
  void OkLocate();
  void OkUnknown();
  void OkSky();
  void OkSolved();
  void OkCompleted();
  void StartLocate();
  void FinishLocate();
  void SolveStep();
  void StartUnknown();
  void SkyCheck();
  void AfterCancelChoice(CancelChoice choice);
  bool SearchPredicted(int k);
  void AdvanceLocate();
  void Repaint();

  platform::Platform& ui_;
  OptionsRecord& options_;
  bool& minRefHintShown_;
  SelectionHooks hooks_;

  Step step_ = kSelect;
  int slot_ = 0;
  int minStars_ = 3;
  int locateIndex_ = 0;
  int currentNumber_ = 0;
  bool resolveOnly_ = false;
  bool wasSolved_ = false;
  bool clickedForCurrent_ = false;
  std::string title_;
  std::string label_;
  bool acceptVisible_ = false;
  bool improveVisible_ = false;
  std::string improveCaption_ = "&Improve";
  CancelOptions lastCancelOptions_;
};

}  // namespace skarvel

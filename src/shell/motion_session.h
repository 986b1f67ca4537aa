// The main window's "Use &Mean Motion..." and "Compute &Baseline..." commands:
// the observation picker, the "Positions for Mean Motion" dialog, the
// mean-motion ephemeris into the orbit session's table and report window, and
// the baseline dialog with its two sites and its report window.
//
// Usage (tests and the window alike):
//   lab.Motion().Views().pickObservations = ...;  // the GUI's windows
//   lab.Run("MeanMotion1");   // picker, positions, parameters, ephemeris window
//   lab.Run("Baseline1");     // baseline dialog, then "VORN Astrometric Baseline Report"
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "astrometry/info_list.h"
#include "orbits/mean_motion_forms.h"

namespace skarvel {

class AstrmLab;

/// The windows of the two commands. Every member may be absent; a command then ends there.
struct MotionViews {
  /// The "Recorded Observations" picker on its logic: the two observations, or nothing on Cancel.
  std::function<std::optional<std::pair<std::size_t, std::size_t>>(ObservationPicker&)> pickObservations;
  /// `TMeanEphForm1` on the form; `accept` is its OK (true closes). True when accepted.
  std::function<bool(MeanMotionForm&, const std::function<bool(const MeanMotionForm&)>& accept)> positionsDialog;
  /// `TBaselineDlg` on its logic (its OK runs logic.Ok()): true when accepted.
  std::function<bool(BaselineDialogLogic&)> baselineDialog;
  /// The baseline report window (`BaselineList`) shown with its new lines.
  std::function<void()> showBaselineReport;
};

class MotionSession {
 public:
  explicit MotionSession(AstrmLab& lab);
  MotionViews& Views() { return views_; }
  /// Adds "MeanMotion1" and "Baseline1".
  void AddCommands(std::map<std::string, std::function<void()>>& commands);

  /// "Use &Mean Motion...": picker, same-object question, positions dialog,
  /// the ephemeris parameters dialog, then the table and its report window.
  void MeanMotion();
  /// "Compute &Baseline...": the work screen, the baseline dialog (its "Obs.
  /// &Data" and "&Eph. Data" choosing from the report's observations and the
  /// ephemeris table), then its report window. The dialog's state (sites,
  /// confirmations, target) is made at the first run and kept for the next.
  void Baseline();
  /// The baseline dialog's state; null before the first "Compute &Baseline...".
  const BaselineDialogLogic* BaselineState() const { return baseline_.get(); }

  const MeanMotionRecord& Record() const { return record_; }
  /// The "VORN Astrometric Baseline Report" window's content.
  InfoList& BaselineWindow() { return baselineList_; }

 private:
  AstrmLab& lab_;
  MotionViews views_;
  MeanMotionRecord record_;
  InfoList baselineList_;
  std::unique_ptr<BaselineDialogLogic> baseline_;
};

}  // namespace skarvel

// The "Track and Stack" window: the frames of a series chosen, solved against
// the catalog of the options and listed with their plate state, then stacked
// along a typed motion into an image slot.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "astrometry/track_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace skarvel::ui {

/// What the window needs from the main window.
struct TrackSeriesHost {
  platform::Platform* ui = nullptr;
  std::string scratchDir;          ///< with a trailing separator: stacks and header notes go here
  std::uint8_t headerTimeType = 0; ///< what the frames' header times mean
  std::string imageDir;            ///< the open dialog starts here
  long double arcsecPerPixel = 0;  ///< the camera's scale, 0 unknown
  std::function<void(GraphicsFileObj&)> calibrate;  ///< calibration on load, when the options ask for it
  /// The catalog stars around the first frame's pointing at its time (the
  /// reference field of the options), or null when none could be read (the person told).
  std::function<StarList*(const SeriesFrameInput& first)> fieldStars;
  /// The stack file goes into an image slot: true when it was loaded.
  std::function<bool(const std::string& stackFile)> putStack;
  /// The orbit database of the options that names the candidates, when there is one.
  std::function<std::optional<KnownSearch>()> knownSearch;
};

class TTrackCandidatesForm;

class TTrackSeriesForm : public QDialog {
  Q_OBJECT
 public:
  explicit TTrackSeriesForm(TrackSeriesHost host, QWidget* parent = nullptr);
  ~TTrackSeriesForm() override;

  TrackSession& Session() { return *session_; }
  QListWidget* Frames() const { return frames_; }
  QLabel* Status() const { return status_; }
  QLineEdit* RateField() const { return rate_; }
  QLineEdit* PaField() const { return pa_; }
  QComboBox* CombineBox() const { return combine_; }
  QPushButton* ChooseButton() const { return choose_; }
  QPushButton* SolveButton() const { return solve_; }
  QPushButton* StackButton() const { return stack_; }
  QLineEdit* RateMaxField() const { return rateMax_; }
  QPushButton* SearchButton() const { return search_; }
  /// The candidates window, or null before the first search.
  TTrackCandidatesForm* Candidates() const { return candidates_.get(); }

  /// The buttons' work.
  void Choose();
  void Solve();
  void Stack();
  /// "Track Se&arch": the search up to the fastest rate typed, then the candidates window.
  void Search();

 private:
  void Refresh();
  TrackSeriesHost host_;
  std::unique_ptr<TrackSession> session_;
  QListWidget* frames_;
  QLabel* status_;
  QLineEdit* rate_;
  QLineEdit* pa_;
  QComboBox* combine_;
  QPushButton* choose_;
  QPushButton* solve_;
  QPushButton* stack_;
  QLineEdit* rateMax_;
  QPushButton* search_;
  std::unique_ptr<TTrackCandidatesForm> candidates_;
};

}  // namespace skarvel::ui

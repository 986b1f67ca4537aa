// The "Track Search Candidates" window: the candidates of a track search with
// their motion, SNR, place at the reference time, known name and a thumbnail
// of their stack; "Measure" puts the chosen candidate's stack into an image slot.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "astrometry/track_session.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace skarvel::ui {

class TTrackCandidatesForm : public QDialog {
  Q_OBJECT
 public:
  /// Thumbnails are (2 kThumbHalf + 1) pixels square, drawn kThumbZoom times larger.
  static constexpr int kThumbHalf = 12;
  static constexpr int kThumbZoom = 3;

  /// The window on the session's last search; `putStack` loads a stack file into a slot.
  TTrackCandidatesForm(TrackSession& session, std::function<bool(const std::string&)> putStack,
                       QWidget* parent = nullptr);

  /// Lists the session's candidates anew.
  void Fill();
  /// "&Measure": the selected candidate's stack along its motion into an image slot.
  void Measure();

  QTableWidget* Table() const { return table_; }
  QLabel* Summary() const { return summary_; }
  QPushButton* MeasureButton() const { return measure_; }

 private:
  TrackSession& session_;
  std::function<bool(const std::string&)> putStack_;
  QTableWidget* table_;
  QLabel* summary_;
  QPushButton* measure_;
};

}  // namespace skarvel::ui

// "Recorded Observations" (`ObsListForm`): the report's observations in a
// list with multiple selection, driven by the ObservationPicker rules.
#pragma once

#include <QDialog>

#include "orbits/mean_motion_forms.h"

class QListWidget;
class QListWidgetItem;

namespace skarvel::ui {

class ObsListForm : public QDialog {
  Q_OBJECT
 public:
  /// The window on `picker` (which must outlive it); the opening message is shown by Pick.
  ObsListForm(ObservationPicker& picker, platform::Platform& ui, QWidget* parent = nullptr);

  /// Shows the opening message, runs the window: the two observations, or nothing when cancelled.
  std::optional<std::pair<std::size_t, std::size_t>> Pick();

  QListWidget* List() const { return list_; }
  /// The person clicks line `row` (tests use it as the mouse does).
  void ClickLine(int row);

 private:
  ObservationPicker& picker_;
  platform::Platform& ui_;
  QListWidget* list_;
};

}  // namespace skarvel::ui

// The record picker of the baseline dialog (`TObsSlctForm`): the report's
// observations or the ephemeris report in a list, a prompt above it, OK and
// Cancel; a thin view of RecordPicker.
#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>

#include "orbits/mean_motion_forms.h"

class QLabel;
class QListWidget;

namespace skarvel::ui {

class TObsSlctForm : public QDialog {
  Q_OBJECT
 public:
  /// The window on `picker` (which must outlive it).
  explicit TObsSlctForm(RecordPicker& picker, QWidget* parent = nullptr);

  /// Runs the window: the record chosen, or nothing when cancelled.
  std::optional<std::size_t> Pick();

  QListWidget* List() const { return list_; }
  QLabel* Prompt() const { return prompt_; }

  /// OK: closes with the record under the selected line, or stays open with
  /// the caption and prompt saying a record is to be selected.
  void accept() override;

 private:
  void Load();

  RecordPicker& picker_;
  QLabel* prompt_;
  QListWidget* list_;
  std::optional<std::size_t> chosen_;
};

}  // namespace skarvel::ui

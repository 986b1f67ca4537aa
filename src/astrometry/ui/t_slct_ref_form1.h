// The selection dialog of a measurement (a small window titled by its step)
// and the "Cancel" options dialog. Both only show the state of RefSelection
// and forward their buttons to it.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "astrometry/ref_selection.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace skarvel::ui {

/// "\"Cancel\" Options": where to go back to, or (Cancel) abandon the measurement.
class TRefCnclForm1 : public QDialog {
  Q_OBJECT
 public:
  explicit TRefCnclForm1(const CancelOptions& options, QWidget* parent = nullptr);
  QRadioButton* Choice(CancelChoice c) const { return buttons_[static_cast<std::size_t>(c)]; }
  /// The checked choice.
  CancelChoice Chosen() const;
  /// Runs the dialog modally: the choice on OK, nothing on Cancel.
  static std::optional<CancelChoice> Ask(const CancelOptions& options, QWidget* parent);

 private:
  std::array<QRadioButton*, 6> buttons_{};
};

class TSlctRefForm1 : public QWidget {
  Q_OBJECT
 public:
  /// The dialog over a selection it does not own.
  explicit TSlctRefForm1(RefSelection& selection, QWidget* parent = nullptr);

  /// Shows the selection's step: title, instruction, buttons.
  void Sync();
  RefSelection& Selection() { return selection_; }

  QLabel* Label1() const { return label_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* AcceptButton() const { return accept_; }
  QPushButton* ImproveButton() const { return improve_; }
  /// "&Auto-Match": the reference stars matched in the image without clicks.
  QPushButton* AutoMatchButton() const { return autoMatch_; }
  QCheckBox* MagnifierBox() const { return magnifier_; }
  QMenu* PopupMenu() const { return popup_; }
  QAction* ModelAction(int solutionType) const { return models_[static_cast<std::size_t>(solutionType)]; }
  /// The pop-up of "&Improve" (tests run it without showing the menu).
  std::function<void(QMenu&, const QPoint&)> showPopup;
  /// Called after every button so the windows around can follow.
  std::function<void()> changed;
  /// The magnifier check box was toggled.
  std::function<void(bool)> magnifierToggled;
  /// Hides the dialog at the end of a measurement (a close by the user counts as Cancel).
  void Dismiss();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Run(const std::function<void()>& action);

  RefSelection& selection_;
  QLabel* label_;
  QPushButton *ok_, *cancel_, *accept_, *improve_;
  QPushButton* autoMatch_;
  QCheckBox* magnifier_;
  QMenu* popup_;
  std::array<QAction*, 3> models_{};
  bool dismissing_ = false;
};

}  // namespace skarvel::ui

// "Chart Options" / "Identify Chart Center": a thin view of ChartControlLogic.
//
// The box stays open beside the list windows, so that a line can be picked
// in them while it asks for the chart centre; OK and Cancel go to the owner.
#pragma once

#include <QDialog>
#include <functional>

#include "orbits/chart_form.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace skarvel::ui {

class TChrtCntrlBox : public QDialog {
  Q_OBJECT
 public:
  explicit TChrtCntrlBox(QWidget* parent = nullptr);
  ~TChrtCntrlBox() override;

  /// Shows the box on `logic` (or redraws it after a step), without blocking other windows.
  void ShowOn(ChartControlLogic& logic);
  /// OK pressed: true when the box may close.
  std::function<bool()> onOk;
  /// Cancel pressed (or the box closed).
  std::function<void()> onCancel;

  QCheckBox* PlotEphemeris() const { return ephemeris_; }
  QCheckBox* PlotObservations() const { return observations_; }
  QLabel* Prompt() const { return prompt_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void accept() override;
  void reject() override;

 private:
  void Load();
  ChartControlLogic* logic_ = nullptr;
  QLabel* prompt_;
  QCheckBox *ephemeris_, *observations_;
  QPushButton *ok_, *cancel_;
};

}  // namespace skarvel::ui

// "Find Asteroid Orbit Record": a thin view of RecordFinder.
#pragma once

#include <QDialog>

#include "orbits/record_finder.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace skarvel::ui {

class TAstOrbFlDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on an open finder, which must outlive it.
  explicit TAstOrbFlDlg(RecordFinder& finder, QWidget* parent = nullptr);

  QLineEdit* KeyField() const { return key_; }
  QRadioButton* ByName() const { return byName_; }
  QRadioButton* ByNumber() const { return byNumber_; }
  QPushButton* SearchFromTop() const { return top_; }
  QPushButton* ContinueSearch() const { return next_; }
  QLabel* ResultLabel() const { return result_; }
  QLabel* SearchingLabel() const { return searching_; }

  void accept() override;

 private:
  void Store();
  void Show();

  RecordFinder& finder_;
  QLineEdit* key_;
  QRadioButton *byName_, *byNumber_;
  QPushButton *top_, *next_;
  QLabel *result_, *searching_;
};

}  // namespace skarvel::ui

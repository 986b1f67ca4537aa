// "Determine Orbit": the observations file (or the report's observations),
// the observatory code list (both with a file chooser), the rejection limit and a held e or q; "&Fit"
// runs the fit and shows its report with the residuals, "&Use Elements"
// makes the orbit the current elements and "&Save Orbit" puts it in the
// saved orbits.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "orbits/orbit_fit_form.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace skarvel::ui {

class TOrbitFitForm : public QDialog {
  Q_OBJECT
 public:
  /// `useElements` receives the fitted orbit on "&Use Elements"; `savedOrbitsPath`
  /// is the saved-orbits file for "&Save Orbit". The logic must outlive the window.
  TOrbitFitForm(OrbitFitFormLogic& logic, std::function<void(const CurrentElements&)> useElements,
                std::string savedOrbitsPath, QWidget* parent = nullptr);

  QLineEdit* ObservationsEdit() const { return observations_; }
  QLineEdit* CodesEdit() const { return codes_; }
  QLineEdit* RejectEdit() const { return reject_; }
  QLineEdit* HoldEEdit() const { return holdE_; }
  QLineEdit* HoldQEdit() const { return holdQ_; }
  QPushButton* BrowseButton() const { return browse_; }
  QPushButton* CodesBrowseButton() const { return codesBrowse_; }
  QPushButton* FitButton() const { return fit_; }
  QPushButton* UseButton() const { return use_; }
  QPushButton* SaveButton() const { return save_; }
  QPlainTextEdit* ReportView() const { return report_; }

 private:
  void RunFit();

  OrbitFitFormLogic& logic_;
  std::function<void(const CurrentElements&)> useElements_;
  std::string savedOrbitsPath_;
  QLineEdit *observations_, *codes_, *reject_, *holdE_, *holdQ_;
  QPushButton *browse_, *codesBrowse_, *fit_, *use_, *save_;
  QPlainTextEdit* report_;
};

}  // namespace skarvel::ui

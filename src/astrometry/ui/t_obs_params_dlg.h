// "Observation Parameters - <mode>": a thin view of ObsParamsLogic.
//
// Double-clicking the name, designation or number field verifies that field;
// the "&Help" button asks for the topic "Set Object Information Parameters".
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "astrometry/obs_params_form.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

class TObsParamsDlg : public QDialog {
  Q_OBJECT
 public:
  TObsParamsDlg(ObsParams& record, const std::string& mode, bool checkOnOk, ObsParamsSettings settings,
                VerifiedIds& verified, ObjectLookup& lookup, platform::Platform& ui, QWidget* parent = nullptr);
  ~TObsParamsDlg() override;

  /// Shows a help topic; without it the help button does nothing.
  void SetHelp(std::function<void(const std::string& topic)> help) { help_ = std::move(help); }

  QLineEdit* NameField() const { return name_; }
  QLineEdit* DesignationField() const { return designation_; }
  QLineEdit* NumberField() const { return number_; }
  QLineEdit* ObserverField() const { return observer_; }
  QLineEdit* DateField() const { return date_; }
  QLineEdit* TimeField() const { return time_; }
  QCheckBox* Discovery() const { return discovery_; }
  QRadioButton* MinorPlanet() const { return minorPlanet_; }
  QRadioButton* Comet() const { return comet_; }

  /// Runs the opening verification, then the dialog.
  int exec() override;
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load();
  void Store();
  std::unique_ptr<ObsParamsLogic> logic_;
  QLineEdit *name_, *designation_, *number_, *observer_, *date_, *time_;
  QCheckBox* discovery_;
  QRadioButton *minorPlanet_, *comet_;
  std::function<void(const std::string&)> help_;
};

}  // namespace skarvel::ui

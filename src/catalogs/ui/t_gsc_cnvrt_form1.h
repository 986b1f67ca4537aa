// "Convert GSC to VORN Format": the three path fields (double-click to
// browse), the magnitude limit and the three switches; a thin view of
// GSCConvertForm, which decides what OK does.
#pragma once

#include <QDialog>

#include <array>
#include <string>

#include "catalogs/gsc_convert_form.h"
#include "platform/platform.h"

class QCheckBox;
class QLineEdit;

namespace skarvel::ui {

class TGSCCnvrtForm1 : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on the kept `settings`, which OK replaces; `dataDir` is where
  /// the chooser of an empty path field starts.
  TGSCCnvrtForm1(GSCConvertSettings& settings, platform::Platform& ui, std::string dataDir,
                 QWidget* parent = nullptr);

  /// Shows the dialog; true when it was closed with OK (`settings` taken over).
  static bool Run(GSCConvertSettings& settings, platform::Platform& ui, const std::string& dataDir,
                  QWidget* parent);

  QLineEdit* PathField(GSCConvertPath field) const { return paths_[field]; }
  QLineEdit* MagField() const { return mag_; }
  QCheckBox* RestartBox() const { return restart_; }
  QCheckBox* FinderBox() const { return finder_; }
  QCheckBox* MarloBox() const { return marlo_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadBack();
  void ShowPaths();

  GSCConvertSettings& settings_;
  platform::Platform& ui_;
  std::string dataDir_;
  GSCConvertForm form_;
  std::array<QLineEdit*, 3> paths_{};
  QLineEdit* mag_;
  QCheckBox *restart_, *finder_, *marlo_;
};

}  // namespace skarvel::ui

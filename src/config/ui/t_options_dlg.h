// "Software Options": the widgets over SoftwareOptionsLogic, and the buttons
// that open the star catalog and file name dialogs, the user, camera and site
// dialogs, the two box dialogs and the image display defaults.
#pragma once

#include <QDialog>
#include <QMap>
#include <memory>

#include "astrometry/info_list.h"
#include "config/options_dialogs.h"
#include "config/ui/radio_group.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace skarvel::ui {

class TOptionsDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on the record of `opts` (null: exec() shows "No Options
  /// Assigned!" and returns Rejected). `search` is the search state of the
  /// camera and site list windows.
  TOptionsDlg(OptsObj* opts, platform::Platform& ui, SearchDialogState& search, QWidget* parent = nullptr);
  ~TOptionsDlg() override;

  int exec() override;
  void accept() override;
  void reject() override;

  /// The logic (null without an options object).
  SoftwareOptionsLogic* Logic() const { return logic_.get(); }
  QCheckBox* Box(const QString& name) const { return boxes_.value(name, nullptr); }
  QPushButton* Button(const QString& name) const { return buttons_.value(name, nullptr); }
  QLineEdit* SizeEdit() const { return size_; }
  QLineEdit* MagEdit() const { return mag_; }
  const RadioGroup& FileFormat() const { return format_; }
  const RadioGroup& TimeType() const { return time_; }
  const RadioGroup& Solution() const { return solution_; }
  const RadioGroup& Centring() const { return centring_; }
  /// The pop-up menu of the "\"&Box\"" button (actions "UnknownBox1", "RefBox1").
  QMenu* BoxMenu() const { return boxMenu_; }

 private:
  void Build();
  void Show();
  void ReadBack();
  void OpenUser();
  void OpenCamera();
  void OpenSite();
  void OpenBox(bool unknown);
  void OpenImageDefaults();
  void OpenCatalogOptions();
  void OpenFileOptions();

  OptsObj* opts_;
  platform::Platform& ui_;
  SearchDialogState& search_;
  std::unique_ptr<SoftwareOptionsLogic> logic_;
  QMap<QString, QCheckBox*> boxes_;
  QMap<QString, QPushButton*> buttons_;
  RadioGroup format_;
  RadioGroup time_;
  RadioGroup solution_;
  RadioGroup centring_;
  QLineEdit* size_ = nullptr;
  QLineEdit* mag_ = nullptr;
  QMenu* boxMenu_ = nullptr;
  bool syncing_ = false;
};

}  // namespace skarvel::ui

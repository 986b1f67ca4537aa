// "User Information", "Camera Parameters" and "Observatory (Site) Information":
// thin views of UsrParmsLogic, CamParmsLogic and SiteParmsLogic.
//
// Each dialog copies its widgets into the logic's fields before an operation
// and back afterwards. The "&File..." button pops its menu up at the button's
// right edge, 10 pixels to the right and 10 down; the menu's actions carry the
// object names of the items ("FindUser1", "SaveUser1", ...).
#pragma once

#include <QDialog>
#include <memory>

#include "config/observer_forms.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace skarvel::ui {

/// Makes the "&File..." button with its pop-up menu of `items` (object name, caption).
QPushButton* MakeFileButton(QWidget* dialog, QMenu*& menu,
                            const std::vector<std::pair<const char*, const char*>>& items);

class TUsrParmsDlg : public QDialog {
  Q_OBJECT
 public:
  TUsrParmsDlg(UserRecord& record, platform::Platform& ui, const std::string& dataDir, QWidget* parent = nullptr);
  ~TUsrParmsDlg() override;
  QMenu* FileMenu() const { return fileMenu_; }
  QLineEdit* Field(int index) const { return edits_[index]; }  ///< 0 contact name ... 7 measurers

  void accept() override;

 private:
  void Load();
  void Store();
  std::unique_ptr<UsrParmsLogic> logic_;
  QLineEdit* edits_[8] = {};
  QMenu* fileMenu_ = nullptr;
};

class TCamParmsDlg : public QDialog {
  Q_OBJECT
 public:
  TCamParmsDlg(CameraRecord& record, const CameraRecord* current, bool oldReportFormat, platform::Platform& ui,
               RecordFileSettings files, ListWindowRunner& lists, QWidget* parent = nullptr);
  ~TCamParmsDlg() override;
  QMenu* FileMenu() const { return fileMenu_; }
  /// 0 name, 1 pixel width, 2 pixel height, 3 image width, 4 image height,
  /// 5 aperture, 6 focal length, 7 timing error.
  QLineEdit* Field(int index) const { return edits_[index]; }
  QRadioButton* FilterButton(int code) const { return filters_[code]; }
  QRadioButton* DefaultValues() const { return default_; }
  QRadioButton* CurrentValues() const { return current_; }
  QCheckBox* Inverted() const { return inverted_; }

  void accept() override;

 private:
  void Load();
  void Store();
  std::unique_ptr<CamParmsLogic> logic_;
  QLineEdit* edits_[8] = {};
  QRadioButton* filters_[9] = {};
  QRadioButton* default_ = nullptr;
  QRadioButton* current_ = nullptr;
  QCheckBox* inverted_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  bool loading_ = false;
};

class TSiteParmsDlg : public QDialog {
  Q_OBJECT
 public:
  TSiteParmsDlg(SiteRecord& record, platform::Platform& ui, RecordFileSettings stations,
                const std::string& obsCodesFile, ListWindowRunner& lists, QWidget* parent = nullptr);
  ~TSiteParmsDlg() override;
  QMenu* FileMenu() const { return fileMenu_; }
  /// 0 name, 1 code, 2 telescope, 3-5 longitude d m s, 6-8 latitude d m s,
  /// 9 altitude, 10 time zone, 11 telescope ID.
  QLineEdit* Field(int index) const { return edits_[index]; }
  QRadioButton* West() const { return west_; }
  QRadioButton* East() const { return east_; }
  QRadioButton* North() const { return north_; }
  QRadioButton* South() const { return south_; }

  /// Runs the opening check, then the dialog.
  int exec() override;
  void accept() override;

 private:
  void Load();
  void Store();
  std::unique_ptr<SiteParmsLogic> logic_;
  QLineEdit* edits_[12] = {};
  QRadioButton *west_ = nullptr, *east_ = nullptr, *north_ = nullptr, *south_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  bool loading_ = false;
};

}  // namespace skarvel::ui

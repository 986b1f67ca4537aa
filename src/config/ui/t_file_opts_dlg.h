// "File Name Options": four pages of file names, catalog and database paths
// and web addresses over FileOptionsLogic. A double click on a path or file
// field opens its chooser.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "config/options_dialogs.h"

class QLineEdit;
class QTabWidget;

namespace skarvel::ui {

class TFIleOptsDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `record` (null: exec() shows "No Options Assigned!").
  TFIleOptsDlg(OptionsRecord* record, platform::Platform& ui, QWidget* parent = nullptr);
  ~TFIleOptsDlg() override;

  int exec() override;
  void accept() override;

  QTabWidget* Pages() const { return pages_; }
  /// The edit field of FileOptionFields()[index].
  QLineEdit* Field(std::size_t index) const { return edits_[index]; }
  /// The edit field with that object name ("GSCPath1Ed", ...), or null.
  QLineEdit* Field(const char* name) const;
  FileOptionsLogic* Logic() const { return logic_.get(); }
  /// What a double click on field `index` does.
  void DoubleClicked(std::size_t index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadBack();

  OptionsRecord* record_;
  platform::Platform& ui_;
  std::unique_ptr<FileOptionsLogic> logic_;
  QTabWidget* pages_ = nullptr;
  std::vector<QLineEdit*> edits_;
};

}  // namespace skarvel::ui

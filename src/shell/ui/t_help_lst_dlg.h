// "Select Help Topic": the topic list dialog, a thin view of HelpListDialogLogic.
#pragma once

#include <QDialog>

#include "astrometry/info_list.h"
#include "platform/platform.h"
#include "shell/help_list.h"

class QAction;
class QFont;
class QListWidget;
class QMenuBar;

namespace skarvel::ui {

class TGetSrchStrDlg;

/// The measures the help windows size themselves by: text widths and the line
/// height in `font`, and the primary screen's available width (1280 without a
/// screen).
TextMetrics MetricsOfFont(const QFont& font);

/// The dialog's menu "&Topics" holds "Find &Topic..." (FindTopic1), "&Read/Print
/// Topic..." (ReadPrintTopic1, also a double click on the list) and "&Close
/// Help Topics" (CloseHelpTopics1). It stays on top of the other windows.
class THelpLstDlg : public QDialog, public ListDialogs {
  Q_OBJECT
 public:
  THelpLstDlg(platform::Platform& ui, SearchDialogState& search, QWidget* parent = nullptr);

  /// Shows the dialog modally on an activated logic; true when it closed with OK.
  bool Run(HelpListDialogLogic& logic);
  /// The measures of the list box's font on this screen.
  TextMetrics Metrics() const;

  QListWidget* ListBox() const { return box_; }
  QAction* Action(const QString& name) const;
  /// The search dialog of the window.
  TGetSrchStrDlg* SearchDialog() const { return searchDlg_; }

  // ListDialogs
  SearchStart AskSearch(const std::string& caption, SearchDialogState& state) override;
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }

 protected:
  void reject() override;

 private:
  void Command(const QString& name);
  void Sync();

  platform::Platform& ui_;
  SearchDialogState& search_;
  HelpListDialogLogic* logic_ = nullptr;
  QMenuBar* bar_;
  QListWidget* box_;
  TGetSrchStrDlg* searchDlg_;
  bool syncing_ = false;
};

}  // namespace skarvel::ui

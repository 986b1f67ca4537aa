// The help text window `THelpWin`: a thin view of the help system's window logic.
#pragma once

#include <QMainWindow>
#include <functional>

#include "astrometry/info_list.h"
#include "shell/help_system.h"

class QAction;
class QListWidget;
class QPainter;
class QPrinter;

namespace skarvel::ui {

class TGetSrchStrDlg;

/// Menus: "&Topic" with "&Print Topic..." (PrintTopic1), "&Search Text..."
/// (SearchText1), "Show Help &Topics..." (ShowHelpTopics1) and "&Close Topic
/// Window" (CloseTopicWindow1), and "&Back" (Back1) on the bar. A double click
/// on a line follows it as a related topic. The window stays on top.
class THelpWin : public QMainWindow, public ListDialogs {
  Q_OBJECT
 public:
  THelpWin(HelpSystem& help, platform::Platform& ui, QWidget* parent = nullptr);
  ~THelpWin() override;

  /// Where a printout takes the date, the table number and the names from.
  void SetPrintSettings(std::function<HelpPrintSettings()> source) { printSettings_ = std::move(source); }
  /// Replaces the print dialog (the main window's): prepares the printer, false to cancel.
  void SetPrintDialog(std::function<bool(QPrinter&)> dialog) { printDialog_ = std::move(dialog); }

  /// Shows the window (modal over a modal dialog that is open, so that it can
  /// be used), brings it to the front and redraws it from the logic.
  void Present();
  /// Redraws lines, selection, caption, size and menu states from the logic.
  void Refresh();
  /// Runs a menu command as if it had been chosen.
  void RunCommand(const QString& name);
  /// The printout on an already prepared printer; false when it could not start.
  bool PrintTo(QPrinter& printer);
  /// Draws the one page of the printout with `painter` on a page
  /// `pageHeight` pixels high at `resolution` dots per inch.
  void PaintPage(QPainter& painter, int pageHeight, int resolution, bool landscape);

  QListWidget* ListBox() const { return box_; }
  QAction* Action(const QString& name) const;
  TextMetrics Metrics() const;
  TGetSrchStrDlg* SearchDialog() const { return searchDlg_; }

  // ListDialogs
  SearchStart AskSearch(const std::string& caption, SearchDialogState& state) override;
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Print();

  HelpSystem& help_;
  platform::Platform& ui_;
  QListWidget* box_;
  TGetSrchStrDlg* searchDlg_;
  std::uint64_t shownVersion_ = ~std::uint64_t{0};
  bool syncing_ = false;
  std::function<HelpPrintSettings()> printSettings_;
  std::function<bool(QPrinter&)> printDialog_;
};

}  // namespace skarvel::ui

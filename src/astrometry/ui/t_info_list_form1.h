// The text-list window from which every list window derives.
//
// A thin view of an InfoList: the menu bar drawn from the list's menu model,
// the lines in a fixed-pitch list box, and the window's own dialogs (search,
// line editor, print). Every command goes to InfoList::Run; printing and
// closing are done here.
//
// A derived window (the report, camera, site, scope, orbit and ephemeris
// lists) passes its own InfoList subclass, which shows the hidden menus and
// items it uses and overrides the hooks; it may add menu items to the model
// before the window is built (or call RebuildMenus afterwards) and override
// RunCommand for commands that need the window itself.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <functional>
#include <optional>
#include <string>

#include "astrometry/info_list.h"
#include "platform/platform.h"

class QAction;
class QListWidget;
class QMenu;
class QPainter;
class QPrinter;

namespace skarvel::ui {

class TGetSrchStrDlg;

/// A fixed-pitch font of `family` at `pixelSize` pixels (or `pointSize`
/// points with PrintFixedPitchFont). When the family is not installed, "DejaVu
/// Sans Mono" stands in, and when that is missing too, the system's fixed font.
QFont FixedPitchFont(const QString& family, int pixelSize);
QFont PrintFixedPitchFont(const QString& family, int pointSize);

/// Draws one printed page: each line at (margin + indent, row * lineHeight),
/// its text top-aligned in the row.
void DrawPrintedPage(QPainter& painter, const PrintedPage& page, int margin, int lineHeight);

/// What the window takes from its owner at each command.
struct InfoListSettings {
  std::string reportDir;  ///< `ReportDir`, the default folder of "As &Displayed..."
  std::string userLine;   ///< first line of the user record of the options working copy
  double now = 0;         ///< the current date-time value, for the printout
  std::string errorCaption = "Skarvel";  ///< caption of the general error report
};

class TInfoListForm1 : public QMainWindow, public ListDialogs {
  Q_OBJECT
 public:
  /// The window on `list`; `search` is the state of the search dialog shared
  /// with the other list windows and the help window. Both must outlive the window.
  TInfoListForm1(InfoList& list, platform::Platform& ui, SearchDialogState& search, QWidget* parent = nullptr);
  ~TInfoListForm1() override;

  /// Where the window takes its settings from; by default an empty report
  /// folder and user line and the system clock.
  void SetSettingsSource(std::function<InfoListSettings()> source) { settings_ = std::move(source); }
  /// Replaces the print dialog: it prepares the printer and returns false to
  /// cancel. By default the platform's print dialog.
  void SetPrintDialog(std::function<bool(QPrinter&)> dialog) { printDialog_ = std::move(dialog); }

  /// Uses `dialog` (owned elsewhere, e.g. the one the help window uses) as the
  /// search dialog instead of a dialog of its own.
  void SetSearchDialog(TGetSrchStrDlg* dialog) { searchDlg_ = dialog; }
  /// The search dialog the window uses (made on first use when none was given).
  TGetSrchStrDlg* SearchDialog();

  /// Sizes the window to its lines (ListWindowSize), shows it, brings it to
  /// the front and activates the list (InfoList::Activate).
  void ShowList();
  /// Redraws the lines when they changed, the selection, the title and the menu states.
  void Refresh();
  /// Rebuilds the menu bar from the list's menu model (after items were added).
  void RebuildMenus();
  /// Runs a menu command as if it had been chosen (when it is available).
  virtual void RunCommand(const QString& name);
  /// The printout on an already prepared printer: job title, pages, fonts.
  /// Returns false when the printer could not be started.
  bool PrintTo(QPrinter& printer);

  InfoList& List() { return list_; }
  QListWidget* ListBox() const { return box_; }
  QAction* Action(const QString& name) const { return actions_.value(name, nullptr); }
  QMenu* Menu(const QString& name) const { return menus_.value(name, nullptr); }
  /// Line height of the list box in pixels.
  int LineHeight() const;

  // ListDialogs
  SearchStart AskSearch(const std::string& caption, SearchDialogState& state) override;
  std::optional<std::string> AskEditLine(const std::string& line) override;

 protected:
  /// The context of one command.
  ListCommandContext Context(const InfoListSettings& settings);
  InfoListSettings Settings() const { return settings_(); }
  /// "&Print...": the print dialog, then the printout with the busy cursor and the window disabled.
  void Print();

 private:
  void AddItems(QMenu* menu, const ListMenuItem& item);
  void SyncLines();
  void SyncMenus();

  InfoList& list_;
  platform::Platform& ui_;
  SearchDialogState& search_;
  QListWidget* box_;
  TGetSrchStrDlg* searchDlg_ = nullptr;
  QMap<QString, QAction*> actions_;
  QMap<QString, QMenu*> menus_;
  std::uint64_t shownVersion_ = ~std::uint64_t{0};
  int scrollWidth_ = 0;
  std::function<InfoListSettings()> settings_;
  std::function<bool(QPrinter&)> printDialog_;
};

}  // namespace skarvel::ui

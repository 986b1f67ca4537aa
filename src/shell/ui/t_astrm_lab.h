// The main window: menu bar drawn from the session's menu model, the client
// area (logo, title or work screen) and the pop-up menu.
#pragma once

#include <QCursor>
#include <QImage>
#include <QMainWindow>
#include <QMap>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "astrometry/chart_content.h"
#include "astrometry/info_list.h"
#include "astrometry/known_objects.h"
#include "catalogs/b1_cat.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/zone_readers.h"
#include "orbits/chart_form.h"
#include "shell/astrm_lab.h"

class QAction;
class QMenu;

namespace skarvel::ui {

class MotionWindows;
class OrbitWindows;
class TBlinkForm1;
class THelpLstDlg;
class THelpWin;
class TGSCForm1;
class TAstrmLab;
class TImageForm1;
class TMeasurement;
class TMovingForm1;
class TTrackSeriesForm;
struct ImageWindowHost;
struct ReferenceFieldLink;
class ReportViews;

/// The cross-hair cursor of the image and reference windows: the cursor file
/// when it can be read, else the standard cross.
QCursor CrossHairCursor(const QString& path);

/// The client area: the logo, the title picture or the work screen.
class TClientArea : public QWidget {
  Q_OBJECT
 public:
  TClientArea(AstrmLab& lab, TAstrmLab& window);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  AstrmLab& lab_;
  TAstrmLab& window_;
  QImage logo_;
  QImage title_;
  bool titleRead_ = false;
};

class TAstrmLab : public QMainWindow {
  Q_OBJECT
 public:
  /// Builds the window around a session that has been created (AstrmLab::Create).
  explicit TAstrmLab(AstrmLab& lab, QWidget* parent = nullptr);
  ~TAstrmLab() override;

  /// Applies the model's visible, enabled and checked states to the menus.
  void SyncMenus();
  /// The action of a menu component (a submenu's menu action), or null.
  QAction* Action(const QString& name) const { return actions_.value(name, nullptr); }
  QMenu* Menu(const QString& name) const { return menus_.value(name, nullptr); }
  QMenu* PopupMenu() const { return popup_; }
  TClientArea* ClientArea() const { return client_; }
  /// The windows of the orbit commands (ephemeris and results lists, chart box).
  OrbitWindows* Orbits() const { return orbitWindows_.get(); }
  MotionWindows* Motion() const { return motionWindows_.get(); }
  /// Shows the pop-up menu for a right-button release at `clientPos`.
  void ShowPopup(const QPoint& clientPos);
  /// Runs a menu command as if it had been chosen.
  void RunCommand(const QString& name);
  /// The status line below the client area: what the last orbit selection
  /// loaded (nothing is shown before one).
  void ShowStatusLine();
  /// The About box.
  void ShowAbout();
  /// The cross-hair cursor registered at start for the measuring windows.
  const QCursor& CrossHair() const { return crossHair_; }
  /// The image window of a slot (0..3), or null before its first image.
  TImageForm1* ImageWindow(int slot) const { return imageWindows_[static_cast<std::size_t>(slot)].get(); }
  /// The measurement running (or last run), or null.
  TMeasurement* Measurement() const { return measurement_.get(); }
  /// The help text window and the topic list dialog (made with the window).
  THelpWin* HelpWindow() const { return helpWin_.get(); }
  THelpLstDlg* HelpListDialog() const { return helpListDlg_.get(); }
  /// The blink window, or null before the first "&Blink...".
  TBlinkForm1* BlinkWindow() const { return blink_.get(); }
  /// The "Moving Objects" window, or null before the first "Find Moving &Objects...".
  TMovingForm1* MovingWindow() const { return moving_.get(); }
  /// The "Track and Stack" window, or null before the first "Track and &Stack...".
  TTrackSeriesForm* TrackSeriesWindow() const { return track_.get(); }

  // Replaceable dialogs of the measurement (tests answer them).
  /// "Observation Parameters - " + mode on a record; true on OK.
  std::function<bool(ObsParams&, const std::string& mode, bool checkOnOk)> runObsParams;
  /// The reference-field window of a measurement of `slot`, built anew when
  /// `newField` (shown on the left half of the screen).
  std::function<ReferenceFieldLink(int slot, bool newField)> showReferenceField;
  /// The report window's views (the window itself once a report text was shown).
  ReportViews& Reports() const { return *reportViews_; }
  /// "Enter/Verify Field Parameters" on the session's request; true on OK (tests answer it).
  std::function<bool(FieldRequest&)> runFieldParameters;
  /// The reference-field window, or null before the first measurement or chart.
  TGSCForm1* ReferenceWindow() const { return referenceWindow_.get(); }
  /// The field star list and regions table of the session.
  GSCFieldObj& Field();
  /// The observation time (Julian date) the last reference field was read for.
  long double FieldTime() const { return fieldTime_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddItems(QMenu* menu, const MenuItem& item);
  void SetImageWindowViews(AstrmLabViews& views);
  void SetBlinkViews(AstrmLabViews& views);
  /// "Find Moving &Objects..." over slots 0 .. last: the window built anew and searched.
  /// The selection dialog and the magnifier of the running measurement placed beside the reference window.
  void PlaceMeasurementWindows(TImageForm1& form, bool showMagnifier);
  void ShowMovingObjects(int last);
  /// "Track and &Stack...": the window made on the first call and shown (shell/ui/track_views.cpp).
  void ShowTrackSeries();
  /// The known-object search over the options' converted MPC orbit file from
  /// the options' site; none when that file is not converted or missing.
  std::optional<KnownSearch> OptionsKnownSearch();
  void SetMeasurementViews(AstrmLabViews& views);
  /// The help window and the topic list dialog, handed to the help system.
  void MakeHelpWindows();
  void AddMeasurementHost(ImageWindowHost& host);
  bool ObsParamsDialog(ObsParams& record, const std::string& mode, bool checkOnOk);
  bool FieldParametersDialog(FieldRequest& request, int slot);
  /// "Software Options" on the OptsObj's record (shell/ui/options_views.cpp).
  OptionsDialogResult OptionsDialog(OptsObj& opts);
  /// "&Change" of the field parameters dialog: "Set Star Catalog Options" on a copy.
  std::optional<OptionsRecord> ChangeCatalogOptions(const OptionsRecord& copy);
  bool LoadField(const FieldRequest& request, long double julianDate);
  TGSCForm1& MakeReferenceWindow();
  ReferenceFieldLink LinkReferenceWindow();
  void ShowChart(const ChartContent& content, const ChartFieldParameters& field);

  AstrmLab& lab_;
  TClientArea* client_;
  QMenu* popup_ = nullptr;
  QMap<QString, QAction*> actions_;
  QMap<QString, QMenu*> menus_;
  std::unique_ptr<OrbitWindows> orbitWindows_;
  std::unique_ptr<MotionWindows> motionWindows_;
  QCursor crossHair_;
  SearchDialogState search_;
  std::array<std::unique_ptr<TImageForm1>, AstrmLab::kSlots> imageWindows_;
  std::unique_ptr<TMeasurement> measurement_;
  std::unique_ptr<TBlinkForm1> blink_;
  std::unique_ptr<TMovingForm1> moving_;
  std::unique_ptr<TTrackSeriesForm> track_;
  std::unique_ptr<GSCRgnsTblObj> regions_;
  std::unique_ptr<GSCFieldObj> field_;
  std::unique_ptr<B1CatObj> online_;  ///< the on-line catalogs; keeps its last answer for the run
  std::unique_ptr<ZoneCatalogReaders> zoneReaders_;  ///< created on the first field load
  std::unique_ptr<TGSCForm1> referenceWindow_;
  ChartContent chart_;
  bool chartKept_ = false;
  long double fieldTime_ = 0;
  bool fieldFailureTold_ = false;
  std::unique_ptr<ReportViews> reportViews_;
  std::unique_ptr<THelpLstDlg> helpListDlg_;
  std::unique_ptr<THelpWin> helpWin_;
};

}  // namespace skarvel::ui

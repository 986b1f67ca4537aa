// The orbit side of the main window: the one current set of orbital elements,
// the ephemeris parameters and table with their report window, the field
// search with its results window, the chart dialog, and the commands of the
// "Orbit &Search" and "&Ephemeris" menus that use them.
//
// AstrmLab owns one OrbitSession and adds its commands to the command table;
// the GUI hands it the windows through OrbitViews (AstrmLabViews::orbits).
//
// Usage (tests and the window alike):
//   lab.Run("SearchDatabase1");   // search dialog, search, "Search Completed!"
//   lab.Run("ShowSearchResults1");
//   lab.Orbits().LoadResult(line);  // the results window's double click
//   lab.Run("GenEphem1");          // parameters, generation, report window
//   lab.Run("CreateChart1"); lab.Orbits().ChartOk(); ... -> views.showChart
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "astrometry/chart_content.h"
#include "config/observer_records.h"
#include "foundations/record_list.h"
#include "orbits/chart_form.h"
#include "orbits/comet_listing.h"
#include "orbits/element_form.h"
#include "orbits/ephemeris.h"
#include "orbits/ephemeris_form.h"
#include "orbits/orbit_fit_form.h"
#include "orbits/orbit_lists.h"
#include "orbits/orbit_search.h"
#include "orbits/orbit_statistics.h"
#include "orbits/record_finder.h"
#include "orbits/search_form.h"

namespace skarvel {

class AstrmLab;

/// The windows and dialogs of the orbit commands. Every member may be absent;
/// a command then goes without that window.
struct OrbitViews {
  /// "Ephemeris Generation Parameters" on the logic: true on OK.
  std::function<bool(EphemerisDialogLogic&)> ephemerisDialog;
  /// The search dialog `TOrbSrchDlg1` on the logic: true on OK.
  std::function<bool(SearchDialogLogic&)> searchDialog;
  /// The site dialog on the record, to confirm the site before an altitude test: true on OK.
  std::function<bool(SiteRecord&)> confirmSite;
  /// The centre of the plate solution of image slot 0..3 (right ascension in
  /// hours, declination in degrees), or nothing when the image is not solved.
  std::function<std::optional<ChartPosition>(int slot)> solvedCentre;
  /// The ephemeris report window (EphemerisList): show (redrawn) or hide.
  std::function<void()> showEphemerisList;
  std::function<void()> hideEphemerisList;
  /// The results window (SearchResultsList): show (redrawn) or hide.
  std::function<void()> showSearchResults;
  std::function<void()> hideSearchResults;
  /// Redraws the results window when it is shown (after a new search).
  std::function<void()> refreshSearchResults;
  /// The chart dialog `TChrtCntrlBox` on the logic: shown (or redrawn after a
  /// step) without blocking the list windows; closeChartDialog hides it.
  std::function<void(ChartControlLogic&)> chartDialog;
  std::function<void()> closeChartDialog;
  /// The observation report list: shown for picking a chart centre, the
  /// observation under its selected line (nothing for another line), closed on Cancel.
  std::function<void()> showObservationList;
  std::function<std::optional<std::size_t>()> selectedObservation;
  std::function<void()> closeObservationList;
  /// A reference-field window that is not kept is discarded before a chart.
  std::function<void()> discardReferenceWindow;
  /// The reference-field window opens in chart mode: what to draw and the field to draw it in.
  std::function<void(const ChartContent& content, const ChartFieldParameters& field)> showChart;
  /// "Orbital Elements" (`TOrbElForm1`) on the logic (its list runner set by the view): true on OK.
  std::function<bool(ElementDialogLogic&)> elementsDialog;
  /// "Find Asteroid Orbit Record" (`TAstOrbFlDlg`) on an open finder: true when it closed with OK.
  std::function<bool(RecordFinder&)> recordFinder;
  /// "Search Comet Orbit File" (`TCometSrchDlg1`) on the logic: true on OK.
  std::function<bool(CometSearchDialogLogic&)> cometSearchDialog;
  /// The comet listing window: show (redrawn) or hide.
  std::function<void()> showCometResults;
  std::function<void()> hideCometResults;
  /// A list window shown modally (the comet picker).
  std::function<void(RecordChoiceList&)> runList;
  /// The "MPC Asteroid Database Orbit Statistics" window: show (redrawn).
  std::function<void()> showStatistics;
  /// "Determine Orbit" on the logic, with the saved-orbits file and what
  /// "&Use Elements" does with the fitted orbit.
  std::function<void(OrbitFitFormLogic&, const std::string& savedOrbitsPath,
                     const std::function<void(const CurrentElements&)>& useElements)>
      orbitFitWindow;
};

class OrbitSession {
 public:
  explicit OrbitSession(AstrmLab& lab);
  OrbitSession(const OrbitSession&) = delete;
  OrbitSession& operator=(const OrbitSession&) = delete;

  void SetViews(OrbitViews views) { views_ = std::move(views); }
  /// The views in use, for a hook set after the window was built (showChart, solvedCentre).
  OrbitViews& Views() { return views_; }
  /// Adds the menu commands (SearchDatabase1, SearchMPCDatabase1,
  /// SearchTARNEOrbitFile1, ShowSearchResults1, GenEphem1, ViewEphText1,
  /// CreateChart1, FINDORBFile1, ElemEdit1).
  void AddCommands(std::map<std::string, std::function<void()>>& commands);

  // ---- commands ----
  /// "Search &Lowell Database...", "Search &MPC Database...", "Search &TARNE
  /// Orbit File...": the work screen, the search dialog captioned "Search " +
  /// the source's name, then (on OK) the database located and, when usable,
  /// scanned with the progress window. "&View/Print/Select Results..." is
  /// enabled when results exist and the source's item is checked.
  void SearchDatabase(ElementSource source);
  /// "&View/Print/Select Results...": the results window, its report built
  /// after a new search (kept otherwise).
  void ShowSearchResults();
  /// The results window's double click on report line `line`: that result
  /// becomes the current elements (see NoteOrbitSelected); a header line
  /// loads nothing, a line past the results beeps.
  /// @return true when elements were loaded.
  bool LoadResult(int line);
  /// "&Generate Ephemeris...": the parameters dialog, the table (a Kepler
  /// failure is always shown and leaves the report unshown), the report
  /// window; "&Generate Ephemeris..." checked and the report's
  /// "&View/Print/Save Text..." enabled.
  void GenerateEphemeris();
  /// "&View/Print/Save Text..." of the Ephemeris menu: the report window again.
  void ViewEphemerisText();
  /// "Create &Chart..." (and the report window's "&Chart" with the ephemeris
  /// ticked): the work screen, an unkept reference window discarded, the chart dialog.
  void CreateChart(bool ephemerisPreselected);
  /// The report window's "&Chart": the chart dialog with "Plot Measured
  /// Positions " ticked and "Plot Generated Ephemeris" cleared; the report
  /// window stays open when the dialog is cancelled.
  void ChartMeasuredPositions();
  /// OK of the chart dialog; true when the dialog closes.
  bool ChartOk();
  /// Cancel of the chart dialog: it closes, and so does the list it opened.
  void ChartCancel();

  /// "FIND_ORB &File...": the open dialog "Select FIND_ORB Elements File for
  /// Load" in `FindOrbDir` with `FindOrbFileName`; a file that loads becomes
  /// the current elements (source "FIND_ORB Generated"), its folder and name
  /// are remembered and the main window shows the elements view.
  void LoadFindOrbFile();
  /// "&Lowell Database...", "&MPC Database...", "&TARNE Orbit File...": the
  /// database located (its message when it is not usable), then the record
  /// finder; a record taken is an orbit selection.
  void FindRecord(ElementSource source);
  /// "Search MPC &Comet File...": the instant dialog, the comet file read
  /// once, every comet's place, and the listing window.
  void SearchComets();
  /// A double click on line `line` of the comet listing: that comet becomes current.
  bool LoadComet(int line);
  /// "MPC &Comet File...": the comet picker; the comet chosen becomes current.
  void PickComet();
  /// "Orbit &Statistics (MPC)": the MPC database counted by orbit group (on
  /// the first run; later runs show the window again).
  void OrbitStatistics();

  /// "&Edit/Save/Retrieve...": the "Orbital Elements" dialog; OK (or a saved
  /// orbit taken from its "&File..." pop-up) is an orbit selection.
  void EditElements();

  /// "Determine Orbit...": the orbit determination window on the report's
  /// observations (or a file), the user's site standing in for its code;
  /// "&Use Elements" is an orbit selection.
  void DetermineOrbit();
  OrbitFitFormLogic* OrbitFit() { return orbitFit_.get(); }

  /// The menus after a successful orbit selection: "&Generate Ephemeris..."
  /// enabled and unchecked, the ephemeris "&View/Print/Save Text..."
  /// disabled, "Orbital &Elements" checked, the ephemeris and results windows
  /// hidden, the work screen.
  void NoteOrbitSelected();

  // ---- state ----
  /// The main window's status line after the last orbit selection from the
  /// search results ("Orbital elements of (433) Eros loaded from the search
  /// results."); empty before one.
  const std::string& StatusLine() const { return statusLine_; }
  CurrentElements& Current() { return current_; }
  EphemerisParams& EphemerisParameters() { return ephemerisParams_; }
  RecordList<EphemerisRecord>& Table() { return table_; }
  TAstOrbFlSrch& FieldSearch() { return search_; }
  EphemerisList& EphemerisWindow() { return ephemerisList_; }
  SearchResultsList& ResultsWindow() { return resultsList_; }
  ChartControlLogic& ChartDialog() { return chart_; }
  ElementDialogLogic& ElementDialog() { return elementDialog_; }
  CometResultsList& CometWindow() { return cometResults_; }
  InfoList& StatisticsWindow() { return statistics_; }
  /// The comet file, once read.
  CometFileObj* Comets() { return comets_.get(); }
  DateTimeObj& CometInstant() { return cometInstant_; }
  /// The chart made last (its centre serves the search dialog's image items).
  const std::optional<ChartField>& LastChart() const { return lastChart_; }
  /// The converted file of the last search, from which results are loaded.
  const std::string& SearchedFile() const { return searchedFile_; }
  /// What "Image&n" takes from slot 0..3: the observation time and pointing
  /// of a FITS header (other images: the current observation parameters' time
  /// and no pointing), the plate solution's centre when solved, and the
  /// current field size (arc minutes). Nothing for an empty slot.
  std::optional<ImageFieldInfo> ImageField(int slot);
  /// The loaded images' time: the earliest observation time of the loaded
  /// slots (ImageField) as a UTC Julian date; nothing when no slot holds an
  /// image with a time. The search and ephemeris dialogs start there (in TT)
  /// whenever it differs from the time they were last started at.
  std::optional<long double> ImagesTimeUtc();

 private:
  void OpenChartDialog(bool ephemerisPreselected, bool observationsPreselected);
  const SiteRecord& Site() const;
  std::string ReportFolder() const;
  /// The converted file of a source, located through the orbit file objects;
  /// `usable` false when there is none. A cancelled conversion ends the command (nullopt).
  struct Located {
    std::string path;
    bool usable = false;
  };
  std::optional<Located> Locate(ElementSource source);
  /// The comet file, read on first use; null when it cannot be read (its message shown).
  CometFileObj* CometFile();

  AstrmLab& lab_;
  OrbitViews views_;
  CurrentElements current_;
  EphemerisParams ephemerisParams_;
  RecordList<EphemerisRecord> table_;
  TAstOrbFlSrch search_;
  EphemerisList ephemerisList_;
  SearchResultsList resultsList_;
  ChartControlLogic chart_;
  ElementDialogLogic elementDialog_;
  std::unique_ptr<OrbitFitFormLogic> orbitFit_;
  std::unique_ptr<CometFileObj> comets_;
  CometResultsList cometResults_;
  /// The comet listing came after the last field search: "&View/Print/Select Results..." shows it.
  bool cometsListedLast_ = false;
  DateTimeObj cometInstant_;
  InfoList statistics_;
  bool statisticsBuilt_ = false;
  std::optional<ChartField> lastChart_;
  bool chartFromReport_ = false;  ///< the chart dialog came from the report window's "&Chart"
  bool chartFromObservationList_ = false;  ///< the chart dialog came from the observation report's "&Chart"
  std::string searchedFile_;
  std::string statusLine_;
  /// The images' time (UTC Julian date) put into the search and the ephemeris start last.
  std::optional<long double> searchImagesTime_;
  std::optional<long double> ephemerisImagesTime_;
};

}  // namespace skarvel

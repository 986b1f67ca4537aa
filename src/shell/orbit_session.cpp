#include "shell/orbit_session.h"

#include <cmath>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/time_scales.h"
#include "images/fits_file.h"
#include "orbits/convert_commands.h"
#include "orbits/download_commands.h"
#include "orbits/find_orb.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_fit_report.h"
#include "astrometry/report_formats.h"
#include "orbits/saved_orbits.h"
#include "shell/astrm_lab.h"

namespace skarvel {

namespace {

/// The search items of the Orbit Search menu, by source (the comet file has its own search).
const char* SearchItem(ElementSource source) {
  switch (source) {
    case ElementSource::kMpc: return "SearchMPCDatabase1";
    case ElementSource::kCometFile: return "SearchMPCCometFile1";
    case ElementSource::kTarne: return "SearchTARNEOrbitFile1";
    default: return "SearchDatabase1";
  }
}

/// Starts `instant` at the images' time (TT) when the images' time is new to
/// it (`applied` is the one put there last); true when `instant` shows it.
bool StartAtImagesTime(DateTimeObj& instant, const std::optional<long double>& imagesUtc,
                       std::optional<long double>& applied) {
  if (!imagesUtc) return false;
  const long double tt = UtcToTT(*imagesUtc);
  if (!applied || *applied != *imagesUtc) {
    instant.tzOffset = 0;
    instant.SetJD(tt);
    applied = imagesUtc;
  }
  // Within a millisecond: the instant goes through a date-time value.
  return std::fabs(instant.GetJD() - tt) * kSecondsPerDay < 0.001L;
}

std::int32_t CurrentYear() {
  DateTimeObj now;
  now.SetDateTime(CurrentDateTimeValue());
  return now.year;
}

}  // namespace

OrbitSession::OrbitSession(AstrmLab& lab)
    : lab_(lab),
      ephemerisParams_(DefaultEphemerisParams(CurrentDateTimeValue())),
      search_(SearchContext{lab.Ui(), DefaultSiteRecord(), false}),
      resultsList_(search_),
      elementDialog_(current_, lab.Ui()),
      statistics_(std::string(kOrbitStatisticsCaption)) {
  cometInstant_.SetDateTime(std::floor(CurrentDateTimeValue()) + 1);
  cometResults_.onLoad = [this](int line) { LoadComet(line); };
  ephemerisList_.onChart = [this] { CreateChart(true); };
  resultsList_.onLoad = [this](int line) { LoadResult(line); };
}

void OrbitSession::AddCommands(std::map<std::string, std::function<void()>>& commands) {
  commands["SearchDatabase1"] = [this] { SearchDatabase(ElementSource::kLowell); };
  commands["SearchMPCDatabase1"] = [this] { SearchDatabase(ElementSource::kMpc); };
  commands["SearchTARNEOrbitFile1"] = [this] { SearchDatabase(ElementSource::kTarne); };
  commands["ShowSearchResults1"] = [this] { ShowSearchResults(); };
  commands["GenEphem1"] = [this] { GenerateEphemeris(); };
  commands["ViewEphText1"] = [this] { ViewEphemerisText(); };
  commands["CreateChart1"] = [this] { CreateChart(false); };
  commands["FINDORBFile1"] = [this] { LoadFindOrbFile(); };
  commands["ElemEdit1"] = [this] { EditElements(); };
  commands["DetermineOrbit1"] = [this] { DetermineOrbit(); };
  commands["ElemDatabase1"] = [this] { FindRecord(ElementSource::kLowell); };
  commands["MPCDatabase1"] = [this] { FindRecord(ElementSource::kMpc); };
  commands["TARNEOrbitFile1"] = [this] { FindRecord(ElementSource::kTarne); };
  commands["SearchMPCCometFile1"] = [this] { SearchComets(); };
  commands["MPCCometFile1"] = [this] { PickComet(); };
  commands["OrbitStatistics1"] = [this] { OrbitStatistics(); };
  commands["Lowell1"] = [this] { DownloadLowell(lab_.Ui(), lab_.Options()); };
  commands["MPC1"] = [this] { DownloadMPC(lab_.Ui(), lab_.Options()); };
  commands["ObsCodes1"] = [this] { DownloadObsCodes(lab_.Ui(), lab_.Options()); };
  // The download help goes through the help system's topic list.
  const auto showTopic = [this](const std::string& title) { return lab_.Help().ShowTopicByTitle(title); };
  commands["HelponLowelldownload1"] = [this, showTopic] { HelpOnDownload(lab_.Ui(), kLowellDownloadTopic, showTopic); };
  commands["HelponMPCdownload1"] = [this, showTopic] { HelpOnDownload(lab_.Ui(), kMpcDownloadTopic, showTopic); };
  commands["HelponCometFileDownload1"] = [this, showTopic] {
    HelpOnDownload(lab_.Ui(), kCometDownloadTopic, showTopic);
  };
}

const SiteRecord& OrbitSession::Site() const {
  AstrmLab& lab = lab_;
  if (lab.Report() != nullptr) return lab.Report()->site;
  return lab.Options().siteRecord;
}

std::string OrbitSession::ReportFolder() const {
  return lab_.reportDir.empty() ? lab_.Options().dataDir : lab_.reportDir;
}

std::optional<OrbitSession::Located> OrbitSession::Locate(ElementSource source) {
  OptionsRecord& options = lab_.Options();
  // A database found in a new folder keeps that folder in the options.
  const SaveFolderFn saveFolder = [this](OrbitDatabase database, const std::string& folder) {
    if (database == OrbitDatabase::kLowell)
      lab_.Options().astorbPath = folder;
    else
      lab_.Options().mpcOrbPath = folder;
    lab_.NoteOptionsChanged();
  };
  OrbitFiles files(OrbitFileContext{lab_.Ui(), options, saveFolder});
  Located found;
  try {
    OrbFileObj* file = nullptr;
    if (source == ElementSource::kLowell) {
      files.OpenLowell();
      file = files.Lowell();
    } else if (source == ElementSource::kMpc) {
      files.OpenMPC();
      file = files.Mpc();
    } else {
      files.OpenTARNE();
      file = files.Tarne();
    }
    if (file != nullptr) {
      found.path = file->ConvertedName();
      found.usable = file->ConvertedValid() && !found.path.empty() && fs::FileExists(found.path);
    }
  } catch (const ConversionCancelled&) {
    files.CloseOrbitFiles();
    return std::nullopt;
  }
  files.CloseOrbitFiles();
  return found;
}

void OrbitSession::SearchDatabase(ElementSource source) {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  SearchParams& params = search_.Params();
  params.source = source;
  if (!views_.searchDialog) return;
  SearchDialogSettings settings;
  settings.currentYear = CurrentYear();
  settings.expertMode = lab_.Options().expertMode;
  if (lastChart_) {
    settings.chartRaHours = lastChart_->field.centreRaHours;
    settings.chartDecDeg = lastChart_->field.centreDecDeg;
  }
  for (int k = 0; k < AstrmLab::kSlots; ++k)
    settings.imagesLoaded[static_cast<std::size_t>(k)] = lab_.Slots()[static_cast<std::size_t>(k)].Loaded();
  const auto confirmSite = [this]() {
    if (!views_.confirmSite || lab_.Report() == nullptr) return true;
    SiteRecord site = lab_.Report()->site;
    if (!views_.confirmSite(site)) return false;
    lab_.Report()->site = site;
    return true;
  };
  const auto images = ImagesTimeUtc();
  const bool atImages = StartAtImagesTime(params.instant, images, searchImagesTime_);
  SearchDialogLogic logic(params, settings, lab_.Ui(), confirmSite, [this](int slot) { return ImageField(slot); });
  if (atImages) logic.NoteImageTime(*images);
  if (!views_.searchDialog(logic)) return;

  const auto located = Locate(source);
  if (!located) return;
  search_.Context().site = Site();
  search_.Context().expertMode = lab_.Options().expertMode;
  const double databaseTime = FileDateTimeValue(located->path).value_or(0);
  if (!search_.Search(located->path, located->usable, source, databaseTime)) return;
  searchedFile_ = located->path;
  MenuModel& menus = lab_.Menus();
  for (ElementSource s :
       {ElementSource::kLowell, ElementSource::kMpc, ElementSource::kCometFile, ElementSource::kTarne})
    menus.SetChecked(SearchItem(s), s == source);
  menus.SetEnabled("ShowSearchResults1", search_.HasResults());
  cometsListedLast_ = false;
  resultsList_.Invalidate();
  if (search_.HasResults()) {
    resultsList_.Rebuild(ReportFolder());
    if (views_.refreshSearchResults) views_.refreshSearchResults();
  }
}

std::optional<ImageFieldInfo> OrbitSession::ImageField(int slot) {
  if (slot < 0 || slot >= AstrmLab::kSlots) return std::nullopt;
  const GraphicsFileObj* image = lab_.Slots()[static_cast<std::size_t>(slot)].image.get();
  if (image == nullptr) return std::nullopt;
  ImageFieldInfo info;
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(image)) {
    info.observationTime = fits->Header().observationTime;
    info.headerRaHours = fits->Header().ra;
    info.headerDecDeg = fits->Header().dec;
  } else {
    info.observationTime = lab_.currentObsParms.observationTime;
  }
  if (views_.solvedCentre) {
    if (const auto centre = views_.solvedCentre(slot)) {
      info.solved = true;
      info.solvedRaHours = centre->raHours;
      info.solvedDecDeg = centre->decDeg;
    }
  }
  info.fieldWidthArcMin = lab_.Options().fieldSize;
  return info;
}

std::optional<long double> OrbitSession::ImagesTimeUtc() {
  std::optional<double> earliest;
  for (int k = 0; k < AstrmLab::kSlots; ++k) {
    const auto info = ImageField(k);
    if (!info || info->observationTime == 0) continue;
    if (!earliest || info->observationTime < *earliest) earliest = info->observationTime;
  }
  if (!earliest) return std::nullopt;
  return DateTimeToDays(*earliest) + kJulianDateOffset;
}

void OrbitSession::ShowSearchResults() {
  // The comet listing, when it came last, is the result shown again.
  if (cometsListedLast_) {
    lab_.SetScreenMode(AstrmLab::kWorkScreen);
    if (views_.showCometResults) views_.showCometResults();
    return;
  }
  if (!search_.HasResults()) return;
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!resultsList_.Built()) resultsList_.Rebuild(ReportFolder());
  if (views_.showSearchResults) views_.showSearchResults();
}

bool OrbitSession::LoadResult(int line) {
  if (line < 0 || searchedFile_.empty()) return false;
  if (!search_.LoadResult(static_cast<std::size_t>(line), searchedFile_, current_)) return false;
  statusLine_ = "Orbital elements of " + ChartDesignation(current_.elements) + " loaded from the search results.";
  NoteOrbitSelected();
  return true;
}

void OrbitSession::LoadFindOrbFile() {
  platform::FileDialogRequest request;
  request.title = "Select FIND_ORB Elements File for Load";
  request.filter = "FIND_ORB Elements|*.*";
  request.defaultExtension = ".*";
  request.directory = lab_.findOrbDir;
  request.fileName = lab_.findOrbFileName;
  const auto chosen = lab_.Ui().OpenFiles(request);
  if (!chosen || chosen->empty()) return;
  const std::string& path = chosen->front();
  if (!LoadFindOrb(lab_.Ui(), path, current_)) return;
  lab_.findOrbDir = fs::DirectoryOf(path);
  lab_.findOrbFileName = fs::FileNameOf(path);
  lab_.orbitView = true;
  NoteOrbitSelected();
}

void OrbitSession::FindRecord(ElementSource source) {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!views_.recordFinder) return;
  const auto located = Locate(source);
  if (!located) return;
  RecordFinder finder(lab_.Ui());
  if (!located->usable ||
      !finder.Open(located->path, source, FileDateTimeValue(located->path).value_or(0))) {
    const DatabaseMissingMessage m = MissingDatabaseMessage(source);
    platform::Tell(lab_.Ui(), m.text, m.caption, platform::Icon::Error);
    return;
  }
  if (!views_.recordFinder(finder)) return;
  bool taken = false;
  finder.Ok(current_, &taken);
  if (taken) NoteOrbitSelected();
}

CometFileObj* OrbitSession::CometFile() {
  if (comets_ == nullptr || !comets_->Loaded())
    comets_ = std::make_unique<CometFileObj>(OrbitFileContext{lab_.Ui(), lab_.Options(), {}});
  return comets_->Loaded() ? comets_.get() : nullptr;
}

void OrbitSession::SearchComets() {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!views_.cometSearchDialog) return;
  CometSearchDialogLogic logic(cometInstant_, CurrentYear(), lab_.Ui());
  if (!views_.cometSearchDialog(logic)) return;
  CometFileObj* comets = CometFile();
  if (comets == nullptr) return;
  const long double jd = cometInstant_.GetJD();
  RecordList<SearchResult> results;
  {
    platform::BusyCursor busy(lab_.Ui());
    results = ListComets(*comets, jd);
  }
  cometResults_.Set(std::move(results), comets->FileDateTime(), jd, ReportFolder());
  MenuModel& menus = lab_.Menus();
  for (const char* item : {"SearchDatabase1", "SearchMPCDatabase1", "SearchTARNEOrbitFile1"}) menus.SetChecked(item, false);
  menus.SetChecked("SearchMPCCometFile1", true);
  cometsListedLast_ = true;
  menus.SetEnabled("ShowSearchResults1", true);
  if (views_.showCometResults) views_.showCometResults();
}

bool OrbitSession::LoadComet(int line) {
  if (comets_ == nullptr) return false;
  const int index = cometResults_.CometAtLine(line, lab_.Ui());
  if (index < 0 || !TakeComet(*comets_, index, current_)) return false;
  NoteOrbitSelected();
  if (views_.hideCometResults) views_.hideCometResults();
  return true;
}

void OrbitSession::PickComet() {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!views_.runList) return;
  CometFileObj* comets = CometFile();
  if (comets == nullptr) return;
  CometOrbListForm picker(*comets);
  views_.runList(picker);
  if (picker.Chosen() < 0 || !TakeComet(*comets, picker.Chosen(), current_)) return;
  NoteOrbitSelected();
}

void OrbitSession::OrbitStatistics() {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (!statisticsBuilt_) {
    const auto located = Locate(ElementSource::kMpc);
    if (!located) return;
    const DatabaseMissingMessage missing = MissingDatabaseMessage(ElementSource::kMpc);
    if (!located->usable) {
      platform::Tell(lab_.Ui(), missing.text, missing.caption, platform::Icon::Error);
      return;
    }
    const double date = FileDateTimeValue(located->path).value_or(0);
    OrbitStatisticsCounts counts;
    try {
      auto progress = lab_.Ui().OpenProgress("Asteroid Database Search",
                                             SearchProgressTitle(ElementSource::kMpc, located->path, date), 100, false);
      counts = CountOrbitStatistics(located->path, [&progress](std::int64_t read, std::int64_t total) {
        if (progress && total > 0) progress->SetPosition(100 * read / total);
      });
    } catch (const IOFailure&) {
      platform::Tell(lab_.Ui(), missing.text, missing.caption, platform::Icon::Error);
      return;
    }
    platform::Tell(lab_.Ui(), std::to_string(counts.records) + "   Records Searched.", "Search Completed!",
                   platform::Icon::Information);
    statistics_.SetLines(OrbitStatisticsReport(counts, DatabaseDateTime(counts.newestEpoch, date)));
    statistics_.SetTextFile(NumberedFileName(ReportFolder(), "STATS", ".TXT"), ReportFolder());
    statisticsBuilt_ = true;
  }
  if (views_.showStatistics) views_.showStatistics();
}

void OrbitSession::EditElements() {
  if (!views_.elementsDialog) return;
  ElementDialogLogic& logic = elementDialog_;
  logic.currentYear = CurrentYear();
  logic.savedOrbitsPath = SavedOrbitsPath(lab_.Options());
  bool taken = false;
  logic.onElementsTaken = [&taken] { taken = true; };
  logic.Fill();
  const bool ok = views_.elementsDialog(logic);
  logic.onElementsTaken = nullptr;
  if (ok || taken) NoteOrbitSelected();
}

void OrbitSession::DetermineOrbit() {
  if (!views_.orbitFitWindow) return;
  if (!orbitFit_) {
    orbitFit_ = std::make_unique<OrbitFitFormLogic>(lab_.Ui());
    // The observatory code list as the MPC names it, downloaded into the data folder.
    orbitFit_->codesPath = DefaultObsCodesPath(lab_.Options().dataDir);
  }
  std::vector<ReportObservation> observations;
  if (const AstromObsObj* report = lab_.Report()) {
    for (const ObservationRecord& obs : report->Observations()) {
      // The target's error estimates of its measurement (arc seconds on the sky).
      observations.push_back({ObservationLines80(obs, report->site), obs.target.resRA, obs.target.resDec});
    }
    orbitFit_->ownSite = SiteObservatoryCode(report->site);
  }
  orbitFit_->SetReportObservations(std::move(observations));
  views_.orbitFitWindow(*orbitFit_, SavedOrbitsPath(lab_.Options()), [this](const CurrentElements& fitted) {
    current_ = fitted;
    NoteOrbitSelected();
  });
}

void OrbitSession::NoteOrbitSelected() {
  elementDialog_.startBlank = false;
  MenuModel& menus = lab_.Menus();
  menus.SetEnabled("GenEphem1", true);
  menus.SetChecked("GenEphem1", false);
  menus.SetEnabled("ViewEphText1", false);
  menus.SetChecked("OrbitalElements1", true);
  if (views_.hideEphemerisList) views_.hideEphemerisList();
  if (views_.hideSearchResults) views_.hideSearchResults();
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
}

void OrbitSession::GenerateEphemeris() {
  if (!current_.valid || !views_.ephemerisDialog) return;
  if (current_.elements.centralBody != 0) {
    // The places are found about the Sun; an orbit about the Earth or the
    // Moon would give a wrong table.
    platform::Tell(lab_.Ui(), "Ephemerides can be computed for orbits about the Sun only.",
                   "Ephemeris Not Available", platform::Icon::Exclamation);
    return;
  }
  const auto images = ImagesTimeUtc();
  const bool atImages = StartAtImagesTime(ephemerisParams_.start, images, ephemerisImagesTime_);
  EphemerisDialogLogic logic(ephemerisParams_, CurrentYear(), lab_.Ui());
  if (atImages) logic.NoteImageTime(*images);
  if (!views_.ephemerisDialog(logic)) return;
  bool ok = false;
  {
    platform::BusyCursor busy(lab_.Ui());
    // Every calculation error of a generation is shown, expert mode or not.
    ok = skarvel::GenerateEphemeris(current_.elements, Site(), ephemerisParams_, table_,
                                    KeplerErrorReporter{&lab_.Ui(), false});
  }
  MenuModel& menus = lab_.Menus();
  if (!ok) {
    // The table stops at the last good point, and the report is not shown.
    menus.SetChecked("GenEphem1", false);
    menus.SetEnabled("ViewEphText1", false);
    ephemerisList_.Clear();
    return;
  }
  // Elements from the orbit determination: each place with its uncertainty.
  if (current_.fit) AddFitUncertainty(*current_.fit, Site(), table_);
  ephemerisList_.Build(EphemerisReport(current_, Site(), ephemerisParams_, table_), ReportFolder());
  menus.SetChecked("GenEphem1", true);
  menus.SetEnabled("ViewEphText1", true);
  if (views_.showEphemerisList) views_.showEphemerisList();
}

void OrbitSession::ViewEphemerisText() {
  if (ephemerisList_.Count() == 0) return;
  if (views_.showEphemerisList) views_.showEphemerisList();
}

void OrbitSession::CreateChart(bool ephemerisPreselected) {
  OpenChartDialog(ephemerisPreselected, false);
}

void OrbitSession::ChartMeasuredPositions() {
  OpenChartDialog(false, true);
}

void OrbitSession::OpenChartDialog(bool ephemerisPreselected, bool observationsPreselected) {
  lab_.SetScreenMode(AstrmLab::kWorkScreen);
  if (views_.discardReferenceWindow) views_.discardReferenceWindow();
  const bool hasObservations = lab_.Report() != nullptr && !lab_.Report()->Empty();
  chart_.Open(table_.Size() > 0, hasObservations, ephemerisPreselected, observationsPreselected);
  chartFromReport_ = ephemerisPreselected;
  chartFromObservationList_ = observationsPreselected;
  if (views_.chartDialog) views_.chartDialog(chart_);
}

bool OrbitSession::ChartOk() {
  std::optional<std::size_t> record;
  if (chart_.CurrentStep() == ChartControlLogic::Step::kIdentifyEphemeris) {
    record = ephemerisList_.SelectedRecord();
    if (record && *record >= table_.Size()) record.reset();
  } else if (chart_.CurrentStep() == ChartControlLogic::Step::kIdentifyObservation) {
    if (views_.selectedObservation) record = views_.selectedObservation();
    if (record && (lab_.Report() == nullptr || *record >= lab_.Report()->Count())) record.reset();
  }
  const long double size = lab_.Options().fieldSize;
  switch (chart_.Ok(lab_.Ui(), record)) {
    case ChartControlLogic::Action::kShowEphemeris:
      if (ephemerisList_.Count() == 0)
        ephemerisList_.Build(EphemerisReport(current_, Site(), ephemerisParams_, table_), ReportFolder());
      if (views_.showEphemerisList) views_.showEphemerisList();
      if (views_.chartDialog) views_.chartDialog(chart_);
      return false;
    case ChartControlLogic::Action::kShowObservations:
      if (views_.showObservationList) views_.showObservationList();
      if (views_.chartDialog) views_.chartDialog(chart_);
      return false;
    case ChartControlLogic::Action::kChartEphemeris:
      lastChart_ = EphemerisChart(table_, *record, current_.elements, ephemerisParams_, size);
      break;
    case ChartControlLogic::Action::kChartObservations:
      lastChart_ = ObservationChart(lab_.Report()->Observations(), *record, size);
      break;
    case ChartControlLogic::Action::kNone:
      if (chart_.CurrentStep() != ChartControlLogic::Step::kClosed) return false;
      if (views_.closeChartDialog) views_.closeChartDialog();
      return true;
  }
  if (views_.closeChartDialog) views_.closeChartDialog();
  if (views_.showChart) views_.showChart(lastChart_->content, lastChart_->field);
  return true;
}

void OrbitSession::ChartCancel() {
  const ChartControlLogic::Action opened = chart_.Cancel();
  // The report window's own "&Chart" found the report open; it stays.
  if (opened == ChartControlLogic::Action::kShowEphemeris && !chartFromReport_ && views_.hideEphemerisList)
    views_.hideEphemerisList();
  if (opened == ChartControlLogic::Action::kShowObservations && !chartFromObservationList_ &&
      views_.closeObservationList)
    views_.closeObservationList();
  if (views_.closeChartDialog) views_.closeChartDialog();
}

}  // namespace skarvel

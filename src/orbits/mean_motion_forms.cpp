#include "orbits/mean_motion_forms.h"

#include "astrometry/report_formats.h"
#include "foundations/date_time.h"
#include "foundations/time_scales.h"
#include "orbits/ephemeris.h"
#include "orbits/ephemeris_form.h"

namespace skarvel {

// ---- the picker ----

std::vector<std::string> ObservationListLines(const AstromObsObj& report, std::size_t& headerLines) {
  // The exercise form's lines, headed by the designation column.
  ReportText text = BuildExerciseReport(report);
  std::vector<std::string> lines = std::move(text.lines);
  headerLines = static_cast<std::size_t>(text.headerLines);
  if (lines.size() > 2 && lines[2].size() > 57) {
    lines[2].replace(0, 21, "Object Designation   ");
    lines[2][57] = 'd';
  }
  for (std::size_t k = 0; k < report.Count() && headerLines + k < lines.size(); ++k) {
    std::string& line = lines[headerLines + k];
    const std::string id = ObservationIdentity(report.Observations()[k]).substr(0, 20);
    line.replace(0, 20, id + std::string(20 - id.size(), ' '));
  }
  lines.resize(headerLines + report.Count());
  return lines;
}

ObservationPicker::ObservationPicker(const AstromObsObj& report) {
  lines_ = ObservationListLines(report, headerLines_);
}

std::optional<std::size_t> ObservationPicker::ObservationAt(int line) const {
  if (line < 0 || static_cast<std::size_t>(line) < headerLines_ || static_cast<std::size_t>(line) >= lines_.size())
    return std::nullopt;
  return static_cast<std::size_t>(line) - headerLines_;
}

void ObservationPicker::Open(platform::Platform& ui) const {
  platform::Tell(ui, "Select 2 observations from list for mean motion calculation.", "Select Observations",
                 platform::Icon::Information);
}

ObservationPicker::Result ObservationPicker::Select(int line, platform::Platform& ui) {
  for (int s : selected_)
    if (s == line) return Result::kGoOn;
  if (!ObservationAt(line)) {
    platform::Tell(ui, "Not An Observation Record!", "Invalid Selection!", platform::Icon::Exclamation);
    return Result::kGoOn;
  }
  if (selected_.size() >= 2) {
    platform::Tell(ui, "Too Many Records Selected!", "Select 2 Records!", platform::Icon::Exclamation);
    return Result::kGoOn;
  }
  selected_.push_back(line);
  if (selected_.size() < 2) return Result::kGoOn;
  switch (platform::Tell(ui, "Have You Selected the Desired Records?", "Selections OK?", platform::Icon::Question,
                         platform::Buttons::YesNoCancel)) {
    case platform::Answer::Yes: return Result::kDone;
    case platform::Answer::No: return Result::kGoOn;
    default: selected_.clear(); return Result::kCancelled;
  }
}

void ObservationPicker::Deselect(int line) { std::erase(selected_, line); }

std::optional<std::pair<std::size_t, std::size_t>> ObservationPicker::Chosen() const {
  if (selected_.size() != 2) return std::nullopt;
  return std::pair{*ObservationAt(selected_[0]), *ObservationAt(selected_[1])};
}

// ---- the baseline's record picker ----

namespace {

constexpr const char* kObservationCaption = "Select Observation Record";
constexpr const char* kEphemerisCaption = "Select Ephemeris Record";
constexpr const char* kObservationPrompt =
    "Select an Observation Record for baseline calculation.  Press \"OK\" when ready.";
constexpr const char* kEphemerisPrompt =
    "Select an Ephemeris Record for baseline calculation.  Press \"OK\" when ready.";
constexpr const char* kNotObservationCaption = "Not an Observation Record!";
constexpr const char* kNotEphemerisCaption = "Not an Ephemeris Record!";
constexpr const char* kNotObservationPrompt = "Select an Observation Record and Press \"OK\"!";
constexpr const char* kNotEphemerisPrompt = "Select an Ephemeris Record and Press \"OK\"!";

}  // namespace

RecordPicker::RecordPicker(Kind kind, std::vector<std::string> lines, std::size_t first, std::size_t records)
    : kind_(kind),
      lines_(std::move(lines)),
      first_(first),
      records_(records),
      caption_(kind == Kind::kObservation ? kObservationCaption : kEphemerisCaption),
      prompt_(kind == Kind::kObservation ? kObservationPrompt : kEphemerisPrompt) {}

std::optional<std::size_t> RecordPicker::RecordAt(int line) const {
  if (line < 0) return std::nullopt;
  const auto l = static_cast<std::size_t>(line);
  if (l < first_ || l - first_ >= records_ || l >= lines_.size()) return std::nullopt;
  return l - first_;
}

std::optional<std::size_t> RecordPicker::Ok(int line) {
  const auto record = RecordAt(line);
  if (!record) {
    caption_ = kind_ == Kind::kObservation ? kNotObservationCaption : kNotEphemerisCaption;
    prompt_ = kind_ == Kind::kObservation ? kNotObservationPrompt : kNotEphemerisPrompt;
  }
  return record;
}

// ---- the baseline dialog ----

BaselineDialogLogic::BaselineDialogLogic(const SiteRecord& currentSite, double now, std::int32_t currentYear,
                                         platform::Platform& ui)
    : ui_(ui), currentYear_(currentYear), site1_(currentSite) {
  site2_.north = true;
  site2_.west = true;
  target = FieldsOf(MotionPoint{static_cast<long double>(now) + kJulianDateOffset, 0, 0});
}

bool BaselineDialogLogic::EditSite(int n, const std::function<bool(SiteRecord&, const std::string&)>& siteDialog) {
  if (!siteDialog) return Confirmed(n);
  SiteRecord edited = Site(n);
  if (!siteDialog(edited, SiteCaption(n))) return Confirmed(n);
  Site(n) = edited;
  const bool confirmed = ConfirmBaselineSite(edited, ui_);
  (n == 1 ? confirmed1_ : confirmed2_) = confirmed;
  return confirmed;
}

void BaselineDialogLogic::SetRecords(const AstromObsObj* report, RecordList<EphemerisRecord>& table,
                                     const EphemerisList& ephemerisReport) {
  observations_.clear();
  observationLines_.clear();
  if (report != nullptr) {
    for (const ObservationRecord& o : report->Observations())
      observations_.push_back(
          {static_cast<long double>(o.params.observationTime) + kJulianDateOffset, o.target.fitRA, o.target.fitDec});
    observationLines_ = ObservationListLines(*report, observationFirst_);
  }
  ephemeris_.clear();
  ephemerisLines_.clear();
  const bool reportShowsTable = ephemerisReport.TableLines() == table.Size();
  if (!reportShowsTable) ephemerisLines_ = EphemerisTableHeader();
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) {
    const EphemerisRecord& r = *table.GetAt(k);
    // The table runs in TT; the baseline's instant is UT (UT1 taken as UTC).
    ephemeris_.push_back({TTToUtc(DateTimeToDays(r.dateTime) + kJulianDateOffset), r.raHours, r.decDeg});
    if (!reportShowsTable) ephemerisLines_.push_back(EphemerisTableLine(r));
  }
  table.Reset();
  if (reportShowsTable) {
    ephemerisLines_ = ephemerisReport.Lines();
    ephemerisFirst_ = ephemerisReport.FirstTableLine();
  } else {
    ephemerisFirst_ = 2;
  }
}

bool BaselineDialogLogic::PickRecord(RecordPicker::Kind kind,
                                     const std::function<std::optional<std::size_t>(RecordPicker&)>& pickerWindow) {
  const bool observation = kind == RecordPicker::Kind::kObservation;
  const std::vector<MotionPoint>& records = observation ? observations_ : ephemeris_;
  if (records.empty() || !pickerWindow) return false;
  RecordPicker picker(kind, observation ? observationLines_ : ephemerisLines_,
                      observation ? observationFirst_ : ephemerisFirst_, records.size());
  const auto chosen = pickerWindow(picker);
  if (!chosen || *chosen >= records.size()) return false;
  target = FieldsOf(records[*chosen]);
  return true;
}

bool BaselineDialogLogic::Ok() {
  if (!OkEnabled()) return false;
  const auto jd = ReadStartJD(dateFormat, target.date, target.time, target.julianDate, currentYear_, ui_);
  if (!jd) return false;
  const auto place = ReadPlace(target, ui_);
  if (!place) return false;
  result_ = ComputeBaseline(site1_, site2_, place->raHours, place->decDeg, *jd);
  reportLines_ = BaselineReport(site1_, site2_, place->raHours, place->decDeg, static_cast<double>(*jd - kJulianDateOffset),
                        result_);
  return true;
}

}  // namespace skarvel

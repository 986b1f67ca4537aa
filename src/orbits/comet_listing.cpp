#include "orbits/comet_listing.h"

#include <algorithm>
#include <cstdio>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_dialog.h"
#include "foundations/sky_coord.h"
#include "foundations/strings.h"
#include "orbits/ephemeris_form.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_records.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr std::string_view kHeader1 =
    "                                  Right Ascn.  Declination  App.  Distance   Orbit Parms";
constexpr std::string_view kHeader2 = "Object Name                       Hr Mn Sec     d  '  \"     Mag     (AU)    q(AU)    e";

std::string OrderText(SearchSortOrder order) {
  switch (order) {
    case SearchSortOrder::kDatabaseEntry: return "Database Entry";
    case SearchSortOrder::kPositionOffset: return "Position Offset";
    case SearchSortOrder::kMagnitude: return "Apparent Magnitude";
    case SearchSortOrder::kDistance: return "Distance (AU)";
    case SearchSortOrder::kRightAscension: return "Right Ascension";
    case SearchSortOrder::kQ: return "Perihelion Distance (q-AU)";
    case SearchSortOrder::kE: return "Orbital Eccentricity (e)";
  }
  return "";
}

/// The sort items of the listing: menu index 1..6 to the order.
constexpr SearchSortOrder kCometSortOrders[] = {SearchSortOrder::kDatabaseEntry, SearchSortOrder::kMagnitude,
                                          SearchSortOrder::kDistance,      SearchSortOrder::kRightAscension,
                                          SearchSortOrder::kQ,             SearchSortOrder::kE};
constexpr const char* kSortCaptions[] = {"By Data&base Entry", "By &Magnitude", "By &Distance",
                                         "By &Right Ascension", "By &q",       "By &e"};

}  // namespace

CometSearchDialogLogic::CometSearchDialogLogic(DateTimeObj& instant, std::int32_t currentYear, platform::Platform& ui)
    : instant_(instant), currentYear_(currentYear), ui_(ui) {
  Load();
}

void CometSearchDialogLogic::Load() {
  fields.julianDate = instant_.JDText(5);
  const JulianToCalendar back = ConvertJulianDateField(fields.julianDate);
  fields.date = back.dateText;
  fields.time = back.timeText;
}

void CometSearchDialogLogic::LeaveCalendarFields() {
  LeaveCalendarPair(fields.date, fields.time, fields.julianDate, currentYear_, ui_);
}

void CometSearchDialogLogic::LeaveJulianField() {
  LeaveJulianPair(fields.julianDate, fields.date, fields.time, ui_);
}

bool CometSearchDialogLogic::Ok() {
  const auto jd = ReadStartJD(fields.dateFormat, fields.date, fields.time, fields.julianDate, currentYear_, ui_);
  if (!jd) return false;
  instant_.tzOffset = 0;
  instant_.SetJD(*jd);
  Load();
  return true;
}

RecordList<SearchResult> ListComets(CometFileObj& comets, long double jd) {
  RecordList<SearchResult> results;
  auto earth = std::make_shared<EarthObj>();
  RecordList<CmoRecord>& records = comets.Records();
  for (std::int32_t k = 0; k <= records.LastIndex(); ++k) {
    const CmoRecord& rec = *records.GetAt(k);
    const OrbitElements el = CmoToElements(rec);
    MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el, earth, KeplerErrorReporter{});
    const EquatorialPlace place = AstrometricEquatorial(body, jd, EquinoxKind::kJulian, kJD_J2000);
    if (place.error || body.Error()) continue;
    SearchResult r;
    r.objectKind = rec.objectKind;
    r.name = rec.name;
    r.designation = rec.designation;
    r.recordNumber = k + 1;
    r.ra = static_cast<double>(place.raRad * 12 / kPi);
    r.dec = static_cast<double>(place.decRad * kDegreesPerRadian);
    r.mag = static_cast<float>(body.Magnitude(jd));
    r.delta = static_cast<float>(place.deltaAu);
    r.offsetRA = static_cast<float>(el.q);
    r.offsetDec = static_cast<float>(el.e);
    results.Append(r);
  }
  records.Reset();
  results.Reset();
  return results;
}

void SortComets(RecordList<SearchResult>& results, SearchSortOrder order) {
  std::vector<SearchResult> all;
  for (std::int32_t k = 0; k <= results.LastIndex(); ++k) all.push_back(*results.GetAt(k));
  const auto key = [order](const SearchResult& r) -> double {
    switch (order) {
      case SearchSortOrder::kMagnitude: return r.mag;
      case SearchSortOrder::kDistance: return r.delta;
      case SearchSortOrder::kRightAscension: return r.ra;
      case SearchSortOrder::kQ: return r.offsetRA;
      case SearchSortOrder::kE: return r.offsetDec;
      default: return r.recordNumber;
    }
  };
  std::stable_sort(all.begin(), all.end(), [&key](const SearchResult& a, const SearchResult& b) { return key(a) < key(b); });
  results.Clear();
  for (const SearchResult& r : all) results.Append(r);
  results.Reset();
}

std::vector<std::string> CometReport(RecordList<SearchResult>& results, double fileDateTime, long double jd,
                                     SearchSortOrder order, std::size_t* firstResultLine) {
  std::vector<std::string> lines;
  const std::string blank(80, ' ');
  lines.push_back(blank);
  lines.push_back("Searched: MPC Comet File Dated " + PrintDateTimeText(fileDateTime));
  lines.push_back(std::to_string(results.Size()) + " orbits analyzed.");
  lines.push_back(blank);
  DateTimeObj t;
  t.SetJD(jd);
  const TimeOfDayObj time = DecodeTimeOfDay(t.civil);
  char dateText[64];
  std::snprintf(dateText, sizeof dateText, "%d/%02d/%02d %02d:%02d:%02d", static_cast<int>(t.year), t.month, t.day,
                time.hour, time.minute, static_cast<int>(time.seconds));
  lines.push_back("    Ephemeris Date/Time: " + std::string(dateText) + "(TDT)" + "  Julian: " + FormatFixed(5, jd));
  lines.push_back(blank);
  lines.push_back("    Order of List: " + OrderText(order));
  lines.push_back(blank);
  lines.emplace_back("Double-Click Entry to Load Orbit");
  lines.push_back(blank);
  lines.emplace_back(kHeader1);
  std::string units(kHeader2);
  units.replace(kHeader2.find("d  '"), 1, kDegreeSign);
  lines.push_back(units);
  if (firstResultLine != nullptr) *firstResultLine = lines.size();
  const std::size_t qEnd = kHeader2.find("q(AU)") + 5;  // q ends under "q(AU)"
  const std::size_t eEnd = kHeader2.size() + 3;         // e ends three past its "e"
  for (std::int32_t k = 0; k <= results.LastIndex(); ++k) {
    const SearchResult& r = *results.GetAt(k);
    std::string line(80, ' ');
    PutAt(line, 1, (r.designation + " " + r.name).substr(0, 33));
    PutAt(line, 34, FormatRA(r.ra, 2, false));
    PutAt(line, 47, FormatDec(r.dec, 1, false));
    if (r.mag < 100) PutAt(line, 60, PadWith(FormatFixed(1, r.mag), 4, '0'));
    PutAt(line, 66, (r.delta < 10 ? " " : "") + FormatFixed(5, r.delta));
    const std::string q = FormatFixed(4, static_cast<long double>(r.offsetRA) / kAstronomicalUnitKm);
    const std::string e = FormatFixed(4, r.offsetDec);
    PutAt(line, qEnd - q.size() + 1, q);
    PutAt(line, eEnd - e.size() + 1, e);
    lines.push_back(line);
  }
  results.Reset();
  return lines;
}

CometResultsList::CometResultsList() : InfoList(std::string(kCometResultsCaption)) {
  for (int k = 0; k < 6; ++k) SetSortCaption(k + 1, kSortCaptions[k], k == 0);
}

void CometResultsList::Set(RecordList<SearchResult> results, double fileDateTime, long double jd,
                           const std::string& reportFolder) {
  results_ = std::move(results);
  fileDateTime_ = fileDateTime;
  jd_ = jd;
  folder_ = reportFolder;
  order_ = SearchSortOrder::kDatabaseEntry;
  for (int k = 1; k <= 6; ++k) Menu().SetChecked("Sort" + std::to_string(k), k == 1);
  SetTextFile(NumberedFileName(reportFolder, std::string(kSearchReportPrefix), ".TXT"), reportFolder);
  Rebuild();
}

void CometResultsList::Rebuild() {
  SetLines(CometReport(results_, fileDateTime_, jd_, order_, &firstResultLine_));
}

void CometResultsList::SortBy(int index) {
  if (index < 1 || index > 6) return;
  order_ = kCometSortOrders[index - 1];
  SortComets(results_, order_);
  Rebuild();
}

int CometResultsList::CometAtLine(int line, platform::Platform& ui) {
  if (line < 0 || static_cast<std::size_t>(line) < firstResultLine_) return -1;
  const std::size_t index = static_cast<std::size_t>(line) - firstResultLine_;
  const SearchResult* r = results_.GetAt(static_cast<std::int32_t>(index));
  results_.Reset();
  if (r == nullptr) {
    ui.Beep();
    return -1;
  }
  return r->recordNumber - 1;
}

void CometResultsList::DoubleClick(int line, ListCommandContext&) {
  if (onLoad) onLoad(line);
}

bool TakeComet(CometFileObj& comets, int index, CurrentElements& current) {
  const CmoRecord* rec = comets.Records().GetAt(index);
  comets.Records().Reset();
  if (rec == nullptr) return false;
  current.Set(CmoToElements(*rec), rec->codes, ElementSource::kCometFile, comets.FileDateTime());
  return true;
}

CometOrbListForm::CometOrbListForm(CometFileObj& comets) : RecordChoiceList("Select an Orbit Record") {
  std::vector<std::string> lines;
  RecordList<CmoHeader>& headers = comets.Headers();
  for (std::int32_t k = 0; k <= headers.LastIndex(); ++k) {
    const CmoHeader& h = *headers.GetAt(k);
    std::string id = h.designation;
    if (id.size() < 10) id.resize(10, ' ');
    lines.push_back(id + h.name);
  }
  headers.Reset();
  SetLines(std::move(lines));
  Menu().SetEnabled("DeleteSelectedRecord1", false);
}

void CometOrbListForm::Activated() {
  Menu().SetEnabled("DeleteSelectedRecord1", false);
}

}  // namespace skarvel

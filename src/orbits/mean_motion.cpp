#include "orbits/mean_motion.h"

#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_time.h"
#include "foundations/sky_coord.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"
#include "orbits/ephemeris_form.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

/// Shortest time span that shows motion (days; 0.864 s).
constexpr long double kMinMotionSpanDays = 1e-5L;
/// Kilometres per statute mile.
constexpr long double kKmPerMile = 1.609344L;

/// A blank line of the reports (80 blanks, as the ephemeris report has).
const std::string kBlank(80, ' ');

std::string Trimmed(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// A sexagesimal field: blank is 0, otherwise a decimal number.
std::optional<long double> Field(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty()) return 0.0L;
  return ParseDecimal(t);
}

bool InputError(platform::Platform& ui, const char* text) {
  platform::Tell(ui, text, "Input Error!", Icon::Warning, Buttons::Ok, true);
  return false;
}

/// The instant rounded to the nearest second, so that a date and its time
/// shown from it agree (23:59:59.7 is 00:00:00 of the next day).
double ToTheSecond(double dateTime) {
  return DaysToDateTime(std::nearbyint(DateTimeToDays(dateTime) * kSecondsPerDay) / kSecondsPerDay);
}

std::string DateWords(double dateTime) {
  const CalendarDate d = DecodeDate(ToTheSecond(dateTime));
  return ZeroFilled(d.year, 4) + " " + std::string(MonthName(d.month)) + " " + ZeroFilled(d.day, 2);
}

std::string TimeWords(double dateTime) {
  const long double days = DateTimeToDays(ToTheSecond(dateTime));
  const auto s = static_cast<long long>(std::nearbyint((days - std::floor(days)) * kSecondsPerDay)) % 86400;
  return ZeroFilled(s / 3600, 2) + ":" + ZeroFilled(s / 60 % 60, 2) + ":" + ZeroFilled(s % 60, 2);
}

std::string RaText(long double raHours, const char* last) { return FormatDMS(raHours, 2, "h ", "m ", last); }

std::string DecText(long double decDeg) {
  return FormatDMS(decDeg, 1, std::string(kDegreeSign) + " ", "' ", "\" ");
}

}  // namespace

std::string ObservationIdentity(const ObservationRecord& obs) {
  for (const std::string* s : {&obs.params.designation, &obs.params.number, &obs.params.objectName}) {
    const std::string t = Trimmed(*s);
    if (!t.empty()) return t;
  }
  return "";
}

bool TakeObservations(const ObservationRecord& a, const ObservationRecord& b, MeanMotionRecord& record,
                      platform::Platform& ui) {
  const std::string nameA = ObservationIdentity(a);
  const std::string nameB = ObservationIdentity(b);
  if (nameA != nameB) {
    const Answer answer = platform::Tell(ui,
                                         "Selected Records May Not Be The Same Object!\r\n\r\n\"" + nameA + "\" <> \"" +
                                             nameB + "\"\r\n\r\nContinue Anyway?",
                                         "Not The Same Object?", Icon::Question, Buttons::YesNo);
    if (answer != Answer::Yes) return false;
  }
  MeanMotionRecord r = record;
  r.name = nameA.substr(0, MeanMotionRecord::kNameChars);
  // The observations are timed in UTC; the mean motion runs in TT, as the ephemeris does.
  r.first = {UtcToTT(DateTimeToDays(a.params.observationTime) + kJulianDateOffset), a.target.fitRA, a.target.fitDec};
  r.second = {UtcToTT(DateTimeToDays(b.params.observationTime) + kJulianDateOffset), b.target.fitRA, b.target.fitDec};
  r.magnitude = (a.target.catMag + b.target.catMag) / 2;
  r.raRate = 0;
  r.decRate = 0;
  record = r;
  return true;
}

MotionPointFields FieldsOf(const MotionPoint& point) {
  MotionPointFields f;
  const double dt = DaysToDateTime(point.jd - kJulianDateOffset);
  const CalendarDate d = DecodeDate(ToTheSecond(dt));
  f.date = ZeroFilled(d.year, 4) + "/" + ZeroFilled(d.month, 2) + "/" + ZeroFilled(d.day, 2);
  f.time = TimeWords(dt);
  f.julianDate = FormatFixed(5, point.jd);
  const SexagesimalRec ra = SplitRounded(point.raHours, 2);
  f.raHours = std::to_string(ra.degrees);
  f.raMinutes = std::to_string(ra.minutes);
  f.raSeconds = FormatFixed(2, ra.seconds);
  const SexagesimalRec dec = SplitRounded(point.decDeg, 1);
  f.decDegrees = (dec.sign < 0 ? "-" : "") + std::to_string(dec.degrees);
  f.decMinutes = std::to_string(dec.minutes);
  f.decSeconds = FormatFixed(1, dec.seconds);
  return f;
}

std::optional<MotionPoint> ReadPlace(const MotionPointFields& fields, platform::Platform& ui) {
  const auto h = Field(fields.raHours), m = Field(fields.raMinutes), s = Field(fields.raSeconds);
  const long double ra = h && m && s ? *h + *m / 60 + *s / 3600 : -1;
  if (!(ra >= 0 && ra <= 24)) {
    InputError(ui, "Error in Right Ascension Value");
    return std::nullopt;
  }
  const auto d = Field(fields.decDegrees), dm = Field(fields.decMinutes), ds = Field(fields.decSeconds);
  long double dec = 1000;
  if (d && dm && ds) {
    const bool negative = *d < 0 || Trimmed(fields.decDegrees).starts_with("-");
    dec = (negative ? -1 : 1) * (std::fabs(*d) + *dm / 60 + *ds / 3600);
  }
  if (!(dec >= -90 && dec <= 90)) {
    InputError(ui, "Error in Declination Value");
    return std::nullopt;
  }
  return MotionPoint{0, ra, dec};
}

bool AcceptMeanMotion(const std::string& name, int dateFormat, const MotionPointFields& first,
                      const MotionPointFields& second, std::int32_t currentYear, MeanMotionRecord& record,
                      platform::Platform& ui) {
  const auto jd1 = ReadStartJD(dateFormat, first.date, first.time, first.julianDate, currentYear, ui);
  if (!jd1) return false;
  const auto jd2 = ReadStartJD(dateFormat, second.date, second.time, second.julianDate, currentYear, ui);
  if (!jd2) return false;
  auto p1 = ReadPlace(first, ui);
  if (!p1) return false;
  auto p2 = ReadPlace(second, ui);
  if (!p2) return false;
  p1->jd = *jd1;
  p2->jd = *jd2;
  const long double dt = p2->jd - p1->jd;
  if (std::fabs(dt) <= kMinMotionSpanDays) {
    platform::Tell(ui, "Time Span is Insufficient to Determine Motion", "No Motion Detected!", Icon::Warning);
    return false;
  }
  const long double decRate = (p2->decDeg - p1->decDeg) / dt;
  // The difference in right ascension the short way round: 23h59m to 0h01m is
  // two minutes of motion, not a day's worth backwards.
  long double dra = WrapInto(p2->raHours - p1->raHours, 24);
  if (dra > 12) dra -= 24;
  const long double raRate = dra / dt * std::cos(p2->decDeg * kRadiansPerDegree);
  if (decRate == 0 && raRate == 0) {
    platform::Tell(ui, "Data Indicates No Motion", "No Motion Detected!", Icon::Warning);
    return false;
  }
  record.name = Trimmed(name).substr(0, MeanMotionRecord::kNameChars);
  record.dateFormat = dateFormat == 1 ? 1 : 0;
  record.first = *p1;
  record.second = *p2;
  record.raRate = raRate;
  record.decRate = decRate;
  return true;
}

bool MeanMotionEphemeris(const MeanMotionRecord& record, const EphemerisParams& params,
                         RecordList<EphemerisRecord>& table, platform::Platform& ui) {
  table.Clear();
  const long double start = params.start.GetJD();
  for (int k = 0; k < params.points; ++k) {
    const long double t = start + static_cast<long double>(k) * params.stepDays;
    const long double dt = t - record.second.jd;
    const long double dec = record.second.decDeg + record.decRate * dt;
    if (!(std::fabs(dec) < 90)) {
      // A straight line in declination reaches the pole and goes no further:
      // what it gives beyond is no place on the sky.
      platform::Tell(ui,
                     "The observed motion reaches a celestial pole!\r\n\r\nPositions beyond it cannot be "
                     "estimated from a linear motion; the table ends at the last position.",
                     "Mean Motion Limit", Icon::Warning);
      table.Reset();
      return false;
    }
    EphemerisRecord r;
    r.dateTime = DaysToDateTime(t - kJulianDateOffset);
    r.raHours = WrapInto(record.second.raHours + record.raRate * dt / std::cos(dec * kRadiansPerDegree), 24);
    r.decDeg = dec;
    r.magnitude = record.magnitude;
    table.Append(r);
  }
  table.Reset();
  return true;
}

std::vector<std::string> MeanMotionReport(const MeanMotionRecord& record, RecordList<EphemerisRecord>& table) {
  std::vector<std::string> lines;
  lines.push_back("Body: " + record.name);
  lines.push_back(kBlank);
  lines.emplace_back("Positions are Estimated from Observed Motion - Reliability is Unknown");
  lines.push_back(kBlank);
  // The table's instants are labelled TDT and the footer's UT, as the
  // ephemeris report and the observations are: no time scale is converted, so
  // the table's instant of observation 2 shows the footer's time to the second.
  for (std::string& s : EphemerisTableHeader()) lines.push_back(std::move(s));
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) {
    std::string line = EphemerisTableLine(*table.GetAt(k));
    // Mean motion knows no distance, and its magnitude is a mean of two measures.
    line.replace(49, 4, PadLeft(FormatFixed(0, table.GetAt(k)->magnitude), 4));
    line.replace(55, 6, std::string(6, ' '));
    lines.push_back(line);
  }
  table.Reset();
  lines.push_back(kBlank);
  lines.push_back(kBlank);
  lines.emplace_back("Observed Motion:");
  lines.push_back(kBlank);
  int n = 1;
  for (const MotionPoint* p : {&record.first, &record.second}) {
    // The points are kept in TT; the report gives the observation's UT and its Julian date.
    const long double ut = TTToUtc(p->jd);
    const double dt = DaysToDateTime(ut - kJulianDateOffset);
    lines.push_back(" Observation " + std::to_string(n++) + ":");
    lines.push_back("   " + DateWords(dt) + ",  UT: " + TimeWords(dt) + ",  JD: " + FormatFixed(5, ut));
    lines.push_back("   RA:" + RaText(p->raHours, "s") + ",  Dec:" + DecText(p->decDeg));
    lines.push_back(kBlank);
  }
  lines.push_back(" Rate (Arc Minutes per Hour):  RA: " + FormatFixed(3, 37.5L * record.raRate) +
                  ", Dec: " + FormatFixed(3, 2.5L * record.decRate));
  return lines;
}

// ---- baseline ----

BaselineResult ComputeBaseline(const SiteRecord& site1, const SiteRecord& site2, long double raHours,
                               long double decDeg, long double jd) {
  BaselineResult r;
  const long double lon1 = site1.longitudeDeg * kRadiansPerDegree, lat1 = site1.latitudeDeg * kRadiansPerDegree;
  const long double lon2 = site2.longitudeDeg * kRadiansPerDegree, lat2 = site2.latitudeDeg * kRadiansPerDegree;
  if (site1.longitudeDeg == site2.longitudeDeg && site1.latitudeDeg == site2.latitudeDeg) return r;
  const long double bx = std::cos(lat1) * std::cos(lon1) - std::cos(lat2) * std::cos(lon2);
  const long double by = std::cos(lat1) * std::sin(lon1) - std::cos(lat2) * std::sin(lon2);
  const long double bz = std::sin(lat1) - std::sin(lat2);
  const long double length = std::sqrt(bx * bx + by * by + bz * bz);
  r.maximumKm = length * kBaselineEarthRadiusKm;
  const long double theta = SiderealAngle(CoordMode::kTrue, jd);
  const long double h = raHours * 15 * kRadiansPerDegree + (kTwoPi - theta);
  const long double dec = decDeg * kRadiansPerDegree;
  const long double ux = std::cos(dec) * std::cos(h), uy = std::cos(dec) * std::sin(h), uz = std::sin(dec);
  const long double c = (bx * ux + by * uy + bz * uz) / length;
  r.projectedKm = r.maximumKm * std::sqrt(std::fmax(0.0L, 1 - c * c));
  return r;
}

bool ConfirmBaselineSite(const SiteRecord& site, platform::Platform& ui) {
  if (site.longitudeDeg != 0 || site.latitudeDeg != 0) return true;
  return platform::Tell(ui, "Longitude and Latitude are Zero!\r\n\r\nContinue?", "Are You Sure?", Icon::Question,
                        Buttons::YesNo) == Answer::Yes;
}

std::vector<std::string> BaselineReport(const SiteRecord& site1, const SiteRecord& site2, long double raHours,
                                        long double decDeg, double utDateTime, const BaselineResult& result) {
  std::vector<std::string> lines;
  const auto angle = [](const std::string& d, const std::string& m, const std::string& s) {
    std::string t = Trimmed(d) + std::string(kDegreeSign) + " " + Trimmed(m) + "' ";
    if (!Trimmed(s).empty()) t += Trimmed(s) + "\"";
    return t;
  };
  int n = 1;
  for (const SiteRecord* s : {&site1, &site2}) {
    lines.push_back("  Site " + std::to_string(n++) + ": " + s->name);
    lines.push_back("    Longitude: " + angle(s->lonDegrees, s->lonMinutes, s->lonSeconds) + (s->west ? " W" : " E"));
    lines.push_back("    Latitude:  " + angle(s->latDegrees, s->latMinutes, s->latSeconds) + (s->north ? " N" : " S"));
    lines.emplace_back(" ");
  }
  lines.emplace_back("  Target Coordinates:");
  lines.push_back("    RA:" + RaText(raHours, "s ") + "   Dec:" + DecText(decDeg));
  lines.emplace_back(" ");
  lines.push_back("  Date: " + DateWords(utDateTime) + ",  UT: " + TimeWords(utDateTime));
  const auto km = [](long double v) {
    return FormatFixed(2, v) + "km,  " + FormatFixed(2, v / kKmPerMile) + "mi";
  };
  lines.push_back("    Projected Baseline: " + km(result.projectedKm));
  lines.push_back("      Maximum Baseline: " + km(result.maximumKm));
  return lines;
}

}  // namespace skarvel

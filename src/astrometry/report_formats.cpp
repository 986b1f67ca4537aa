#include "astrometry/report_formats.h"

#include <cctype>
#include <algorithm>
#include <cmath>

#include "catalogs/catalog_star.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "astrometry/report_identity.h"
#include "orbits/designation.h"

namespace skarvel {

namespace {


std::string SpacePad(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string Two(long long v) { return PadWith(std::to_string(v), 2, '0'); }

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Hours, minutes and seconds of a right ascension rounded to `decimals`
// decimals of a second, 24 h written as 0 h.
struct Sexagesimal {
  long long whole = 0;  // hours or degrees
  long long minutes = 0;
  std::string seconds;  // with its decimals, padded with "0" to decimals + 3 (or 2 without decimals)
  bool negative = false;
};

Sexagesimal Split(long double value, int decimals, bool wrap24) {
  Sexagesimal s;
  s.negative = value < 0;
  const long double scale = std::pow(10.0L, decimals);
  long long units = std::llround(std::nearbyint(std::fabs(value) * 3600.0L * scale));
  const long long perWhole = 3600LL * static_cast<long long>(scale);
  if (wrap24) units %= 24 * perWhole;
  s.whole = units / perWhole;
  units %= perWhole;
  const long long perMinute = 60LL * static_cast<long long>(scale);
  s.minutes = units / perMinute;
  units %= perMinute;
  const long double seconds = static_cast<long double>(units) / scale;
  s.seconds = PadWith(FormatFixed(decimals, seconds), static_cast<std::size_t>(decimals > 0 ? decimals + 3 : 2), '0');
  if (units == 0 && s.whole == 0 && s.minutes == 0) s.negative = value < 0;  // -0 30 keeps its sign through the minutes
  return s;
}

// The date of an observation with its day fraction rounded to `decimals`;
// a fraction that rounds up to 1 carries into the next day.
struct DayText {
  std::int32_t year = 0;
  int month = 0;
  std::string day;  // "05.25000"
  int dayOfMonth = 0;
};

DayText Day(double t, int decimals) {
  const long double start = std::floor(static_cast<long double>(t));
  long double dayStart = start;
  const long double scale = std::pow(10.0L, decimals);
  long long units = std::llround(std::nearbyint((static_cast<long double>(t) - start) * scale));
  if (units >= static_cast<long long>(scale)) {
    dayStart += 1;
    units = 0;
  }
  const CalendarDate d = DecodeDate(static_cast<double>(dayStart));
  DayText out;
  out.year = d.year;
  out.month = d.month;
  out.dayOfMonth = d.day;
  std::string fraction = std::to_string(units);
  fraction = PadWith(fraction, static_cast<std::size_t>(decimals), '0');
  out.day = Two(d.day) + (decimals > 0 ? "." + fraction : "");
  return out;
}

std::string NumberField80(const std::string& number) {
  const std::string n = Trim(number);
  if (n.empty()) return "     ";
  const auto value = ParseInteger(n);
  if (!value || *value < 1) return PadWith(n, 5, '0').substr(0, 5);
  const auto packed = PackNumber(*value);
  return packed ? *packed : std::string("     ");
}

std::string Designation80(const ObsParams& p, const ReportIdentity& id) {
  std::string d = id.designation;
  if (d.empty()) return id.trkSub;
  if (d.size() != 7) {
    const std::string readable = UnpackDesignation(d, p.objectType).readable;
    const std::string repacked = PackDesignation(readable, p.objectType, true);
    if (!repacked.empty()) d = repacked;
  }
  return d.substr(0, 7);
}

std::string MagnitudeText(long double mag, int decimals) {
  return PadWith(FormatFixed(decimals, mag), static_cast<std::size_t>(decimals + 3), '0');
}

std::string BandLetter(std::uint8_t band) {
  static const char* const kBands[] = {"B", "V", "R", "I", "J", "H", "K"};
  if (band == kBandG) return "G";  // Gaia G
  return band <= 6 ? kBands[band] : "";
}

// Breaks a header entry longer than 80 characters after its last "," at or
// before column 80; the next character is dropped and the rest continues
// after `continuation`.
void Wrapped(std::vector<std::string>& out, std::string line, const std::string& continuation) {
  while (line.size() > 80) {
    const auto comma = line.rfind(',', 79);
    if (comma == std::string::npos || comma < continuation.size()) break;
    out.push_back(line.substr(0, comma + 1));
    line = continuation + (comma + 2 <= line.size() ? line.substr(comma + 2) : std::string());
  }
  out.push_back(line);
}

// The TEL text: the telescope + " + CCD", unless the site's text already
// names the CCD at its end ("0.9-m f/3 reflector + CCD").
std::string TelescopeText(const std::string& telescope) {
  std::string t = Trim(telescope);
  std::string tail = t.size() >= 3 ? t.substr(t.size() - 3) : t;
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (tail == "CCD") return t;
  return telescope + " + CCD";
}

std::string Country(UserRecord& user) {
  if (user.country == "USA") user.country = "U.S.A.";
  return user.country;
}

}  // namespace

std::string AbbreviateNames(const std::string& text) {
  if (text.empty()) return text;
  std::string s = text;
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (auto at = s.find("  "); at != std::string::npos; at = s.find("  ")) s.erase(at, 1);
  if (!s.empty() && s.front() == ' ') s.erase(0, 1);
  if (!s.empty() && s.back() == ' ') s.pop_back();
  // Words followed by a blank and not ending in "." or "," become initials.
  std::string out;
  std::size_t start = 0;
  while (start < s.size()) {
    const auto blank = s.find(' ', start);
    std::string word = s.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
    if (blank != std::string::npos && !word.empty() && word.back() != '.' && word.back() != ',') word = word.substr(0, 1) + ".";
    out += word;
    if (blank == std::string::npos) break;
    out += ' ';
    start = blank + 1;
  }
  // A blank after every "." inside the text that has none.
  for (std::size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '.' && out[i + 1] != ' ') out.insert(i + 1, 1, ' ');
  // Capitals: the first character and those after a blank or "-" (letters only).
  auto upper = [](char& c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  };
  if (!out.empty()) upper(out[0]);
  for (std::size_t i = 1; i + 1 < out.size(); ++i)
    if (out[i - 1] == ' ' || out[i - 1] == '-') upper(out[i]);
  if (out.size() >= 2 && (out[out.size() - 2] == ' ' || out[out.size() - 2] == '-')) upper(out.back());
  return out;
}

std::string SiteCode80(const SiteRecord& site) {
  std::string code = Trim(site.code);
  if (code.empty()) return "XXX";
  if (code.size() == 4 && code[0] == '0') code.erase(0, 1);
  return code;
}

std::string SiteCodeSplit(const SiteRecord& site) {
  std::string code = Trim(site.code);
  if (code.empty()) return "XXXX";
  if (code.size() == 3) code = "0" + code;
  return code;
}

bool RovingObserver(const SiteRecord& site) {
  const std::string code = Trim(site.code);
  return code == "247" || code == "0247";
}

int Day80Decimals(int timingErrorMs) {
  if (timingErrorMs <= 0) return 5;
  const long double days = timingErrorMs / 86400000.0L;
  const int decimals = static_cast<int>(std::trunc(std::fabs(std::log10(days)))) + 1;
  return std::clamp(decimals, 5, 6);
}

std::vector<std::string> ObservationLines80(const ObservationRecord& obs, const SiteRecord& site, int timingErrorMs) {
  const ObsParams& p = obs.params;
  const ReferenceStar& t = obs.target;
  std::string line(80, ' ');
  const ReportIdentity id = ReportIdentityOf(p);
  PutAt(line, 1, NumberField80(id.number));
  PutAt(line, 6, Designation80(p, id));
  if (p.note == kNoteDiscovery) PutAt(line, 13, "*");
  PutAt(line, 15, "C");
  const DayText day = Day(p.observationTime, Day80Decimals(timingErrorMs));
  PutAt(line, 16, std::to_string(day.year));
  PutAt(line, 21, Two(day.month));
  PutAt(line, 24, day.day);
  const Sexagesimal ra = Split(t.fitRA, 2, true);
  PutAt(line, 33, Two(ra.whole));
  PutAt(line, 36, Two(ra.minutes));
  PutAt(line, 39, ra.seconds);
  const Sexagesimal dec = Split(t.fitDec, 1, false);
  PutAt(line, 45, t.fitDec < 0 && (dec.whole != 0 || dec.minutes != 0 || dec.seconds != "00.0") ? "-" : "+");
  PutAt(line, 46, Two(dec.whole));
  PutAt(line, 49, Two(dec.minutes));
  PutAt(line, 52, dec.seconds);
  if (t.catMag != 0) {
    PutAt(line, 66, MagnitudeText(t.catMag, 1));
    PutAt(line, 71, BandLetter(t.band));
  }
  PutAt(line, 78, PadWith(SiteCode80(site), 3, '0'));
  line.resize(80, ' ');
  std::vector<std::string> out = {line};
  if (RovingObserver(site)) {
    std::string second = line.substr(0, 32);
    second.resize(80, ' ');
    PutAt(second, 78, "247");
    PutAt(second, 15, "v");
    PutAt(second, 33, "1");
    long double lon = site.longitudeDeg;
    if (lon < 0) lon += 360;
    const bool fineLon = !Trim(site.lonSeconds).empty();
    PutAt(second, 35, SpacePad(FormatFixed(fineLon ? 6 : 4, lon), fineLon ? 10 : 8));
    const bool fineLat = !Trim(site.latSeconds).empty();
    const long double lat = site.latitudeDeg;
    std::string latText = FormatFixed(fineLat ? 6 : 4, std::fabs(lat));
    if (std::fabs(lat) < 10) latText = "0" + latText;
    latText = (lat < 0 ? "-" : "+") + latText;
    PutAt(second, 46, SpacePad(latText, fineLat ? 10 : 8));
    PutAt(second, 57, SpacePad(std::to_string(std::lround(site.altitudeM)), 5));
    second.resize(80, ' ');
    out.push_back(second);
  }
  return out;
}

std::vector<std::string> ObservationLinesSplit(const ObservationRecord& obs, const SiteRecord& site,
                                               const CameraRecord& camera, const CatalogsUsed& catalogs) {
  const ObsParams& p = obs.params;
  const ReferenceStar& t = obs.target;
  const bool roving = RovingObserver(site);
  const long double timingDays = camera.timingErrorMs / 86400000.0L;
  const int dayDecimals =
      timingDays > 0 ? static_cast<int>(std::trunc(std::fabs(std::log10(timingDays)))) + 1 : 5;
  const DayText day = Day(p.observationTime, std::min(dayDecimals, 9));
  auto common = [&](char record) {
    std::string r(132, ' ');
    const ReportIdentity id = ReportIdentityOf(p);
    if (!id.number.empty()) PutAt(r, 1, PadWith(id.number, 7, '0'));
    std::string d = id.designation.empty() ? id.trkSub : id.designation;
    if (!id.designation.empty() && d.size() == 7) d.insert(4, "00");
    PutAt(r, 8, d.substr(0, 9));
    PutAt(r, 17, std::string(1, record));
    PutAt(r, 19, "C");
    PutAt(r, 20, std::to_string(day.year));
    PutAt(r, 25, Two(day.month));
    PutAt(r, 28, day.day);
    PutAt(r, 129, roving && record == '3' ? std::string("0247") : SiteCodeSplit(site));
    return r;
  };
  std::vector<std::string> records;
  std::string r1 = common('1');
  if (p.note == kNoteDiscovery) PutAt(r1, 18, "*");
  const int raDecimals = t.resRA < 0.05L ? 3 : 2;
  const Sexagesimal ra = Split(t.fitRA, raDecimals, true);
  PutAt(r1, 41, Two(ra.whole));
  PutAt(r1, 44, Two(ra.minutes));
  PutAt(r1, 47, ra.seconds);
  const int decDecimals = t.resDec < 0.05L ? 2 : 1;
  const Sexagesimal dec = Split(t.fitDec, decDecimals, false);
  PutAt(r1, 56, t.fitDec < 0 ? "-" : "+");
  PutAt(r1, 57, Two(dec.whole));
  PutAt(r1, 60, Two(dec.minutes));
  PutAt(r1, 63, dec.seconds);
  if (t.catMag != 0) {
    PutAt(r1, 72, MagnitudeText(t.catMag, t.magRes < 0.05L ? 2 : 1));
    PutAt(r1, 78, BandLetter(t.band));
  }
  PutAt(r1, 85, std::string(1, site.telescopeId == '\0' ? ' ' : site.telescopeId));
  records.push_back(r1);
  std::string r2 = common('2');
  if (!roving) PutAt(r2, 18, "+");
  PutAt(r2, 41, FormatFixed(3, t.resRA));
  PutAt(r2, 48, FormatFixed(3, t.resDec));
  PutAt(r2, 65, "C");
  PutAt(r2, 66, FormatFixed(3, t.magRes));
  PutAt(r2, 71, "N");
  PutAt(r2, 73, FormatFixed(10, timingDays));
  PutAt(r2, 85, FormatFixed(3, std::log10(1 + std::max(0.0L, t.catRA))));
  std::string code = "XXXX";
  if (catalogs.gsc && catalogs.gscOnACT) code = "1070";
  else if (catalogs.gsc) code = "1061";
  else if (catalogs.usnoA2) code = "1021";
  else if (catalogs.sa1) code = "1040";
  else if (catalogs.sa2) code = "1041";
  else if (catalogs.ucac2) code = "1082";
  else if (catalogs.usnoB1) code = "1022";
  PutAt(r2, 90, code);
  PutAt(r2, 94, code);
  records.push_back(r2);
  if (roving) {
    std::string r3 = common('3');
    PutAt(r3, 18, "+");
    PutAt(r3, 41, "2");
    long double lon = site.longitudeDeg;
    if (lon < 0) lon += 360;
    PutAt(r3, 42, FormatFixed(6, lon));
    PutAt(r3, 60, (site.latitudeDeg > 0 ? "+" : "") + FormatFixed(6, site.latitudeDeg));
    PutAt(r3, 78, FormatFixed(1, site.altitudeM));
    records.push_back(r3);
  }
  std::vector<std::string> lines;
  for (auto& r : records) {
    r.resize(132, ' ');
    lines.push_back(r.substr(0, 66));
    lines.push_back(r.substr(66, 66));
  }
  return lines;
}

namespace {

void LongHeader(AstromObsObj& obs, const std::string& code, std::vector<std::string>& out) {
  const SiteRecord& site = obs.site;
  const CameraRecord& cam = obs.camera;
  UserRecord& user = obs.user;
  out.push_back("  " + site.name);
  out.push_back(" ");
  out.push_back("    Observatory Code: " + code);
  auto angle = [](const std::string& d, const std::string& m, const std::string& s) {
    std::string text = d + "\xB0" + " ";
    if (!Trim(m).empty()) text += m + "' ";
    if (!Trim(s).empty()) text += s + "\"";
    return text;
  };
  out.push_back("    Longitude: " + angle(site.lonDegrees, site.lonMinutes, site.lonSeconds) + (site.west ? " W" : " E"));
  out.push_back("    Latitude:  " + angle(site.latDegrees, site.latMinutes, site.latSeconds) + (site.north ? " N" : " S"));
  out.push_back("    Altitude:  " + FormatFixed(1, site.altitudeM) + "m");
  out.push_back(" ");
  out.push_back("  Telescope & Camera:");
  out.push_back(" ");
  out.push_back("    Telescope: " + (Trim(site.telescope).empty() ? std::string("(Not Identified)") : site.telescope));
  auto available = [](float v, const char* unit) {
    return v > 0 ? FormatFixed(1, v) + unit : std::string("(Not Available)");
  };
  out.push_back("    Aperture: " + available(cam.apertureMm, "mm"));
  out.push_back("    Focal Length: " + available(cam.focalLengthMm, "mm"));
  out.push_back("    CCD Camera: " + (Trim(cam.name).empty() ? std::string("(Not Identified)") : cam.name));
  out.push_back("    Width (Pixels): " + std::to_string(cam.imageWidth));
  out.push_back("    Height (Pixels): " + std::to_string(cam.imageHeight));
  out.push_back("    Pixel Width: " + available(cam.pixelWidthUm, " microns"));
  out.push_back("    Pixel Height: " + available(cam.pixelHeightUm, " microns"));
  out.push_back(" ");
  out.push_back("  Contact Address:");
  out.push_back(" ");
  out.push_back("    " + user.contactName);
  for (const std::string* line : {&user.institution, &user.street, &user.cityStateZip})
    if (!Trim(*line).empty()) out.push_back("    " + *line);
  const std::string country = Country(user);
  if (!Trim(country).empty()) out.push_back("    " + country);
  out.push_back(" ");
  out.push_back("    E-Mail: " + user.email);
  out.push_back(" ");
  if (!Trim(user.observers).empty()) Wrapped(out, "  Observed By: " + AbbreviateNames(user.observers), "    ");
  if (!Trim(user.measurers).empty()) Wrapped(out, "  Measured By: " + AbbreviateNames(user.measurers), "    ");
  out.push_back(" ");
  const CatalogsUsed& c = obs.catalogs;
  std::string catalogs = "  Star Catalog(s):";
  if (c.gaiaDR3) catalogs += " Gaia DR3";
  else if (c.ucac4) catalogs += " UCAC4";
  else if (c.gsc) catalogs += c.gscOnACT ? " GSC-ACT" : " GSC";
  else if (c.bss) catalogs += " UCAC-BSS";
  else if (c.usnoA2) catalogs += " USNO-A2.0";
  else if (c.ucac2) catalogs += " UCAC-2.0";
  else if (c.usnoB1) catalogs += " USNO-B1.0";
  else if (c.nomad) catalogs += " NOMAD";
  if (c.sa1) catalogs += ", USNO-SA1.0";
  else if (c.sa2) catalogs += ", USNO-SA2.0";
  else if (c.bss && c.gsc) catalogs += ", UCAC-BSS";
  out.push_back(catalogs);
}

void ShortHeader(AstromObsObj& obs, const std::string& code, bool split, const std::string& now,
                 const std::function<void(AstromObsObj&)>& editAcknowledgement, std::vector<std::string>& out) {
  UserRecord& user = obs.user;
  out.push_back("COD " + code);
  if (!Trim(obs.site.telescope).empty()) out.push_back("TEL " + TelescopeText(obs.site.telescope));
  if (!Trim(user.contactName).empty()) {
    std::string con = "CON " + AbbreviateNames(user.contactName);
    for (const std::string* line : {&user.institution, &user.street, &user.cityStateZip})
      if (!Trim(*line).empty()) con += ", " + *line;
    const std::string country = Country(user);
    if (!Trim(country).empty()) con += ", " + country;
    Wrapped(out, con, "CON ");
  }
  if (!Trim(user.email).empty()) out.push_back("CON [" + user.email + "]");
  if (Trim(user.observers).empty()) out.push_back("OBS *NO OBSERVERS LISTED - EDIT USER PARAMETERS*");
  else Wrapped(out, "OBS " + AbbreviateNames(user.observers), "OBS ");
  if (!Trim(user.measurers).empty()) Wrapped(out, "MEA " + AbbreviateNames(user.measurers), "MEA ");
  const CatalogsUsed& c = obs.catalogs;
  std::string net = "NET";
  if (c.gaiaDR3) {
    net += " Gaia-DR3";
  } else if (c.ucac4) {
    net += " UCAC-4";
  } else if (c.gsc) {
    net += c.gscOnACT ? " GSC-ACT" : " GSC-1.1";
    if (c.sa1) net += ", USNO-SA1.0";
    else if (c.sa2) net += ", USNO-SA2.0";
  } else if (c.usnoA2) {
    net += " USNO-A2.0";
  } else if (c.usnoB1) {
    net += " USNO-B1.0";
  } else if (c.nomad) {
    net += " NOMAD";
  } else if (c.ucac2) {
    net += " UCAC-2.0";
    if (c.bss) net += ", UCAC-BSS";
  }
  out.push_back(net);
  out.push_back("NUM " + std::to_string(obs.Count()));
  if (split) out.push_back("FMT SPLIT-LINE");
  if (!obs.quietRefresh) {
    obs.ackMessage = ("Report Generated " + now).substr(0, 76);
    if (obs.ackEmail.empty()) obs.ackEmail = user.email.substr(0, 76);
    if (editAcknowledgement) editAcknowledgement(obs);
  }
  out.push_back("ACK " + obs.ackMessage);
  std::string a = obs.ackEmail;
  std::string b = user.email;
  for (char& ch : a) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  for (char& ch : b) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (obs.ackEmailTyped && a != b) out.push_back("AC2 " + obs.ackEmail);
}

bool AnySimulated(const AstromObsObj& obs) {
  for (const auto& o : obs.Observations())
    if (o.params.note == kNoteSimulated) return true;
  return false;
}

}  // namespace

ReportText BuildReport(AstromObsObj& obs, bool oldFormat, const std::string& reportFileName, bool reportSaved,
                       const std::string& now, const std::function<void(AstromObsObj&)>& editAcknowledgement) {
  ReportText r;
  r.title = "Formatted Astrometric Results - " + reportFileName + (reportSaved ? "" : " (Modified)");
  const bool split = !oldFormat;
  const std::string code = split ? SiteCodeSplit(obs.site) : SiteCode80(obs.site);
  if (obs.shortForm) ShortHeader(obs, code, split, now, editAcknowledgement, r.lines);
  else LongHeader(obs, code, r.lines);
  r.headerLines = static_cast<int>(r.lines.size());
  const bool roving = RovingObserver(obs.site);
  r.linesPerObservation = split ? (roving ? 6 : 4) : (roving ? 2 : 1);
  for (const auto& o : obs.Observations()) {
    const auto lines = split ? ObservationLinesSplit(o, obs.site, obs.camera, obs.catalogs) : ObservationLines80(o, obs.site, obs.camera.timingErrorMs);
    r.lines.insert(r.lines.end(), lines.begin(), lines.end());
  }
  if (split) r.lines.push_back("CNT " + std::to_string(obs.Count()));
  if (AnySimulated(obs)) {
    r.lines.push_back("**IMPORTANT**");
    r.lines.push_back("This report contains measurements of simulated images.  DO NOT send these");
    r.lines.push_back("measurements to the Minor Planet Center!");
  }
  return r;
}

ReportText BuildExerciseReport(const AstromObsObj& obs) {
  ReportText r;
  r.title = "Astrometric Results";
  r.lines.push_back(std::string(80, ' '));
  r.lines.push_back("                     Obs Date    Obs UT    Right Ascn.  Declination  App.       ");
  std::string heading = "Object Name          Yr   M  D   H  M  S   Hr Mn Sec     d  '  \"     Mag        ";
  heading[57] = '\xB0';
  r.lines.push_back(heading);
  r.headerLines = 3;
  for (const auto& o : obs.Observations()) {
    std::string line(80, ' ');
    PutAt(line, 1, o.params.objectName.substr(0, 20));
    // The time rounded to whole seconds; a carry into the next day moves the date too.
    const long double seconds = std::nearbyint(static_cast<long double>(o.params.observationTime) * 86400.0L);
    const double t = static_cast<double>(seconds / 86400.0L);
    const DayText day = Day(t, 0);
    PutAt(line, 22, std::to_string(day.year));
    PutAt(line, 27, Two(day.month));
    PutAt(line, 30, Two(day.dayOfMonth));
    long long s = std::llround(seconds - std::floor(seconds / 86400.0L) * 86400.0L);
    PutAt(line, 34, Two(s / 3600));
    PutAt(line, 37, Two(s / 60 % 60));
    PutAt(line, 40, Two(s % 60));
    const Sexagesimal ra = Split(o.target.fitRA, 2, true);
    PutAt(line, 44, Two(ra.whole));
    PutAt(line, 47, Two(ra.minutes));
    PutAt(line, 50, ra.seconds);
    const Sexagesimal dec = Split(o.target.fitDec, 1, false);
    PutAt(line, 57, o.target.fitDec < 0 ? "-" : "+");
    PutAt(line, 58, Two(dec.whole));
    PutAt(line, 61, Two(dec.minutes));
    PutAt(line, 64, dec.seconds);
    if (o.target.catMag != 0) PutAt(line, 70, FormatFixed(o.target.magRes < 0.05L ? 2 : 1, o.target.catMag));
    if (o.params.note == kNoteSimulated) PutAt(line, 80, "*");
    line.resize(80, ' ');
    r.lines.push_back(line);
  }
  if (AnySimulated(obs)) r.lines.push_back("* Measurement of Simulated Image");
  return r;
}

std::vector<std::string> SpreadsheetLines(const AstromObsObj& obs) {
  std::vector<std::string> out = {"Astrometric Results", "",
                                  "Object Name,Date,Time,Julian Date*,Right Ascension(hrs),Declination(deg),Magnitude"};
  for (const auto& o : obs.Observations()) {
    const double t = o.params.observationTime;
    DateTimeObj when;
    when.SetDateTime(t);
    // Whole seconds, halves to the even neighbour; 24:00:00 is 0:00:00 of the next day.
    long long s = std::llround(std::nearbyint((t - std::floor(t)) * 86400.0));
    if (s >= 86400) {
      s -= 86400;
      when.SetDateTime(std::floor(t) + 1);
    }
    const std::string time = std::to_string(s / 3600) + ":" + Two(s / 60 % 60) + ":" + Two(s % 60);
    std::string line = o.params.objectName + "," + when.ShortDateText() + "," + time + "," +
                       FormatFixed(6, when.GetJD() - 2450000.0L) + "," + FormatFixed(6, o.target.fitRA) + "," +
                       FormatFixed(5, o.target.fitDec) + ",";
    if (o.target.catMag != 0) line += FormatFixed(1, o.target.catMag);
    out.push_back(line);
  }
  out.push_back("");
  out.push_back(",,,*Minus " + FormatFixed(1, 2450000.0L));
  return out;
}

std::string DefaultReportTextName(const std::string& reportFileName, double today) {
  if (!reportFileName.empty()) return reportFileName.substr(0, reportFileName.find('.')) + "RPT.TXT";
  const CalendarDate d = DecodeDate(today);
  return std::string(MonthName(d.month)).substr(0, 3) + std::to_string(d.day) + "RPT.TXT";
}

}  // namespace skarvel

#include "orbits/fit_observations.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "foundations/angles.h"
#include "foundations/sky_coord.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

/// Julian date of 0h UTC on a Gregorian calendar date (Meeus, ch. 7).
long double CalendarJd(int year, int month, long double day) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const int a = year / 100;
  const int b = 2 - a + a / 4;
  return std::floor(365.25L * static_cast<long double>(year + 4716)) +
         std::floor(30.6001L * static_cast<long double>(month + 1)) + day + static_cast<long double>(b) - 1524.5L;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

/// Free-spaced words of a line.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t b = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > b) words.emplace_back(line.substr(b, i - b));
  }
  return words;
}

/// A plain decimal (digits, one point, an optional sign) within +-limit.
std::optional<long double> PlainNumber(std::string_view text, long double limit) {
  const std::string t = Trim(text);
  if (t.empty() || t.size() > 24) return std::nullopt;
  bool digit = false;
  for (std::size_t k = 0; k < t.size(); ++k) {
    const char c = t[k];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digit = true;
    } else if (!(c == '.' || ((c == '+' || c == '-') && k == 0))) {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  const auto v = ParseDecimal(t);
  if (!v || !std::isfinite(*v) || std::fabs(*v) > limit) return std::nullopt;
  return v;
}

std::string Column(std::string_view line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return std::string(line.substr(first - 1, std::min(last, line.size()) - first + 1));
}

/// "HH MM SS.sss" or "sDD MM SS.ss" (blanks may stand for leading zeros) as a
/// value in the first field's unit; nothing when a field is not a number or
/// out of range.
std::optional<long double> Sexagesimal(std::string_view text, long double firstLimit) {
  std::string t = Trim(text);
  long double sign = 1;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    if (t[0] == '-') sign = -1;
    t = Trim(std::string_view(t).substr(1));
  }
  const auto w = Words(t);
  if (w.empty() || w.size() > 3) return std::nullopt;
  long double value = 0;
  long double scale = 1;
  for (std::size_t k = 0; k < w.size(); ++k) {
    const auto v = PlainNumber(w[k], k == 0 ? firstLimit : 60);
    if (!v || *v < 0 || (k > 0 && *v >= 60)) return std::nullopt;
    value += *v / scale;
    scale *= 60;
  }
  if (value > firstLimit) return std::nullopt;
  return sign * value;
}

std::string LineProblem(std::size_t line, const std::string& why) {
  return "Line " + std::to_string(line) + ": " + why;
}

/// Reads "YYYY MM DD.ddddd" of columns 16-32.
std::optional<long double> Mpc80Date(std::string_view field) {
  const auto w = Words(field);
  if (w.size() != 3) return std::nullopt;
  const auto y = ParseInteger(w[0]);
  const auto m = ParseInteger(w[1]);
  const auto d = PlainNumber(w[2], 32);
  if (!y || !m || !d || *y < 1000 || *y > 3000 || *m < 1 || *m > 12 || *d < 1 || *d >= 32) return std::nullopt;
  return CalendarJd(*y, *m, *d);
}

}  // namespace

const ObservatoryCode* ObservatoryCodeList::Find(const std::string& code) const {
  const auto it = codes.find(code);
  return it == codes.end() ? nullptr : &it->second;
}

ObservatoryCodeList ParseObservatoryCodes(std::string_view text) {
  ObservatoryCodeList list;
  for (std::string_view line : SplitLines(text)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '<' || t.rfind("Code", 0) == 0) continue;
    if (line.size() < 3) {
      ++list.skipped;
      continue;
    }
    ObservatoryCode c;
    c.code = std::string(line.substr(0, 3));
    bool codeOk = true;
    for (char ch : c.code) codeOk = codeOk && std::isalnum(static_cast<unsigned char>(ch));
    if (!codeOk) {
      ++list.skipped;
      continue;
    }
    // Fixed columns first (the blank-field spacecraft lines need them), free spacing otherwise.
    const std::string lon = Trim(Column(line, 5, 13));
    const std::string rc = Trim(Column(line, 14, 21));
    const std::string rs = Trim(Column(line, 22, 30));
    if (lon.empty() && rc.empty() && Trim(Column(line, 22, 29)).empty()) {
      c.name = Trim(line.substr(3));
      c.hasPosition = false;
      list.codes[c.code] = c;
      continue;
    }
    // The fixed columns hold numbers that run together; free spacing serves
    // lists whose columns have shifted.
    auto vLon = PlainNumber(lon, 360);
    auto vC = PlainNumber(rc, 2);
    auto vS = PlainNumber(rs, 2);
    std::string name = Trim(Column(line, 31, line.size()));
    if (!vLon || !vC || !vS) {
      const auto w = Words(line.substr(3));
      if (w.size() < 3) {
        ++list.skipped;
        continue;
      }
      vLon = PlainNumber(w[0], 360);
      vC = PlainNumber(w[1], 2);
      vS = PlainNumber(w[2], 2);
      name.clear();
      for (std::size_t k = 3; k < w.size(); ++k) name += (k > 3 ? " " : "") + w[k];
    }
    if (!vLon || !vC || !vS || *vLon < 0) {
      ++list.skipped;
      continue;
    }
    c.longitudeEastDeg = *vLon;
    c.rhoCosPhi = *vC;
    c.rhoSinPhi = *vS;
    c.name = name;
    c.hasPosition = true;
    list.codes[c.code] = c;
  }
  return list;
}

ObservatoryCode SiteObservatoryCode(const SiteRecord& site) {
  ObservatoryCode c;
  c.code = site.code.empty() ? "XXX" : site.code;
  c.name = site.name;
  long double lon = static_cast<long double>(site.longitudeDeg);
  if (lon < 0) lon += 360;
  c.longitudeEastDeg = lon;
  const GeocentricSite g =
      SiteGeocentric(static_cast<long double>(site.latitudeDeg) * kPi / 180, static_cast<long double>(site.altitudeM));
  c.rhoCosPhi = g.rhoCosPhi;
  c.rhoSinPhi = g.rhoSinPhi;
  c.hasPosition = true;
  return c;
}

ObservationReading ReadMpc80(std::string_view text) {
  ObservationReading r;
  r.format = "mpc80";
  const auto lines = SplitLines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string_view line = lines[k];
    const std::size_t no = k + 1;
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    if (line.size() >= 4 && line[3] == ' ' && std::isupper(static_cast<unsigned char>(line[0])) &&
        std::isupper(static_cast<unsigned char>(line[1])) && std::isupper(static_cast<unsigned char>(line[2])) &&
        line.size() < 80) {
      continue;  // a header line (COD, OBS, MEA, TEL, ACK, COM, ...)
    }
    if (line.size() < 80) {
      r.problems.push_back(LineProblem(no, "shorter than 80 columns"));
      continue;
    }
    const char type = line[14];
    if (type == 's') {
      r.problems.push_back(LineProblem(no, "spacecraft position line without its observation line"));
      continue;
    }
    if (type == 'R' || type == 'r') {
      r.problems.push_back(LineProblem(no, "radar observation skipped"));
      continue;
    }
    if (type == 'V' || type == 'v') {
      r.problems.push_back(LineProblem(no, "roving observer skipped"));
      continue;
    }
    if (type == 'X' || type == 'x') {
      r.problems.push_back(LineProblem(no, "deleted observation skipped"));
      continue;
    }
    FitObservation o;
    o.line = no;
    o.designation = Trim(Column(line, 1, 5));
    if (o.designation.empty()) o.designation = Trim(Column(line, 6, 12));
    const auto jd = Mpc80Date(Column(line, 16, 32));
    const auto ra = Sexagesimal(Column(line, 33, 44), 24);
    const auto dec = Sexagesimal(Column(line, 45, 56), 90);
    if (!jd || !ra || !dec || *ra >= 24) {
      r.problems.push_back(LineProblem(no, "date, right ascension or declination not readable"));
      continue;
    }
    o.jdUtc = *jd;
    o.raDeg = *ra * 15;
    o.decDeg = *dec;
    o.code = Column(line, 78, 80);
    if (type == 'S') {
      const std::string_view next = k + 1 < lines.size() ? lines[k + 1] : std::string_view();
      if (next.size() < 80 || next[14] != 's' || Column(next, 78, 80) != o.code) {
        r.problems.push_back(LineProblem(no, "spacecraft observation without its position line"));
        continue;
      }
      ++k;
      const char unit = next[32];
      const auto x = Sexagesimal(Column(next, 35, 45), 1e7L);
      const auto y = Sexagesimal(Column(next, 47, 57), 1e7L);
      const auto z = Sexagesimal(Column(next, 59, 69), 1e7L);
      if ((unit != '1' && unit != '2') || !x || !y || !z) {
        r.problems.push_back(LineProblem(no + 1, "spacecraft position not readable"));
        continue;
      }
      // One AU in km (IAU 2012), for positions given in AU.
      const long double scale = unit == '1' ? 1.0L : 149597870.7L;
      o.satellite = true;
      o.satelliteKm = {*x * scale, *y * scale, *z * scale};
    }
    r.observations.push_back(o);
  }
  return r;
}

std::optional<long double> IsoTimeToJd(std::string_view text) {
  const std::string t = Trim(text);
  // YYYY-MM-DDTHH:MM:SS[.f][Z]
  if (t.size() < 19 || t[4] != '-' || t[7] != '-' || (t[10] != 'T' && t[10] != ' ') || t[13] != ':' ||
      t[16] != ':') {
    return std::nullopt;
  }
  const auto y = ParseInteger(t.substr(0, 4));
  const auto mo = ParseInteger(t.substr(5, 2));
  const auto d = ParseInteger(t.substr(8, 2));
  const auto h = ParseInteger(t.substr(11, 2));
  const auto mi = ParseInteger(t.substr(14, 2));
  std::string sec = t.substr(17);
  if (!sec.empty() && sec.back() == 'Z') sec.pop_back();
  const auto s = PlainNumber(sec, 61);
  if (!y || !mo || !d || !h || !mi || !s || *y < 1000 || *y > 3000 || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 ||
      *h < 0 || *h > 23 || *mi < 0 || *mi > 59 || *s < 0 || sec[0] == '-' || sec[0] == '+') {
    return std::nullopt;
  }
  return CalendarJd(*y, *mo, static_cast<long double>(*d)) +
         (static_cast<long double>(*h) + static_cast<long double>(*mi) / 60 + *s / 3600) / 24;
}

namespace {

/// One observation from named ADES fields; the problem text when it is unusable.
std::optional<std::string> AdesObservation(const std::map<std::string, std::string>& f, FitObservation& o) {
  const auto get = [&f](const char* key) -> std::string {
    const auto it = f.find(key);
    return it == f.end() ? std::string() : Trim(it->second);
  };
  o.designation = get("permID");
  if (o.designation.empty()) o.designation = get("provID");
  if (o.designation.empty()) o.designation = get("trkSub");
  const std::string mode = get("mode");
  if (mode == "RAD") return "radar observation skipped";
  const auto jd = IsoTimeToJd(get("obsTime"));
  const auto ra = PlainNumber(get("ra"), 360);
  const auto dec = PlainNumber(get("dec"), 90);
  if (!jd || !ra || !dec || *ra < 0 || *ra >= 360) return "obsTime, ra or dec not readable";
  o.jdUtc = *jd;
  o.raDeg = *ra;
  o.decDeg = *dec;
  o.code = get("stn");
  if (o.code.empty()) return "no stn";
  const std::string sr = get("rmsRA");
  const std::string sd = get("rmsDec");
  if (!sr.empty()) {
    const auto v = PlainNumber(sr, 1e6L);
    if (!v || *v <= 0) return "rmsRA not a positive number";
    o.sigmaRaArcsec = *v;
  }
  if (!sd.empty()) {
    const auto v = PlainNumber(sd, 1e6L);
    if (!v || *v <= 0) return "rmsDec not a positive number";
    o.sigmaDecArcsec = *v;
  }
  if (mode == "SAT" || !get("pos1").empty()) {
    const auto x = PlainNumber(get("pos1"), 1e9L);
    const auto y = PlainNumber(get("pos2"), 1e9L);
    const auto z = PlainNumber(get("pos3"), 1e9L);
    const std::string sys = get("sys");
    if (!x || !y || !z) return "spacecraft position not readable";
    if (!sys.empty() && sys != "ICRF_KM" && sys != "ICRF_AU") return "spacecraft frame " + sys + " not supported";
    const long double scale = sys == "ICRF_AU" ? 149597870.7L : 1.0L;
    o.satellite = true;
    o.satelliteKm = {*x * scale, *y * scale, *z * scale};
  }
  return std::nullopt;
}

std::vector<std::string> SplitBars(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = line.find('|', start);
    fields.push_back(Trim(line.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start)));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return fields;
}

}  // namespace

ObservationReading ReadAdesPsv(std::string_view text) {
  ObservationReading r;
  r.format = "ades-psv";
  std::vector<std::string> keys;
  const auto lines = SplitLines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const std::string t = Trim(lines[k]);
    if (t.empty() || t[0] == '#' || t[0] == '!') {
      if (!t.empty() && t[0] == '#') keys.clear();  // a new block needs its own keyword record
      continue;
    }
    const auto fields = SplitBars(lines[k]);
    bool isHeader = false;
    for (const auto& fld : fields) isHeader = isHeader || fld == "obsTime";
    if (isHeader) {
      keys = fields;
      continue;
    }
    if (keys.empty()) {
      r.problems.push_back(LineProblem(k + 1, "data record before a keyword record"));
      continue;
    }
    if (fields.size() != keys.size()) {
      r.problems.push_back(LineProblem(k + 1, "field count differs from the keyword record"));
      continue;
    }
    std::map<std::string, std::string> f;
    for (std::size_t j = 0; j < keys.size(); ++j) f[keys[j]] = fields[j];
    FitObservation o;
    o.line = k + 1;
    if (const auto why = AdesObservation(f, o)) {
      r.problems.push_back(LineProblem(k + 1, *why));
      continue;
    }
    r.observations.push_back(o);
  }
  return r;
}

ObservationReading ReadAdesXml(std::string_view text) {
  ObservationReading r;
  r.format = "ades-xml";
  std::size_t pos = 0;
  std::size_t count = 0;
  while (true) {
    const std::size_t open = text.find("<optical>", pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find("</optical>", open);
    ++count;
    if (close == std::string_view::npos) {
      r.problems.push_back("Observation " + std::to_string(count) + ": no closing </optical>");
      break;
    }
    const std::string_view body = text.substr(open + 9, close - open - 9);
    std::map<std::string, std::string> f;
    std::size_t p = 0;
    while (true) {
      const std::size_t lt = body.find('<', p);
      if (lt == std::string_view::npos) break;
      const std::size_t gt = body.find('>', lt);
      if (gt == std::string_view::npos) break;
      const std::string name(body.substr(lt + 1, gt - lt - 1));
      if (name.empty() || name[0] == '/' || name.back() == '/' || name.find(' ') != std::string::npos) {
        p = gt + 1;
        continue;
      }
      const std::string endTag = "</" + name + ">";
      const std::size_t end = body.find(endTag, gt);
      if (end == std::string_view::npos) {
        p = gt + 1;
        continue;
      }
      f[name] = std::string(body.substr(gt + 1, end - gt - 1));
      p = end + endTag.size();
    }
    FitObservation o;
    o.line = count;
    if (const auto why = AdesObservation(f, o)) {
      r.problems.push_back("Observation " + std::to_string(count) + ": " + *why);
    } else {
      r.observations.push_back(o);
    }
    pos = close + 10;
  }
  return r;
}

ObservationReading ReadObservations(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && text[i] == '<') return ReadAdesXml(text);
  for (std::string_view line : SplitLines(text)) {
    if (line.find('|') != std::string_view::npos && line.find("obsTime") != std::string_view::npos) {
      return ReadAdesPsv(text);
    }
  }
  return ReadMpc80(text);
}

}  // namespace skarvel

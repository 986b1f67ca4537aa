#include "orbits/find_orb.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"
#include "orbits/kepler.h"

namespace skarvel {

namespace {

constexpr std::string_view kBlockStart = "ORBITAL ELEMENTS:";
/// G of a block that gives none: the slope parameter FIND_ORB itself assumes.
constexpr long double kDefaultSlopeG = 0.15L;
/// Central bodies of planetocentric blocks (indices of the GM table).
constexpr std::uint8_t kEarthMoonBody = 3;
constexpr std::uint8_t kMoonBody = 10;

/// The text split into lines (CR LF, LF or CR ends a line).
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

/// The token that starts at `from` after skipping blanks (runs to the next blank).
std::string_view TokenFrom(std::string_view line, std::size_t& from) {
  while (from < line.size() && line[from] == ' ') ++from;
  const std::size_t start = from;
  while (from < line.size() && line[from] != ' ') ++from;
  return line.substr(start, from - start);
}

/// A number read after a keyword, and whether "km" was its unit.
struct KeywordValue {
  long double value = 0;
  bool km = false;
};

/// The value after keyword `key` in `line`: the first place where `key`
/// starts the line or follows a blank and is followed by a blank, a digit or
/// a sign; then blanks are skipped and the number runs up to the next blank.
/// A number ending in "km", or followed by "km" (after an optional "+/-"
/// sigma), is in kilometres.
std::optional<KeywordValue> ValueAfter(std::string_view line, std::string_view key) {
  for (std::size_t at = line.find(key); at != std::string_view::npos; at = line.find(key, at + 1)) {
    if (at > 0 && line[at - 1] != ' ') continue;
    const std::size_t after = at + key.size();
    if (after < line.size()) {
      const char c = line[after];
      if (c != ' ' && c != '-' && c != '+' && c != '.' && !std::isdigit(static_cast<unsigned char>(c))) continue;
    }
    std::size_t pos = after;
    std::string_view token = TokenFrom(line, pos);
    KeywordValue v;
    if (token.size() > 2 && token.substr(token.size() - 2) == "km") {
      token.remove_suffix(2);
      v.km = true;
    }
    const auto number = ParseDecimal(token);
    if (!number || !std::isfinite(*number)) return std::nullopt;
    v.value = *number;
    std::size_t next = pos;
    std::string_view unit = TokenFrom(line, next);
    if (unit == "+/-") {
      TokenFrom(line, next);
      unit = TokenFrom(line, next);
    }
    if (unit == "km") v.km = true;
    return v;
  }
  return std::nullopt;
}

/// The value of `key`, looked for in its own line first and then in the
/// other element lines (open orbits move some keywords up).
std::optional<KeywordValue> Find(const std::vector<std::string>& elementLines, std::size_t own, std::string_view key) {
  if (own < elementLines.size())
    if (auto v = ValueAfter(elementLines[own], key)) return v;
  for (std::size_t k = 0; k < elementLines.size(); ++k)
    if (k != own)
      if (auto v = ValueAfter(elementLines[k], key)) return v;
  return std::nullopt;
}

/// The Julian date of periapsis on the periapsis line: "(JD 2450881.469329)",
/// or the calendar form "2009 Jan 25.247396" after the periapsis word.
std::optional<long double> PeriapsisJD(std::string_view line) {
  const std::size_t jd = line.find("(JD ");
  if (jd != std::string_view::npos) {
    std::size_t pos = jd + 4;
    std::string_view token = TokenFrom(line, pos);
    if (!token.empty() && token.back() == ')') token.remove_suffix(1);
    if (const auto v = ParseDecimal(token)) return *v;
    return std::nullopt;
  }
  std::size_t pos = 0;
  TokenFrom(line, pos);  // "Perihelion", "Perigee", "Perilune"
  const auto year = ParseInteger(TokenFrom(line, pos));
  const std::string_view month = TokenFrom(line, pos);
  const auto day = ParseDecimal(TokenFrom(line, pos));
  // A day of the month (1 to 31 and a fraction) or no date: a day of 1e396
  // must not reach the conversion to a whole day.
  if (!year || !day || month.size() < 3 || !(*day >= 1 && *day < 32)) return std::nullopt;
  int m = 0;
  for (int k = 1; k <= 12; ++k)
    if (MonthName(k).substr(0, 3) == month.substr(0, 3)) m = k;
  const long double whole = std::floor(*day);
  const auto date = EncodeDate(*year, m, static_cast<int>(whole));
  if (m == 0 || !date) return std::nullopt;
  return DateTimeToDays(*date) + kJulianDateOffset + (*day - whole);
}

/// Latest Julian date of the calendar (9999 December 31, 24h): an epoch or a
/// time of periapsis beyond it has no date text.
constexpr long double kLastCalendarJD = 5373484.5L;
/// FIND_ORB writes every angle within one turn; beyond +-360 degrees is no orbit.
constexpr long double kMaxAngleDegrees = 360;
/// Largest semi-major axis or periapsis distance accepted (km; 67 000 AU, the
/// limit of a plausible converted orbit record).
constexpr long double kMaxDistanceKm = 1e13L;
/// Largest magnitude parameter accepted (H or G).
constexpr long double kMaxMagnitudeParameter = 100;

bool AngleOk(const std::optional<KeywordValue>& v) { return v && std::fabs(v->value) <= kMaxAngleDegrees; }
bool DateOk(long double jd) { return jd >= 0 && jd <= kLastCalendarJD; }  // false for NaN
bool DistanceOk(const KeywordValue& v) {
  const long double km = v.km ? v.value : v.value * kAstronomicalUnitKm;
  return km > 0 && km <= kMaxDistanceKm;  // false for NaN
}
bool MagnitudeOk(const std::optional<KeywordValue>& v) { return !v || std::fabs(v->value) <= kMaxMagnitudeParameter; }

}  // namespace

std::optional<OrbitElements> ParseFindOrbText(std::string_view text) {
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.empty() || Upper(lines[0]).rfind(kBlockStart, 0) != 0) return std::nullopt;
  // The object is on the line after the heading, or on the heading itself
  // after the colon (the layout with uncertainties); the lines below move up with it.
  std::string object = lines[0].substr(kBlockStart.size());
  std::size_t next = 1;
  if (object.find_first_not_of(' ') == std::string::npos) {
    if (lines.size() < 2) return std::nullopt;
    object = lines[1];
    next = 2;
  }
  const std::size_t periapsisLine = next, epochLine = next + 1, firstElementLine = next + 2;
  if (lines.size() < firstElementLine + 4) return std::nullopt;

  OrbitElements el;
  el.frame = SkyCoord{CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000, 0, 0};
  el.equinoxIndex = 2;
  el.objectKind = 0;
  el.origin = kOriginMinorPlanet;
  el.magModel = kMagModelAsteroid;
  el.centralBody = 0;
  std::string packed;
  for (char c : object)
    if (c != ' ') packed += c;
  const std::size_t open = packed.find('(');
  const std::size_t close = open == std::string::npos ? std::string::npos : packed.find(')', open);
  if (close != std::string::npos) {
    el.designation = packed.substr(open + 1, close - open - 1).substr(0, kOrbitDesignationChars);
    packed.erase(open, close - open + 1);
  }
  el.name = packed.substr(0, kOrbitNameChars);

  const std::string& periapsis = lines[periapsisLine];
  if (periapsis.find("Perigee") != std::string::npos) el.centralBody = kEarthMoonBody;
  if (periapsis.find("Perilune") != std::string::npos) el.centralBody = kMoonBody;

  // The epoch: the number after "JDT" and its blank.
  const std::string& epochText = lines[epochLine];
  const std::size_t jdt = epochText.find("JDT");
  if (jdt == std::string::npos) return std::nullopt;
  std::size_t pos = jdt + 3;
  const auto epoch = ParseDecimal(TokenFrom(epochText, pos));
  if (!epoch || !DateOk(*epoch)) return std::nullopt;
  el.epoch = *epoch;

  const std::size_t elementCount = std::min<std::size_t>(5, lines.size() - firstElementLine);
  const std::vector<std::string> element(lines.begin() + static_cast<std::ptrdiff_t>(firstElementLine),
                                         lines.begin() + static_cast<std::ptrdiff_t>(firstElementLine + elementCount));
  const auto M = Find(element, 0, "M");
  const auto peri = Find(element, 1, "Peri.");
  const auto a = Find(element, 2, "a");
  const auto node = Find(element, 2, "Node");
  const auto e = Find(element, 3, "e");
  const auto incl = Find(element, 3, "Incl.");
  const auto H = Find(element, 4, "H");
  const auto G = Find(element, 4, "G");
  if (!AngleOk(peri) || !AngleOk(node) || !AngleOk(incl) || !e || !(e->value >= 0 && std::isfinite(e->value)) ||
      !MagnitudeOk(H) || !MagnitudeOk(G))
    return std::nullopt;
  el.peri = peri->value * kRadiansPerDegree;
  el.node = node->value * kRadiansPerDegree;
  el.i = incl->value * kRadiansPerDegree;
  el.e = e->value;
  el.H = H ? H->value : 0;
  el.G = G ? G->value : kDefaultSlopeG;
  if (a && M && el.e < 1) {
    if (!DistanceOk(*a) || !AngleOk(M)) return std::nullopt;
    el.a = a->km ? a->value : a->value * kAstronomicalUnitKm;
    el.M = M->value * kRadiansPerDegree;
    QFromA(el);
    MeanMotion(el);
    TFromM(el);
  } else {
    // An open orbit: q, e and the time of periapsis.
    const auto q = Find(element, 0, "q");
    const auto T = PeriapsisJD(periapsis);
    if (!q || !DistanceOk(*q) || !T || !DateOk(*T)) return std::nullopt;
    el.q = q->km ? q->value : q->value * kAstronomicalUnitKm;
    el.T = *T;
    AFromQ(el);
    MeanMotion(el);
    MFromT(el);
  }
  if (!std::isfinite(el.n) || el.n <= 0) return std::nullopt;
  return el;
}

bool LoadFindOrb(platform::Platform& ui, const std::string& path, CurrentElements& current) {
  errno = 0;
  std::ifstream in(fs::Resolve(path), std::ios::binary);
  if (!in) {
    const int code = errno != 0 ? IOCodeFromErrno(errno) : io_code::kFileNotFound;
    platform::Tell(ui,
                   "Unable to Open FIND_ORB File!\r\n\r\nFile Name: " + path + "\r\n" + "IOResult = " +
                       std::to_string(code),
                   std::string(kFindOrbErrorCaption), platform::Icon::Error);
    return false;
  }
  std::string text(kFindOrbReadLimit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  const auto elements = ParseFindOrbText(text);
  if (!elements) {
    platform::Tell(ui, "File Is NOT a FIND_ORB File!\r\n\r\nFile Name: " + path, std::string(kFindOrbErrorCaption),
                   platform::Icon::Error);
    return false;
  }
  current.Set(*elements, OrbitCodes{}, ElementSource::kFindOrb, 0);
  return true;
}

}  // namespace skarvel

#include "orbits/orbit_records.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "orbits/designation.h"

namespace skarvel {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

/// Columns first..last (1-based, inclusive) of a record; shorter records give
/// what they have (possibly nothing).
std::string_view Columns(std::string_view record, std::size_t first, std::size_t last) {
  if (record.size() < first) return {};
  const std::size_t end = last < record.size() ? last : record.size();
  return record.substr(first - 1, end - first + 1);
}

/// Powers of ten that long double holds exactly (up to 10^27, as 5^27 < 2^64).
constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L, 1e9L,
                                  1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L};

/// A decimal number in a fixed-width field: blanks around an optional sign,
/// digits and one optional point. Plain fields of up to 18 digits are read
/// here exactly (an integer divided by an exact power of ten, so correctly
/// rounded); anything else goes to ParseDecimal.
std::optional<long double> FieldNumber(std::string_view field) {
  field = Trim(field);
  if (field.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (field[0] == '-' || field[0] == '+') {
    negative = field[0] == '-';
    ++i;
  }
  std::uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (IsDigit(c)) {
      if (digits == 18) return ParseDecimal(field);
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      ++digits;
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return ParseDecimal(field);
    }
  }
  if (digits == 0) return std::nullopt;
  const long double value = static_cast<long double>(mantissa) / kPow10[decimals];
  return negative ? -value : value;
}

long double RequireNumber(std::string_view field, const char* what) {
  const auto v = FieldNumber(field);
  if (!v || !std::isfinite(*v)) throw OrbitRecordError(std::string("Invalid ") + what);
  return *v;
}

/// An angle field in degrees, as radians. The databases give every angle within
/// one turn; a value beyond +-360 degrees is no orbit and is refused here (a
/// value of 1e12 degrees would otherwise survive to the propagation).
constexpr long double kMaxAngleDegrees = 360;

long double RequireAngle(long double degrees, const char* what) {
  if (!(std::fabs(degrees) <= kMaxAngleDegrees)) throw OrbitRecordError(std::string("Invalid ") + what);
  return degrees * kRadiansPerDegree;
}

long double RequireAngle(std::string_view field, const char* what) {
  return RequireAngle(RequireNumber(field, what), what);
}

/// The Julian date of 0h of a calendar date.
long double DateJD(std::int32_t year, int month, int day, const char* what) {
  const auto dt = EncodeDate(year, month, day);
  if (!dt) throw OrbitRecordError(std::string("Invalid ") + what);
  return DateTimeToDays(*dt) + kJulianDateOffset;
}

/// YYYYMMDD as the Julian date of 0h.
long double CompactDateJD(std::string_view field, const char* what) {
  field = Trim(field);
  if (field.size() != 8) throw OrbitRecordError(std::string("Invalid ") + what);
  for (char c : field)
    if (!IsDigit(c)) throw OrbitRecordError(std::string("Invalid ") + what);
  const auto num = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t k = 0; k < n; ++k) v = v * 10 + (field[at + k] - '0');
    return v;
  };
  return DateJD(num(0, 4), num(4, 2), num(6, 2), what);
}

/// The common checks and the derived fields of an asteroid record given by a.
void FinishFromA(OrbitElements& el) {
  if (!(el.e >= 0 && el.e < 1)) throw OrbitRecordError("Invalid eccentricity");
  if (!(el.a > 0)) throw OrbitRecordError("Invalid semi-major axis");
  QFromA(el);
  MeanMotion(el);
  TFromM(el);
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void SetAsteroidDefaults(OrbitElements& el) {
  InitFrame(el.frame, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
  el.centralBody = 0;
  el.objectKind = kMinorPlanetKind;
  el.origin = kOriginMinorPlanet;
  el.equinoxIndex = 2;
  el.magModel = kMagModelAsteroid;
}

void SetCometDefaults(OrbitElements& el) {
  InitFrame(el.frame, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
  el.centralBody = 0;
  el.objectKind = kCometKind;
  el.origin = kOriginComet;
  el.equinoxIndex = 2;
  el.magModel = kMagModelComet;
}

long double PackedEpochJD(std::string_view packed) {
  static constexpr std::string_view kDayCodes = "123456789ABCDEFGHIJKLMNOPQRSTUV";
  if (packed.size() != 5 || !IsDigit(packed[1]) || !IsDigit(packed[2])) throw OrbitRecordError("Invalid epoch");
  int century = 0;
  switch (packed[0]) {
    case 'I': century = 18; break;
    case 'J': century = 19; break;
    case 'K': century = 20; break;
    default: throw OrbitRecordError("Invalid epoch");
  }
  const std::size_t month = kDayCodes.find(packed[3]);
  const std::size_t day = kDayCodes.find(packed[4]);
  if (month == std::string_view::npos || month >= 12 || day == std::string_view::npos)
    throw OrbitRecordError("Invalid epoch");
  const int year = century * 100 + (packed[1] - '0') * 10 + (packed[2] - '0');
  return DateJD(year, static_cast<int>(month) + 1, static_cast<int>(day) + 1, "epoch");
}

void ParseLowellNames(std::string_view record, bool sevenChar, OrbitElements& el) {
  const std::string_view number = Trim(Columns(record, 1, 6));
  el.name = std::string(Trim(Columns(record, 8, 25)));
  if (!number.empty()) {
    for (char c : number)
      if (!IsDigit(c)) throw OrbitRecordError("Invalid number");
    el.designation = std::string(number);
  } else {
    el.designation = PackDesignation(el.name, kMinorPlanetKind, sevenChar);
  }
}

void ParseLowellRecord(std::string_view record, bool sevenChar, OrbitElements& el, OrbitCodes& codes) {
  ParseLowellNames(record, sevenChar, el);
  if (record.size() < 181) throw OrbitRecordError("Record too short");
  el.H = RequireNumber(Columns(record, 43, 47), "H");
  el.G = RequireNumber(Columns(record, 49, 53), "G");
  el.epoch = CompactDateJD(Columns(record, 107, 114), "epoch");
  el.M = RequireAngle(Columns(record, 116, 125), "mean anomaly");
  el.peri = RequireAngle(Columns(record, 127, 136), "argument of perihelion");
  el.node = RequireAngle(Columns(record, 138, 147), "node");
  el.i = RequireAngle(Columns(record, 148, 157), "inclination");
  el.e = RequireNumber(Columns(record, 159, 168), "eccentricity");
  el.a = RequireNumber(Columns(record, 170, 181), "semi-major axis") * kAstronomicalUnitKm;
  for (std::size_t k = 0; k < 6; ++k) {
    const std::string_view field = Columns(record, 71 + 4 * k, 74 + 4 * k);
    const std::string_view lastThree = Trim(field.substr(1));
    int value = 0;
    for (char c : lastThree) {
      if (!IsDigit(c)) throw OrbitRecordError("Invalid orbit code");
      value = value * 10 + (c - '0');
    }
    codes[k] = static_cast<std::uint8_t>(value & 0xFF);
  }
  FinishFromA(el);
}

void ParseMpcorbNames(std::string_view line, OrbitElements& el) {
  const std::string_view id = Columns(line, 1, 7);
  if (id.size() < 6) throw OrbitRecordError("Record too short");
  const bool numbered = id[5] == ' ';
  if (numbered) {
    const auto number = UnpackNumber(id.substr(0, 5));
    if (!number || *number <= 0) throw OrbitRecordError("Invalid number");
    el.designation = std::to_string(*number);
  } else {
    el.designation = std::string(Trim(id));
  }
  std::string_view name = Columns(line, 167, 194);
  if (numbered) {
    const std::size_t close = name.find(')');
    if (close != std::string_view::npos) name.remove_prefix(close + 1);
  }
  el.name = std::string(Trim(name));
}

bool ParseMpcorbLine(std::string_view line, OrbitElements& el, OrbitCodes& codes) {
  ParseMpcorbNames(line, el);
  if (line.size() < 103) throw OrbitRecordError("Record too short");
  const std::string_view hField = Columns(line, 9, 13);
  const bool hPresent = !Trim(hField).empty();
  el.H = hPresent ? RequireNumber(hField, "H") : kMpcDefaultH;
  const std::string_view gField = Columns(line, 15, 19);
  el.G = Trim(gField).empty() ? kMpcDefaultG : RequireNumber(gField, "G");
  el.epoch = PackedEpochJD(Columns(line, 21, 25));
  el.M = RequireAngle(Columns(line, 27, 35), "mean anomaly");
  el.peri = RequireAngle(Columns(line, 38, 46), "argument of perihelion");
  el.node = RequireAngle(Columns(line, 49, 57), "node");
  el.i = RequireAngle(Columns(line, 60, 68), "inclination");
  el.e = RequireNumber(Columns(line, 71, 79), "eccentricity");
  el.a = RequireNumber(Columns(line, 93, 103), "semi-major axis") * kAstronomicalUnitKm;

  const std::string_view u = Columns(line, 106, 106);
  const char uChar = u.empty() ? ' ' : u[0];
  codes[1] =
      static_cast<std::uint8_t>((uChar == 'E' ? kCodeEccentricityAssumed : 0) | (hPresent ? 0 : kCodeNoMagnitude));
  codes[5] = static_cast<std::uint8_t>(IsDigit(uChar) ? uChar - '0' : 0);
  const std::string_view flags = Columns(line, 162, 165);
  unsigned value = 0;
  bool hex = flags.size() == 4;
  for (char c : flags) {
    const int d = HexValue(c == ' ' ? '0' : c);
    if (d < 0) hex = false;
    value = value * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
  }
  if (!hex) value = 0;
  codes[2] = static_cast<std::uint8_t>(value >> 8);
  codes[4] = static_cast<std::uint8_t>(value & 0xFF);
  FinishFromA(el);
  return hPresent;
}

void ParseCometLine(std::string_view line, OrbitElements& el) {
  // The whitespace-separated fields, taken one by one from the front.
  std::string_view rest = line;
  const auto skipBlanks = [&] {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  };
  const auto token = [&]() -> std::string_view {
    skipBlanks();
    std::size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    const std::string_view t = rest.substr(0, n);
    rest.remove_prefix(n);
    return t;
  };
  const auto number = [&](const char* what) {
    const std::string_view t = token();
    if (t.empty()) throw OrbitRecordError(std::string("Missing ") + what);
    return RequireNumber(t, what);
  };
  const auto integer = [&](const char* what) {
    const long double v = number(what);
    if (v != std::trunc(v) || std::fabs(v) > 1e6L) throw OrbitRecordError(std::string("Invalid ") + what);
    return static_cast<int>(v);
  };

  std::string designation(token());
  if (designation.empty()) throw OrbitRecordError("Missing designation");
  {
    // Fragment letters standing alone after the designation ("0332P      a", "0073P     bt").
    std::string_view probe = rest;
    while (!probe.empty() && IsBlank(probe.front())) probe.remove_prefix(1);
    std::size_t letters = 0;
    while (letters < probe.size() && probe[letters] >= 'a' && probe[letters] <= 'z') ++letters;
    if (letters >= 1 && letters <= 2 && letters < probe.size() && IsBlank(probe[letters])) {
      designation += probe.substr(0, letters);
      rest = probe.substr(letters);
    }
  }
  if (designation.size() > kOrbitDesignationChars) designation.resize(kOrbitDesignationChars);
  el.designation = designation;

  const int year = integer("perihelion year");
  const int month = integer("perihelion month");
  const long double day = number("perihelion day");
  if (!(day >= 1 && day < 32)) throw OrbitRecordError("Invalid perihelion day");
  const long double wholeDay = std::trunc(day);
  const long double hours = (day - wholeDay) * 24;
  int hour = static_cast<int>(std::trunc(hours));
  const long double minutes = (hours - hour) * 60;
  int minute = static_cast<int>(std::trunc(minutes));
  long double seconds = (minutes - minute) * 60;
  if (seconds >= 60) {
    seconds -= 60;
    ++minute;
  }
  if (minute >= 60) {
    minute -= 60;
    ++hour;
  }
  DateTimeObj when;
  when.year = year;
  when.month = static_cast<std::uint8_t>(month >= 1 && month <= 12 ? month : 0);
  when.day = static_cast<std::uint8_t>(wholeDay);
  long double extraDays = 0;
  if (hour >= 24) {  // a fraction within rounding of the next midnight
    hour -= 24;
    extraDays = 1;
  }
  when.utTime.hour = static_cast<std::uint8_t>(hour);
  when.utTime.minute = static_cast<std::uint8_t>(minute);
  when.utTime.seconds = static_cast<float>(seconds);
  if (year < 1 || year > 9999 || !when.SetFromFields()) throw OrbitRecordError("Invalid perihelion date");
  el.T = when.GetJD() + extraDays;

  el.q = number("perihelion distance") * kAstronomicalUnitKm;
  el.e = number("eccentricity");
  el.peri = RequireAngle(number("argument of perihelion"), "argument of perihelion");
  el.node = RequireAngle(number("node"), "node");
  el.i = RequireAngle(number("inclination"), "inclination");
  if (!(el.q > 0)) throw OrbitRecordError("Invalid perihelion distance");
  if (!(el.e >= 0)) throw OrbitRecordError("Invalid eccentricity");

  skipBlanks();
  const std::size_t point = rest.find('.');
  if (point != std::string_view::npos && point > 10) {
    el.epoch = CompactDateJD(token(), "epoch");
  } else {
    el.epoch = 0;
  }
  el.H = number("g");
  el.G = number("k");
  skipBlanks();
  std::string_view name = rest.substr(0, rest.size() < kOrbitNameChars ? rest.size() : kOrbitNameChars);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  el.name = std::string(name);

  AFromQ(el);
  MeanMotion(el);
  MFromT(el);
}

CmoRecord ElementsToCmo(const OrbitElements& el, const KeplerErrorReporter* reporter) {
  CmoRecord rec;
  rec.objectKind = el.objectKind;
  rec.name = el.name;
  rec.designation = el.designation;
  rec.epoch = el.epoch;
  const StateVector s = ElementsToState(el, el.epoch, reporter);
  if (!s.error) {
    rec.position = s.position;
    rec.velocity = s.velocity;
  }
  rec.centralBody = el.centralBody;
  rec.magModel = el.magModel;
  rec.H = el.H;
  rec.G = el.G;
  rec.frame = el.frame;
  rec.frame.angle1 = 0;
  rec.frame.angle2 = 0;
  return rec;
}

OrbitElements CmoToElements(const CmoRecord& rec) {
  OrbitElements templ;
  templ.frame = rec.frame;
  templ.objectKind = rec.objectKind;
  templ.name = rec.name;
  templ.designation = rec.designation;
  templ.centralBody = rec.centralBody;
  templ.magModel = rec.magModel;
  templ.H = rec.H;
  templ.G = rec.G;
  templ.origin = rec.objectKind == kCometKind ? kOriginComet : kOriginMinorPlanet;
  const auto choice = EquinoxChoiceOf(rec.frame.equinoxKind, rec.frame.equinoxJD);
  templ.equinoxIndex = choice ? static_cast<std::uint8_t>(*choice) : 2;
  const Vec3& r = rec.position;
  if (!PlausibleCmoRecord(rec)) {
    // Unusable outside data: no orbit, and no epoch that a date text or a
    // propagation could choke on.
    templ.frame.equinoxJD = kJD_J2000;
    templ.H = templ.G = 0;
    templ.epoch = 0;
    templ.e = std::numeric_limits<long double>::quiet_NaN();
    return templ;
  }
  if (r.x == 0 && r.y == 0 && r.z == 0) {
    templ.epoch = rec.epoch;
    templ.e = std::numeric_limits<long double>::quiet_NaN();
    return templ;
  }
  return StateToElements(rec.position, rec.velocity, rec.epoch, templ);
}

}  // namespace skarvel

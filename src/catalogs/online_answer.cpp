#include "catalogs/online_answer.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "foundations/angles.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

constexpr const char* kBreak = "\r\n";
constexpr const char* kBreak2 = "\r\n\r\n";
constexpr float kMagnitudeCeiling = 30;       ///< a magnitude at or above this is no magnitude
constexpr float kUSNOMagErr = 0.2f;           ///< magnitude error given to the USNO-style catalogs
constexpr long double kMasPerArcsec = 1000;
constexpr long double kArcsecPerHourRA = 54000;  ///< 15 * 3600 arc seconds of RA per hour
constexpr long double kArcsecPerDegree = 3600;
constexpr long double kDaysPerYear = 365.25L;

// Splits a text into lines at LF; a CR before the LF is dropped.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find('\n', pos_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(pos_, stop - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    lastEnded_ = end != std::string_view::npos;
    return true;
  }
  /// The line returned last ended with LF.
  bool LastEnded() const { return lastEnded_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool lastEnded_ = true;
};

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

CatalogStar NewStar(const OnlineCatalog& catalog, const OnlineColour& colour, bool defaultRefMags) {
  CatalogStar star;
  star.catalog = catalog.code;
  star.usePos = true;
  star.useMag = defaultRefMags;
  star.band = colour.band;
  star.starClass = 0;
  star.entries = 1;
  return star;
}

bool HasMagnitude(float mag) { return mag != 0 && mag < kMagnitudeCeiling; }

// ------------------------------------------------------------ USNO-style table

// A column of the "|" table: from after the "|" before its name to the "|" closing it.
struct Column {
  bool present = false;
  std::size_t begin = 0;
  std::size_t end = 0;
};

Column FindColumn(std::string_view header, const char* name) {
  Column c;
  if (name == nullptr) return c;
  const std::size_t at = header.find(name);
  if (at == std::string_view::npos) return c;
  const std::string_view n(name);
  c.present = true;
  c.end = at + n.size() - 1;
  const std::size_t bar = at == 0 ? std::string_view::npos : header.rfind('|', at - 1);
  c.begin = bar == std::string_view::npos ? 0 : bar + 1;
  return c;
}

std::string_view Value(std::string_view line, const Column& c) {
  if (!c.present || c.begin >= line.size()) return {};
  return line.substr(c.begin, std::min(c.end, line.size()) - c.begin);
}

// A numeric value of the table; an absent column reads as 0.0, a blank value as 0.
bool Number(std::string_view line, const Column& c, long double& out) {
  out = 0;
  if (!c.present) return true;
  const std::string_view v = Trimmed(Value(line, c));
  if (v.empty()) return true;
  const auto n = ParseDecimal(v);
  if (!n) return false;
  // A value no float holds (proper motions and magnitudes are kept as floats).
  if (!(std::fabs(*n) <= std::numeric_limits<float>::max())) return false;
  out = *n;
  return true;
}

bool Sexagesimal(std::string_view value, bool declination, long double& out) {
  std::string v(Trimmed(value));
  if (v.empty()) return false;
  bool negative = false;
  if (declination) {
    negative = v.find('-') != std::string::npos;
    const std::size_t first = v.find_first_not_of("+- ");
    v = first == std::string::npos ? std::string() : v.substr(first);
  }
  const auto whole = ReadNumberToken(v, ' ');
  const auto minutes = ReadNumberToken(v, ' ');
  const auto seconds = ParseDecimal(v);
  if (!whole || !minutes || !seconds) return false;
  // Degrees (or hours) beyond a full turn, minutes or seconds beyond 60 are no
  // coordinate: the line is refused as non-numeric rather than cast to int.
  if (!(std::fabs(*whole) <= 360) || !(std::fabs(*minutes) <= 60) || !(std::fabs(*seconds) <= 60)) return false;
  SexagesimalRec rec;
  rec.degrees = static_cast<std::int32_t>(*whole);
  rec.minutes = static_cast<std::int32_t>(*minutes);
  rec.seconds = *seconds;
  rec.sign = negative ? -1 : 1;
  out = JoinSexagesimal(rec);
  return true;
}

AnswerResult Fail(AnswerResult r, std::string text, std::string caption) {
  r.ok = false;
  r.messages.push_back({std::move(text), std::move(caption)});
  return r;
}

std::string ColumnLabel(const char* name) {
  std::string s(Trimmed(name));
  if (!s.empty() && s.back() == '|') s.pop_back();
  return std::string(Trimmed(s));
}

}  // namespace

AnswerResult ReadUSNOAnswer(std::string_view text, const OnlineCatalog& catalog, std::uint8_t colourChoice,
                            bool defaultRefMags) {
  AnswerResult r;
  r.answer.epochJD = catalog.epochJD;
  r.answer.pmAlongGreatCircle = false;
  Lines lines(text);
  std::string_view line;
  bool endFound = false;
  while (lines.Next(line)) {
    if (StartsWith(line, "END") || StartsWith(line, "#END")) {
      endFound = true;
      break;
    }
  }
  if (!endFound)
    return Fail(std::move(r), "Error in USNO File Header - \"END\" statement missing!", "USNO File Error!");
  std::string_view header;
  lines.Next(header);
  const Column ra = FindColumn(header, " RA|");
  if (!ra.present)
    return Fail(std::move(r),
                std::string("Incorrect column header passed to BuildParmTbl!") + kBreak +
                    "\"RA\" not found in header." + kBreak2 + "\"" + std::string(header) + "\"",
                "Catalog Data File Processing Error!");
  const Column id = FindColumn(header, " id|");
  const Column dec = FindColumn(header, " DEC|");
  for (const auto& [column, name] : {std::pair{id, " id|"}, std::pair{dec, " DEC|"}})
    if (!column.present)
      return Fail(std::move(r),
                  std::string("Required parameter missing in catalog data.") + kBreak2 + "Missing Parameter: " +
                      ColumnLabel(name),
                  "Catalog Data File Processing Error!");
  const bool hasPm = catalog.pmRAColumn != nullptr;
  const Column pmRA = FindColumn(header, hasPm ? " MuRA|" : nullptr);
  const Column pmDec = FindColumn(header, hasPm ? " MuDEC|" : nullptr);
  const OnlineColour& colour = catalog.colours[colourChoice < catalog.colours.size() ? colourChoice : 0];
  const Column mag = FindColumn(header, colour.usnoColumn);

  std::string_view format;
  lines.Next(format);
  const bool decimal = format.find("hh.hhh") != std::string_view::npos && format.find("dd.ddd") != std::string_view::npos;
  const bool sexagesimal =
      format.find("hh mm ss") != std::string_view::npos && format.find("dd mm ss") != std::string_view::npos;
  if (!decimal && !sexagesimal)
    return Fail(std::move(r), std::string("RA, Dec not in required format.") + kBreak2 + "Read HELP before downloading!",
                "USNO File Error!");

  while (lines.Next(line)) {
    if (line.empty() || line.front() == '#') continue;
    long double raValue = 0, decValue = 0, pmRAValue = 0, pmDecValue = 0, magValue = 0;
    bool good = false;
    if (decimal) {
      const auto a = ParseDecimal(Trimmed(Value(line, ra)));
      const auto d = ParseDecimal(Trimmed(Value(line, dec)));
      good = a.has_value() && d.has_value();
      if (good) raValue = *a, decValue = *d;
    } else {
      good = Sexagesimal(Value(line, ra), false, raValue) && Sexagesimal(Value(line, dec), true, decValue);
    }
    good = good && Number(line, pmRA, pmRAValue) && Number(line, pmDec, pmDecValue) && Number(line, mag, magValue);
    if (!good) {
      r.messages.push_back({std::string("Record contains non-numeric data, B1 entry skipped!") + kBreak2 +
                                std::string(line),
                            "B1 Data Conversion Error!"});
      continue;
    }
    const float m = static_cast<float>(magValue);
    if (!HasMagnitude(m)) continue;
    CatalogStar star = NewStar(catalog, colour, defaultRefMags);
    star.id = std::string(Trimmed(Value(line, id)).substr(0, kLongStarIdCapacity));
    star.ra = raValue;
    star.dec = decValue;
    star.pmRA = static_cast<float>(pmRAValue / kMasPerArcsec);
    star.pmDec = static_cast<float>(pmDecValue / kMasPerArcsec);
    star.posErr = 0;
    star.mag = m;
    star.magErr = kUSNOMagErr;
    r.answer.stars.push_back(std::move(star));
  }
  r.ok = true;
  return r;
}

// ------------------------------------------------------------ VizieR answer

namespace {

// Splits a row at tabs into `fields` (views into the row).
void SplitTabs(std::string_view row, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = row.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(row.substr(start));
      return;
    }
    fields.push_back(row.substr(start, tab - start));
    start = tab + 1;
  }
}

// A decimal number of a VizieR field; false when it is not one.
bool FastNumber(std::string_view v, double& out) {
  v = Trimmed(v);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  if (v.empty()) return false;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
  return ec == std::errc() && end == v.data() + v.size() && std::isfinite(out);
}

// Identifier text: a Gaia source number has up to 19 digits and the identifier
// room 18 characters, so the trailing characters are kept (they tell the stars
// of one field apart; the leading digits follow the sky position).
std::string IdText(std::string_view v) {
  v = Trimmed(v);
  if (v.size() > kLongStarIdCapacity) v.remove_prefix(v.size() - kLongStarIdCapacity);
  return std::string(v);
}

int Index(const std::vector<std::string_view>& names, const char* name) {
  if (name == nullptr) return -1;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (Trimmed(names[i]) == name) return static_cast<int>(i);
  return -1;
}

constexpr const char* kVizieRCaption = "VizieR Catalog Error!";

}  // namespace

AnswerResult ReadVizieRAnswer(std::string_view text, const OnlineCatalog& catalog, std::uint8_t colourChoice,
                              bool defaultRefMags) {
  AnswerResult r;
  r.answer.epochJD = catalog.epochJD;
  r.answer.pmAlongGreatCircle = true;
  const std::string name = catalog.name;
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '<')
    return Fail(std::move(r),
                "VizieR answered the " + name + " query with a web page instead of a table." + kBreak2 +
                    "The server may be down or the VizieR address in the options may be wrong." + kBreak2 +
                    kVizieRFailureAdvice,
                kVizieRCaption);
  const OnlineColour& colour = catalog.colours[colourChoice < catalog.colours.size() ? colourChoice : 0];
  const bool hasPm = catalog.pmRAColumn != nullptr;

  Lines lines(text);
  std::string_view line;
  std::vector<std::string_view> fields;
  bool anyTable = false;
  // Column positions of the current table, -1 before its header.
  int idCol = -1, raCol = -1, decCol = -1, pmRACol = -1, pmDecCol = -1, magCol = -1;
  std::size_t columns = 0;
  enum class State { Comments, Units, Dashes, Rows } state = State::Comments;
  while (lines.Next(line)) {
    if (!lines.LastEnded())
      return Fail(std::move(r),
                  "The VizieR answer for " + name + " ended before its last line was complete." + kBreak2 +
                      "The connection may have been interrupted; please try again.",
                  kVizieRCaption);
    if (!line.empty() && line.front() == '#') {
      const bool errorInfo = StartsWith(line, "#INFO") && line.find("Error") != std::string_view::npos;
      if (errorInfo || StartsWith(line, "#++++")) {
        // The report's text after its marks; a line of marks alone ("#++++") reports nothing more.
        const std::size_t after = line.find_first_not_of("#+");
        const std::string_view detail = after == std::string_view::npos ? std::string_view() : line.substr(after);
        return Fail(std::move(r),
                    "VizieR reports an error for the " + name + " query:" + kBreak2 +
                        std::string(Trimmed(detail).substr(0, 400)),
                    kVizieRCaption);
      }
      state = State::Comments;
      continue;
    }
    // An empty line ends a table (a units line of tabs alone is not empty).
    if (line.find_first_not_of(' ') == std::string_view::npos) {
      if (state == State::Rows) state = State::Comments;
      continue;
    }
    switch (state) {
      case State::Comments: {
        SplitTabs(line, fields);
        columns = fields.size();
        idCol = Index(fields, catalog.idColumn);
        raCol = Index(fields, catalog.raColumn);
        decCol = Index(fields, catalog.decColumn);
        pmRACol = Index(fields, hasPm ? catalog.pmRAColumn : nullptr);
        pmDecCol = Index(fields, hasPm ? catalog.pmDecColumn : nullptr);
        magCol = Index(fields, colour.vizierColumn);
        const std::pair<int, const char*> required[] = {{idCol, catalog.idColumn},         {raCol, catalog.raColumn},
                                                        {decCol, catalog.decColumn},       {magCol, colour.vizierColumn},
                                                        {hasPm ? pmRACol : 0, catalog.pmRAColumn},
                                                        {hasPm ? pmDecCol : 0, catalog.pmDecColumn}};
        for (const auto& [index, column] : required)
          if (index < 0)
            return Fail(std::move(r),
                        std::string("Required parameter missing in catalog data.") + kBreak2 +
                            "Missing Parameter: " + column + " (" + name + ", VizieR)",
                        "Catalog Data File Processing Error!");
        anyTable = true;
        state = State::Units;
        break;
      }
      case State::Units: state = State::Dashes; break;
      case State::Dashes: state = State::Rows; break;
      case State::Rows: {
        SplitTabs(line, fields);
        double raDeg = 0, decDeg = 0, pmA = 0, pmD = 0, mag = 0;
        const bool good = fields.size() >= columns && FastNumber(fields[static_cast<std::size_t>(raCol)], raDeg) &&
                          FastNumber(fields[static_cast<std::size_t>(decCol)], decDeg);
        bool numeric = good;
        auto optional = [&](int col, double& v) {
          if (col < 0 || !numeric) return;
          const std::string_view f = Trimmed(fields[static_cast<std::size_t>(col)]);
          v = 0;
          if (!f.empty() && !FastNumber(f, v)) numeric = false;
        };
        optional(pmRACol, pmA);
        optional(pmDecCol, pmD);
        optional(magCol, mag);
        if (!numeric)
          return Fail(std::move(r),
                      "The VizieR answer for " + name + " holds a row that cannot be read:" + kBreak2 +
                          std::string(line.substr(0, 200)),
                      kVizieRCaption);
        const float m = static_cast<float>(mag);
        if (!HasMagnitude(m)) break;
        CatalogStar star = NewStar(catalog, colour, defaultRefMags);
        star.id = IdText(fields[static_cast<std::size_t>(idCol)]);
        star.ra = raDeg / 15.0L;
        star.dec = decDeg;
        star.pmRA = static_cast<float>(pmA / kMasPerArcsec);
        star.pmDec = static_cast<float>(pmD / kMasPerArcsec);
        star.mag = m;
        star.magErr = 0;
        r.answer.stars.push_back(std::move(star));
        break;
      }
    }
  }
  if (!anyTable || r.answer.stars.empty())
    return Fail(std::move(r),
                "VizieR found no " + name + " stars in this field down to the limiting magnitude." + kBreak2 +
                    "Check the field centre, its size and the limiting magnitude.",
                kVizieRCaption);
  r.ok = true;
  return r;
}

std::vector<CatalogStar> ReadAnswerField(const OnlineAnswer& answer, const SearchWindow& window,
                                         long double julianDate) {
  const long double years = julianDate > 0 ? (julianDate - answer.epochJD) / kDaysPerYear : 0;
  std::vector<CatalogStar> stars;
  for (const CatalogStar& s : answer.stars) {
    long double dec = s.dec + years * s.pmDec / kArcsecPerDegree;
    long double dRA = years * s.pmRA / kArcsecPerHourRA;
    if (answer.pmAlongGreatCircle) {
      const long double c = std::cos(dec * kRadiansPerDegree);
      dRA = c > 1e-9L ? dRA / c : 0;
    }
    long double ra = std::fmod(s.ra + dRA, 24.0L);
    if (ra < 0) ra += 24;
    if (!InWindow(window, ra, dec, s.mag)) continue;
    CatalogStar moved = s;
    moved.ra = ra;
    moved.dec = dec;
    stars.push_back(std::move(moved));
  }
  return stars;
}

}  // namespace skarvel

#include "astrometry/ades_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "astrometry/report_identity.h"
#include "catalogs/catalog_star.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "orbits/designation.h"

namespace skarvel {

namespace {

/// Arc seconds per radian, for the pixel scale.
constexpr long double kArcsecPerRadian = 206264.80624709636L;
constexpr std::size_t kTextMax = 100;   ///< longest ADES text of the context
constexpr std::size_t kDesignMax = 35;  ///< longest telescope design
constexpr const char* kNoName = "*NOT GIVEN - EDIT USER PARAMETERS*";
constexpr const char* kSimulatedRemark = "Measurement of a simulated image: not for submission";

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

/// A text as an ADES value: no "|" (the PSV separator), blanks around it removed, at most `max` characters.
std::string Text(std::string s, std::size_t max = kTextMax) {
  std::replace(s.begin(), s.end(), '|', '/');
  s = Trim(s);
  if (s.size() > max) s = Trim(s.substr(0, max));
  return s;
}

/// A fixed-point number with trailing zeros removed (and the point when nothing follows it).
std::string Plain(int decimals, long double x) {
  std::string s = FormatFixed(decimals, x);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}


/// The telescope design a description names, or "" when it names none.
std::string DesignOf(const std::string& telescope) {
  std::string lower = telescope;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Word {
    const char* word;
    const char* design;
  };
  // Most specific first.
  static const Word kDesigns[] = {{"schmidt-cassegrain", "Schmidt-Cassegrain"}, {"ritchey", "Ritchey-Chretien"},
                                  {"cassegrain", "Cassegrain"},                 {"schmidt", "Schmidt"},
                                  {"astrograph", "Astrograph"},                 {"refractor", "Refractor"},
                                  {"newton", "Reflector"},                      {"reflector", "Reflector"}};
  for (const Word& w : kDesigns)
    if (lower.find(w.word) != std::string::npos) return w.design;
  return {};
}

/// The identifier elements of an observation: permID and/or provID, else trkSub.
void Identify(const ObsParams& p, std::size_t index, std::vector<AdesField>& out) {
  const bool comet = p.objectType == kCometKind;
  // The same identification as the 80-column line's.
  const ReportIdentity id = ReportIdentityOf(p);
  const std::string& number = id.number;
  const std::string& packed = id.designation;
  std::string provID;
  if (!packed.empty()) {
    const UnpackedDesignation u = UnpackDesignation(packed, p.objectType);
    if (u.readable != packed) {
      provID = u.readable;
      if (comet) {
        // The comet's kind is not stored: the object name's prefix ("P/...") when it has one.
        const std::string name = Trim(p.objectName);
        const bool prefixed = name.size() > 2 && name[1] == '/' && std::string("ADCPX").find(name[0]) != std::string::npos;
        provID = (prefixed ? name.substr(0, 2) : std::string("C/")) + provID;
      }
    }
  }
  if (AllDigits(number) && number.find_first_not_of('0') != std::string::npos)
    out.push_back({"permID", number.substr(number.find_first_not_of('0')) + (comet ? "P" : "")});
  if (!provID.empty()) out.push_back({"provID", provID});
  if (out.empty()) {
    // An object without number or designation: the observer's own tracklet name.
    std::string trk = !packed.empty() ? TemporaryDesignationOf(packed) : id.trkSub;
    if (trk.empty()) {
      std::string n = std::to_string(index + 1);
      while (n.size() < 4) n = "0" + n;
      trk = "NEW" + n;
    }
    out.push_back({"trkSub", trk.substr(0, 8)});
  }
}

}  // namespace

std::string AdesCatalogCode(const CatalogsUsed& c) {
  const ReportCatalog catalog = ReportCatalogOf(c);
  return catalog.astCat.empty() ? "UNK" : catalog.astCat;
}

std::string AdesBand(std::uint8_t filter) {
  static const char* const kBands[] = {"B", "V", "R", "I", "J", "H", "K"};
  if (filter == kBandG) return "G";  // Gaia G
  return filter <= 6 ? kBands[filter] : "";
}

int AdesTimeDecimals(int timingErrorMs) {
  if (timingErrorMs <= 0) return 0;
  // The unit of the last digit, microseconds, must not exceed the error.
  int decimals = 0;
  long long unitUs = 1000000;
  while (decimals < 6 && unitUs > timingErrorMs * 1000LL) {
    ++decimals;
    unitUs /= 10;
  }
  return decimals;
}

std::string AdesObsTime(double dateTime, int decimals) {
  decimals = std::clamp(decimals, 0, 6);
  std::int64_t perSecond = 1;
  for (int i = 0; i < decimals; ++i) perSecond *= 10;
  const std::int64_t perDay = 86400 * perSecond;
  long double day = std::floor(static_cast<long double>(dateTime));
  std::int64_t units = std::llround((static_cast<long double>(dateTime) - day) * perDay);
  if (units >= perDay) {
    units -= perDay;
    day += 1;
  }
  const CalendarDate date = DecodeDate(static_cast<double>(day));
  const std::int64_t seconds = units / perSecond;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", static_cast<int>(date.year), date.month,
                date.day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  std::string s = buffer;
  if (decimals > 0) {
    std::string fraction = std::to_string(units % perSecond);
    s += "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return s + "Z";
}

int AdesAngleDecimals(long double sigmaDeg) {
  if (!(sigmaDeg > 0) || !std::isfinite(sigmaDeg)) return 6;
  const long double dp = std::ceil(1.0L - std::log10(sigmaDeg));
  return static_cast<int>(std::clamp(dp, 1.0L, 9.0L));
}

std::string AdesRms(long double value) {
  if (!(value > 0) || !std::isfinite(value)) return {};
  value = std::clamp(value, 0.001L, 9999.0L);
  // Two significant figures: the fewest decimals that leave two digits after rounding.
  int decimals = 0;
  long double scaled = value;
  while (decimals < 6 && scaled < 9.5L) {
    ++decimals;
    scaled *= 10;
  }
  return FormatFixed(decimals, value);
}

std::vector<std::string> AdesNames(const std::string& list) {
  std::vector<std::string> names;
  std::string rest = AbbreviateNames(list);
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t comma = rest.find(',', start);
    const std::string name = Text(rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!name.empty()) names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

AdesReport MakeAdesReport(const AstromObsObj& report) {
  AdesReport ades;
  const UserRecord& user = report.user;
  const SiteRecord& site = report.site;
  const CameraRecord& camera = report.camera;
  ades.simulated = std::any_of(report.Observations().begin(), report.Observations().end(),
                               [](const ObservationRecord& o) { return o.params.note == kNoteSimulated; });
  const std::string station = SiteCode80(site);

  AdesGroup observatory{"observatory", {{"mpcCode", station}}};
  if (!Text(site.name).empty()) observatory.children.push_back({"name", Text(site.name)});
  ades.context.push_back(observatory);

  std::string submitter = Text(AbbreviateNames(user.contactName));
  if (submitter.empty()) submitter = kNoName;
  AdesGroup submitterGroup{"submitter", {{"name", submitter}}};
  if (!Text(user.institution).empty()) submitterGroup.children.push_back({"institution", Text(user.institution)});
  ades.context.push_back(submitterGroup);

  const std::vector<std::string> observers = AdesNames(user.observers);
  std::vector<std::string> measurers = AdesNames(user.measurers);
  if (measurers.empty()) measurers = observers;
  if (measurers.empty()) measurers = {submitter};
  auto names = [](const char* group, const std::vector<std::string>& list) {
    AdesGroup g{group, {}};
    for (const std::string& n : list) g.children.push_back({"name", n});
    return g;
  };
  if (!observers.empty()) ades.context.push_back(names("observers", observers));
  ades.context.push_back(names("measurers", measurers));

  AdesGroup telescope{"telescope", {}};
  const std::string scope = Text(site.telescope);
  if (!scope.empty()) telescope.children.push_back({"name", scope});
  std::string design = DesignOf(scope);
  if (design.empty()) design = scope.empty() ? "Unknown" : Text(scope, kDesignMax);
  telescope.children.push_back({"design", design});
  const bool aperture = camera.apertureMm > 0 && camera.apertureMm < 100000.0f;
  if (aperture) telescope.children.push_back({"aperture", Plain(3, camera.apertureMm / 1000.0L)});
  telescope.children.push_back({"detector", "CCD"});
  if (aperture && camera.focalLengthMm > 0)
    telescope.children.push_back({"fRatio", Plain(1, static_cast<long double>(camera.focalLengthMm) / camera.apertureMm)});
  if (camera.imageWidth > 0 && camera.imageHeight > 0)
    telescope.children.push_back(
        {"arraySize", std::to_string(camera.imageWidth) + "x" + std::to_string(camera.imageHeight)});
  if (camera.pixelWidthUm > 0 && camera.focalLengthMm > 0)
    telescope.children.push_back(
        {"pixelScale", Plain(2, kArcsecPerRadian * camera.pixelWidthUm / 1000.0L / camera.focalLengthMm)});
  ades.context.push_back(telescope);

  AdesGroup comment{"comment", {}};
  if (ades.simulated) {
    comment.children.push_back({"line", "**IMPORTANT** This report contains measurements of simulated images."});
    comment.children.push_back({"line", "DO NOT send these measurements to the Minor Planet Center!"});
  }
  if (!aperture) comment.children.push_back({"line", "Telescope aperture not given: edit the camera parameters."});
  if (!comment.children.empty()) ades.context.push_back(comment);

  const std::string astCat = AdesCatalogCode(report.catalogs);
  // The time to the millisecond at least: the header's time carries its fraction
  // through, and the element holds more digits where the camera's timing supports them.
  const int timeDecimals = std::max(kAdesMinTimeDecimals, AdesTimeDecimals(camera.timingErrorMs));
  const bool roving = RovingObserver(site);
  for (std::size_t i = 0; i < report.Count(); ++i) {
    const ObservationRecord& o = report.Observations()[i];
    const ReferenceStar& t = o.target;
    std::vector<AdesField> f;
    Identify(o.params, i, f);
    f.push_back({"mode", "CCD"});
    f.push_back({"stn", station});
    if (roving) {
      const long double east = site.longitudeDeg < 0 ? site.longitudeDeg + 360.0L : site.longitudeDeg;
      f.push_back({"sys", "WGS84"});
      f.push_back({"ctr", "399"});
      f.push_back({"pos1", FormatFixed(6, east)});
      f.push_back({"pos2", FormatFixed(6, site.latitudeDeg)});
      f.push_back({"pos3", FormatFixed(1, site.altitudeM)});
    }
    f.push_back({"obsTime", AdesObsTime(o.params.observationTime, timeDecimals)});
    // Positions with the decimals the solution's error estimates support.
    const long double cosDec = std::cos(t.fitDec * 3.14159265358979323846L / 180.0L);
    const int raDecimals = AdesAngleDecimals(cosDec > 1e-6L ? t.resRA / 3600.0L / cosDec : 0.0L);
    long double ra = std::fmod(t.fitRA * 15.0L, 360.0L);
    if (ra < 0) ra += 360.0L;
    std::string raText = FormatFixed(raDecimals, ra);
    if (ParseDecimal(raText).value_or(0) >= 360.0L) raText = FormatFixed(raDecimals, 0.0L);
    f.push_back({"ra", raText});
    std::string decText = FormatFixed(AdesAngleDecimals(t.resDec / 3600.0L), std::clamp(t.fitDec, -90.0L, 90.0L));
    if (decText[0] != '-') decText = "+" + decText;
    f.push_back({"dec", decText});
    if (const std::string s = AdesRms(t.resRA); !s.empty()) f.push_back({"rmsRA", s});
    if (const std::string s = AdesRms(t.resDec); !s.empty()) f.push_back({"rmsDec", s});
    f.push_back({"astCat", astCat});
    // A magnitude is given with its band, as the 80-column line gives it;
    // one whose band is not known is left out.
    if (t.catMag != 0 && t.catMag >= -5.0L && t.catMag <= 35.0L && !AdesBand(t.band).empty()) {
      f.push_back({"mag", FormatFixed(t.magRes < 0.05L ? 2 : 1, t.catMag)});
      if (const std::string s = AdesRms(t.magRes); !s.empty()) f.push_back({"rmsMag", s});
      f.push_back({"band", AdesBand(t.band)});
    }
    if (o.params.note == kNoteDiscovery) f.push_back({"disc", "*"});
    if (o.params.note == kNoteSimulated) f.push_back({"remarks", kSimulatedRemark});
    ades.observations.push_back(std::move(f));
  }
  return ades;
}

namespace {

/// Every element name an optical record may hold here, in the order of the standard.
const std::vector<std::string>& OpticalOrder() {
  static const std::vector<std::string> order{
      "permID", "provID", "trkSub", "mode",  "stn",   "sys",  "ctr",    "pos1", "pos2", "pos3",  "obsTime", "ra",
      "dec",    "rmsRA",  "rmsDec", "astCat", "mag",  "rmsMag", "band", "disc", "remarks"};
  return order;
}

std::string XmlEscaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string Element(const AdesField& f) { return "<" + f.name + ">" + XmlEscaped(f.value) + "</" + f.name + ">"; }

}  // namespace

std::vector<std::string> AdesPsvLines(const AdesReport& ades) {
  std::vector<std::string> lines{"# version=2022"};
  for (const AdesGroup& g : ades.context) {
    lines.push_back("# " + g.name);
    for (const AdesField& f : g.children) lines.push_back("! " + f.name + " " + f.value);
  }
  // The columns any record uses, each as wide as its keyword and its widest value.
  std::vector<std::string> columns;
  for (const std::string& name : OpticalOrder())
    for (const auto& record : ades.observations)
      if (std::any_of(record.begin(), record.end(), [&](const AdesField& f) { return f.name == name; })) {
        columns.push_back(name);
        break;
      }
  std::vector<std::vector<std::string>> cells(ades.observations.size(), std::vector<std::string>(columns.size()));
  std::vector<std::size_t> widths;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::size_t width = columns[c].size();
    for (std::size_t r = 0; r < ades.observations.size(); ++r)
      for (const AdesField& f : ades.observations[r])
        if (f.name == columns[c]) {
          cells[r][c] = f.value;
          width = std::max(width, f.value.size());
        }
    widths.push_back(width);
  }
  auto row = [&](const std::vector<std::string>& values) {
    std::string line;
    for (std::size_t c = 0; c < values.size(); ++c) {
      std::string cell = values[c];
      if (c + 1 < values.size()) cell.resize(widths[c], ' ');
      line += (c ? "|" : "") + cell;
    }
    return line;
  };
  if (!columns.empty()) lines.push_back(row(columns));
  for (const auto& values : cells) lines.push_back(row(values));
  return lines;
}

std::vector<std::string> AdesXmlLines(const AdesReport& ades) {
  std::vector<std::string> lines{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<ades version=\"2022\">",
                                 "  <obsBlock>", "    <obsContext>"};
  for (const AdesGroup& g : ades.context) {
    lines.push_back("      <" + g.name + ">");
    for (const AdesField& f : g.children) lines.push_back("        " + Element(f));
    lines.push_back("      </" + g.name + ">");
  }
  lines.push_back("    </obsContext>");
  lines.push_back("    <obsData>");
  for (const auto& record : ades.observations) {
    std::string line = "      <optical>";
    for (const AdesField& f : record) line += Element(f);
    lines.push_back(line + "</optical>");
  }
  lines.push_back("    </obsData>");
  lines.push_back("  </obsBlock>");
  lines.push_back("</ades>");
  return lines;
}

ReportText BuildAdesReport(const AstromObsObj& report, bool xml, const std::string& reportFileName,
                           bool reportSaved) {
  const AdesReport ades = MakeAdesReport(report);
  ReportText text;
  text.title = "Formatted Astrometric Results - " + reportFileName + (reportSaved ? "" : " (Modified)");
  text.lines = xml ? AdesXmlLines(ades) : AdesPsvLines(ades);
  const int closing = xml ? 3 : 0;  // </obsData>, </obsBlock>, </ades>
  text.headerLines = static_cast<int>(text.lines.size()) - static_cast<int>(report.Count()) - closing;
  text.linesPerObservation = 1;
  return text;
}

}  // namespace skarvel

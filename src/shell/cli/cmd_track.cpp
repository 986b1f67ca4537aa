#include <cmath>
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/frame_series.h"
#include "astrometry/known_objects.h"
#include "astrometry/track_search.h"
#include "astrometry/track_session.h"
#include "astrometry/track_stack.h"
#include "catalogs/field_parameters.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"
#include "images/fits_file.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/catalog_field.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kStackHelp =
    "Usage: skarvel-cli stack --images F.FIT... (--rate ARCSEC_PER_MIN --pa DEG |\n"
    "                         --object NUMBER --orbits MPCORB.CMO --site LON_EAST_DEG,LAT_DEG,HEIGHT_M)\n"
    "                         --catalog KIND --path ROOT ... --out STACK.FIT\n"
    "                         [--combine mean|median] [--resample nearest|bilinear] [--scale ARCSEC]\n"
    "                         [--header-time start|mid|end] [--jd JD]\n\n"
    "Stacks up to 200 frames of one field along a motion: each frame is matched to\n"
    "the catalog (read around the first frame's pointing) as solve --auto does,\n"
    "resampled to the first solved frame's pixel grid (--resample: the nearest\n"
    "pixel, the default, keeps the noise of the pixels apart and an SNR measured\n"
    "on the stack true; bilinear does not round the frames' places, for\n"
    "positions, but its pixels share noise) and\n"
    "shifted by the motion, so that an object moving so stays on its place at the\n"
    "reference time (the mean of the frames' mid-exposure times, UTC); the frames'\n"
    "values are combined by the mean within 3 robust sigmas of their median\n"
    "(default) or by the median. Frames that cannot be matched are left out and\n"
    "named. The motion is typed (rate in arc seconds a minute, position angle\n"
    "north through east) or that of a numbered object of the orbit file at the\n"
    "reference time as seen from the site (its topocentric place 30 minutes\n"
    "before and after, the times turned into TT). The stack is a BITPIX -32 FITS\n"
    "file with a TAN WCS of the first frame's plate, DATE-OBS and MJD-OBS of the\n"
    "reference time (load it with the header time at the midpoint), EXPTIME the\n"
    "sum of the exposures, TRKRATE, TRKPA, NCOMBINE and CMBMETHD. Catalog options\n"
    "as for catalog. --header-time: what the frames' header times mean (start).\n\n"
    "JSON keys: out, frames, left_out (file names), reference_jd, date_obs,\n"
    "exposure_s, rate_arcsec_per_min, pa_deg, combine, and with --object object\n"
    "{designation, name, ra_hours, dec_deg, x, y: its predicted place at the\n"
    "reference time on the stack's grid}.\n"
    "Exit status 1 when a frame cannot be read, no frame is matched or the\n"
    "stack cannot be written (no file is left then).\n";

constexpr const char* kTrackSearchHelp =
    "Usage: skarvel-cli track-search --images F.FIT... --catalog KIND --path ROOT ...\n"
    "                                [--rate-min R] [--rate-max R] [--snr S] [--scale ARCSEC]\n"
    "                                [--orbits MPCORB.CMO --site LON_EAST_DEG,LAT_DEG,HEIGHT_M]\n"
    "                                [--header-time start|mid|end] [--jd JD]\n\n"
    "Searches a frame series (matched and registered as for stack) for faint\n"
    "movers: stacks over a grid of motions from --rate-min (0.1) to --rate-max\n"
    "(10) arc seconds a minute at every position angle, spaced so that no motion\n"
    "loses more than 10 % of its peak; the static sky is taken off, each stack\n"
    "searched for peaks of an SNR of --snr (7) or more, and the peaks clustered\n"
    "into candidates. Motions of less than two PSF widths over the series are\n"
    "not searched (the object stays in the static sky). With --orbits the\n"
    "converted MPC orbit file is searched at the reference time and field and a\n"
    "candidate within 60\" of an object's predicted place is named after it.\n\n"
    "JSON keys: reference_jd, frames, left_out, motions, slowest_arcsec_per_min,\n"
    "candidates: {rate_arcsec_per_min, pa_deg, snr, position {x, y on the first\n"
    "frame's grid, ra_hours, dec_deg, jd}, known {number, name, designation} or\n"
    "null}, highest SNR first.\n"
    "Exit status 1 when a frame cannot be read or fewer than three are matched.\n";

// Without a scale the catalog is read over this field, arc minutes.
constexpr long double kDefaultFieldArcmin = 30;
// With a scale: the image's longer side times this.
constexpr long double kFieldPerImageSide = 2.4L;
// Catalog stars read at most this faint.
constexpr float kAllMagnitudes = 99;
// A candidate is a known object's when its prediction lies this near, arc seconds.
constexpr double kKnownArcsec = 60;
// The object's motion from its places this long before and after the reference time, days.
constexpr long double kMotionHalfBaseDays = 30.0L / 1440;
// Julian date of date-time value 0.
constexpr long double kDateTimeZeroJd = 2415018.5L;

std::string Trim(const std::string& text) {
  const auto a = text.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return text.substr(a, text.find_last_not_of(' ') - a + 1);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The frames, the catalog and the solved series of a command line.
struct LoadedSeries {
  ScratchDir scratch;
  std::unique_ptr<CliPlatform> ui;  // before the images, which keep it
  std::unique_ptr<CliReferenceCatalog> catalog;
  OptionsRecord options;
  std::deque<FITSFileObj> files;
  FrameSeries series;
  std::vector<std::string> names;
};

// Splits --images F... off the arguments.
std::vector<std::string> TakeImages(const Arguments& args, Arguments& rest) {
  std::vector<std::string> images;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--images") {
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) images.push_back(args[++i]);
    } else {
      rest.push_back(args[i]);
    }
  }
  return images;
}

// Loads, reads the catalog and solves; an exit code on failure.
std::optional<int> LoadSeries(const std::vector<std::string>& images, const Flags& flags, const CatalogChoice& choice,
                              const std::string& sub, LoadedSeries& s, std::ostream& err) {
  std::uint8_t headerTime = 0;
  if (flags.Has("header-time")) {
    const std::string& t = flags.Text("header-time");
    if (t == "mid") headerTime = 1;
    else if (t == "end") headerTime = 2;
    else if (t != "start") {
      err << "skarvel-cli " << sub << ": --header-time is start, mid or end\n";
      return kExitUsage;
    }
  }
  long double scale = 0;
  if (flags.Has("scale")) {
    const auto v = flags.Number("scale", 0.001L, 3600, err);
    if (!v) return kExitUsage;
    scale = *v;
  }
  if (images.size() > kMaxSeriesFrames) {
    err << "skarvel-cli " << sub << ": at most " << kMaxSeriesFrames << " frames\n";
    return kExitUsage;
  }
  s.ui = std::make_unique<CliPlatform>(err);
  CliPlatform& ui = *s.ui;
  std::vector<SeriesFrameInput> inputs;
  for (const std::string& name : images) {
    FITSFileObj& image = s.files.emplace_back(ImageLoadContext{&ui, s.scratch.Path(), headerTime, nullptr, nullptr});
    if (!image.Load(fs::NativePath(name))) return kExitFailed;
    inputs.push_back(SeriesInputOf(image, name));
  }
  FieldRequest request;
  ResetFieldParameters(request, s.options);
  FieldParameters& p = request.params;
  p.centreRA = inputs.front().centreRAHours;
  p.centreDec = inputs.front().centreDecDeg;
  const FITSFileObj& first = s.files.front();
  p.size = static_cast<float>(scale > 0 ? kFieldPerImageSide * std::max(first.width, first.height) * scale / 60
                                        : kDefaultFieldArcmin);
  p.limitMag = kAllMagnitudes;
  s.catalog = std::make_unique<CliReferenceCatalog>(err, choice, s.options);
  if (!s.catalog->Load(request, JulianDateFor(choice, static_cast<long double>(inputs.front().jd)))) return kExitFailed;
  if (!s.series.Solve(inputs, s.catalog->Field().Stars(), scale)) {
    err << "skarvel-cli " << sub << ": " << s.series.Failure() << "\n";
    return kExitFailed;
  }
  for (const SeriesFrame& f : s.series.Frames())
    if (!f.solved) err << f.input.name << ": left out (Auto-Match: " << f.failure << ")\n";
  if (s.series.ReferenceIndex() < 0) {
    err << "skarvel-cli " << sub << ": no frame could be matched to the catalog\n";
    return kExitFailed;
  }
  return std::nullopt;
}

// The numbered object's record of a converted orbit file.
std::optional<CmoRecord> FindNumbered(const std::string& path, std::int32_t number, std::ostream& err) {
  std::unique_ptr<CmoFileReader> reader;
  try {
    reader = std::make_unique<CmoFileReader>(path);
  } catch (const IOFailure&) {
    err << "Unable to Open Asteriod Orbits File!\n\nFile Name: " << path << "\nIOResult = 2\n";
    return std::nullopt;
  }
  CmoRecord rec;
  while (reader->Next(rec)) {
    const auto n = ParseInteger(Trim(rec.designation));
    if (n && *n == number) return rec;
  }
  err << "No object numbered " << number << " in " << path << "\n";
  return std::nullopt;
}

nlohmann::ordered_json LeftOutJson(const FrameSeries& series) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const std::string& n : series.LeftOut()) list.push_back(n);
  return list;
}

int RunStack(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  const std::vector<std::string> images = TakeImages(args, rest);
  const auto flags = Flags::Parse(rest,
                                  {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd", "rate", "pa", "object",
                                   "orbits", "site", "out", "combine", "resample", "scale", "header-time"},
                                  "stack", err);
  if (!flags) return kExitUsage;
  const bool typed = flags->Has("rate") || flags->Has("pa");
  const bool object = flags->Has("object") || flags->Has("orbits");
  if (images.empty() || !flags->Has("out") || typed == object ||
      (typed && !(flags->Has("rate") && flags->Has("pa"))) ||
      (object && !(flags->Has("object") && flags->Has("orbits") && flags->Has("site")))) {
    err << "skarvel-cli stack: give --images, --out and either --rate with --pa or --object with --orbits and "
           "--site (see skarvel-cli stack --help)\n";
    return kExitUsage;
  }
  const auto choice = ParseCatalogChoice(*flags, "stack", err);
  if (!choice) return kExitUsage;
  StackSettings settings;
  if (flags->Has("combine")) {
    const std::string& c = flags->Text("combine");
    if (c == "median") settings.combine = StackCombine::kMedian;
    else if (c != "mean") {
      err << "skarvel-cli stack: --combine is mean or median\n";
      return kExitUsage;
    }
  }
  if (flags->Has("resample")) {
    const std::string& r = flags->Text("resample");
    if (r == "bilinear") settings.resample = StackResample::kBilinear;
    else if (r != "nearest") {
      err << "skarvel-cli stack: --resample is nearest or bilinear\n";
      return kExitUsage;
    }
  }
  SkyMotion motion;
  std::optional<SiteRecord> site;
  std::int32_t number = 0;
  if (typed) {
    const auto rate = flags->Number("rate", 0, 36000, err);
    const auto pa = flags->Number("pa", -360, 720, err);
    if (!rate || !pa) return kExitUsage;
    motion.rateArcsecPerMin = static_cast<double>(*rate);
    motion.paDeg = std::fmod(static_cast<double>(*pa) + 720, 360.0);
  } else {
    const auto n = ParseInteger(flags->Text("object"));
    site = SiteFromFlag(flags->Text("site"));
    if (!n || *n <= 0 || !site) {
      err << "skarvel-cli stack: --object takes a minor planet's number, --site LON_EAST_DEG,LAT_DEG,HEIGHT_M\n";
      return kExitUsage;
    }
    number = *n;
  }

  LoadedSeries s;
  if (const auto code = LoadSeries(images, *flags, *choice, "stack", s, err)) return *code;
  const double tref = s.series.ReferenceJd();
  nlohmann::ordered_json objectJson;
  if (!typed) {
    const auto rec = FindNumbered(flags->Text("orbits"), number, err);
    if (!rec) return kExitFailed;
    EphemerisParams params;
    params.start.SetJD(UtcToTT(static_cast<long double>(tref)) - kMotionHalfBaseDays);
    params.points = 3;
    params.stepDays = kMotionHalfBaseDays;
    params.SetEquinox(EquinoxChoice::kJ2000);
    RecordList<EphemerisRecord> table;
    CliPlatform ui(err);
    if (!GenerateEphemeris(CmoToElements(*rec), *site, params, table, KeplerErrorReporter{&ui, false}) ||
        table.LastIndex() < 2)
      return kExitFailed;
    const EphemerisRecord &a = *table.GetAt(0), &m = *table.GetAt(1), &b = *table.GetAt(2);
    long double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    SkyToStandard(a.raHours, a.decDeg, m.raHours, m.decDeg, X0, Y0);
    SkyToStandard(b.raHours, b.decDeg, m.raHours, m.decDeg, X1, Y1);
    const long double minutes = 2 * kMotionHalfBaseDays * 1440;
    const long double dEast = -(X1 - X0) * 206264.80624709636L / minutes, dNorth = (Y1 - Y0) * 206264.80624709636L / minutes;
    motion.rateArcsecPerMin = static_cast<double>(std::hypot(dEast, dNorth));
    motion.paDeg = std::fmod(static_cast<double>(std::atan2(dEast, dNorth)) * 57.29577951308232 + 360, 360.0);
    double x = 0, y = 0;
    SkyToPixel(s.series.Frames()[static_cast<std::size_t>(s.series.ReferenceIndex())].plate, m.raHours, m.decDeg, x, y);
    objectJson = nlohmann::ordered_json{{"designation", Latin1ToUtf8(Trim(rec->designation))},
                  {"name", Latin1ToUtf8(Trim(rec->name))},
                  {"ra_hours", static_cast<double>(m.raHours)},
                  {"dec_deg", static_cast<double>(m.decDeg)},
                  {"x", x},
                  {"y", y}};
    settings.object = Trim(rec->name).empty() ? std::to_string(number) : Upper(Trim(rec->name));
  }
  const StackResult stack = StackAlongMotion(s.series, motion, settings);
  if (!stack.made) {
    err << "skarvel-cli stack: " << stack.failure << "\n";
    return kExitFailed;
  }
  try {
    WriteFloatFits(fs::NativePath(flags->Text("out")), stack.image);
  } catch (const CalibrationFailure& e) {
    err << e.what() << "\n";
    return kExitFailed;
  }
  nlohmann::ordered_json j;
  j["out"] = flags->Text("out");
  j["frames"] = stack.frames;
  j["left_out"] = LeftOutJson(s.series);
  j["reference_jd"] = stack.referenceJd;
  j["date_obs"] = IsoTimeText(stack.referenceJd);
  j["exposure_s"] = stack.exposureS;
  j["rate_arcsec_per_min"] = motion.rateArcsecPerMin;
  j["pa_deg"] = motion.paDeg;
  j["combine"] = settings.combine == StackCombine::kMedian ? "median" : "mean";
  j["resample"] = settings.resample == StackResample::kBilinear ? "bilinear" : "nearest";
  if (!objectJson.is_null()) j["object"] = objectJson;
  out << j.dump(2) << "\n";
  return kExitOk;
}

int RunTrackSearch(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  const std::vector<std::string> images = TakeImages(args, rest);
  const auto flags = Flags::Parse(rest,
                                  {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd", "rate-min", "rate-max",
                                   "snr", "orbits", "site", "scale", "header-time"},
                                  "track-search", err);
  if (!flags) return kExitUsage;
  if (images.size() < 3) {
    err << "skarvel-cli track-search: give --images with three frames or more (see skarvel-cli track-search --help)\n";
    return kExitUsage;
  }
  const auto choice = ParseCatalogChoice(*flags, "track-search", err);
  if (!choice) return kExitUsage;
  TrackSearchSettings settings;
  if (flags->Has("rate-min")) {
    const auto v = flags->Number("rate-min", 0, 1000, err);
    if (!v) return kExitUsage;
    settings.rateMinArcsecPerMin = static_cast<double>(*v);
  }
  if (flags->Has("rate-max")) {
    const auto v = flags->Number("rate-max", 0.01L, 1000, err);
    if (!v) return kExitUsage;
    settings.rateMaxArcsecPerMin = static_cast<double>(*v);
  }
  if (flags->Has("snr")) {
    const auto v = flags->Number("snr", 3, 1000, err);
    if (!v) return kExitUsage;
    settings.snrThreshold = static_cast<double>(*v);
  }
  SiteRecord site = DefaultSiteRecord();
  if (flags->Has("site")) {
    const auto v = SiteFromFlag(flags->Text("site"));
    if (!v) {
      err << "skarvel-cli track-search: --site must be LON_EAST_DEG,LAT_DEG,HEIGHT_M\n";
      return kExitUsage;
    }
    site = *v;
  }
  LoadedSeries s;
  if (const auto code = LoadSeries(images, *flags, *choice, "track-search", s, err)) return *code;
  const TrackSearchResult result = SearchTracks(s.series, settings);
  if (!result.done) {
    err << "skarvel-cli track-search: " << result.failure << "\n";
    return kExitFailed;
  }
  // The known objects at the reference time, through the orbit-database search.
  std::vector<std::optional<KnownObject>> known(result.candidates.size());
  if (flags->Has("orbits") && !result.candidates.empty()) {
    KnownSearch search;
    search.orbitsPath = fs::NativePath(flags->Text("orbits"));
    search.site = site;
    search.topocentric = flags->Has("site");
    search.matchArcsec = kKnownArcsec;
    CliPlatform ui(err);
    const auto named = NameTrackCandidates(ui, s.series, result, search);
    if (!named) return kExitFailed;
    known = *named;
  }
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < result.candidates.size(); ++i) {
    const TrackCandidate& c = result.candidates[i];
    nlohmann::ordered_json j;
    j["rate_arcsec_per_min"] = c.rateArcsecPerMin;
    j["pa_deg"] = c.paDeg;
    j["snr"] = c.snr;
    j["position"] = {{"x", c.x},
                     {"y", c.y},
                     {"ra_hours", static_cast<double>(c.raHours)},
                     {"dec_deg", static_cast<double>(c.decDeg)},
                     {"jd", c.jd}};
    if (const auto& k = known[i])
      j["known"] = {{"number", k->number ? nlohmann::ordered_json(*k->number) : nlohmann::ordered_json()},
                    {"name", Latin1ToUtf8(k->name)},
                    {"designation", Latin1ToUtf8(k->designation)}};
    else
      j["known"] = nullptr;
    list.push_back(j);
  }
  nlohmann::ordered_json j;
  j["reference_jd"] = result.referenceJd;
  j["frames"] = static_cast<int>(s.series.Frames().size() - s.series.LeftOut().size());
  j["left_out"] = LeftOutJson(s.series);
  j["motions"] = result.motions;
  j["slowest_arcsec_per_min"] = result.slowestArcsecPerMin;
  j["candidates"] = list;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand StackCommand() {
  return {"stack", "a frame series stacked along a motion into one FITS image", kStackHelp, RunStack};
}

Subcommand TrackSearchCommand() {
  return {"track-search", "faint movers found by stacking a frame series over a grid of motions", kTrackSearchHelp,
          RunTrackSearch};
}

}  // namespace skarvel::cli

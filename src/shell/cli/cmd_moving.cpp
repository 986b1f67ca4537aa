#include <cmath>
#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/auto_match.h"
#include "astrometry/moving_objects.h"
#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "images/fits_file.h"
#include "orbits/orbit_search.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/catalog_field.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kMovingHelp =
    "Usage: skarvel-cli moving --images A.FIT B.FIT C.FIT [D.FIT] --catalog gsc|gsc-converted\n"
    "                          --path ROOT [--path2 ROOT2] [--scale ARCSEC]\n"
    "                          [--orbits MPCORB.CMO --site LON_EAST_DEG,LAT_DEG,HEIGHT_M]\n\n"
    "Finds what moves in three or four frames of one field, in time order: each\n"
    "frame is matched to the catalog as solve --auto does (the catalog read around\n"
    "the first header's RA and DEC), its stars are placed on the sky, the sources\n"
    "at the same place (within 2\") in every frame are set aside as stars, and\n"
    "chains of one source per frame along a straight line at a constant rate\n"
    "(0.1\" to 100\" a minute, each within 2.5\" of the line, rms at most 1.2\") are\n"
    "the candidates, best fit first. Times: the headers' mid-exposure. With\n"
    "--orbits the converted MPC orbit file is searched at each frame's time and\n"
    "field from the site (default the default site) and a candidate within 60\" of\n"
    "an object's predicted place in every frame is named after it; the others get a\n"
    "temporary designation (trksub \"SKV0001\", ...).\n\n"
    "JSON keys: frames (file, jd, stars_found, pairs_matched, zero_point),\n"
    "candidates: {positions (x, y from 0 in the file's pixels, ra_hours, dec_deg,\n"
    "jd, detected: false where a star hid it and the place is the motion's, one per\n"
    "image), rate_arcsec_per_min, pa_deg, mag, residual_arcsec, known\n"
    "{number, name, designation, record, predicted_minus_measured: {ra_arcsec,\n"
    "dec_arcsec} per image, mean_arcsec} when identified, trksub otherwise}.\n"
    "Exit status 1 when a frame cannot be read or matched.\n";

// A candidate is an object's when the prediction lies this near in every frame, arc seconds.
constexpr double kKnownArcsec = 60;
// The headers' times are the starts of the exposures: the reader moves them to the middle.
constexpr std::uint8_t kHeaderTimeStart = 0;
constexpr long double kDefaultFieldArcmin = 30;
constexpr long double kFieldPerImageSide = 2.4L;

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

int RunMoving(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> images;
  Arguments rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--images") {
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) images.push_back(args[++i]);
    } else {
      rest.push_back(args[i]);
    }
  }
  const auto flags = Flags::Parse(rest, {"catalog", "path", "path2", "scale", "orbits", "site"}, "moving", err);
  if (!flags) return kExitUsage;
  if (images.size() < 3 || images.size() > 4 || !flags->Has("catalog") || !flags->Has("path")) {
    err << "skarvel-cli moving: give --images with three or four files, --catalog and --path (see skarvel-cli "
           "moving --help)\n";
    return kExitUsage;
  }
  const std::string& kind = flags->Text("catalog");
  if (kind != "gsc" && kind != "gsc-converted") {
    err << "skarvel-cli moving: --catalog takes gsc or gsc-converted, not \"" << kind << "\"\n";
    return kExitUsage;
  }
  long double scale = 0;
  if (flags->Has("scale")) {
    const auto v = flags->Number("scale", 0.001L, 3600, err);
    if (!v) return kExitUsage;
    scale = *v;
  }
  SiteRecord site = DefaultSiteRecord();
  if (flags->Has("site")) {
    const auto s = SiteFromFlag(flags->Text("site"));
    if (!s) {
      err << "skarvel-cli moving: --site must be LON_EAST_DEG,LAT_DEG,HEIGHT_M\n";
      return kExitUsage;
    }
    site = *s;
  }

  ScratchDir scratch;
  CliPlatform ui(err);
  std::deque<FITSFileObj> files;
  for (const std::string& name : images) {
    FITSFileObj& image = files.emplace_back(ImageLoadContext{&ui, scratch.Path(), kHeaderTimeStart, nullptr, nullptr});
    if (!image.Load(fs::NativePath(name))) return kExitFailed;
  }
  FITSFileObj& first = files.front();
  FieldParameters params;
  params.centreRA = first.Header().ra;
  params.centreDec = first.Header().dec;
  params.size = static_cast<float>(scale > 0 ? kFieldPerImageSide * std::max(first.width, first.height) * scale / 60
                                             : kDefaultFieldArcmin);
  params.limitMag = 99;
  CliCatalogField catalog(err, kind == "gsc-converted", flags->Text("path"), flags->Has("path2") ? flags->Text("path2") : "");
  if (!catalog.Load(params, 0)) return kExitFailed;
  StarList& stars = catalog.Field().Stars();

  std::vector<FrameDetections> frames;
  std::vector<MatchResult> matches;
  nlohmann::ordered_json frameList = nlohmann::ordered_json::array();
  for (std::size_t k = 0; k < files.size(); ++k) {
    FITSFileObj& image = files[k];
    AutoMatchRequest request;
    request.view.image = &image;
    request.view.clientWidth = image.width;
    request.view.clientHeight = image.height;
    request.centreRAHours = image.Header().ra;
    request.centreDecDeg = image.Header().dec;
    request.arcsecPerPixel = scale;
    const AutoMatchOutcome match = FindAutoReferences(request, stars);
    if (!match.found) {
      err << images[k] << ": Auto-Match: " << TerminalText(AutoMatchRefusalText(match.reason)) << "\n";
      return kExitFailed;
    }
    const long double jd = DateTimeToDays(image.Header().observationTime) + 2415018.5L;
    frames.push_back(FrameSkyDetections(match, request.view, stars, jd));
    matches.push_back(match.match);
    frameList.push_back({{"file", images[k]},
                         {"jd", static_cast<double>(jd)},
                         {"stars_found", match.detected},
                         {"pairs_matched", match.allPairs.size()},
                         {"zero_point", static_cast<double>(frames.back().zeroPoint)}});
  }
  for (std::size_t k = 1; k < frames.size(); ++k)
    if (!(frames[k].jd > frames[k - 1].jd)) {
      err << "skarvel-cli moving: the images must be given in time order\n";
      return kExitUsage;
    }
  const std::vector<MovingCandidate> candidates = FindMovingObjects(frames, MovingSettings{});

  // The known objects of each frame's field at its time.
  std::vector<std::map<std::int32_t, SearchResult>> known(frames.size());
  if (flags->Has("orbits")) {
    const std::string path = fs::NativePath(flags->Text("orbits"));
    for (std::size_t k = 0; k < frames.size(); ++k) {
      TAstOrbFlSrch search(SearchContext{ui, site, true});
      SearchParams& p = search.Params();
      p.instant.SetJD(frames[k].jd);
      p.kind = FieldKind::kDegrees;
      const FITSFileObj& image = files[k];
      long double ra = 0, dec = 0;
      PixelToSky(matches[k], image.width / 2.0L, image.height / 2.0L, ra, dec);
      p.centerRaHours = ra;
      p.centerDecDeg = dec;
      const long double sideDeg = std::hypot(image.width, image.height) * matches[k].arcsecPerPixel / 3600;
      p.halfSizeRad = sideDeg / 2 * kRadiansPerDegree;
      p.DeriveBox();
      if (!search.Search(path, fs::FileExists(path), ElementSource::kMpc, FileDateTimeValue(path).value_or(0)))
        return kExitFailed;
      for (std::int32_t i = 0; i <= search.Results().LastIndex(); ++i) {
        const SearchResult& r = *search.Results().GetAt(i);
        known[k][r.recordNumber] = r;
      }
    }
  }

  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  int unknown = 0;
  for (const MovingCandidate& c : candidates) {
    nlohmann::ordered_json j;
    nlohmann::ordered_json positions = nlohmann::ordered_json::array();
    for (std::size_t k = 0; k < c.positions.size(); ++k)
      positions.push_back({{"x", static_cast<double>(c.positions[k].x)},
                           {"y", static_cast<double>(c.positions[k].y)},
                           {"ra_hours", static_cast<double>(c.positions[k].raHours)},
                           {"dec_deg", static_cast<double>(c.positions[k].decDeg)},
                           {"jd", static_cast<double>(c.jd[k])},
                           {"detected", static_cast<bool>(c.detected[k])}});
    j["positions"] = positions;
    j["rate_arcsec_per_min"] = static_cast<double>(c.rateArcsecPerMin);
    j["pa_deg"] = static_cast<double>(c.paDeg);
    j["mag"] = static_cast<double>(c.mag);
    j["residual_arcsec"] = static_cast<double>(c.residualArcsec);
    // The object predicted nearest in every frame.
    double bestMean = kKnownArcsec;
    nlohmann::ordered_json best;
    for (const auto& [record, r0] : known.front()) {
      double sum = 0, worst = 0;
      nlohmann::ordered_json offsets = nlohmann::ordered_json::array();
      bool everywhere = true;
      for (std::size_t k = 0; k < frames.size() && everywhere; ++k) {
        const auto it = known[k].find(record);
        if (it == known[k].end()) {
          everywhere = false;
          break;
        }
        const SearchResult& r = it->second;
        const double dra = (r.ra - static_cast<double>(c.positions[k].raHours)) * 15 * 3600 *
                           std::cos(static_cast<double>(c.positions[k].decDeg) * M_PI / 180);
        const double ddec = (r.dec - static_cast<double>(c.positions[k].decDeg)) * 3600;
        const double d = std::hypot(dra, ddec);
        sum += d;
        worst = std::max(worst, d);
        offsets.push_back({{"ra_arcsec", dra}, {"dec_arcsec", ddec}});
      }
      if (!everywhere || worst > kKnownArcsec) continue;
      const double mean = sum / static_cast<double>(frames.size());
      if (mean >= bestMean) continue;
      bestMean = mean;
      const std::string designation = Trim(r0.designation);
      const bool numbered = !designation.empty() && designation.find_first_not_of("0123456789") == std::string::npos;
      best = {{"number", numbered ? nlohmann::ordered_json(std::stoi(designation)) : nlohmann::ordered_json()},
              {"name", Latin1ToUtf8(Trim(r0.name))},
              {"designation", Latin1ToUtf8(designation)},
              {"record", record},
              {"predicted_minus_measured", offsets},
              {"mean_arcsec", mean}};
    }
    if (!best.is_null()) {
      j["known"] = best;
    } else {
      j["trksub"] = TemporaryDesignation(++unknown);
    }
    list.push_back(j);
  }
  nlohmann::ordered_json j;
  j["frames"] = frameList;
  j["candidates"] = list;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand MovingCommand() {
  return {"moving", "moving objects in three or four frames of a field, the known ones named", kMovingHelp, RunMoving};
}

}  // namespace skarvel::cli

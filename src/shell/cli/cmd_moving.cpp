#include <cmath>
#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/auto_match.h"
#include "astrometry/known_objects.h"
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
    "Usage: skarvel-cli moving --images A.FIT B.FIT C.FIT [D.FIT] --catalog KIND\n"
    "                          (--path ROOT [--path2 ROOT2] | [--url URL] [--timeout-s T])\n"
    "                          [--colour N] [--jd JD] [--scale ARCSEC]\n"
    "                          [--orbits MPCORB.CMO --site LON_EAST_DEG,LAT_DEG,HEIGHT_M]\n\n"
    "Finds what moves in three or four frames of one field, in time order: each\n"
    "frame is matched to the catalog as solve --auto does (the catalog read around\n"
    "the frame's header RA and DEC at the frame's time, or at --jd), its stars are\n"
    "placed on the sky, the sources\n"
    "at the same place (within 2\") in every frame are set aside as stars, and\n"
    "chains of one source per frame along a straight line at a constant rate\n"
    "(0.1\" to 100\" a minute, each within 2.5\" of the line, rms at most 1.2\") are\n"
    "the candidates, best fit first; of four frames one may miss the object where\n"
    "the frame's edge, a star or its pixels explain it. The sources are found by\n"
    "a matched filter (the frame's PSF) down to a signal-to-noise ratio of 5; a\n"
    "source whose place shows in every other frame's pixels is a star too; a\n"
    "chain needs a source in all frames but one (of three frames: two), the\n"
    "frame without one a forced measurement at the motion's place that shows the\n"
    "object (SNR 3.5 or more), a combined significance (the sum of the SNRs over\n"
    "the root of their count) of 8 or more and a motion that fits the positions\n"
    "within their uncertainties. Times: the headers' mid-exposure. With\n"
    "--orbits the converted MPC orbit file is searched at each frame's time and\n"
    "field, each object predicted as seen from --site (light time and parallax;\n"
    "without --site the geocentric place), and a candidate within 60\" of an\n"
    "object's predicted place in every frame is named after the nearest; the\n"
    "others get a temporary designation (trksub \"SKV0001\", ...).\n"
    "--catalog takes every catalog of skarvel-cli catalog (gsc, gsc-converted,\n"
    "ucac2, ucac3, bss, sa1, sa2, online, vizier-*, usno-*) with its --path,\n"
    "--path2, --url, --colour and --timeout-s; the proper motions carry the stars\n"
    "to each frame's time unless --jd gives one time. An on-line catalog is asked\n"
    "once for the frames of one pointing: its answer serves every frame of it.\n\n"
    "JSON keys: frames (file, jd, stars_found, pairs_matched, zero_point),\n"
    "candidates: {positions (x, y from 0 in the file's pixels, ra_hours, dec_deg,\n"
    "jd, detected: false where the frame missed it and the place is the\n"
    "motion's, snr: the detection's or the forced measurement's, sigma_arcsec:\n"
    "the position's one-sigma uncertainty per axis, 0 for a forced one; one per\n"
    "image), rate_arcsec_per_min, pa_deg, mag, residual_arcsec, significance, known\n"
    "{number, name, designation, record, predicted_minus_measured: {ra_arcsec,\n"
    "dec_arcsec} per image, mean_arcsec} when identified, trksub otherwise}.\n"
    "Exit status 1 when a frame cannot be read or matched, or its catalog stars\n"
    "cannot be read (the catalog's message says why: a server that does not\n"
    "answer, a web page instead of a table, no stars in the field).\n";

// A candidate is an object's when the prediction lies this near in every frame, arc seconds.
constexpr double kKnownArcsec = 60;
// The headers' times are the starts of the exposures: the reader moves them to the middle.
constexpr std::uint8_t kHeaderTimeStart = 0;
constexpr long double kDefaultFieldArcmin = 30;
constexpr long double kFieldPerImageSide = 2.4L;
// Catalog stars read at most this faint.
constexpr float kAllMagnitudes = 99;
// What to try when a frame finds no match.
constexpr const char* kAdvice =
    "Give the image scale with --scale, or read another catalog; skarvel-cli solve --auto on the frame tells more.";

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
  const auto flags = Flags::Parse(
      rest, {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd", "scale", "orbits", "site"}, "moving", err);
  if (!flags) return kExitUsage;
  if (images.size() < 3 || images.size() > 4 || !flags->Has("catalog")) {
    err << "skarvel-cli moving: give --images with three or four files and --catalog (with --path for a local "
           "catalog; see skarvel-cli moving --help)\n";
    return kExitUsage;
  }
  const auto choice = ParseCatalogChoice(*flags, "moving", err);
  if (!choice) return kExitUsage;
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
  // Each frame's field read around its pointing at its time; the catalog
  // reader keeps the on-line answer, so frames of one field send one query.
  OptionsRecord options;
  CliReferenceCatalog catalog(err, *choice, options);
  std::vector<FrameDetections> frames;
  std::vector<MatchResult> matches;
  nlohmann::ordered_json frameList = nlohmann::ordered_json::array();
  for (std::size_t k = 0; k < files.size(); ++k) {
    FITSFileObj& image = files[k];
    FieldRequest field;
    field.params.centreRA = image.Header().ra;
    field.params.centreDec = image.Header().dec;
    field.params.size = static_cast<float>(
        scale > 0 ? kFieldPerImageSide * std::max(image.width, image.height) * scale / 60 : kDefaultFieldArcmin);
    field.params.limitMag = kAllMagnitudes;
    if (!catalog.Load(field, JulianDateFor(*choice, ImageJulianDate(image)))) {
      err << images[k] << ": the reference stars of the frame could not be read\n";
      return kExitFailed;
    }
    StarList& stars = catalog.Field().Stars();
    AutoMatchRequest request;
    request.view.image = &image;
    request.view.clientWidth = image.width;
    request.view.clientHeight = image.height;
    request.centreRAHours = image.Header().ra;
    request.centreDecDeg = image.Header().dec;
    request.arcsecPerPixel = scale;
    request.detect = MovingDetectSettings();
    const AutoMatchOutcome match = FindAutoReferences(request, stars);
    if (!match.found) {
      err << images[k] << ": Auto-Match: " << TerminalText(CliAutoMatchRefusal(match.reason, kAdvice)) << "\n";
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
  const std::vector<MovingCandidate> candidates = FindMovingObjects(frames, FaintMovingSettings());

  // The known objects of each frame's field at its time.
  std::vector<std::optional<KnownObject>> known(candidates.size());
  if (flags->Has("orbits")) {
    KnownSearch search;
    search.orbitsPath = fs::NativePath(flags->Text("orbits"));
    search.site = site;
    search.topocentric = flags->Has("site");
    search.matchArcsec = kKnownArcsec;
    std::vector<FrameField> fields;
    for (std::size_t k = 0; k < frames.size(); ++k) {
      const FITSFileObj& image = files[k];
      FrameField f;
      f.jd = frames[k].jd;
      PixelToSky(matches[k], image.width / 2.0L, image.height / 2.0L, f.centreRAHours, f.centreDecDeg);
      f.halfSizeDeg = std::hypot(image.width, image.height) * matches[k].arcsecPerPixel / 3600 / 2;
      fields.push_back(f);
    }
    const auto named = IdentifyKnownObjects(ui, search, fields, candidates);
    if (!named) return kExitFailed;
    known = *named;
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
                           {"detected", static_cast<bool>(c.detected[k])},
                           {"snr", k < c.snr.size() ? static_cast<double>(c.snr[k]) : 0.0},
                           {"sigma_arcsec", static_cast<double>(c.positions[k].sigmaArcsec)}});
    j["positions"] = positions;
    j["rate_arcsec_per_min"] = static_cast<double>(c.rateArcsecPerMin);
    j["pa_deg"] = static_cast<double>(c.paDeg);
    j["mag"] = static_cast<double>(c.mag);
    j["residual_arcsec"] = static_cast<double>(c.residualArcsec);
    j["significance"] = static_cast<double>(c.significance);
    nlohmann::ordered_json best;
    if (const auto& k = known[static_cast<std::size_t>(&c - candidates.data())]) {
      nlohmann::ordered_json offsets = nlohmann::ordered_json::array();
      for (const auto& o : k->predictedMinusMeasured)
        offsets.push_back({{"ra_arcsec", static_cast<double>(o[0])}, {"dec_arcsec", static_cast<double>(o[1])}});
      best = {{"number", k->number ? nlohmann::ordered_json(*k->number) : nlohmann::ordered_json()},
              {"name", Latin1ToUtf8(k->name)},
              {"designation", Latin1ToUtf8(k->designation)},
              {"record", k->record},
              {"predicted_minus_measured", offsets},
              {"mean_arcsec", static_cast<double>(k->meanArcsec)}};
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

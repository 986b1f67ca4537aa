#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "astrometry/plate_solution.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/cli_support.h"

namespace skarvel::cli {

namespace {

constexpr const char* kSolveHelp =
    "Usage: skarvel-cli solve --pairs FILE.csv --center RA,DEC [--model linear|cross|quadratic]\n"
    "                         [--target X,Y] [--image-size W,H]\n\n"
    "Solves the plate from reference pairs as the image window does: standard\n"
    "coordinates about the field centre (RA hours, Dec degrees), plate constants\n"
    "by least squares, fitted positions and residuals. The CSV has a header line\n"
    "and the columns x,y,ra_hours,dec_deg and optionally use (1/0: used for the\n"
    "position). --model chooses the plate model (default linear, as the\n"
    "SolutionType option's default). The image centre is the mean of the pairs'\n"
    "x and y unless --image-size gives the image's width and height.\n\n"
    "JSON keys: solved, model, constants (a, b, c, ...), stars (fit_ra_hours,\n"
    "fit_dec_deg, res_ra, res_dec, res_total in arc seconds, in input order),\n"
    "center {ra_hours, dec_deg, x, y}, target {ra_hours, dec_deg, sigma_ra,\n"
    "sigma_dec, sigma} with --target; weighted (true when the plate weighted its\n"
    "stars by their measured uncertainties) and weighted_stars (how many brought\n"
    "one; a pairs file gives none, so its plate is unweighted).\n"
    "Exit status 1 with \"Not Enough Reference Stars for Selected Solution Type!\"\n"
    "when the pairs do not fix the model.\n\n"
    "Usage: skarvel-cli solve --auto IMAGE.FIT --catalog gsc|gsc-converted --path ROOT\n"
    "                         [--path2 ROOT2] [--center RA,DEC] [--scale ARCSEC]\n"
    "                         [--size-arcmin S] [--mag-limit M]\n"
    "                         [--model linear|cross|quadratic] [--target X,Y]\n"
    "       skarvel-cli solve --auto IMAGE.FIT --catalog KIND (--path ROOT | --url URL)\n"
    "                         [--path2 ROOT2] [--colour N] [--timeout-s T] [--jd JD]\n"
    "                         [--center RA,DEC] [--scale ARCSEC]\n"
    "                         [--size-arcmin S] [--mag-limit M]\n"
    "                         [--model linear|cross|quadratic] [--target X,Y]\n"
    "                         [--weight equal|uncertainty]\n\n"
    "Reduces a FITS image without a pairs file: its stars are found (robust sky\n"
    "and noise, peaks above 5 sigma; hot pixels, cosmic rays, saturated stars,\n"
    "trails and blends left out) and matched to the catalog stars of the field by\n"
    "the shapes of star triangles (any rotation, either mirroring), then refined by\n"
    "least squares with outliers rejected; up to 100 pairs spread over the image\n"
    "solve the plate. --catalog takes every catalog of skarvel-cli catalog (gsc,\n"
    "gsc-converted, ucac2, ucac3, bss, sa1, sa2, online, vizier-*, usno-*) with its\n"
    "--path, --path2, --url, --colour and --timeout-s; the proper motions carry\n"
    "the stars to the image's time (the header's), or to --jd. The\n"
    "centre is the header's RA and DEC unless --center gives it; the true centre\n"
    "may lie up to half a field away. --scale is the expected image scale in arc\n"
    "seconds per pixel (the camera's; 20 percent off is accepted; without it any\n"
    "scale is tried). The catalog is read over --size-arcmin (default 2.4 times\n"
    "the image's longer side at --scale, else 30) to --mag-limit (default all).\n"
    "X,Y: file columns and rows counted from 0; the image centre is (width / 2,\n"
    "height / 2).\n\n"
    "--weight uncertainty weights each star of the plate by its measured centring\n"
    "uncertainty, 1 / sqrt(sigma^2 + 0.05^2) in pixels (default equal: every star\n"
    "counts alike, as the image window solves unless the options ask otherwise).\n\n"
    "JSON keys: as above, and pairs (x, y, ra_hours, dec_deg, id, mag of each matched\n"
    "star, in the order of stars, and sigma_x, sigma_y: the one-sigma uncertainty\n"
    "per axis of x and y in pixels, 0 when unknown), match {stars_found,\n"
    "pairs_matched, arcsec_per_pixel, rotation_deg, mirrored, rms_arcsec}.\n"
    "Exit status 1 with \"Auto-Match: No trustworthy match ...\", the reason and\n"
    "what to try when no match the stars support is found, and with the catalog's\n"
    "message when its stars cannot be read (a server that does not answer, a web\n"
    "page instead of a table, no stars in the field).\n";

int RunSolve(const Arguments& args, std::ostream& out, std::ostream& err) {
  for (const std::string& a : args)
    if (a == "--auto" || a.rfind("--auto=", 0) == 0) return RunSolveAuto(args, out, err);
  std::map<std::string, std::string> flags;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (a.rfind("--", 0) != 0) {
      err << "skarvel-cli solve: unexpected argument \"" << a << "\" (see skarvel-cli solve --help)\n";
      return kExitUsage;
    }
    std::string value;
    if (const auto eq = a.find('='); eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    flags[a.substr(2)] = value;
  }
  for (const auto& [name, value] : flags)
    if (name != "pairs" && name != "center" && name != "model" && name != "target" && name != "image-size") {
      err << "skarvel-cli solve: unknown flag --" << name << "\n";
      return kExitUsage;
    }
  if (!flags.count("pairs") || !flags.count("center")) {
    err << "skarvel-cli solve: --pairs and --center are needed (see skarvel-cli solve --help)\n";
    return kExitUsage;
  }
  const auto centre = NumberList(flags["center"], 2);
  if (!centre) {
    err << "skarvel-cli solve: --center needs RA,DEC\n";
    return kExitUsage;
  }
  std::uint8_t type = 0;
  const std::string model = flags.count("model") ? flags["model"] : "linear";
  if (model == "cross") type = 1;
  else if (model == "quadratic") type = 2;
  else if (model != "linear") {
    err << "skarvel-cli solve: --model is linear, cross or quadratic\n";
    return kExitUsage;
  }
  std::optional<std::vector<long double>> target;
  if (flags.count("target") && !(target = NumberList(flags["target"], 2))) {
    err << "skarvel-cli solve: --target needs X,Y\n";
    return kExitUsage;
  }
  std::optional<std::vector<long double>> size;
  if (flags.count("image-size") && !(size = NumberList(flags["image-size"], 2))) {
    err << "skarvel-cli solve: --image-size needs W,H\n";
    return kExitUsage;
  }
  std::ifstream in(fs::Resolve(fs::NativePath(flags["pairs"])));
  if (!in) {
    err << "Unable to open " << flags["pairs"] << "\n";
    return kExitFailed;
  }
  std::vector<ReferenceStar> stars;
  std::string line;
  std::getline(in, line);  // the header
  int lineNo = 1;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.find_first_not_of(" \r\t") == std::string::npos) continue;
    const auto v = NumberList(line, 0);
    if (!v || (v->size() != 4 && v->size() != 5)) {
      err << "skarvel-cli solve: line " << lineNo << " of " << flags["pairs"] << " is not x,y,ra_hours,dec_deg[,use]\n";
      return kExitFailed;
    }
    ReferenceStar r;
    r.number = static_cast<std::int32_t>(stars.size() + 1);
    r.imageX = (*v)[0];
    r.imageY = (*v)[1];
    r.catRA = (*v)[2];
    r.catDec = (*v)[3];
    r.usePos = v->size() == 4 || (*v)[4] != 0;
    stars.push_back(r);
  }
  ReferenceStar centreRecord;
  if (size) {
    centreRecord.imageX = (*size)[0] / 2;
    centreRecord.imageY = (*size)[1] / 2;
  } else {
    for (const auto& r : stars) {
      centreRecord.imageX += r.imageX / static_cast<long double>(stars.size());
      centreRecord.imageY += r.imageY / static_cast<long double>(stars.size());
    }
  }
  const auto j = SolveJson(stars, (*centre)[0], (*centre)[1], type, model, centreRecord, target, err);
  if (!j) return kExitFailed;
  out << j->dump(2) << "\n";
  return kExitOk;
}

}  // namespace

std::optional<nlohmann::ordered_json> SolveJson(std::vector<ReferenceStar>& stars, long double raHours,
                                                long double decDeg, std::uint8_t type, const std::string& model,
                                                ReferenceStar centreRecord,
                                                const std::optional<std::vector<long double>>& target,
                                                std::ostream& err, bool weighted) {
  PlateSolnObj plate;
  plate.StartSolution(raHours, decDeg);
  for (const auto& r : stars) plate.AddPair(r);
  if (!plate.SolvePlate(type, weighted)) {
    err << "Insufficient References: Not Enough Reference Stars for Selected Solution Type!\n";
    return std::nullopt;
  }
  for (auto& r : stars) plate.ApplySolution(r, type);
  plate.ApplySolution(centreRecord, type);
  nlohmann::ordered_json j;
  j["solved"] = true;
  j["model"] = model;
  nlohmann::ordered_json constants = nlohmann::ordered_json::array();
  for (long double c : plate.PlateConstants(type)) constants.push_back(static_cast<double>(c));
  j["constants"] = constants;
  j["weighted"] = plate.Weighted();
  j["weighted_stars"] = plate.WeightedCount();
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto& r : stars)
    list.push_back({{"fit_ra_hours", static_cast<double>(r.fitRA)},
                    {"fit_dec_deg", static_cast<double>(r.fitDec)},
                    {"res_ra", static_cast<double>(r.resRA)},
                    {"res_dec", static_cast<double>(r.resDec)},
                    {"res_total", static_cast<double>(r.resTotal)},
                    {"used", r.usePos}});
  j["stars"] = list;
  j["center"] = {{"ra_hours", static_cast<double>(centreRecord.fitRA)},
                 {"dec_deg", static_cast<double>(centreRecord.fitDec)},
                 {"x", static_cast<double>(centreRecord.imageX)},
                 {"y", static_cast<double>(centreRecord.imageY)}};
  if (target) {
    ReferenceStar t;
    t.imageX = (*target)[0];
    t.imageY = (*target)[1];
    plate.ApplySolution(t, type);
    const auto e = plate.ErrorEstimates(type);
    j["target"] = {{"ra_hours", static_cast<double>(t.fitRA)},
                   {"dec_deg", static_cast<double>(t.fitDec)},
                   {"sigma_ra", static_cast<double>(e.ra)},
                   {"sigma_dec", static_cast<double>(e.dec)},
                   {"sigma", static_cast<double>(e.total)}};
  }
  return j;
}

Subcommand SolveCommand() {
  return {"solve", "plate solution from reference pairs", kSolveHelp, RunSolve};
}

}  // namespace skarvel::cli

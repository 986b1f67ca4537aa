#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/auto_match.h"
#include "astrometry/plate_solution.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "images/fits_file.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/catalog_field.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

// Without a scale the catalog is read over this field, arc minutes.
constexpr long double kDefaultFieldArcmin = 30;
// With a scale: the image's longer side times this (the image, a pointing up
// to half a field off, and the scale 20 percent off).
constexpr long double kFieldPerImageSide = 2.4L;
// Catalog stars read at most this faint.
constexpr float kAllMagnitudes = 99;
// What to try when Auto-Match finds no match.
constexpr const char* kAdvice =
    "Give the image scale with --scale, the field centre with --center, a larger --size-arcmin or a fainter "
    "--mag-limit, or read another catalog; or pair the stars yourself (skarvel-cli solve --pairs).";

}  // namespace

int RunSolveAuto(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--auto" && i + 1 < args.size()) {
      file = args[++i];
    } else if (args[i].rfind("--auto=", 0) == 0) {
      file = args[i].substr(7);
    } else {
      rest.push_back(args[i]);
    }
  }
  const auto flags = Flags::Parse(rest,
                                  {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd", "center", "model",
                                   "target", "scale", "size-arcmin", "mag-limit", "weight"},
                                  "solve", err);
  if (!flags) return kExitUsage;
  if (file.empty() || !flags->Has("catalog")) {
    err << "skarvel-cli solve: --auto IMAGE.FIT needs --catalog (with --path for a local catalog; see skarvel-cli "
           "solve --help)\n";
    return kExitUsage;
  }
  const auto choice = ParseCatalogChoice(*flags, "solve", err);
  if (!choice) return kExitUsage;
  std::uint8_t type = 0;
  const std::string model = flags->Has("model") ? flags->Text("model") : "linear";
  if (model == "cross") type = 1;
  else if (model == "quadratic") type = 2;
  else if (model != "linear") {
    err << "skarvel-cli solve: --model is linear, cross or quadratic\n";
    return kExitUsage;
  }
  std::optional<std::vector<long double>> centre, target;
  if (flags->Has("center")) {
    centre = NumberList(flags->Text("center"), 2);
    if (!centre || (*centre)[0] < 0 || (*centre)[0] >= 24 || (*centre)[1] < -90 || (*centre)[1] > 90) {
      err << "skarvel-cli solve: --center takes RA,DEC (hours 0..24, degrees -90..90)\n";
      return kExitUsage;
    }
  }
  if (flags->Has("target") && !(target = NumberList(flags->Text("target"), 2))) {
    err << "skarvel-cli solve: --target needs X,Y\n";
    return kExitUsage;
  }
  const std::string weight = flags->Has("weight") ? flags->Text("weight") : "equal";
  if (weight != "equal" && weight != "uncertainty") {
    err << "skarvel-cli solve: --weight is equal or uncertainty\n";
    return kExitUsage;
  }
  long double scale = 0;
  if (flags->Has("scale")) {
    const auto v = flags->Number("scale", 0.001L, 3600, err);
    if (!v) return kExitUsage;
    scale = *v;
  }
  std::optional<long double> size, magLimit;
  if (flags->Has("size-arcmin") && !(size = flags->Number("size-arcmin", 0.1L, 3600, err))) return kExitUsage;
  if (flags->Has("mag-limit") && !(magLimit = flags->Number("mag-limit", -5, 99, err))) return kExitUsage;

  ScratchDir scratch;
  CliPlatform ui(err);
  ObsParams obs;
  FITSFileObj image(ImageLoadContext{&ui, scratch.Path(), 1, &obs, nullptr});
  if (!image.Load(fs::NativePath(file))) return kExitFailed;
  if (!centre) centre = std::vector<long double>{image.Header().ra, image.Header().dec};

  FieldRequest fieldRequest;
  FieldParameters& params = fieldRequest.params;
  params.centreRA = (*centre)[0];
  params.centreDec = (*centre)[1];
  params.size = static_cast<float>(size ? *size
                                        : scale > 0 ? kFieldPerImageSide * std::max(image.width, image.height) * scale / 60
                                                    : kDefaultFieldArcmin);
  params.limitMag = magLimit ? static_cast<float>(*magLimit) : kAllMagnitudes;
  OptionsRecord options;
  CliReferenceCatalog catalog(err, *choice, options);
  if (!catalog.Load(fieldRequest, JulianDateFor(*choice, ImageJulianDate(image)))) return kExitFailed;

  AutoMatchRequest request;
  request.view.image = &image;
  request.view.clientWidth = image.width;
  request.view.clientHeight = image.height;
  request.centreRAHours = params.centreRA;
  request.centreDecDeg = params.centreDec;
  request.arcsecPerPixel = scale;
  request.maxReferences = PlateSolnObj::kMaxPairs;
  StarList& stars = catalog.Field().Stars();
  const AutoMatchOutcome match = FindAutoReferences(request, stars);
  if (!match.found) {
    err << "Auto-Match: " << TerminalText(CliAutoMatchRefusal(match.reason, kAdvice)) << "\n";
    return kExitFailed;
  }

  // The plate from the matched pairs, as the solution sequence makes it.
  std::vector<ReferenceStar> refs;
  for (const AutoReference& a : match.references) {
    const CatalogStar& s = *stars.GetAt(a.fieldIndex);
    ReferenceStar r;
    r.number = static_cast<std::int32_t>(refs.size() + 1);
    r.id = s.id;
    r.imageX = a.imageX;
    r.imageY = a.imageY;
    r.catRA = s.ra;
    r.catDec = s.dec;
    r.catMag = s.mag;
    r.sigmaX = a.sigmaX;
    r.sigmaY = a.sigmaY;
    r.usePos = true;
    refs.push_back(r);
  }
  ReferenceStar centreRecord;
  centreRecord.imageX = image.width / 2;
  centreRecord.imageY = image.height / 2;
  auto j = SolveJson(refs, params.centreRA, params.centreDec, type, model, centreRecord, target, err, weight == "uncertainty");
  if (!j) return kExitFailed;
  nlohmann::ordered_json pairs = nlohmann::ordered_json::array();
  for (const ReferenceStar& r : refs)
    pairs.push_back({{"x", static_cast<double>(r.imageX)},
                     {"y", static_cast<double>(r.imageY)},
                     {"ra_hours", static_cast<double>(r.catRA)},
                     {"dec_deg", static_cast<double>(r.catDec)},
                     {"id", Latin1ToUtf8(r.id)},
                     {"mag", static_cast<double>(r.catMag)},
                     {"sigma_x", static_cast<double>(r.sigmaX)},
                     {"sigma_y", static_cast<double>(r.sigmaY)}});
  (*j)["pairs"] = pairs;
  (*j)["match"] = {{"stars_found", match.detected},
                {"pairs_matched", match.allPairs.size()},
                {"arcsec_per_pixel", static_cast<double>(match.match.arcsecPerPixel)},
                {"rotation_deg", static_cast<double>(match.match.rotationDeg)},
                {"mirrored", match.match.mirrored},
                {"rms_arcsec", static_cast<double>(match.match.rmsArcsec)}};
  out << j->dump(2) << "\n";
  return kExitOk;
}

}  // namespace skarvel::cli

#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/ades_report.h"
#include "astrometry/headless_measurement.h"
#include "astrometry/report_formats.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "images/fits_file.h"
#include "images/image_display.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/catalog_field.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kMeasureHelp =
    "Usage: skarvel-cli measure IMAGE.FIT --catalog KIND (--path ROOT | --url URL)\n"
    "                           --target X,Y [--model linear|cross|quadratic]\n"
    "                           [--options ASTROPTS.INI] [--object NAME] [--number N]\n"
    "                           [--designation PACKED] [--path2 ROOT2] [--colour N]\n"
    "                           [--timeout-s T] [--jd JD]\n\n"
    "Measures the target at column X, row Y of a FITS image (0-based, file\n"
    "orientation) as the image window measures it, without windows: the image\n"
    "loaded as \"Image 1\" loads it (the header time corrected by the HeaderTimeType\n"
    "option, the camera record's size and filter from the header) and prepared as\n"
    "its window prepares it (the display range and the hot-pixel repair); the\n"
    "reference field of the header's pointing (or its WCS) and the options' field\n"
    "size and magnitude limit read from the catalog at the image's time;\n"
    "\"&Auto-Match\" for the reference stars, each re-centred with the reference box;\n"
    "the target located as a click at X,Y with the unknown box, its sky accepted;\n"
    "the plate solved and the magnitude fitted; the observation recorded as \"&Add\n"
    "to Report List...\" records it.\n"
    "--catalog takes the catalogs of skarvel-cli catalog with the same --path,\n"
    "--path2, --url, --colour and --timeout-s; --jd the time the proper motions\n"
    "carry the stars to (default the image's). --options reads an options file\n"
    "(the boxes, ReadSkyForCentroid, SolutionType, HeaderTimeType, the field size\n"
    "and magnitude limit, the display defaults, the user, camera and site records,\n"
    "the centring choice and the plate weighting); without it the defaults of a new\n"
    "installation (the windowed centroid, an unweighted plate). --model overrides\n"
    "SolutionType.\n"
    "--object, --number and --designation fill the observation parameters as the\n"
    "\"Verify/Complete\" dialog would (default: the header's object, no number).\n\n"
    "JSON keys: observation {ra_hours, dec_deg, mag, band, obs_time_utc (ISO,\n"
    "milliseconds), jd_utc, mpc80 (the report's 80-column line), ades_psv (its\n"
    "ADES PSV data record), ades_psv_lines (the whole PSV text)}, target {x, y,\n"
    "flux, sigma_x, sigma_y}, references (list of {x, y, ra_hours, dec_deg, mag,\n"
    "id, used, used_mag, saturated, same_star_as (the brighter reference whose\n"
    "image star it fell on, left out), res_ra, res_dec, mag_res, sigma_x,\n"
    "sigma_y}), solution {model, rms_arcsec, sigma_ra, sigma_dec, sigma, used,\n"
    "magnitude_used, saturated, weighted, weighted_stars}, messages (what the\n"
    "windows would have shown). sigma_x and sigma_y are the one-sigma\n"
    "uncertainties of x and y in pixels from the centroid (0 when unknown);\n"
    "weighted tells whether the plate weighted its stars by them.\n"
    "Exit status 1 when the image or the catalog cannot be read, Auto-Match finds\n"
    "no match, no target is found at X,Y or the plate cannot be solved.\n";

// The image argument: the first argument that is neither a flag nor a flag's value.
std::string TakeImage(const Arguments& args, Arguments& rest) {
  std::string image;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) == 0) {
      rest.push_back(a);
      if (a.find('=') == std::string::npos && i + 1 < args.size()) rest.push_back(args[++i]);
    } else if (image.empty()) {
      image = a;
    } else {
      rest.push_back(a);
    }
  }
  return image;
}

const char* ModelKey(std::uint8_t type) { return type == 1 ? "cross" : type == 2 ? "quadratic" : "linear"; }

// The messages of the run, printed as the command line prints them and kept for the JSON.
class MeasurePlatform : public CatalogCliPlatform {
 public:
  explicit MeasurePlatform(std::ostream& err) : CatalogCliPlatform(err) {}
  platform::Answer Message(const platform::MessageRequest& request) override {
    texts.push_back(request.caption + ": " + request.text);
    return CatalogCliPlatform::Message(request);
  }
  std::vector<std::string> texts;
};

}  // namespace

int RunMeasure(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  const std::string file = TakeImage(args, rest);
  const auto flags = Flags::Parse(rest,
                                  {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd", "target", "model",
                                   "options", "object", "number", "designation"},
                                  "measure", err);
  if (!flags) return kExitUsage;
  if (file.empty() || !flags->Has("target")) {
    err << "skarvel-cli measure: name a FITS image and --target X,Y (see skarvel-cli measure --help)\n";
    return kExitUsage;
  }
  const auto choice = ParseCatalogChoice(*flags, "measure", err);
  if (!choice) return kExitUsage;
  const auto target = NumberList(flags->Text("target"), 2);
  if (!target) {
    err << "skarvel-cli measure: --target needs X,Y\n";
    return kExitUsage;
  }
  std::optional<std::uint8_t> model;
  if (flags->Has("model")) {
    const std::string& m = flags->Text("model");
    if (m == "linear") model = 0;
    else if (m == "cross") model = 1;
    else if (m == "quadratic") model = 2;
    else {
      err << "skarvel-cli measure: --model is linear, cross or quadratic\n";
      return kExitUsage;
    }
  }
  if (flags->Has("number") && !IsIntegerText(flags->Text("number"))) {
    err << "skarvel-cli measure: --number takes the minor planet's number (digits)\n";
    return kExitUsage;
  }

  MeasurePlatform ui(err);
  OptionsRecord options;
  if (flags->Has("options")) {
    OptsObj opts("ASTROPTS.INI", "1.330", StorageEnvironment{}, ui);
    if (!opts.Read(fs::NativePath(flags->Text("options")))) {
      err << "skarvel-cli measure: cannot read the options file \"" << flags->Text("options") << "\"\n";
      return kExitFailed;
    }
    options = opts.Record();
  }
  if (model) options.solutionType = *model;

  // The image as "Image 1" loads it.
  ScratchDir scratch;
  ObsParams params;
  AstromObsObj report(options.userRecord, options.cameraRecord, options.siteRecord);
  FITSFileObj image(ImageLoadContext{&ui, scratch.Path(), options.headerTimeType, &params, &report});
  if (!image.Load(fs::NativePath(file))) return kExitFailed;
  PrepareForMeasuring(image, options.displayDefaults, options.imageFileType);
  if (flags->Has("object")) params.objectName = flags->Text("object");
  if (flags->Has("number")) params.number = flags->Text("number");
  if (flags->Has("designation")) params.designation = flags->Text("designation");

  // The field of the image's pointing, as the field parameters dialog takes it.
  FieldRequest request;
  ResetFieldParameters(request, options);
  FieldParameters& p = request.params;
  if (image.Wcs()) {
    const WcsField w = FieldOfWcs(*image.Wcs(), image.width, image.height);
    p.centreRA = w.centreRAHours;
    p.centreDec = w.centreDecDeg;
    p.rotation = static_cast<float>(w.rotationDeg);
    p.reverseEW = w.reverseEW;
    p.reverseNS = w.reverseNS;
  } else {
    p.centreRA = image.Header().ra;
    p.centreDec = image.Header().dec;
  }
  CliReferenceCatalog catalog(err, *choice, options);
  const double observed = image.Header().observationTime != 0 ? image.Header().observationTime : params.observationTime;
  if (!catalog.Load(request, JulianDateFor(*choice, kJulianDateOffset + static_cast<long double>(observed))))
    return kExitFailed;

  HeadlessMeasurement run(ui, options, catalog.Field(), request, report);
  if (!run.Measure(image, params, (*target)[0], (*target)[1])) {
    err << "skarvel-cli measure: " << run.Failure() << "\n";
    return kExitFailed;
  }
  const ImageMeasurement& m = run.Measurement();
  const ObservationRecord& o = report.Observations()[run.ObservationIndex()];
  const ReferenceStar& t = o.target;

  nlohmann::ordered_json obs;
  obs["ra_hours"] = static_cast<double>(t.fitRA);
  obs["dec_deg"] = static_cast<double>(t.fitDec);
  obs["mag"] = static_cast<double>(t.catMag);
  obs["band"] = AdesBand(t.band);
  obs["obs_time_utc"] = AdesObsTime(o.params.observationTime, 3);
  obs["jd_utc"] = static_cast<double>(kJulianDateOffset + static_cast<long double>(o.params.observationTime));
  const std::vector<std::string> lines80 = ObservationLines80(o, report.site, report.camera.timingErrorMs);
  obs["mpc80"] = lines80.empty() ? std::string() : Latin1ToUtf8(lines80.front());
  const std::vector<std::string> psv = AdesPsvLines(MakeAdesReport(report));
  obs["ades_psv"] = psv.empty() ? std::string() : Latin1ToUtf8(psv.back());
  nlohmann::ordered_json psvLines = nlohmann::ordered_json::array();
  for (const std::string& line : psv) psvLines.push_back(Latin1ToUtf8(line));
  obs["ades_psv_lines"] = std::move(psvLines);

  nlohmann::ordered_json refs = nlohmann::ordered_json::array();
  int saturated = 0;
  for (const ReferenceStar& r : m.references) {
    const bool sat = r.saturated;
    if (sat) ++saturated;
    refs.push_back({{"x", static_cast<double>(r.imageX)},
                    {"y", static_cast<double>(r.imageY)},
                    {"ra_hours", static_cast<double>(r.catRA)},
                    {"dec_deg", static_cast<double>(r.catDec)},
                    {"mag", static_cast<double>(r.catMag)},
                    {"id", Latin1ToUtf8(r.id)},
                    {"used", r.usePos},
                    {"used_mag", r.useMag},
                    {"saturated", sat},
                    {"same_star_as", r.sameStarAs},
                    {"res_ra", static_cast<double>(r.resRA)},
                    {"res_dec", static_cast<double>(r.resDec)},
                    {"mag_res", static_cast<double>(r.magRes)},
                    {"sigma_x", static_cast<double>(r.sigmaX)},
                    {"sigma_y", static_cast<double>(r.sigmaY)}});
  }
  const PlateSolnObj::Errors e = m.plate.ErrorEstimates(m.SolvedType());
  nlohmann::ordered_json j;
  j["observation"] = std::move(obs);
  j["target"] = {{"x", static_cast<double>(m.target.imageX)},
                 {"y", static_cast<double>(m.target.imageY)},
                 {"flux", static_cast<double>(m.target.flux)},
                 {"sigma_x", static_cast<double>(m.targetSigmaX)},
                 {"sigma_y", static_cast<double>(m.targetSigmaY)}};
  j["references"] = std::move(refs);
  j["solution"] = {{"model", ModelKey(m.SolvedType())},
                   {"rms_arcsec", static_cast<double>(std::sqrt(e.ra * e.ra + e.dec * e.dec))},
                   {"sigma_ra", static_cast<double>(e.ra)},
                   {"sigma_dec", static_cast<double>(e.dec)},
                   {"sigma", static_cast<double>(e.total)},
                   {"used", m.plate.UsedCount()},
                   {"magnitude_used", m.magnitude.n},
                   {"saturated", saturated},
                   {"weighted", m.plate.Weighted()},
                   {"weighted_stars", m.plate.WeightedCount()}};
  nlohmann::ordered_json messages = nlohmann::ordered_json::array();
  for (const std::string& text : ui.texts) messages.push_back(Latin1ToUtf8(TerminalText(text)));
  j["messages"] = std::move(messages);
  out << j.dump(2) << "\n";
  return kExitOk;
}

Subcommand MeasureCommand() {
  return {"measure", "the image window's measurement of a target, without windows", kMeasureHelp, RunMeasure};
}

}  // namespace skarvel::cli

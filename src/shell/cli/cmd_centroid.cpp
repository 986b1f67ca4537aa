#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "images/fits_file.h"
#include "images/image_display.h"
#include "images/star_measure.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/image_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kCentroidHelp =
    "Usage: skarvel-cli centroid FILE --at X,Y [--box PEAK,RADIUS,BORDER,CUTOFF] [--no-read-sky]\n"
    "                            [--centroid box|windowed|psf-fit] [--fwhm PIXELS]\n\n"
    "Centroids the brightest object near column X, row Y of a FITS image (0-based,\n"
    "pixel centres on integers, file orientation, window scale 1), as a click in an\n"
    "image window does. --box gives the measuring box: half the peak-search width,\n"
    "the centroid radius, the sky border (pixels) and the sky cut-off (sigmas);\n"
    "default 8,8,4,3 (the RefBox option's default). --no-read-sky takes the\n"
    "threshold from the image statistics instead of the sky frame (the option\n"
    "\"Read Sky for Centroid\" off). --centroid chooses the centring: box (the\n"
    "thresholded centroid of the measuring box, the default here), windowed (the\n"
    "iterative Gaussian-windowed centroid) or psf-fit (a least-squares fit of a\n"
    "Gaussian image); a fitted one starts from the box's centroid, or from the\n"
    "brightest 3 x 3 pixels of the peak box where that finds nothing. --fwhm fixes\n"
    "the star's FWHM for the fitted ones (default: measured on the star). The pixels are those an image window\n"
    "measures: isolated hot pixels (above twice the display high of the default\n"
    "display settings, with no bright neighbour) are repaired from their diagonal\n"
    "neighbours.\n\n"
    "JSON keys: found (bool), x, y (the centroid, or the given point when not\n"
    "found), flux (sky-subtracted box sum at the rounded position), sky_mean,\n"
    "sky_sigma (of the sky frame there), sky_pixels, centroid (the centring\n"
    "used), fitted (bool: the position is the fitted centroid's), sigma_x,\n"
    "sigma_y (one-sigma uncertainty per axis, pixels; 0 when unknown), snr.\n";

// FWHM of a Gaussian divided by its sigma: 2 sqrt(2 ln 2).
constexpr long double kFwhmPerSigma = 2.3548200450309493L;

int RunCentroid(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::optional<std::vector<long double>> at;
  BoxRecord box;
  bool readSky = true;
  CentroidMethod method = CentroidMethod::kClassic;
  std::string methodName = "box";
  long double fwhm = 0;
  auto value = [&](std::size_t& i, const std::string& flag) -> std::optional<std::string> {
    const std::string& a = args[i];
    if (a.size() > flag.size() && a.compare(0, flag.size() + 1, flag + "=") == 0) return a.substr(flag.size() + 1);
    if (i + 1 < args.size()) return args[++i];
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--no-read-sky") {
      readSky = false;
    } else if (a.rfind("--centroid", 0) == 0) {
      const auto v = value(i, "--centroid");
      if (v && *v == "box") {
        method = CentroidMethod::kClassic;
      } else if (v && *v == "windowed") {
        method = CentroidMethod::kWindowed;
      } else if (v && *v == "psf-fit") {
        method = CentroidMethod::kPsfFit;
      } else {
        err << "skarvel-cli centroid: --centroid takes box, windowed or psf-fit\n";
        return kExitUsage;
      }
      methodName = *v;
    } else if (a.rfind("--fwhm", 0) == 0) {
      const auto v = value(i, "--fwhm");
      const auto f = v ? NumberList(*v, 1) : std::nullopt;
      if (!f || !((*f)[0] >= 0.5L) || !((*f)[0] <= 30)) {
        err << "skarvel-cli centroid: --fwhm needs a number of pixels from 0.5 to 30\n";
        return kExitUsage;
      }
      fwhm = (*f)[0];
    } else if (a.rfind("--at", 0) == 0) {
      const auto v = value(i, "--at");
      at = v ? NumberList(*v, 2) : std::nullopt;
      if (!at) {
        err << "skarvel-cli centroid: --at needs X,Y\n";
        return kExitUsage;
      }
    } else if (a.rfind("--box", 0) == 0) {
      const auto v = value(i, "--box");
      const auto b = v ? NumberList(*v, 4) : std::nullopt;
      if (!b || (*b)[0] < 1 || (*b)[0] > 10 || (*b)[1] < 1 || (*b)[1] > 10 || (*b)[2] < 1 || (*b)[2] > 10 ||
          (*b)[3] < -3 || (*b)[3] > 3) {
        err << "skarvel-cli centroid: --box needs PEAK,RADIUS,BORDER,CUTOFF (1-10, 1-10, 1-10, -3..3)\n";
        return kExitUsage;
      }
      box = {static_cast<std::int8_t>((*b)[0]), static_cast<std::int8_t>((*b)[1]), static_cast<std::int8_t>((*b)[2]),
             static_cast<std::int8_t>((*b)[3])};
    } else if (a.rfind("--", 0) == 0 || !file.empty()) {
      err << "skarvel-cli centroid: unexpected argument \"" << a << "\" (see skarvel-cli centroid --help)\n";
      return kExitUsage;
    } else {
      file = a;
    }
  }
  if (file.empty() || !at) {
    err << "skarvel-cli centroid: name a FITS file and --at X,Y (see skarvel-cli centroid --help)\n";
    return kExitUsage;
  }
  ScratchDir scratch;
  CliPlatform ui(err);
  FITSFileObj image(ImageLoadContext{&ui, scratch.Path(), 1, nullptr, nullptr});
  if (!image.Load(fs::NativePath(file))) return kExitFailed;
  // The pixels as an image window measures them: its display range (for the
  // threshold of "Read Sky for Centroid" off) and its hot-pixel repair.
  PrepareForMeasuring(image, DisplaySettings{}, 0);
  MeasureView view;
  view.image = &image;
  view.clientWidth = image.width;
  view.clientHeight = image.height;
  view.readSkyForCentroid = readSky;
  view.centroid = method;
  view.psf.sigma = static_cast<double>(fwhm / kFwhmPerSigma);
  const auto c = MeasureCentroid(view, box, (*at)[0], (*at)[1], false);
  const long double x = c ? c->at.x : (*at)[0];
  const long double y = c ? c->at.y : (*at)[1];
  const auto ix = static_cast<std::int32_t>(std::nearbyint(x));
  const auto iy = static_cast<std::int32_t>(std::nearbyint(y));
  const SkyStats sky = SkyLevel(image, box, ix, iy);
  nlohmann::ordered_json j;
  j["found"] = c.has_value();
  j["x"] = static_cast<double>(x);
  j["y"] = static_cast<double>(y);
  j["flux"] = static_cast<double>(BoxSum(view, box, x, y, true));
  j["sky_mean"] = static_cast<double>(sky.mean);
  j["sky_sigma"] = static_cast<double>(sky.sigma);
  j["sky_pixels"] = sky.count;
  j["centroid"] = methodName;
  j["fitted"] = c && c->fitted;
  j["sigma_x"] = c ? static_cast<double>(c->sigmaX) : 0.0;
  j["sigma_y"] = c ? static_cast<double>(c->sigmaY) : 0.0;
  j["snr"] = c ? static_cast<double>(c->snr) : 0.0;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand CentroidCommand() {
  return {"centroid", "centroid, flux and sky of a star in a FITS image", kCentroidHelp, RunCentroid};
}

}  // namespace skarvel::cli

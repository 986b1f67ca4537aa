#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "images/display_range.h"
#include "images/fits_file.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/image_commands.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kFitsInfoHelp =
    "Usage: skarvel-cli fits-info FILE [--header-time start|mid|end]\n\n"
    "Reads a FITS image as the image slots do and reports its size, pixel\n"
    "statistics and header facts. --header-time tells what the header's time\n"
    "stands for (default start: half the exposure is added; mid: nothing; end:\n"
    "half the exposure is subtracted), as the HeaderTimeType option does.\n"
    "The display range is the statistical one with the default display\n"
    "settings (background -0.25 sigma, range 2.0 sigma).\n\n"
    "JSON keys: width, height, bitpix, format, min, max, mean, sigma, object,\n"
    "observer, filter (0-8), exposure_s, obs_jd, obs_date, obs_time, ra_hours,\n"
    "dec_deg, mode_bin, first_zero_bin, display_low, display_high, equinox.\n"
    "A question of the reader (errors while converting pixels) is answered OK.\n";

int RunFitsInfo(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::uint8_t headerTime = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--header-time" || a.rfind("--header-time=", 0) == 0) {
      std::string v;
      if (a == "--header-time") {
        if (i + 1 >= args.size()) {
          err << "skarvel-cli fits-info: --header-time needs start, mid or end\n";
          return kExitUsage;
        }
        v = args[++i];
      } else {
        v = a.substr(14);
      }
      if (v == "start") headerTime = 0;
      else if (v == "mid") headerTime = 1;
      else if (v == "end") headerTime = 2;
      else {
        err << "skarvel-cli fits-info: --header-time needs start, mid or end, not \"" << v << "\"\n";
        return kExitUsage;
      }
    } else if (a.rfind("--", 0) == 0 || !file.empty()) {
      err << "skarvel-cli fits-info: unexpected argument \"" << a << "\" (see skarvel-cli fits-info --help)\n";
      return kExitUsage;
    } else {
      file = a;
    }
  }
  if (file.empty()) {
    err << "skarvel-cli fits-info: name a FITS file (see skarvel-cli fits-info --help)\n";
    return kExitUsage;
  }
  ScratchDir scratch;
  CliPlatform ui(err);
  ObsParams obs;
  FITSFileObj image(ImageLoadContext{&ui, scratch.Path(), headerTime, &obs, nullptr});
  if (!image.Load(fs::NativePath(file))) return kExitFailed;
  const FITSHeader& h = image.Header();
  std::int32_t modeCount = 0;
  const std::int32_t modeBin = image.histogram.ModeBin(modeCount);
  const DisplayRange range = StatisticalDisplayRange(image.histogram, -0.25L, 2.0L);
  const double t = h.observationTime;
  nlohmann::ordered_json j;
  j["width"] = image.width;
  j["height"] = image.height;
  j["bitpix"] = h.bitpix;
  j["format"] = Latin1ToUtf8(image.formatDescription);
  j["min"] = image.minimum;
  j["max"] = image.maximum;
  j["mean"] = static_cast<double>(image.histogram.Mean());
  j["sigma"] = static_cast<double>(image.histogram.StdDev());
  j["object"] = Latin1ToUtf8(h.object);
  j["observer"] = Latin1ToUtf8(h.observer);
  j["filter"] = h.filter;
  j["exposure_s"] = static_cast<double>(h.exposure);
  j["obs_jd"] = static_cast<double>(DateTimeToDays(t) + 2415018.5L);
  j["obs_date"] = DateFieldText(t);
  j["obs_time"] = TimeFieldText(t);
  j["ra_hours"] = static_cast<double>(h.ra);
  j["dec_deg"] = static_cast<double>(h.dec);
  j["equinox"] = static_cast<double>(h.equinox);
  j["mode_bin"] = modeBin;
  j["first_zero_bin"] = image.histogram.FirstZeroBin();
  j["display_low"] = range.low;
  j["display_high"] = range.high;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand FitsInfoCommand() {
  return {"fits-info", "size, statistics and header facts of a FITS image", kFitsInfoHelp, RunFitsInfo};
}

}  // namespace skarvel::cli

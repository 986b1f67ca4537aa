#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "images/display_range.h"
#include "images/fits_file.h"
#include "images/image_readers.h"
#include "images/sbig_file.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/image_commands.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kFitsInfoHelp =
    "Usage: skarvel-cli fits-info FILE [--type fits|sbig|st4] [--header-time start|mid|end]\n\n"
    "Reads an image as the image slots do and reports its size, pixel\n"
    "statistics and header facts. --type names the file's format as the\n"
    "ImageFileType option does (default fits; sbig: the ST-4X through STV\n"
    "cameras' format, plain or compressed; st4: the ST-4 frame). --header-time tells what the header's time\n"
    "stands for (default start: half the exposure is added; mid: nothing; end:\n"
    "half the exposure is subtracted), as the HeaderTimeType option does.\n"
    "The display range is the statistical one with the default display\n"
    "settings (background -0.25 sigma, range 2.0 sigma).\n\n"
    "JSON keys: width, height, bitpix, format, min, max, mean, sigma, object,\n"
    "observer, filter (0-8), exposure_s, obs_jd, obs_date, obs_time, ra_hours,\n"
    "dec_deg, mode_bin, first_zero_bin, display_low, display_high, equinox;\n"
    "with --type sbig or st4 also camera, header_background and\n"
    "header_range_top (bitpix is 16 for SBIG, 8 for ST-4; an ST-4 file holds\n"
    "no time).\n"
    "A question of the reader (errors while converting pixels) is answered OK.\n";

int RunFitsInfo(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::uint8_t headerTime = 0;
  std::uint8_t type = kFileFITS;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--type" || a.rfind("--type=", 0) == 0) {
      std::string v;
      if (a == "--type") {
        if (i + 1 >= args.size()) {
          err << "skarvel-cli fits-info: --type needs fits, sbig or st4\n";
          return kExitUsage;
        }
        v = args[++i];
      } else {
        v = a.substr(7);
      }
      if (v == "fits") type = kFileFITS;
      else if (v == "sbig") type = kFileSBIG;
      else if (v == "st4") type = kFileST4;
      else {
        err << "skarvel-cli fits-info: --type needs fits, sbig or st4, not \"" << v << "\"\n";
        return kExitUsage;
      }
    } else if (a == "--header-time" || a.rfind("--header-time=", 0) == 0) {
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
  AstromObsObj camera{UserRecord{}, CameraRecord{}, SiteRecord{}};
  const auto image = MakeImageReader(type, ImageLoadContext{&ui, scratch.Path(), headerTime, &obs, &camera});
  if (!image->Load(fs::NativePath(file))) return kExitFailed;
  // The header facts of either kind of file.
  std::int32_t bitpix = type == kFileST4 ? 8 : 16;
  std::string object, observer;
  std::uint8_t filter = 8;
  long double exposure = 0, ra = 0, dec = 0, equinox = 0;
  double t = 0;
  if (const auto* fits = dynamic_cast<const FITSFileObj*>(image.get())) {
    const FITSHeader& h = fits->Header();
    bitpix = h.bitpix;
    object = h.object;
    observer = h.observer;
    filter = h.filter;
    exposure = h.exposure;
    ra = h.ra;
    dec = h.dec;
    equinox = h.equinox;
    t = h.observationTime;
  } else if (const auto* sbig = dynamic_cast<const SBIGFileObj*>(image.get())) {
    const SBIGHeader& h = sbig->Header();
    observer = h.observer;
    filter = h.filter;
    exposure = h.exposure / 100.0L;
    t = h.observationTime;
  }
  std::int32_t modeCount = 0;
  const std::int32_t modeBin = image->histogram.ModeBin(modeCount);
  const DisplayRange range = StatisticalDisplayRange(image->histogram, -0.25L, 2.0L);
  nlohmann::ordered_json j;
  j["width"] = image->width;
  j["height"] = image->height;
  j["bitpix"] = bitpix;
  j["format"] = Latin1ToUtf8(image->formatDescription);
  j["min"] = image->minimum;
  j["max"] = image->maximum;
  j["mean"] = static_cast<double>(image->histogram.Mean());
  j["sigma"] = static_cast<double>(image->histogram.StdDev());
  j["object"] = Latin1ToUtf8(object);
  j["observer"] = Latin1ToUtf8(observer);
  j["filter"] = filter;
  j["exposure_s"] = static_cast<double>(exposure);
  j["obs_jd"] = static_cast<double>(DateTimeToDays(t) + 2415018.5L);
  j["obs_date"] = DateFieldText(t);
  j["obs_time"] = TimeFieldText(t);
  j["ra_hours"] = static_cast<double>(ra);
  j["dec_deg"] = static_cast<double>(dec);
  j["equinox"] = static_cast<double>(equinox);
  j["mode_bin"] = modeBin;
  j["first_zero_bin"] = image->histogram.FirstZeroBin();
  j["display_low"] = range.low;
  j["display_high"] = range.high;
  if (type != kFileFITS) {
    j["camera"] = Latin1ToUtf8(camera.camera.name);
    j["header_background"] = image->headerBackground;
    j["header_range_top"] = image->headerRangeTop;
  }
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand FitsInfoCommand() {
  return {"fits-info", "size, statistics and header facts of a FITS, SBIG or ST-4 image", kFitsInfoHelp,
          RunFitsInfo};
}

}  // namespace skarvel::cli

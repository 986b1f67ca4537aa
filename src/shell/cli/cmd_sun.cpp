#include <nlohmann/json.hpp>
#include <ostream>

#include "foundations/angles.h"
#include "foundations/date_dialog.h"
#include "foundations/sky_coord.h"
#include "foundations/sun.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/foundation_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kSunHelp =
    "Usage: skarvel-cli sun --jd JD\n\n"
    "The Sun at a Julian date (used as given, no time-scale conversion) by the\n"
    "50-term solar series of Bretagnon and Simon.\n\n"
    "JSON keys: longitude_deg and distance_au (geometric, mean equinox of date),\n"
    "apparent_longitude_deg (with nutation and aberration), ra_hours and dec_deg\n"
    "(apparent, true obliquity of date).\n";

int RunSun(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto flags = Flags::Parse(args, {"jd"}, "sun", err);
  if (!flags) return kExitUsage;
  if (!flags->Has("jd")) {
    err << "skarvel-cli sun: --jd is required\n";
    return kExitUsage;
  }
  const JulianToCalendar r = ConvertJulianDateField(flags->Text("jd"));
  if (r.status != FieldConversion::kConverted) {
    err << r.error.caption << " " << r.error.text << "\n";
    return kExitFailed;
  }
  const SunPlace geometric = SunPosition(r.jd, CoordMode::kMean);
  const SunPlace apparent = SunPosition(r.jd, CoordMode::kTrue);
  const SkyCoord equatorial = EclipticToEquatorial(apparent.coord);
  nlohmann::ordered_json j;
  j["jd"] = static_cast<double>(r.jd);
  j["longitude_deg"] = static_cast<double>(geometric.coord.angle2 * kDegreesPerRadian);
  j["distance_au"] = static_cast<double>(geometric.distanceAu);
  j["apparent_longitude_deg"] = static_cast<double>(apparent.coord.angle2 * kDegreesPerRadian);
  j["ra_hours"] = static_cast<double>(NormalizeRadians(equatorial.angle1) * kDegreesPerRadian / 15);
  j["dec_deg"] = static_cast<double>(equatorial.angle2 * kDegreesPerRadian);
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand SunCommand() {
  return {"sun", "the Sun's geometric and apparent place (50-term series)", kSunHelp, RunSun};
}

}  // namespace skarvel::cli

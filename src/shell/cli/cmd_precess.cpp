#include <nlohmann/json.hpp>
#include <ostream>

#include "foundations/angles.h"
#include "foundations/sky_coord.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/foundation_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kPrecessHelp =
    "Usage: skarvel-cli precess --lambda DEG --beta DEG --from-jd JD --to-jd JD\n\n"
    "Precesses ecliptic longitude and latitude from the equinox of one Julian date\n"
    "to that of another by the rigorous ecliptic method.\n\n"
    "JSON keys: lambda_deg (0..360), beta_deg.\n";

/// Julian dates of the years -4000 to +8000, the range the precession angles are meant for.
constexpr long double kLowJD = 260424.5L;
constexpr long double kHighJD = 4643345.5L;

int RunPrecess(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto flags = Flags::Parse(args, {"lambda", "beta", "from-jd", "to-jd"}, "precess", err);
  if (!flags) return kExitUsage;
  for (const char* required : {"lambda", "beta", "from-jd", "to-jd"}) {
    if (!flags->Has(required)) {
      err << "skarvel-cli precess: --" << required << " is required\n";
      return kExitUsage;
    }
  }
  const auto lambda = flags->Number("lambda", -360, 720, err);
  const auto beta = flags->Number("beta", -90, 90, err);
  const auto fromJD = flags->Number("from-jd", kLowJD, kHighJD, err);
  const auto toJD = flags->Number("to-jd", kLowJD, kHighJD, err);
  if (!lambda || !beta || !fromJD || !toJD) return kExitUsage;
  SkyCoord coord;
  InitFrame(coord, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, *fromJD);
  coord.angle1 = *beta * kRadiansPerDegree;
  coord.angle2 = *lambda * kRadiansPerDegree;
  PrecessEcliptic(coord, EquinoxKind::kJulian, *toJD);
  nlohmann::ordered_json j;
  // Equal equinoxes leave the input as it is; the output is always 0..360.
  j["lambda_deg"] = static_cast<double>(NormalizeRadians(coord.angle2) * kDegreesPerRadian);
  j["beta_deg"] = static_cast<double>(coord.angle1 * kDegreesPerRadian);
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand PrecessCommand() {
  return {"precess", "precess ecliptic coordinates between two equinoxes", kPrecessHelp, RunPrecess};
}

}  // namespace skarvel::cli

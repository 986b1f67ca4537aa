#include <iostream>
#include <ostream>

#include "foundations/installation.h"
#include "shell/cli/catalog_commands.h"
#include "shell/cli/cli.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/foundation_commands.h"
#include "shell/cli/image_commands.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

const std::vector<Subcommand>& Subcommands() {
  // Subcommands are added here as their computations are built.
  static const std::vector<Subcommand> table = {
      TimeCommand(),
      SunCommand(),
      PrecessCommand(),
      FitsInfoCommand(),
      CentroidCommand(),
      MasterCommand(),
      CalibrateCommand(),
      CatalogCommand(),
      SolveCommand(),
      MovingCommand(),
      MeasureCommand(),
      StackCommand(),
      TrackSearchCommand(),
      ReportCommand(),
      DesignationCommand(),
      ConvertOrbitsCommand(),
      OrbitSearchCommand(),
      EphemerisCommand(),
      FindOrbitCommand(),
      CometsCommand(),
      OrbitFitCommand(),
  };
  return table;
}

namespace {

void PrintUsage(std::ostream& out) {
  out << "Usage: skarvel-cli SUBCOMMAND [ARGUMENTS]\n"
         "       skarvel-cli SUBCOMMAND --help\n"
         "       skarvel-cli --help | --version | --data-dir\n\n"
         "Output is one JSON object on stdout unless --text is given.\n"
         "Exit status: 0 success, 1 the work failed, 2 bad usage.\n"
         "--data-dir prints the folder of the program's files (help texts, the demo night\n"
         "in its demo/ folder), ../share/skarvel beside the folder of the program.\n\n"
         "Subcommands:\n";
  if (Subcommands().empty()) out << "  (none yet)\n";
  for (const auto& sub : Subcommands()) out << "  " << sub.name << "  " << sub.summary << "\n";
}

}  // namespace

int Main(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintUsage(err);
    return kExitUsage;
  }
  const std::string& first = args.front();
  if (first == "--help" || first == "-h") {
    PrintUsage(out);
    return kExitOk;
  }
  if (first == "--version") {
    out << "skarvel-cli " << SKARVEL_VERSION_TEXT << "\n";
    return kExitOk;
  }
  if (first == "--data-dir") {
    out << fs::InstallationDataDirectory() << "\n";
    return kExitOk;
  }
  for (const auto& sub : Subcommands()) {
    if (first != sub.name) continue;
    Arguments rest(args.begin() + 1, args.end());
    if (!rest.empty() && (rest.front() == "--help" || rest.front() == "-h")) {
      out << sub.help;
      return kExitOk;
    }
    try {
      return sub.run(rest, out, err);
    } catch (const std::exception& e) {
      err << e.what() << "\n";
      return kExitFailed;
    }
  }
  err << "skarvel-cli: unknown subcommand \"" << first << "\" (see skarvel-cli --help)\n";
  return kExitUsage;
}

}  // namespace skarvel::cli

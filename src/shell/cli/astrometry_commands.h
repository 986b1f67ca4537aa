// The subcommands of the astrometric reduction.
#pragma once

#include <ostream>

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `solve`: the plate solution from reference pairs.
Subcommand SolveCommand();
/// `solve --auto IMAGE.FIT ...`: the plate of an image matched to the catalog without a pairs file.
int RunSolveAuto(const Arguments& args, std::ostream& out, std::ostream& err);
/// `moving`: what moves in three or four frames of a field, the known objects named.
Subcommand MovingCommand();
/// `report`: the report text of a report data file.
Subcommand ReportCommand();

}  // namespace skarvel::cli

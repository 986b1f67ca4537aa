// The subcommands of the astrometric reduction.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `solve`: the plate solution from reference pairs.
Subcommand SolveCommand();
/// `report`: the report text of a report data file.
Subcommand ReportCommand();

}  // namespace skarvel::cli

// The subcommands of the astrometric reduction.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `solve`: the plate solution from reference pairs.
Subcommand SolveCommand();

}  // namespace skarvel::cli

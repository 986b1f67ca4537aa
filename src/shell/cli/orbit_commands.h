// The subcommands of the orbit subsystem.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `designation`: packs or unpacks a minor-planet or comet designation.
Subcommand DesignationCommand();
/// `convert-orbits`: converts an MPCORB or Lowell file into a converted orbit file.
Subcommand ConvertOrbitsCommand();

}  // namespace skarvel::cli

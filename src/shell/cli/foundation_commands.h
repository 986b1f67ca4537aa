// The subcommands that expose time, the Sun and precession.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `time`: calendar date, time of day, Julian date and local sidereal time.
Subcommand TimeCommand();
/// `sun`: the Sun's geometric and apparent place.
Subcommand SunCommand();
/// `precess`: precession of ecliptic coordinates between two equinoxes.
Subcommand PrecessCommand();

}  // namespace skarvel::cli

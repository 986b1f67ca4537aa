// The subcommands of the orbit subsystem.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `designation`: packs or unpacks a minor-planet or comet designation.
Subcommand DesignationCommand();
/// `convert-orbits`: converts an MPCORB or Lowell file into a converted orbit file.
Subcommand ConvertOrbitsCommand();
/// `ephemeris`: the topocentric ephemeris of one object for a site.
Subcommand EphemerisCommand();
/// `orbit-search`: the objects of a converted orbit file in a field at an instant.
Subcommand OrbitSearchCommand();
/// `find-orbit`: one record of a converted orbit file by name or number.
Subcommand FindOrbitCommand();
/// `comets`: the place of every comet of a comet file at an instant.
Subcommand CometsCommand();
/// `orbit-fit`: orbit determination from measured positions.
Subcommand OrbitFitCommand();

}  // namespace skarvel::cli

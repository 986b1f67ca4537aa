// The subcommands that read images.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `fits-info`: size, pixel statistics and header facts of a FITS image.
Subcommand FitsInfoCommand();
/// `centroid`: the centroid, flux and sky of a star in a FITS image.
Subcommand CentroidCommand();
/// `master`: a master bias, dark or flat frame from raw frames.
Subcommand MasterCommand();
/// `calibrate`: light frames calibrated by bias, dark and flat.
Subcommand CalibrateCommand();

}  // namespace skarvel::cli

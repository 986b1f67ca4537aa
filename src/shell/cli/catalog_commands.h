// The subcommands that read star catalogs.
#pragma once

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `catalog`: the stars of a field from the Guide Star Catalog (CD-ROM or converted form).
Subcommand CatalogCommand();

}  // namespace skarvel::cli

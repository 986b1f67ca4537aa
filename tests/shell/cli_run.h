// Runs skarvel-cli in the test process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>

#include "shell/cli/cli.h"

namespace skarvel::testing {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline CliRun Cli(const cli::Arguments& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::Main(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace skarvel::testing

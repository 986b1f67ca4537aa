// skarvel-cli: the command-line face of the core.
//
// Each subcommand is a function taking its arguments (after the subcommand's
// name) and the output streams, returning the exit status: 0 success, 1 the
// work failed (the system's message on stderr), 2 bad usage.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace skarvel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

using Arguments = std::vector<std::string>;

struct Subcommand {
  const char* name;
  const char* summary;  ///< one line for the list of `--help`
  const char* help;     ///< the text of `SUB --help`
  int (*run)(const Arguments& args, std::ostream& out, std::ostream& err);
};

/// Every subcommand, in the order `--help` lists them.
const std::vector<Subcommand>& Subcommands();

/// Runs the program on argv[1..]; returns the exit status.
int Main(const Arguments& args, std::ostream& out, std::ostream& err);

}  // namespace skarvel::cli

// Flags of the form "--name value" or "--name=value" for the subcommands.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/cli/cli.h"

namespace skarvel::cli {

class Flags {
 public:
  /// Parses `args`; every flag must be one of `known` and carry a value.
  /// On a bad argument writes "skarvel-cli SUB: ..." to `err` and returns nullopt.
  static std::optional<Flags> Parse(const Arguments& args, std::initializer_list<std::string_view> known,
                                    std::string_view subcommand, std::ostream& err);

  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  const std::string& Text(const std::string& name) const { return values_.at(name); }

  /// The flag's value as a decimal number within [low, high]; on failure writes
  /// the usage message to `err` and returns nullopt.
  std::optional<long double> Number(const std::string& name, long double low, long double high,
                                    std::ostream& err) const;

 private:
  std::string subcommand_;
  std::map<std::string, std::string> values_;
};

}  // namespace skarvel::cli

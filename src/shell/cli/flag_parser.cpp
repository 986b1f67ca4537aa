#include "shell/cli/flag_parser.h"

#include "foundations/strings.h"

namespace skarvel::cli {

std::optional<Flags> Flags::Parse(const Arguments& args, std::initializer_list<std::string_view> known,
                                  std::string_view subcommand, std::ostream& err) {
  Flags flags;
  flags.subcommand_ = std::string(subcommand);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      err << "skarvel-cli " << subcommand << ": unexpected argument \"" << arg << "\"\n";
      return std::nullopt;
    }
    std::string name = arg.substr(2);
    std::string value;
    const std::size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      err << "skarvel-cli " << subcommand << ": --" << name << " needs a value\n";
      return std::nullopt;
    }
    bool isKnown = false;
    for (std::string_view k : known) isKnown = isKnown || k == name;
    if (!isKnown) {
      err << "skarvel-cli " << subcommand << ": unknown option --" << name << "\n";
      return std::nullopt;
    }
    if (flags.Has(name)) {
      err << "skarvel-cli " << subcommand << ": --" << name << " given twice\n";
      return std::nullopt;
    }
    flags.values_[name] = value;
  }
  return flags;
}

std::optional<long double> Flags::Number(const std::string& name, long double low, long double high,
                                         std::ostream& err) const {
  const auto value = ParseDecimal(Text(name));
  if (!value || *value < low || *value > high) {
    err << "skarvel-cli " << subcommand_ << ": --" << name << " takes a number from " << static_cast<double>(low)
        << " to " << static_cast<double>(high) << ", not \"" << Text(name) << "\"\n";
    return std::nullopt;
  }
  return value;
}

}  // namespace skarvel::cli

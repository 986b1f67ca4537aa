#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "orbits/designation.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kDesignationHelp =
    "Usage: skarvel-cli designation (--pack TEXT | --unpack TEXT) [--comet] [--nine]\n\n"
    "Packs a readable provisional designation (\"1998 SS162\" -> \"J98SG2S\") or unpacks a\n"
    "packed one. --comet treats the text as a comet designation (\"1995 O1\");\n"
    "--nine uses the nine-character packed form of the new report format\n"
    "(default: the seven-character form of the old one; unpacking accepts both).\n\n"
    "JSON keys: result (the packed or readable text; \"\" when the text cannot be\n"
    "packed, the text itself when it cannot be unpacked), valid (bool), kind\n"
    "(0 minor planet, 1 comet), seven_char (for --unpack: the form it was in).\n";

int RunDesignation(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::optional<std::string> pack;
  std::optional<std::string> unpack;
  bool comet = false;
  bool nine = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--comet") {
      comet = true;
    } else if (a == "--nine") {
      nine = true;
    } else if ((a == "--pack" || a == "--unpack") && i + 1 < args.size()) {
      (a == "--pack" ? pack : unpack) = args[++i];
    } else if (a.rfind("--pack=", 0) == 0) {
      pack = a.substr(7);
    } else if (a.rfind("--unpack=", 0) == 0) {
      unpack = a.substr(9);
    } else {
      err << "skarvel-cli designation: unexpected argument \"" << a << "\" (see --help)\n";
      return kExitUsage;
    }
  }
  if (pack.has_value() == unpack.has_value()) {
    err << "skarvel-cli designation: give one of --pack TEXT or --unpack TEXT\n";
    return kExitUsage;
  }
  const int kind = comet ? kCometKind : kMinorPlanetKind;
  nlohmann::ordered_json j;
  if (pack) {
    const std::string result = PackDesignation(*pack, kind, !nine);
    j["result"] = result;
    j["valid"] = !result.empty();
    j["kind"] = kind;
  } else {
    const UnpackedDesignation u = UnpackDesignation(*unpack, kind);
    PackedCheck check = ValidatePacked(*unpack, true);
    if (!check.valid) check = ValidatePacked(*unpack, false);
    j["result"] = u.readable;
    j["valid"] = check.valid && check.kind == kind;
    j["kind"] = check.valid ? check.kind : kind;
    j["seven_char"] = u.isSevenChar;
  }
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand DesignationCommand() {
  return {"designation", "pack or unpack a minor-planet or comet designation", kDesignationHelp, RunDesignation};
}

}  // namespace skarvel::cli

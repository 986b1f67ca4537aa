#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kConvertHelp =
    "Usage: skarvel-cli convert-orbits SOURCE OUTPUT.CMO [--format mpcorb|astorb] [--nine]\n\n"
    "Converts an orbit database into the converted form (162-byte records with a\n"
    "heliocentric state vector each), as \"Convert MPC\" and \"Convert Lowell\" do.\n"
    "--format: the source layout; default by content (268-byte Lowell records, else\n"
    "MPCORB lines). An MPCORB head (the lines up to the first one starting with \"-\")\n"
    "is skipped when one is present, so header-less files such as NEA.txt convert too.\n"
    "Records that cannot be read are skipped and counted (the GUI asks instead);\n"
    "the conversion fails (and OUTPUT.CMO is not written) when no record can be read.\n"
    "--nine: pack unnumbered Lowell designations in the nine-character form (the\n"
    "new report format); default the seven-character form (the OldReportFormat default).\n"
    "The output replaces OUTPUT.CMO only when the conversion succeeds and takes the\n"
    "source's modification time.\n\n"
    "JSON keys: records, skipped, seconds, format.\n";

/// Unreadable records at the start after which a source is taken as no orbit file.
constexpr std::int64_t kGiveUpAfter = 1000;

/// True when the file looks like Lowell's 268-byte records: line feeds at the
/// end of the first records.
bool LooksLikeLowell(const std::string& path) {
  std::FILE* f = std::fopen(fs::Resolve(path).c_str(), "rb");
  if (f == nullptr) return false;
  char block[2 * kLowellRecordBytes];
  const std::size_t n = std::fread(block, 1, sizeof block, f);
  std::fclose(f);
  if (n < kLowellRecordBytes || block[kLowellRecordBytes - 1] != '\n') return false;
  for (std::size_t k = 0; k + 1 < kLowellRecordBytes; ++k)
    if (block[k] == '\n') return false;
  return n < 2 * kLowellRecordBytes || block[2 * kLowellRecordBytes - 1] == '\n';
}

int RunConvert(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<std::string> format;
  bool nine = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--format" && i + 1 < args.size()) {
      format = args[++i];
    } else if (a.rfind("--format=", 0) == 0) {
      format = a.substr(9);
    } else if (a == "--nine") {
      nine = true;
    } else if (a.rfind("--", 0) == 0) {
      err << "skarvel-cli convert-orbits: unknown option \"" << a << "\" (see --help)\n";
      return kExitUsage;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) {
    err << "skarvel-cli convert-orbits: give SOURCE and OUTPUT.CMO\n";
    return kExitUsage;
  }
  if (format && *format != "mpcorb" && *format != "astorb") {
    err << "skarvel-cli convert-orbits: --format must be mpcorb or astorb\n";
    return kExitUsage;
  }
  const std::string& source = positional[0];
  const std::string& target = positional[1];
  if (!fs::FileExists(source)) {
    err << "Error Opening Orbit File " << source << "\r\n\r\n" << IOErrorText(io_code::kFileNotFound) << "\n";
    return kExitFailed;
  }
  const bool lowell = format ? *format == "astorb" : LooksLikeLowell(source);
  ConversionStats counts;
  std::int64_t skipped = 0;
  ConversionCallbacks callbacks;
  callbacks.badRecord = [&](const std::string&, const std::string&, std::int64_t converted) {
    ++skipped;
    return converted > 0 || skipped < kGiveUpAfter;
  };
  callbacks.accept = [](const ConversionStats& stats) { return stats.records > 0 || stats.skipped == 0; };
  const auto start = std::chrono::steady_clock::now();
  try {
    counts = ConvertOrbitFile(source, target, lowell ? OrbitSourceFormat::kLowell : OrbitSourceFormat::kMpcorb, !nine,
                              MpcHeader::kAuto, callbacks);
  } catch (const ConversionCancelled&) {
    err << "No orbit records in " << source << " (no record could be read); " << target << " was not written\n";
    return kExitFailed;
  } catch (const IOFailure& f) {
    err << "File Conversion Error!: " << f.what() << "\n";
    return kExitFailed;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  nlohmann::ordered_json j;
  j["records"] = counts.records;
  j["skipped"] = counts.skipped;
  j["seconds"] = seconds;
  j["format"] = lowell ? "astorb" : "mpcorb";
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand ConvertOrbitsCommand() {
  return {"convert-orbits", "convert an MPCORB or Lowell orbit file into a converted orbit file", kConvertHelp,
          RunConvert};
}

}  // namespace skarvel::cli

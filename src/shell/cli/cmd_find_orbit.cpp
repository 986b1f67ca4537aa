#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "foundations/file_system.h"
#include "orbits/comet_listing.h"
#include "orbits/orbit_search.h"
#include "orbits/record_finder.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

/// The arguments of a subcommand that takes one file: the file, the switch
/// `flag` (without a value) and the flags with their values. False (with the
/// message) for a second file.
bool SplitFileArguments(const Arguments& args, const std::string& sub, const std::string& flag, std::string& path,
                        bool& flagSet, Arguments& rest, std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == flag) {
      flagSet = true;
    } else if (a.rfind("--", 0) == 0) {
      rest.push_back(a);
      if (a.find('=') == std::string::npos && i + 1 < args.size()) rest.push_back(args[++i]);
    } else if (path.empty()) {
      path = a;
    } else {
      err << "skarvel-cli " << sub << ": one file only\n";
      return false;
    }
  }
  return true;
}

constexpr const char* kFindHelp =
    "Usage: skarvel-cli find-orbit DB.CMO (--name TEXT | --number TEXT) [--all]\n\n"
    "One record of a converted orbit file, as \"Find Asteroid Orbit Record\":\n"
    "--name finds the first record whose name contains TEXT (case ignored, up to\n"
    "18 characters); --number the first whose number or packed designation is TEXT\n"
    "exactly (up to 10 characters). --all goes on to every further match, as\n"
    "\"Continue &Search\".\n\n"
    "JSON keys: found (bool), result (the dialog's \"Search Result:\" text), record\n"
    "(1-based position), designation, name, matches: list of {record, designation,\n"
    "name}. Exit status 1 when nothing matches.\n";

int RunFind(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  std::string path;
  bool all = false;
  if (!SplitFileArguments(args, "find-orbit", "--all", path, all, rest, err)) return kExitUsage;
  const auto flags = Flags::Parse(rest, {"name", "number"}, "find-orbit", err);
  if (!flags) return kExitUsage;
  if (path.empty() || flags->Has("name") == flags->Has("number")) {
    err << "skarvel-cli find-orbit: give DB.CMO and one of --name or --number\n";
    return kExitUsage;
  }
  CliPlatform ui(err);
  RecordFinder finder(ui);
  finder.mode = flags->Has("name") ? FindMode::kName : FindMode::kNumber;
  finder.key = flags->Text(flags->Has("name") ? "name" : "number");
  if (static_cast<int>(finder.key.size()) > FindKeyLength(finder.mode)) {
    err << "skarvel-cli find-orbit: the key has at most " << FindKeyLength(finder.mode) << " characters\n";
    return kExitUsage;
  }
  if (!finder.Open(path, ElementSource::kMpc, 0)) {
    err << "Unable to Open Asteriod Orbits File!\n\nFile Name: " << path << "\n";
    return kExitFailed;
  }
  finder.SearchFromTop();
  nlohmann::ordered_json j;
  j["found"] = finder.Matched();
  j["result"] = Latin1ToUtf8(finder.Result());
  nlohmann::ordered_json matches = nlohmann::ordered_json::array();
  if (finder.Matched()) {
    j["record"] = finder.MatchRecord();
    j["designation"] = Latin1ToUtf8(finder.Match()->designation);
    j["name"] = Latin1ToUtf8(finder.Match()->name);
  }
  while (finder.Matched()) {
    matches.push_back({{"record", finder.MatchRecord()},
                       {"designation", Latin1ToUtf8(finder.Match()->designation)},
                       {"name", Latin1ToUtf8(finder.Match()->name)}});
    if (!all) break;
    finder.ContinueSearch();
  }
  j["matches"] = matches;
  out << j.dump(2) << "\n";
  return j["found"].get<bool>() ? kExitOk : kExitFailed;
}

constexpr const char* kCometsHelp =
    "Usage: skarvel-cli comets COMET.DAT --jd JD [--sort entry|mag|distance|ra|q|e] [--text]\n\n"
    "The geocentric astrometric J2000 place of every comet of the comet file at\n"
    "an instant, as \"Search MPC &Comet File...\" (no limits; comets whose place\n"
    "cannot be computed are left out). COMET.DAT is the file or its folder (the\n"
    "file is named COMET.DAT). The Julian date is used as given.\n\n"
    "JSON keys: analyzed, skipped_lines, comets: list of {record, designation, name,\n"
    "ra_hours, dec_deg, mag, delta_au, q_au, e} in the chosen order; with --text\n"
    "the \"Results of Comet Orbit File Search\" report.\n";

int RunComets(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  std::string path;
  bool text = false;
  if (!SplitFileArguments(args, "comets", "--text", path, text, rest, err)) return kExitUsage;
  const auto flags = Flags::Parse(rest, {"jd", "sort"}, "comets", err);
  if (!flags) return kExitUsage;
  if (path.empty() || !flags->Has("jd")) {
    err << "skarvel-cli comets: give COMET.DAT and --jd\n";
    return kExitUsage;
  }
  const auto jd = flags->Number("jd", 1721425.5L, 5373484.5L, err);
  if (!jd) return kExitUsage;
  SearchSortOrder order = SearchSortOrder::kDatabaseEntry;
  if (flags->Has("sort")) {
    const std::string s = flags->Text("sort");
    if (s == "mag") order = SearchSortOrder::kMagnitude;
    else if (s == "distance") order = SearchSortOrder::kDistance;
    else if (s == "ra") order = SearchSortOrder::kRightAscension;
    else if (s == "q") order = SearchSortOrder::kQ;
    else if (s == "e") order = SearchSortOrder::kE;
    else if (s != "entry") {
      err << "skarvel-cli comets: --sort must be entry, mag, distance, ra, q or e\n";
      return kExitUsage;
    }
  }
  OptionsRecord options;
  options.mpcCometPath = fs::DirectoryExists(path) ? path : fs::DirectoryOf(path);
  if (options.mpcCometPath.empty()) options.mpcCometPath = "./";
  CliPlatform ui(err);
  CometFileObj comets(OrbitFileContext{ui, options, {}});
  if (!comets.Loaded()) return kExitFailed;
  RecordList<SearchResult> results = ListComets(comets, *jd);
  SortComets(results, order);
  if (text) {
    for (const std::string& line : CometReport(results, comets.FileDateTime(), *jd, order))
      out << Latin1ToUtf8(line) << "\n";
    return kExitOk;
  }
  nlohmann::ordered_json j;
  j["analyzed"] = results.Size();
  j["skipped_lines"] = comets.SkippedLines();
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (std::int32_t k = 0; k <= results.LastIndex(); ++k) {
    const SearchResult& r = *results.GetAt(k);
    list.push_back({{"record", r.recordNumber},
                    {"designation", Latin1ToUtf8(r.designation)},
                    {"name", Latin1ToUtf8(r.name)},
                    {"ra_hours", r.ra},
                    {"dec_deg", r.dec},
                    {"mag", static_cast<double>(r.mag)},
                    {"delta_au", static_cast<double>(r.delta)},
                    {"q_au", static_cast<double>(r.offsetRA) / 149597870.66},
                    {"e", static_cast<double>(r.offsetDec)}});
  }
  j["comets"] = list;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand FindOrbitCommand() {
  return {"find-orbit", "one record of a converted orbit file by name or number", kFindHelp, RunFind};
}

Subcommand CometsCommand() {
  return {"comets", "the place of every comet of a comet file at an instant", kCometsHelp, RunComets};
}

}  // namespace skarvel::cli

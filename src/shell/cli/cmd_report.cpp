#include <nlohmann/json.hpp>
#include <ostream>

#include "astrometry/ades_report.h"
#include "astrometry/report_file.h"
#include "astrometry/report_formats.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "shell/cli/astrometry_commands.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kReportHelp =
    "Usage: skarvel-cli report FILE.RPT --form short|long|exercise|csv|ades-psv|ades-xml [--layout 80|split] [--json]\n\n"
    "Reads a report data file and prints the report text exactly as the report\n"
    "window shows it: the MPC short (electronic) or long (text) form in the\n"
    "80-column (default, as the OldReportFormat option's default) or split-line\n"
    "layout, the exercise form, the lines of the spreadsheet file, or the ADES\n"
    "(IAU Astrometry Data Exchange Standard 2022) PSV or XML form, in UTF-8. The\n"
    "acknowledgement line of the short form is \"Report Generated\" and the\n"
    "present date and time, as the report window writes it.\n"
    "--json prints {\"title\", \"lines\"} instead of the text.\n";

int RunReport(const Arguments& args, std::ostream& out, std::ostream& err) {
  std::string file;
  std::string form;
  std::string layout = "80";
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    std::string value;
    const auto eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
    } else if ((a == "--form" || a == "--layout") && i + 1 < args.size()) {
      value = args[++i];
    }
    if (a == "--form") form = value;
    else if (a == "--layout") layout = value;
    else if (a == "--json") json = true;
    else if (a == "--text") json = false;
    else if (a.rfind("--", 0) != 0 && file.empty()) file = a;
    else {
      err << "skarvel-cli report: unexpected argument \"" << args[i] << "\" (see skarvel-cli report --help)\n";
      return kExitUsage;
    }
  }
  const bool ades = form == "ades-psv" || form == "ades-xml";
  if (file.empty() || (form != "short" && form != "long" && form != "exercise" && form != "csv" && !ades) ||
      (layout != "80" && layout != "split")) {
    err << "skarvel-cli report: name a report file, --form short|long|exercise|csv|ades-psv|ades-xml and --layout "
           "80|split\n";
    return kExitUsage;
  }
  CliPlatform ui(err);
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  const std::string path = fs::NativePath(file);
  if (ReadReportFile(path, ReportVersion::kCurrent, true, false, true, report, ui) != ReportReadResult::kLoaded)
    return kExitFailed;
  ReportText text;
  if (ades) {
    text = BuildAdesReport(report, form == "ades-xml", fs::FileNameOf(path), true);
    for (auto& l : text.lines) l = Latin1ToUtf8(l);
  } else if (form == "exercise") {
    text = BuildExerciseReport(report);
  } else if (form == "csv") {
    text.title = "Astrometric Results";
    text.lines = SpreadsheetLines(report);
  } else {
    report.shortForm = form == "short";
    DateTimeObj now;
    now.SetNow();
    const std::string stamp = DateFieldText(now.civil) + " " + TimeFieldText(now.civil);
    text = BuildReport(report, layout == "80", fs::FileNameOf(path), true, stamp, {});
  }
  if (json) {
    nlohmann::ordered_json j;
    j["title"] = Latin1ToUtf8(text.title);
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const auto& l : text.lines) lines.push_back(ades ? l : Latin1ToUtf8(l));
    j["lines"] = lines;
    out << j.dump(2) << "\n";
  } else {
    for (const auto& l : text.lines) out << l << "\n";
  }
  return kExitOk;
}

}  // namespace

Subcommand ReportCommand() {
  return {"report", "the report text of a report data file", kReportHelp, RunReport};
}

}  // namespace skarvel::cli

// A report data file (".RPT") in each of its three layouts (the first byte
// chooses), merged or not, then what the program does with the records: the
// report in every form and layout, the exercise form and the spreadsheet lines.
#include <cstdint>

#include "astrometry/report_file.h"
#include "astrometry/report_formats.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto version = static_cast<ReportVersion>(data[0] % 3);
  const bool merge = (data[0] & 4) != 0;
  const std::string path = fuzz::WriteInput("DATA.RPT", data + 1, size - 1);
  testing::ScriptedPlatform ui;
  AstromObsObj report(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
  if (ReadReportFile(path, version, true, merge, (data[0] & 8) != 0, report, ui) == ReportReadResult::kOpenFailed)
    return 0;
  if (report.Count() > 200 || fuzz::kReaderOnly) return 0;  // a report of thousands of lines adds no new paths
  for (bool shortForm : {true, false}) {
    for (bool oldFormat : {true, false}) {
      report.shortForm = shortForm;
      (void)BuildReport(report, oldFormat, "DATA.RPT", true, "2026/12/09", {});
    }
  }
  (void)BuildExerciseReport(report);
  (void)SpreadsheetLines(report);
  return 0;
}

// The user, camera and site record files and the telescope-codes file (the
// first byte chooses), then what is done with a record read: its merge into a
// list, the report whose header it fills (one observation, short and long
// forms, both layouts) and, for the codes file, the lookup of a site's
// telescope lines.
#include <cstdint>

#include "astrometry/report_formats.h"
#include "config/observer_files.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "foundations/io_error.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

namespace {

void Report(const UserRecord& user, const CameraRecord& camera, const SiteRecord& site) {
  if (fuzz::kReaderOnly) return;
  AstromObsObj report(user, camera, site);
  ObsParams p;
  p.objectName = "Eros";
  p.number = "433";
  p.observationTime = *EncodeDateTime(2019, 5, 1, 3, 45, 30.0L);
  ReferenceStar t;
  t.kind = kRefTarget;
  t.fitRA = 14.0L;
  t.fitDec = -0.5L;
  t.catMag = 12.0L;
  report.AddObservation(p, t, OptionsRecord{});
  for (bool shortForm : {true, false}) {
    report.shortForm = shortForm;
    for (bool oldFormat : {true, false}) (void)BuildReport(report, oldFormat, "DATA.RPT", true, "2026/12/09", {});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 4;
  const std::string path = fuzz::WriteInput("RECORDS.DAT", data + 1, size - 1);
  testing::ScriptedPlatform ui;
  try {
    if (kind == 0) {
      Report(ReadUserFile(path), CameraRecord{}, DefaultSiteRecord());
    } else if (kind == 1) {
      CameraList list = ReadCameraFile(path);
      if (list.Size() > 0 && !fuzz::kReaderOnly) {
        MergeRecord(ui, list, *list.GetAt(0));
        Report(UserRecord{}, *list.GetAt(0), DefaultSiteRecord());
      }
      (void)LoadCameraList(ui, path);
    } else if (kind == 2) {
      SiteList list = ReadSiteFile(path);
      if (list.Size() > 0 && !fuzz::kReaderOnly) {
        MergeRecord(ui, list, *list.GetAt(0));
        Report(UserRecord{}, CameraRecord{}, *list.GetAt(0));
      }
      (void)LoadSiteList(ui, path);
    } else {
      for (const char* code : {"695", "0695", "A12", "1012"}) {
        const ScopeLookup found = FindScopeLines(path, code);
        if (fuzz::kReaderOnly) continue;
        for (const std::string& line : found.lines) (void)ParseScopeLine(line);
      }
    }
  } catch (const IOFailure&) {
  }
  return 0;
}

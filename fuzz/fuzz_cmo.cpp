// A converted orbit file (".CMO", also the TARNE orbit file), then what the
// program does with each record: its elements, the osculating element lines
// and a short ephemeris.
#include <cstdint>

#include "foundations/io_error.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput("ORBITS.CMO", data, size);
  try {
    CmoFileReader reader(path);
    CmoRecord rec;
    for (int k = 0; k < 16 && reader.Next(rec); ++k) {
      if (fuzz::kReaderOnly) continue;
      testing::ScriptedPlatform ui;
      CurrentElements current;
      current.Set(CmoToElements(rec), rec.codes, ElementSource::kTarne, 0);
      (void)OsculatingElementLines(current);
      EphemerisParams params;
      params.start.SetJD(2461000.5L);
      params.points = 2;
      params.stepDays = 10;
      RecordList<EphemerisRecord> table;
      GenerateEphemeris(current.elements, SiteRecord{}, params, table, KeplerErrorReporter{&ui, false});
      (void)EphemerisReport(current, SiteRecord{}, params, table);
    }
  } catch (const IOFailure&) {
  }
  return 0;
}

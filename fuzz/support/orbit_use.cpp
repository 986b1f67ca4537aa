#include "support/orbit_use.h"

#include "orbits/orbit_files.h"
#include "support/scripted_platform.h"

namespace skarvel::fuzz {

void UseElements(const OrbitElements& elements, const OrbitCodes& codes, ElementSource source, double stepDays) {
  testing::ScriptedPlatform ui;
  CurrentElements current;
  current.Set(elements, codes, source, 0);
  (void)OsculatingElementLines(current);
  EphemerisParams params;
  params.start.SetJD(2461000.5L);
  params.points = 3;
  params.stepDays = stepDays;
  params.SetEquinox(EquinoxChoice::kOfDate);
  RecordList<EphemerisRecord> table;
  GenerateEphemeris(current.elements, SiteRecord{}, params, table, KeplerErrorReporter{&ui, false});
  (void)EphemerisReport(current, SiteRecord{}, params, table);
}

}  // namespace skarvel::fuzz

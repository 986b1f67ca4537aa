// MPCORB, astorb and COMET.DAT lines (the first byte chooses the parser), then
// what the program does with a parsed record: the converted record and its
// elements back, and a short ephemeris with its report text.
#include <cstdint>
#include <string>

#include "orbits/ephemeris.h"
#include "orbits/orbit_records.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

namespace {

void Use(const OrbitElements& el, const OrbitCodes& codes, ElementSource source) {
  if (fuzz::kReaderOnly) return;
  const CmoRecord rec = ElementsToCmo(el);
  const OrbitElements back = CmoToElements(rec);
  testing::ScriptedPlatform ui;
  CurrentElements current;
  current.Set(back, codes, source, 0);
  EphemerisParams params;
  params.start.SetJD(2461000.5L);
  params.points = 3;
  params.stepDays = 1;
  params.SetEquinox(EquinoxChoice::kOfDate);
  RecordList<EphemerisRecord> table;
  GenerateEphemeris(current.elements, SiteRecord{}, params, table, KeplerErrorReporter{&ui, false});
  (void)EphemerisReport(current, SiteRecord{}, params, table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 3;
  for (const std::string& line : fuzz::InputLines(data + 1, size - 1, 64)) {
    OrbitElements el;
    OrbitCodes codes{};
    try {
      if (kind == 0) {
        SetAsteroidDefaults(el);
        if (!ParseMpcorbLine(line, el, codes)) continue;
        Use(el, codes, ElementSource::kMpc);
      } else if (kind == 1) {
        SetAsteroidDefaults(el);
        ParseLowellRecord(line, false, el, codes);
        Use(el, codes, ElementSource::kLowell);
      } else {
        SetCometDefaults(el);
        ParseCometLine(line, el);
        Use(el, codes, ElementSource::kCometFile);
      }
    } catch (const OrbitRecordError&) {
    }
  }
  return 0;
}

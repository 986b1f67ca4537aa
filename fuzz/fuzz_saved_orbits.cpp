// The saved-orbits file, then what the program does with it: each record's
// elements made current with an ephemeris, and the save of a record into the
// file read (rewritten through its temporary file) and read back.
#include <cstdint>

#include "foundations/io_error.h"
#include "orbits/saved_orbits.h"
#include "support/fuzz_input.h"
#include "support/orbit_use.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput("SAVORBS.DAT", data, size);
  SavedOrbitList list;
  try {
    list = ReadSavedOrbits(path);
  } catch (const IOFailure&) {
    return 0;
  }
  if (fuzz::kReaderOnly) return 0;
  for (std::size_t k = 0; k < list.Size() && k < 8; ++k) {
    const CmoRecord* rec = list.GetAt(static_cast<std::int32_t>(k));
    fuzz::UseElements(SavedOrbitElements(*rec), OrbitCodes{}, ElementSource::kUserSaved);
  }
  if (list.Size() == 0 || list.Size() > 64) return 0;
  testing::ScriptedPlatform ui;
  ui.AnswerNext(platform::Answer::Yes);
  CmoRecord again = *list.GetAt(0);
  if (!SaveOrbitRecord(ui, path, again)) return 0;
  try {
    (void)ReadSavedOrbits(path);
  } catch (const IOFailure&) {
  }
  return 0;
}

// A FIND_ORB element file, read as the program's FIND_ORB command reads it,
// then what the program does with the elements it made current: the element
// lines and an ephemeris with its report.
#include <cstdint>
#include <string_view>

#include "orbits/find_orb.h"
#include "support/fuzz_input.h"
#include "support/orbit_use.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput("ELEMENTS.TXT", data, size);
  testing::ScriptedPlatform ui;
  CurrentElements current;
  if (!LoadFindOrb(ui, path, current)) return 0;
  if (!fuzz::kReaderOnly) fuzz::UseElements(current.elements, current.codes, ElementSource::kFindOrb);
  // The text parser directly, on the part the file reader takes.
  const std::string_view text(reinterpret_cast<const char*>(data), size < kFindOrbReadLimit ? size : kFindOrbReadLimit);
  const auto el = ParseFindOrbText(text);
  if (el && !fuzz::kReaderOnly) fuzz::UseElements(*el, OrbitCodes{}, ElementSource::kFindOrb, 100);
  return 0;
}

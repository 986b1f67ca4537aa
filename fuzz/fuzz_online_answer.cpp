// An on-line catalog answer (the first byte chooses the format, the catalog
// and the colour: bit 0 VizieR's tab-separated answer or the USNO-style "|"
// table), then what the program does with the stars: their move to the
// observation time with the window test, and the reference field.
#include <cstdint>
#include <string_view>

#include "catalogs/online_answer.h"
#include "support/field_use.h"
#include "support/fuzz_input.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool vizier = (data[0] & 1) != 0;
  const OnlineCatalog& catalog = OnlineCatalogOf(static_cast<std::uint8_t>((data[0] >> 1) & 7));
  const auto colour = static_cast<std::uint8_t>((data[0] >> 4) & 7);
  const bool defaultRefMags = (data[0] & 0x80) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const AnswerResult r = vizier ? ReadVizieRAnswer(text, catalog, colour, defaultRefMags)
                                : ReadUSNOAnswer(text, catalog, colour, defaultRefMags);
  if (!r.ok || r.answer.stars.empty() || fuzz::kReaderOnly) return 0;
  // A window around the first star, and one over the whole sky.
  const CatalogStar& first = r.answer.stars.front();
  const double ra = static_cast<double>(first.ra), dec = static_cast<double>(first.dec);
  for (const SearchWindow& window : {SearchWindow{ra - 0.05, ra + 0.05, dec - 0.5, dec + 0.5, 30.0f},
                                     SearchWindow{0, 24, -90, 90, 30.0f}}) {
    for (long double jd : {2451545.0L, 2461000.5L, 2816787.5L}) {
      const std::vector<CatalogStar> stars = ReadAnswerField(r.answer, window, jd);
      fuzz::UseField(stars, window, nullptr, colour);
    }
  }
  return 0;
}

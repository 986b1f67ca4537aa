#include "support/field_use.h"

#include <algorithm>
#include <cmath>

#include "astrometry/plate_solution.h"
#include "astrometry/reference_field.h"
#include "astrometry/reference_star.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "support/scripted_platform.h"

namespace skarvel::fuzz {

FieldParameters FieldOfWindow(const SearchWindow& window) {
  FieldParameters p;
  p.window = window;
  const double ra = std::isfinite(window.raMin) && std::isfinite(window.raMax) ? (window.raMin + window.raMax) / 2 : 0;
  const double dec =
      std::isfinite(window.decMin) && std::isfinite(window.decMax) ? (window.decMin + window.decMax) / 2 : 0;
  p.centreRA = std::clamp(ra, 0.0, 23.999);
  p.centreDec = std::clamp(dec, -89.9, 89.9);
  const double height = std::isfinite(window.decMax - window.decMin) ? std::fabs(window.decMax - window.decMin) : 1;
  p.size = static_cast<float>(std::clamp(height * 60 / 1.5, 1.0, 600.0));
  p.limitMag = window.magLimit;
  return p;
}

void UseField(const std::vector<CatalogStar>& stars, const SearchWindow& window, FieldCatalogReader* reader,
              std::uint8_t colourChoice) {
  OptionsRecord options;
  testing::ScriptedPlatform ui;
  GSCRgnsTblObj table(options, ui);
  GSCFieldObj field(options, ui, table);
  field.BeginField();
  if (reader != nullptr) {
    reader->Merge(field, stars);
  } else {
    for (const CatalogStar& s : stars) field.AddStar(s);
  }
  FieldRequest request;
  request.params = FieldOfWindow(window);
  request.colourChoice = colourChoice;
  for (bool inverted : {false, true}) {
    request.params.reverseEW = inverted;
    request.params.reverseNS = inverted;
    RenderRequest r;
    r.params = &request.params;
    // A small picture: the projection, star images and clipping are the
    // same at any size, and filling fewer pixels leaves time for more inputs.
    r.geometry.clientWidth = 64;
    r.geometry.clientHeight = 48;
    r.geometry.width = 64;
    r.geometry.height = 48;
    r.faintestMag = field.FaintestMag();
    r.inverted = inverted;
    const RenderResult out = RenderFieldPicture(r, field.Stars());
    (void)ReferenceFieldDataLines(options, request, field, out.zeroPoint);
    (void)ReferenceFieldPrintLines(options, request, field, false, nullptr);
  }
  CatalogStar picked;
  (void)field.NearestStar(32, 24, &picked);

  // The plate solution of the stars as references measured where the field
  // picture put them, in each of the three models.
  std::vector<ReferenceStar> refs;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(field.Stars().Size()) && refs.size() < 24; ++i) {
    const CatalogStar& s = *field.Stars().GetAt(i);
    ReferenceStar r;
    r.imageX = s.fieldX;
    r.imageY = s.fieldY;
    r.catRA = s.ra;
    r.catDec = s.dec;
    r.catMag = s.mag;
    r.usePos = r.measured = true;
    refs.push_back(r);
  }
  for (std::uint8_t type = 0; type < 3; ++type) {
    PlateSolnObj plate;
    plate.StartSolution(request.params.centreRA, request.params.centreDec);
    for (const ReferenceStar& r : refs) plate.AddPair(r);
    if (!plate.SolvePlate(type)) continue;
    for (ReferenceStar& r : refs) plate.ApplySolution(r, type);
    (void)plate.ErrorEstimates(type);
    (void)plate.PlateConstants(type);
    long double ra = 0, dec = 0;
    plate.ToSky(plate.Evaluate(32, 24, type), ra, dec);
  }
}

}  // namespace skarvel::fuzz

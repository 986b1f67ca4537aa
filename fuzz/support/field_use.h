// The second stage every catalog harness shares: the stars a reader gave go
// into the field list the way the load sequence puts them there, then the
// reference field is drawn and listed as its window does, and the plate
// solution is made from them.
#pragma once

#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_load.h"
#include "catalogs/field_parameters.h"

namespace skarvel::fuzz {

/// Field parameters centred on `window` (its RA and Dec middle, a side of the
/// window's height).
FieldParameters FieldOfWindow(const SearchWindow& window);

/// Merges `stars` into a fresh field list (through `reader`'s Merge when
/// given, else one AddStar each), then renders the reference field picture
/// (64 x 48, plain and inverted, mirrored), lists its data lines and picks the star
/// nearest the centre; then solves the plate in each model with the stars as
/// references measured at their picture positions.
void UseField(const std::vector<CatalogStar>& stars, const SearchWindow& window,
              FieldCatalogReader* reader = nullptr, std::uint8_t colourChoice = 1);

}  // namespace skarvel::fuzz

// Small 16-bit FITS files for the tests of the image slot commands. (The
// reader itself is checked against files that cfitsio writes.)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel::testing {

/// Writes a BITPIX 16 image of width x height with value(x, y) = base + x + 10 y
/// and the extra header cards given (each "KEY     = value", up to 80 characters).
void WriteMiniFits(const std::string& path, int width, int height, int base = 100,
                   const std::vector<std::string>& extraCards = {});
/// Writes a BITPIX 16 image of the given values, row by row from row 0.
void WriteFitsPixels(const std::string& path, int width, int height, const std::vector<std::int16_t>& values,
                     const std::vector<std::string>& extraCards = {});

}  // namespace skarvel::testing

// FITS fixtures written by cfitsio, an independent writer.
#pragma once

#include <fitsio.h>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace skarvel::testing {

struct FitsCard {
  std::string key;
  std::variant<std::string, double, long, bool> value;
};

/// Writes a primary image with raw values as given (no scaling by cfitsio);
/// BSCALE/BZERO go in as cards when given. `naxes` has 2 or 3 entries.
inline void WriteFits(const std::string& path, int bitpix, std::vector<long> naxes, const std::vector<double>& raw,
                      const std::vector<FitsCard>& cards = {}) {
  fitsfile* f = nullptr;
  int status = 0;
  const std::string name = "!" + path;
  fits_create_file(&f, name.c_str(), &status);
  fits_create_img(f, bitpix, static_cast<int>(naxes.size()), naxes.data(), &status);
  for (const auto& c : cards) {
    if (auto* s = std::get_if<std::string>(&c.value))
      fits_update_key(f, TSTRING, c.key.c_str(), const_cast<char*>(s->c_str()), nullptr, &status);
    else if (auto* d = std::get_if<double>(&c.value))
      fits_update_key(f, TDOUBLE, c.key.c_str(), const_cast<double*>(d), nullptr, &status);
    else if (auto* l = std::get_if<long>(&c.value))
      fits_update_key(f, TLONG, c.key.c_str(), const_cast<long*>(l), nullptr, &status);
    else if (auto* b = std::get_if<bool>(&c.value)) {
      int v = *b ? 1 : 0;
      fits_update_key(f, TLOGICAL, c.key.c_str(), &v, nullptr, &status);
    }
  }
  fits_set_bscale(f, 1.0, 0.0, &status);  // the values below are the stored ones
  if (!raw.empty())
    fits_write_img(f, TDOUBLE, 1, static_cast<LONGLONG>(raw.size()), const_cast<double*>(raw.data()), &status);
  fits_close_file(f, &status);
  ASSERT_EQ(status, 0) << "cfitsio status " << status;
}

/// The pixel values of a file as cfitsio reads them (scaled, as doubles).
inline std::vector<double> ReadFitsValues(const std::string& path, long& width, long& height) {
  fitsfile* f = nullptr;
  int status = 0;
  fits_open_file(&f, path.c_str(), READONLY, &status);
  long naxes[2] = {0, 0};
  int naxis = 0;
  fits_get_img_dim(f, &naxis, &status);
  fits_get_img_size(f, 2, naxes, &status);
  width = naxes[0];
  height = naxes[1];
  std::vector<double> values(static_cast<std::size_t>(width * height));
  int anynull = 0;
  fits_read_img(f, TDOUBLE, 1, static_cast<LONGLONG>(values.size()), nullptr, values.data(), &anynull, &status);
  fits_close_file(f, &status);
  EXPECT_EQ(status, 0);
  return values;
}

}  // namespace skarvel::testing

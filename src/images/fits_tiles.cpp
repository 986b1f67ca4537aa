#include "images/fits_tiles.h"

#include <fitsio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace skarvel {

namespace {

std::string StatusText(int status) {
  char text[FLEN_STATUS] = {0};
  fits_get_errstatus(status, text);
  return "cfitsio status " + std::to_string(status) + ": " + text;
}

}  // namespace

RestoredImage RestoreCompressedImage(const std::string& path, int hdu) {
  RestoredImage result;
  int status = 0;
  fitsfile* in = nullptr;
  // The disk-file opener takes the name as it stands (no extended file-name syntax).
  if (fits_open_diskfile(&in, path.c_str(), READONLY, &status) != 0) {
    result.error = StatusText(status);
    return result;
  }
  int type = 0;
  fits_movabs_hdu(in, hdu, &type, &status);
  if (status == 0 && fits_is_compressed_image(in, &status) == 0 && status == 0) status = NOT_IMAGE;
  // The restored file grows in memory that cfitsio manages with realloc.
  void* memory = nullptr;
  std::size_t size = 0;
  fitsfile* out = nullptr;
  if (status == 0) fits_create_memfile(&out, &memory, &size, 2880 * 10, std::realloc, &status);
  if (status == 0) fits_img_decompress(in, out, &status);
  LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
  if (status == 0) fits_get_hduaddrll(out, &headStart, &dataStart, &dataEnd, &status);
  if (status == 0) fits_flush_file(out, &status);
  const int kept = status;
  int closeStatus = 0;
  if (out != nullptr) fits_close_file(out, &closeStatus);  // keeps the memory
  fits_close_file(in, &closeStatus);
  if (kept != 0) {
    result.error = StatusText(kept);
  } else {
    // The data end at a record boundary once the file is flushed.
    const auto end = static_cast<std::size_t>((dataEnd + 2879) / 2880 * 2880);
    const auto* bytes = static_cast<const std::uint8_t*>(memory);
    result.bytes.assign(bytes, bytes + std::min(end, size));
  }
  std::free(memory);
  return result;
}

}  // namespace skarvel

// Tile-compressed FITS images (fpack's RICE_1, GZIP_1, GZIP_2, HCOMPRESS_1,
// PLIO_1): a binary table extension with ZIMAGE = T that holds an image in
// compressed tiles. cfitsio, the library these files are made with, restores
// the image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel {

/// The result of restoring a compressed image: the bytes of a plain FITS
/// file whose primary header and data are the image's own (the Z keywords
/// resolved), or the reason it failed.
struct RestoredImage {
  std::vector<std::uint8_t> bytes;  ///< whole 2880-byte records; empty on failure
  std::string error;                ///< cfitsio's status text on failure
};

/// Restores the compressed image held in header-data unit `hdu` (1 = primary)
/// of the file at `path`.
RestoredImage RestoreCompressedImage(const std::string& path, int hdu);

}  // namespace skarvel

// The reader of an image file type.
#pragma once

#include <memory>

#include "images/graphics_file.h"

namespace skarvel {

/// A new reader for the `ImageFileType` option (0 FITS, 1 ST-4, 2 other
/// SBIG), or null for a type this program cannot read.
std::unique_ptr<GraphicsFileObj> MakeImageReader(std::uint8_t imageFileType, ImageLoadContext context);

}  // namespace skarvel

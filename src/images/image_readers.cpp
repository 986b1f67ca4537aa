#include "images/image_readers.h"

#include "images/fits_file.h"

namespace skarvel {

std::unique_ptr<GraphicsFileObj> MakeImageReader(std::uint8_t imageFileType, ImageLoadContext context) {
  switch (imageFileType) {
    case kFileFITS: return std::make_unique<FITSFileObj>(std::move(context));
    default: return nullptr;  // the ST-4 and SBIG readers are not part of this program yet
  }
}

}  // namespace skarvel

#include "images/image_readers.h"

#include "images/fits_file.h"
#include "images/sbig_file.h"

namespace skarvel {

std::unique_ptr<GraphicsFileObj> MakeImageReader(std::uint8_t imageFileType, ImageLoadContext context) {
  switch (imageFileType) {
    case kFileFITS: return std::make_unique<FITSFileObj>(std::move(context));
    case kFileST4: return std::make_unique<ST4FileObj>(std::move(context));
    case kFileSBIG: return std::make_unique<SBIGFileObj>(std::move(context));
    default: return nullptr;
  }
}

}  // namespace skarvel

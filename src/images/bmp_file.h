// The temporary 8-bit indexed display bitmap of an image.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace skarvel {

/// Grey levels of the 256 palette entries (blue = green = red = level).
using GreyPalette = std::array<std::uint8_t, 256>;

/// Writes the display bitmap of one image: a standard uncompressed 8-bit
/// indexed bitmap, rows stored top row first (negative height).
///
/// Usage: BeginFile, SetPalette, WriteInfo, WriteRow once per row, Finish;
/// later RewriteInfo after SetPalette to change only the palette.
/// The rows go to a temporary file beside the path that Finish renames into
/// place, so a failed build never leaves a half bitmap under the path.
/// Destroying the object closes an unfinished file and deletes both files.
/// Two images of the same file name (from different folders) share one
/// bitmap path: the object remembers the file it put in place (device and
/// inode) and neither deletes nor rewrites a file that another object has
/// since put there.
class BMPFileObj {
 public:
  static constexpr std::int32_t kFileHeaderBytes = 14;  ///< "BM" file header
  static constexpr std::int32_t kInfoHeaderBytes = 40;  ///< bitmap info header
  static constexpr std::int32_t kInfoBytes = 1064;      ///< info header + 256 four-byte palette entries
  static constexpr std::int32_t kPixelOffset = 1078;    ///< offset of the first row in the file

  /// `path`: where the bitmap lives; `ui` shows the failures.
  BMPFileObj(std::string path, platform::Platform& ui);
  ~BMPFileObj();
  BMPFileObj(const BMPFileObj&) = delete;
  BMPFileObj& operator=(const BMPFileObj&) = delete;

  /// Creates the file for a width x height image (both >= 1), writes the
  /// 14-byte file header and prepares the info header. False (after "Unable
  /// to Create BMP File!") when the file cannot be created.
  bool BeginFile(std::int32_t width, std::int32_t height);
  /// Replaces the palette of the info block (the file is not touched).
  void SetPalette(const GreyPalette& grey);
  /// Writes the 1064-byte info block; sets the header-written flag when all of it went out.
  bool WriteInfo();
  /// Writes n bytes of one row (n is normally the stride); only after the info
  /// block and before Finish. False when the write failed.
  bool WriteRow(const std::uint8_t* buffer, std::int32_t n);
  /// When all rows are written: closes the file, puts it in place and sets finished.
  bool Finish();
  /// After Finish: writes the info block again at byte 14. False (after "Error
  /// Accessing Temporary BMP File!") when the file cannot be reopened or written.
  bool RewriteInfo();

  const std::string& Path() const { return path_; }
  std::int32_t Stride() const { return stride_; }
  std::int64_t ImageBytes() const { return imageBytes_; }
  std::int64_t BytesWritten() const { return bytesWritten_; }
  bool HeaderWritten() const { return headerWritten_; }
  bool Finished() const { return finished_; }
  const std::array<std::uint8_t, kFileHeaderBytes>& FileHeader() const { return fileHeader_; }
  const std::array<std::uint8_t, kInfoBytes>& Info() const { return info_; }

  /// Row stride in bytes: the width rounded up to a multiple of 4.
  static std::int32_t StrideOf(std::int32_t width) { return (width + 3) / 4 * 4; }
  /// The bitmap path of an image file: dataDir + the name without directory,
  /// its first "." and the three characters after it removed, + `suffix` + ".BMP".
  static std::string PathFor(const std::string& dataDir, const std::string& imageFileName,
                             const std::string& suffix = "");

 private:
  void ShowFailure(const std::string& text, int code);
  void CloseFile();
  /// True when the file under the path is the one Finish put there.
  bool StillOurs() const;

  std::array<std::uint8_t, kInfoBytes> info_{};
  std::string path_;
  std::string tempPath_;
  std::int32_t stride_ = 0;
  std::FILE* file_ = nullptr;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::array<std::uint8_t, kFileHeaderBytes> fileHeader_{};
  bool fileOpen_ = false;
  bool headerWritten_ = false;
  std::int64_t imageBytes_ = 0;
  std::int64_t bytesWritten_ = 0;
  bool finished_ = false;
  std::uint64_t device_ = 0;  ///< of the finished file
  std::uint64_t inode_ = 0;
  platform::Platform& ui_;
};

/// A display bitmap as read back from its file.
struct IndexedBitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;  ///< rows, top row first
  std::int32_t stride = 0;
  GreyPalette palette{};    ///< the blue byte of each entry
  std::vector<std::uint8_t> rows;  ///< stride x height index bytes

  std::uint8_t At(std::int32_t x, std::int32_t y) const {
    return rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x)];
  }
};

/// Reads a bitmap written by BMPFileObj. False when the file is missing, short
/// or not an 8-bit top-down bitmap with the 1078-byte header.
bool ReadIndexedBitmap(const std::string& path, IndexedBitmap& out);
/// Reads only the palette of such a file (bytes 54..1077). False on failure.
bool ReadBitmapPalette(const std::string& path, GreyPalette& out);

}  // namespace skarvel

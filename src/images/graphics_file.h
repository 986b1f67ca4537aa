// The image object of one slot: pixels, size, raw range, histogram, display
// statistics and the header text file. The readers derive from it.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "astrometry/obs_params.h"
#include "foundations/int_array_list.h"
#include "images/histogram.h"
#include "images/pixel_decode.h"
#include "platform/platform.h"

namespace skarvel {

class BMPFileObj;

/// What a reader is loaded with: the person to tell, where its temporary files
/// go, the header-time option, and where the header's facts are copied.
struct ImageLoadContext {
  platform::Platform* ui = nullptr;
  std::string dataDir;               ///< with trailing separator: the ".HDR" file goes here
  std::uint8_t headerTimeType = 0;   ///< 0 start, 1 midpoint, 2 end of the exposure
  ObsParams* obsParams = nullptr;    ///< the main window's observation parameters (may be null)
  AstromObsObj* report = nullptr;    ///< its camera record takes the image size and filter (may be null)
};

/// The contents of one text-list window: caption, lines and save defaults.
struct TextListContent {
  std::string caption;
  std::vector<std::string> lines;
  std::string saveFilter;  ///< "description|pattern"
  std::string saveName;    ///< proposed file name
};

/// File type codes.
enum ImageFileTypeCode : std::uint8_t { kFileFITS = 0, kFileST4 = 1, kFileSBIG = 2, kFileNone = 3 };

class GraphicsFileObj {
 public:
  /// The pixel store's limits: 16383 columns (a row record is at most 65535
  /// bytes), 65535 rows, and 2^27 pixels (512 MiB) in all.
  static constexpr std::int32_t kMaxWidth = 16383;
  static constexpr std::int32_t kMaxHeight = 65535;
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

  explicit GraphicsFileObj(ImageLoadContext context);
  /// Deletes the header text file when there is one.
  virtual ~GraphicsFileObj();
  GraphicsFileObj(const GraphicsFileObj&) = delete;
  GraphicsFileObj& operator=(const GraphicsFileObj&) = delete;

  /// Reads header and pixels; true when the image is usable.
  virtual bool Load(const std::string& fileName) = 0;
  /// After a successful load, copies the image size (and filter) into the current camera record.
  virtual void StoreCameraParameters() = 0;

  /// Updates minimum and maximum and counts v in the histogram.
  void AddPixelValue(std::int32_t v) {
    if (v > maximum) maximum = v;
    if (v < minimum) minimum = v;
    histogram.AddInteger(v);
  }
  /// AddPixelValue for each of a run of values.
  void AddPixelValues(const std::int32_t* values, std::size_t count) {
    MinMax(values, count, minimum, maximum);
    histogram.AddIntegers(values, count);
  }
  /// "File Errors Detected!": true when the person chose OK.
  bool ConfirmAfterErrors();
  /// The header window: caption prefix + DisplayName, the header text file's lines.
  TextListContent HeaderWindowContent(const std::string& captionPrefix) const;
  /// The image data window: caption prefix + "Image Data", its seven lines and
  /// the reader's further lines.
  TextListContent ImageDataWindowContent(const std::string& captionPrefix) const;
  /// Lines a reader adds to the image data window (none here).
  virtual std::vector<std::string> ImageDataExtraLines() const { return {}; }
  /// A valid image: pixels were loaded.
  bool HasImage() const { return width > 0 && height > 0 && pixels.Width() == width; }

  std::uint8_t fileTypeCode = kFileNone;
  std::string fileName;
  std::string formatDescription;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t total = 0;
  std::int32_t minimum = 2147483647;
  std::int32_t maximum = 0;
  std::int32_t firstZeroBin = 0;
  std::int32_t modeBin = 0;
  std::int32_t modeCount = 0;
  std::int32_t firstZeroValue = 0;
  std::int32_t displayHigh = 0;
  std::int32_t displayLow = 0;
  bool headerTextPresent = false;
  std::string displayName;
  IntArrayList pixels;
  HistogramObj histogram;
  std::int32_t headerBackground = 0;
  std::int32_t headerRangeTop = 0;
  std::string headerTextPath;
  /// Added to the names of the header text and bitmap when another image
  /// holds the plain ones ("" or "-2", "-3", ...).
  std::string tempSuffix;
  /// Set before Load: true when another image alive (of any slot, the one
  /// being replaced included) writes its header text or bitmap under these
  /// paths; this image then takes numbered names ("M31-2.HDR"). May be empty.
  std::function<bool(const std::string& headerTextPath, const std::string& bitmapPath)> tempNameTaken;
  /// The path of this image's display bitmap in `DataDir` (with `tempSuffix`).
  std::string BitmapPath() const;
  /// The temporary display bitmap (made by the first display build, deleted with the image).
  std::unique_ptr<BMPFileObj> displayBitmap;

 protected:
  /// Forgets a previous image: pixels freed, header text file deleted.
  void ForgetImage();
  /// DisplayName and HeaderTextPath of a file: the upper-case extension cut to
  /// 4 characters (with its dot) E, the upper-case name without directory
  /// with the first E deleted N; DisplayName = N + E, header text DataDir + N + ".HDR".
  /// When another image holds that name or the bitmap's (tempNameTaken), the
  /// first free suffix "-2", "-3", ... goes before both extensions.
  void SetNames(const std::string& path);
  /// Opens an image file for a new header: forgets a previous image, opens
  /// `path` (looked up case-insensitively) read-only into `in`, names the
  /// image and creates its header text file (the header-text flag set).
  /// Failures are told: "Unable to Open " + kind + " File!" (captioned
  /// `caption`), an empty file, "Unable to Open Temporary File!" (captioned
  /// `temporaryCaption`); then nullopt. Otherwise the name that was opened.
  std::optional<std::string> OpenImageFile(const std::string& path, std::ifstream& in, const std::string& kind,
                                           const std::string& caption, const std::string& temporaryCaption);
  /// A file that ended before its pixels did: asks as after other read errors
  /// (ConfirmAfterErrors); on OK the image keeps only the `completeRows`
  /// rows the file held, so that no missing row is shown as pixels. False on
  /// Cancel or when not one row is complete.
  bool KeepCompleteRows(std::int32_t completeRows);
  /// Says that the file at `path` is empty (0 bytes), captioned `caption`.
  void TellEmptyFile(const std::string& path, const std::string& caption);
  /// Refuses sizes beyond the pixel store with a message; true when they fit.
  bool SizeFits(std::int64_t w, std::int64_t h, const std::string& caption);

  ImageLoadContext context_;
};

/// Filter code of a header text: upper-cased, trimmed; empty gives 8; the
/// first of "B", "V", "R", "I", "J", "H", "K", "NONE" it begins with gives
/// 0..7; else "CLEAR..." gives 7; anything else 8.
std::uint8_t ParseFilterCode(const std::string& text);

/// Beeps and shows "Keyword field contains non-numeric data." with the keyword and data.
void ShowNumericConversionError(platform::Platform& ui, const std::string& keyword, const std::string& data);

/// Byte order: 16-bit swap; 32-bit swap of two 16-bit swaps; 64-bit swap of
/// the two 32-bit halves, each swapped.
inline std::uint16_t Swap16(std::uint16_t v) { return static_cast<std::uint16_t>((v << 8) | (v >> 8)); }
inline std::uint32_t Swap32(std::uint32_t v) {
  return (static_cast<std::uint32_t>(Swap16(static_cast<std::uint16_t>(v & 0xFFFFu))) << 16) |
         Swap16(static_cast<std::uint16_t>(v >> 16));
}
inline std::uint64_t Swap64(std::uint64_t v) {
  return (static_cast<std::uint64_t>(Swap32(static_cast<std::uint32_t>(v & 0xFFFFFFFFu))) << 32) |
         Swap32(static_cast<std::uint32_t>(v >> 32));
}

}  // namespace skarvel

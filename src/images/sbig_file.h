// The SBIG camera images: the format of the ST-4X through STV cameras (a
// 2048-byte text header, then 16-bit rows, plain or row-compressed) and the
// older ST-4 format (192 x 165 bytes and a 192-byte trailer).
#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "images/graphics_file.h"

namespace skarvel {

/// The SBIG header record. Everything starts empty or 0, the filter at 8.
struct SBIGHeader {
  std::string imageType;            ///< the first line, up to 24 characters
  std::uint8_t cameraType = 0;      ///< index in the camera table
  bool compressed = false;          ///< the first line contains "Compressed"
  std::int32_t fileVersion = 0;
  std::int32_t dataVersion = 0;
  std::int32_t exposure = 0;        ///< 1/100 s
  float focalLength = 0;            ///< inches
  float aperture = 0;               ///< square inches (an area)
  float responseFactor = 0;
  std::string note;                 ///< up to 78 characters
  std::int32_t background = 0;
  std::int32_t range = 0;
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::string date;                 ///< "mm/dd/yy", up to 8 characters
  std::string time;                 ///< up to 8 characters
  double observationTime = 0;       ///< date-time value (days since 1899-12-30)
  std::int32_t exposureState = 0;
  float temperature = 0;
  std::int32_t numberExposures = 0;
  std::int32_t eachExposure = 0;
  std::string history;              ///< up to 64 characters
  std::string observer;             ///< up to 64 characters
  float xPixelSize = 0;             ///< mm
  float yPixelSize = 0;             ///< mm
  std::int32_t pedestal = 0;
  float electronicGain = 0;
  std::string user[4];              ///< up to 64 characters each
  std::string filterText;           ///< up to 10 characters
  std::uint8_t filter = 8;          ///< FilterCode of the filter text
  std::int32_t readoutMode = 0;
  std::int32_t trackTime = 0;
  std::int32_t saturationLevel = 0;
};

/// The camera table: index, the name in the header, the camera name written
/// to the camera record.
struct SBIGCamera {
  const char* headerName;
  const char* cameraName;
};
inline constexpr SBIGCamera kSBIGCameras[10] = {
    {"ST-4", "SBIG ST-4"},       {"ST-4X", "SBIG ST-4X"},         {"ST-5", "SBIG ST-5"},
    {"ST-6", "SBIG ST-6"},       {"ST-7", "SBIG ST-7"},           {"ST-8", "SBIG ST-8"},
    {"PixCel255", "SBIG PixCel255"}, {"PixCel237", "SBIG PixCel237"}, {"ST-9", "SBIG ST-9"},
    {"STV", "SBIG STV"}};

/// Appends the values of one compressed row (the bytes after its 16-bit
/// count) to `out`: a count of twice `width` means the row is stored plainly
/// (16-bit little-endian values); otherwise the first two bytes are the first
/// value, and each further byte is a signed difference to the previous value,
/// or 0x80 followed by a full 16-bit little-endian value. A row may decode to
/// more or fewer than `width` values; an escape or a first value cut by the
/// end of the row ends it. Values are the raw 16-bit ones (0..65535).
void DecodeSBIGRow(std::span<const std::uint8_t> row, std::int32_t width, std::vector<std::int32_t>& out);

class SBIGFileObj : public GraphicsFileObj {
 public:
  static constexpr std::size_t kHeaderBytes = 2048;

  explicit SBIGFileObj(ImageLoadContext context);
  ~SBIGFileObj() override;

  /// Header, then the pixel rows; on success the header's display range and
  /// the camera record. False after a message (or when the person cancels
  /// after read errors).
  bool Load(const std::string& fileName) override;
  /// The camera name, pixel size, aperture, focal length, image size and
  /// filter of the header into the current camera record.
  void StoreCameraParameters() override;
  /// Reads and lists the 2048-byte header; false after a message.
  virtual bool ReadHeader(const std::string& fileName);
  /// The observer (when the parameters have none) and the observation time.
  virtual void CopyHeaderToObservation(const SBIGHeader& header, ObsParams& params);
  /// The uncompressed rows: 16-bit little-endian values.
  virtual bool ReadPixels();

  const SBIGHeader& Header() const { return header_; }

 protected:
  /// Opens the file and prepares the header text file as every SBIG reader
  /// does; false after the open or temporary-file message.
  bool OpenAndPrepare(const std::string& path, const std::string& kind, const std::string& caption);
  /// Starts the histogram (256 bins of 256) and the counts of one reading.
  void BeginPixels();
  /// Appends decoded raw values as v + offset (pedestal - 100), up to
  /// `total` values, clamped to 32 bits.
  void PutValues(const std::vector<std::int32_t>& raw, std::int64_t offset);
  /// After the last row: the values appended, asks when the file ended early
  /// (keeping only the complete rows on OK).
  bool FinishPixels(bool readError);
  void WriteHeaderText();
  /// Stores the value text of header key `key` (an index in the key table);
  /// false after the numeric conversion message when a number is not one.
  bool StoreValue(int key, const std::string& value);

  SBIGHeader header_;
  std::ifstream in_;
  std::vector<std::string> textLines_;
  std::int64_t valuesPut_ = 0;

 private:
  bool ReadCompressedPixels();
};

class ST4FileObj : public SBIGFileObj {
 public:
  static constexpr std::int32_t kWidth = 192;
  static constexpr std::int32_t kHeight = 165;
  static constexpr std::size_t kTrailerOffset = 31680;
  static constexpr std::size_t kTrailerBytes = 192;

  explicit ST4FileObj(ImageLoadContext context);

  /// Reads the trailer at byte 31680 ("v", note, exposure, focal length,
  /// aperture, response factor); false after a message.
  bool ReadHeader(const std::string& fileName) override;
  /// An ST-4 file holds no observer or time: nothing is copied.
  void CopyHeaderToObservation(const SBIGHeader&, ObsParams&) override {}
  /// 165 rows of 192 bytes, stored unchanged.
  bool ReadPixels() override;
};

}  // namespace skarvel

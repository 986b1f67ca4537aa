// The FITS reader: primary arrays, or an IMAGE extension or a tile-compressed
// image after an empty primary, with BITPIX 8, 16, 32, 64, -32 and -64; the
// image's WCS when it has one; and the header reader that the GSC regions
// table reuses for its ASCII table extension.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "images/fits_wcs.h"
#include "images/graphics_file.h"

namespace skarvel {

/// The header fields the reader takes from the cards.
struct FITSHeader {
  bool simple = false;
  bool extend = false;
  std::int32_t bitpix = 0;
  std::int32_t naxis = 0;
  std::int32_t naxis1 = 0;
  std::int32_t naxis2 = 0;
  std::int32_t naxis3 = 0;
  long double bscale = 1.0L;
  long double bzero = 0.0L;
  std::int32_t blank = 0;  ///< kept, not used
  std::string xtension;    ///< up to 8 characters, e.g. "TABLE   "
  std::int32_t pcount = 0;
  std::int32_t gcount = 0;
  std::int32_t tfields = 0;
  long double ra = 0;       ///< hours
  long double dec = 0;      ///< degrees
  long double equinox = 0;  ///< years (EPOCH or EQUINOX, the later card wins)
  std::string object;       ///< upper case, up to 68 characters
  std::string origin;       ///< up to 68 characters
  std::string observer;     ///< up to 68 characters
  long double exposure = 0; ///< seconds (any keyword beginning EXP)
  std::uint8_t filter = 8;  ///< FilterCode
  double observationTime = 0;  ///< date-time value (days since 1899-12-30)
};

/// The RA (hours) or DEC (degrees) of a header text "h:m:s" / "d:m:s":
/// blanks removed, at most three parts. The sign of a declination is taken
/// from a leading "-" of its first part (so "-00:30:00" is -0.5). An empty
/// text is 0; nullopt when a part is not a number.
std::optional<long double> ParseSexagesimalCard(const std::string& text, bool declination);

/// The observation time of a header (date-time value): the date text in the
/// order and separator it shows ("YYYY-MM-DD", "DD/MM/YYYY", two-digit years
/// before 80 in 20xx), plus the time of day (the time text, or the TIME-OBS
/// seconds when it is empty), corrected by half the exposure for a header time
/// at the start (type 0, +) or the end (type 2, -) of the exposure. A date or
/// time that cannot be read shows the numeric conversion message ("DATE-OBS"
/// or "UT") and counts as 0.
double ObservationDateTime(platform::Platform* ui, const std::string& dateText, const std::string& timeText,
                           long double exposure, long double timeObsSeconds, std::uint8_t headerTimeType);

class FITSFileObj : public GraphicsFileObj {
 public:
  static constexpr std::size_t kBlockBytes = 2880;  ///< a FITS record
  static constexpr std::size_t kCardBytes = 80;

  explicit FITSFileObj(ImageLoadContext context);
  ~FITSFileObj() override;

  bool Load(const std::string& fileName) override;
  void StoreCameraParameters() override;
  /// Reads the header cards (into the header text file too); false after a
  /// message when the file cannot be opened, is not FITS or lacks required keywords.
  virtual bool ReadHeader(const std::string& fileName);
  /// SIMPLE true, BITPIX one of 8, 16, 32, 64, -32, -64, and NAXISn > 0 for every n <= NAXIS.
  virtual bool HeaderValid();
  /// The data of a TABLE extension; false here (the GSC regions table reads it).
  virtual bool ReadTable() { return false; }

  const FITSHeader& Header() const { return header_; }
  /// The celestial WCS of the image's header, when it has one (see ImageWcsFromCards).
  const std::optional<ImageWcs>& Wcs() const { return wcs_; }
  /// Every card of the header with a value (keyword, value text).
  const std::vector<HeaderCard>& Cards() const { return cards_; }
  /// The compression of a tile-compressed image ("RICE_1", ...); empty for a plain one.
  const std::string& Compression() const { return compression_; }
  /// The WCS lines after the seven of the image data window.
  std::vector<std::string> ImageDataExtraLines() const override;

 protected:
  /// The open input file, positioned after the header (the table reader continues here).
  std::ifstream& Input() { return in_; }

 private:
  /// Reads header records from `in` until an END that ends the header (an
  /// empty primary announcing extensions goes on to the next header); counts
  /// the headers read. False after the "not FITS" message.
  bool ReadHeaderRecords(std::istream& in, const std::string& path, int& headers, bool& waitingForExtension);
  bool ReadCard(const std::string& card, const std::string& path, bool& endSeen);
  /// Replaces a tile-compressed image's table header by the image's own and
  /// makes its restored data the pixel source. False after a message.
  bool RestoreCompressed(const std::string& path, const std::string& resolved, int hdu);
  /// The fields that describe a header's data, back at their start values.
  void ResetDataFields();
  void WriteHeaderText();
  bool ReadPixels();
  void Numeric(const std::string& keyword, const std::string& data);

  FITSHeader header_;
  std::ifstream in_;
  std::istringstream restored_;       ///< the data of a restored compressed image
  std::istream* source_ = &in_;       ///< where the pixels are read from
  std::vector<std::string> textLines_;  ///< the header text file's lines
  std::size_t extensionTextStart_ = 0;  ///< the first line of the extension header
  std::vector<HeaderCard> cards_;     ///< every card of the header that describes the data
  bool zimage_ = false;               ///< ZIMAGE = T: a tile-compressed image
  std::string compression_;
  std::optional<ImageWcs> wcs_;
  std::optional<long double> mjdObs_;  ///< MJD-OBS, days
  std::optional<long double> jd_;      ///< JD, days
  std::array<std::uint8_t, kBlockBytes + 1> block_{};
  std::string dateText_;
  std::string timeText_;
  long double timeObsSeconds_ = 0;
};

}  // namespace skarvel

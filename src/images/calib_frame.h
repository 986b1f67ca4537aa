// Calibration frames: a FITS image held as floating-point values together
// with its header cards, the reader that makes one from a file and the
// BITPIX -32 writer that saves one. Bias, dark, flat and light frames, their
// masters and the calibrated lights all pass through these.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace skarvel {

/// A calibration step that cannot be done: the text says why, in words a
/// person reads (the CLI prints it, the dialog shows it).
class CalibrationFailure : public std::runtime_error {
 public:
  explicit CalibrationFailure(const std::string& text) : std::runtime_error(text) {}
};

/// The index of pixel (x, y) in a row-by-row store `width` wide.
inline std::size_t PixelIndex(std::int32_t x, std::int32_t y, std::int32_t width) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
}

/// The kind of a master frame, as its MASTER card names it.
enum class FrameKind { Light, Bias, Dark, Flat };

/// "BIAS", "DARK", "FLAT" ("LIGHT" for a light frame).
std::string FrameKindName(FrameKind kind);
/// "bias", "dark", "flat", "light": the word used in messages.
std::string FrameKindWord(FrameKind kind);

/// The facts of a frame's header that calibration checks.
struct FrameFacts {
  std::optional<double> exposure;     ///< seconds: EXPTIME, else EXPOSURE
  std::optional<double> temperature;  ///< degrees Celsius: CCD-TEMP, else CCDTEMP, else TEMPERAT
  std::int32_t xBinning = 1;          ///< XBINNING (1 when absent)
  std::int32_t yBinning = 1;          ///< YBINNING (1 when absent)
  std::string camera;                 ///< INSTRUME, blanks trimmed
  std::optional<double> saturation;   ///< data units: SATURATE
  /// The master's kind from its MASTER card; nullopt for a raw frame.
  std::optional<FrameKind> master;
  std::int32_t combined = 0;          ///< NCOMBINE of a master
  std::string method;                 ///< CMBMETHD of a master ("MEDIAN" or "MEAN")
  bool biasSubtracted = false;        ///< BIASSUB = T: a master dark holding dark current alone
};

/// One frame: width x height values, row 0 first as in the file, with the
/// header cards that describe the picture rather than the data layout.
struct CalibFrame {
  std::string path;      ///< the file it came from ("" when made in memory)
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<float> pixels;       ///< width * height data values (BSCALE and BZERO applied)
  /// The header's cards, 80 characters each, in file order, without SIMPLE,
  /// XTENSION, BITPIX, NAXIS*, EXTEND, PCOUNT, GCOUNT, BSCALE, BZERO, BLANK,
  /// DATAMIN, DATAMAX, CHECKSUM, DATASUM and END.
  std::vector<std::string> cards;
  FrameFacts facts;
  std::int32_t bitpix = 0;          ///< as stored in the file
  /// The largest value the file's data type holds (BITPIX 8, 16, 32 with
  /// BSCALE and BZERO); nullopt for floating-point data.
  std::optional<double> typeTop;

  float At(std::int32_t x, std::int32_t y) const { return pixels[PixelIndex(x, y, width)]; }
};

/// The largest frame the reader takes: 16384 columns, 16384 rows, 2^27 pixels.
inline constexpr std::int32_t kCalibMaxSide = 16384;
inline constexpr std::int64_t kCalibMaxPixels = std::int64_t{1} << 27;

/// Reads a FITS image (a primary array, or an IMAGE extension after an
/// empty primary) with BITPIX 8, 16, 32, 64, -32 or -64; the first plane of a
/// cube. Integer data get BSCALE and BZERO; floating-point data are taken as
/// stored. A file shorter than its data is refused. Throws CalibrationFailure
/// naming the file when it cannot be opened, is not FITS, is tile-compressed,
/// has no image or is too large.
CalibFrame ReadCalibFrame(const std::string& path);

/// The same from bytes already in memory (`name` is used in messages).
CalibFrame ReadCalibFrameBytes(const std::vector<std::uint8_t>& bytes, const std::string& name);

/// The keyword of an 80-character card (its first 8 characters, blanks trimmed).
std::string CardKeyword(const std::string& card);
/// The value text of a card: a quoted string without its quotes (trailing
/// blanks trimmed, doubled quotes made single), or the text up to a "/"
/// comment, blanks trimmed; "" for a card without "= " in columns 9-10.
std::string CardValue(const std::string& card);

/// Cards formatted to 80 characters: a string value in quotes, a logical,
/// an integer, a real (17 significant digits), a HISTORY or COMMENT text.
std::string StringCard(const std::string& keyword, const std::string& value, const std::string& comment = "");
std::string LogicalCard(const std::string& keyword, bool value, const std::string& comment = "");
std::string IntegerCard(const std::string& keyword, long long value, const std::string& comment = "");
std::string RealCard(const std::string& keyword, double value, const std::string& comment = "");
/// HISTORY cards for a text, split at blanks into lines of at most 72 characters.
std::vector<std::string> HistoryCards(const std::string& text);

/// Sets `card`'s keyword in `cards`: the first card of that keyword is
/// replaced (later ones of it removed), or the card is added at the end.
void SetCard(std::vector<std::string>& cards, const std::string& card);

/// The bytes of a FITS file holding `frame` as BITPIX -32: SIMPLE, BITPIX,
/// NAXIS, NAXIS1, NAXIS2, then the frame's cards, END, the header filled to
/// 2880 bytes with blanks and the big-endian values filled with zeros.
std::vector<std::uint8_t> FloatFitsBytes(const CalibFrame& frame);

/// Writes FloatFitsBytes(frame) to `path` through a temporary file and a
/// rename, so that a failure leaves any previous file as it was. Throws
/// CalibrationFailure naming the file on failure.
void WriteFloatFits(const std::string& path, const CalibFrame& frame);

}  // namespace skarvel

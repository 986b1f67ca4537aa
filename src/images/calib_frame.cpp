#include "images/calib_frame.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <istream>
#include <sstream>

#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

namespace {

constexpr std::size_t kBlock = 2880;  // bytes of a FITS record
constexpr std::size_t kCard = 80;
/// A header longer than this many records is refused (a hostile file would
/// otherwise keep the reader busy): 1000 records hold 36000 cards.
constexpr int kMaxHeaderBlocks = 1000;

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::optional<double> Number(std::string text) {
  text = Trim(text);
  for (char& c : text)
    if (c == 'D' || c == 'd') c = 'E';
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  double v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end || text.empty() || !std::isfinite(v)) return std::nullopt;
  return v;
}

/// The structural keywords that the writer makes itself or that describe the
/// stored data rather than the picture.
bool Structural(const std::string& keyword) {
  static const char* const kNames[] = {"SIMPLE", "XTENSION", "BITPIX", "EXTEND",  "PCOUNT",   "GCOUNT",  "BSCALE",
                                       "BZERO",  "BLANK",    "END",    "DATAMIN", "DATAMAX",  "CHECKSUM", "DATASUM"};
  for (const char* n : kNames)
    if (keyword == n) return true;
  return keyword.rfind("NAXIS", 0) == 0;
}

struct HeaderRead {
  bool simple = false;
  bool extend = false;
  bool zimage = false;
  std::string xtension;
  std::int64_t bitpix = 0;
  std::int64_t naxis = 0;
  std::int64_t naxes[3] = {0, 0, 0};
  std::int64_t pcount = 0;
  std::int64_t gcount = 1;
  double bscale = 1;
  double bzero = 0;
  std::vector<std::string> cards;  // the picture's cards of this header
};

[[noreturn]] void Fail(const std::string& name, const std::string& why) {
  throw CalibrationFailure(why + "\r\n\r\nFile Name: " + name);
}

std::int64_t IntegerValue(const std::string& name, const std::string& keyword, const std::string& value) {
  const auto v = Number(value);
  if (!v || *v != std::floor(*v) || std::fabs(*v) > 1e15) Fail(name, "The FITS header holds a faulty " + keyword + " value.");
  return static_cast<std::int64_t>(*v);
}

/// Reads one header (records until END); false at the end of the input
/// before any card.
bool ReadHeader(std::istream& in, const std::string& name, HeaderRead& h, bool first) {
  std::string block(kBlock, ' ');
  for (int n = 0; n < kMaxHeaderBlocks; ++n) {
    in.read(block.data(), static_cast<std::streamsize>(kBlock));
    if (in.gcount() != static_cast<std::streamsize>(kBlock)) {
      if (n == 0 && in.gcount() == 0 && !first) return false;
      Fail(name, "The FITS header ends before its END card.");
    }
    for (std::size_t c = 0; c < kBlock; c += kCard) {
      const std::string card = block.substr(c, kCard);
      const std::string key = CardKeyword(card);
      if (n == 0 && c == 0) {
        if (first && (key != "SIMPLE" || Upper(CardValue(card)).rfind('T', 0) != 0))
          Fail(name, "File is Not FITS Format!");
        if (!first && key != "XTENSION") Fail(name, "The FITS file holds no image.");
      }
      if (key == "END") return true;
      const std::string value = CardValue(card);
      if (key == "SIMPLE") h.simple = true;
      else if (key == "EXTEND") h.extend = Upper(value).rfind('T', 0) == 0;
      else if (key == "XTENSION") h.xtension = Upper(value);
      else if (key == "ZIMAGE") h.zimage = Upper(value).rfind('T', 0) == 0;
      else if (key == "BITPIX") h.bitpix = IntegerValue(name, key, value);
      else if (key == "NAXIS") h.naxis = IntegerValue(name, key, value);
      else if (key == "NAXIS1" || key == "NAXIS2" || key == "NAXIS3") h.naxes[key[5] - '1'] = IntegerValue(name, key, value);
      else if (key.rfind("NAXIS", 0) == 0) {
      } else if (key == "PCOUNT") h.pcount = IntegerValue(name, key, value);
      else if (key == "GCOUNT") h.gcount = IntegerValue(name, key, value);
      else if (key == "BSCALE" || key == "BZERO") {
        const auto v = Number(value);
        if (!v) Fail(name, "The FITS header holds a faulty " + key + " value.");
        (key == "BSCALE" ? h.bscale : h.bzero) = *v;
      }
      if (!Structural(key)) h.cards.push_back(card);
    }
  }
  Fail(name, "The FITS header is too long.");
}

/// The bytes of the data that follow a header (for skipping them).
std::int64_t DataBytes(const HeaderRead& h) {
  if (h.naxis <= 0) return 0;
  std::int64_t count = 1;
  for (std::int64_t i = 0; i < std::min<std::int64_t>(h.naxis, 3); ++i) {
    if (h.naxes[i] < 0 || h.naxes[i] > (std::int64_t{1} << 31)) return -1;
    count *= h.naxes[i];
    if (count > (std::int64_t{1} << 40)) return -1;
  }
  if (h.naxis > 3) return -1;
  const std::int64_t bytes = (std::abs(h.bitpix) / 8) * h.gcount * (h.pcount + count);
  return (bytes + static_cast<std::int64_t>(kBlock) - 1) / static_cast<std::int64_t>(kBlock) *
         static_cast<std::int64_t>(kBlock);
}

void ApplyFacts(CalibFrame& f) {
  FrameFacts& facts = f.facts;
  std::optional<double> exptime, exposure, ccdTemp, ccdtemp, temperat;
  for (const std::string& card : f.cards) {
    const std::string key = CardKeyword(card);
    const std::string value = CardValue(card);
    const auto v = Number(value);
    if (key == "EXPTIME" && v) exptime = *v;
    else if (key == "EXPOSURE" && v) exposure = *v;
    else if (key == "CCD-TEMP" && v) ccdTemp = *v;
    else if (key == "CCDTEMP" && v) ccdtemp = *v;
    else if (key == "TEMPERAT" && v) temperat = *v;
    else if (key == "XBINNING" && v) facts.xBinning = static_cast<std::int32_t>(std::clamp(*v, -1e6, 1e6));
    else if (key == "YBINNING" && v) facts.yBinning = static_cast<std::int32_t>(std::clamp(*v, -1e6, 1e6));
    else if (key == "INSTRUME") facts.camera = Trim(value);
    else if (key == "SATURATE" && v) facts.saturation = *v;
    else if (key == "NCOMBINE" && v) facts.combined = static_cast<std::int32_t>(std::clamp(*v, 0.0, 1e9));
    else if (key == "CMBMETHD") facts.method = Upper(Trim(value));
    else if (key == "BIASSUB") facts.biasSubtracted = Upper(value).rfind('T', 0) == 0;
    else if (key == "MASTER") {
      const std::string k = Upper(Trim(value));
      if (k == "BIAS") facts.master = FrameKind::Bias;
      else if (k == "DARK") facts.master = FrameKind::Dark;
      else if (k == "FLAT") facts.master = FrameKind::Flat;
    }
  }
  facts.exposure = exptime ? exptime : exposure;
  facts.temperature = ccdTemp ? ccdTemp : (ccdtemp ? ccdtemp : temperat);
}

template <typename Decode>
void DecodeAll(const std::vector<std::uint8_t>& raw, std::size_t bytesPer, std::vector<float>& out, Decode decode) {
  const std::size_t n = out.size();
  for (std::size_t i = 0; i < n; ++i) out[i] = decode(raw.data() + i * bytesPer);
}

std::uint64_t BigEndian(const std::uint8_t* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

CalibFrame ReadFrom(std::istream& in, const std::string& name) {
  HeaderRead h;
  ReadHeader(in, name, h, true);
  if (h.naxis == 0 && h.extend) {
    // An empty primary: the image is in the first IMAGE extension (a
    // tile-compressed image would be a BINTABLE marked ZIMAGE).
    std::vector<std::string> primaryCards = h.cards;
    for (int ext = 0; ext < 64; ++ext) {
      HeaderRead e;
      if (!ReadHeader(in, name, e, false)) Fail(name, "The FITS file holds no image.");
      if (e.zimage) Fail(name, "A tile-compressed FITS image cannot be used for calibration; uncompress it first.");
      if (e.xtension == "IMAGE" && e.naxis >= 2) {
        e.cards.insert(e.cards.begin(), primaryCards.begin(), primaryCards.end());
        h = e;
        break;
      }
      const std::int64_t skip = DataBytes(e);
      if (skip < 0) Fail(name, "The FITS file holds no image.");
      in.seekg(skip, std::ios::cur);
      if (!in) Fail(name, "The FITS file holds no image.");
    }
  }
  if (h.naxis < 2 || h.naxes[0] <= 0 || h.naxes[1] <= 0) Fail(name, "The FITS file holds no image.");
  if (h.bitpix != 8 && h.bitpix != 16 && h.bitpix != 32 && h.bitpix != 64 && h.bitpix != -32 && h.bitpix != -64)
    Fail(name, "The FITS header holds a faulty BITPIX value.");
  if (h.naxes[0] > kCalibMaxSide || h.naxes[1] > kCalibMaxSide || h.naxes[0] * h.naxes[1] > kCalibMaxPixels)
    Fail(name, "The image is too large: " + std::to_string(h.naxes[0]) + " x " + std::to_string(h.naxes[1]) +
                   " pixels.");
  CalibFrame f;
  f.path = name;
  f.width = static_cast<std::int32_t>(h.naxes[0]);
  f.height = static_cast<std::int32_t>(h.naxes[1]);
  f.bitpix = static_cast<std::int32_t>(h.bitpix);
  f.cards = std::move(h.cards);
  const std::size_t count = static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height);
  const std::size_t bytesPer = static_cast<std::size_t>(std::abs(h.bitpix) / 8);
  // The rest of the input must hold the pixels before room is made for them.
  const std::streampos here = in.tellg();
  in.seekg(0, std::ios::end);
  const std::streamoff left = in.tellg() - here;
  in.seekg(here);
  if (here < 0 || left < static_cast<std::streamoff>(count * bytesPer))
    Fail(name, "The file ends before its pixels do (" + std::to_string(std::max<std::streamoff>(left, 0)) + " of " +
                   std::to_string(count * bytesPer) + " bytes).");
  std::vector<std::uint8_t> raw(count * bytesPer);
  in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
  if (static_cast<std::size_t>(in.gcount()) != raw.size())
    Fail(name, "The file ends before its pixels do (" + std::to_string(in.gcount()) + " of " +
                   std::to_string(raw.size()) + " bytes).");
  f.pixels.assign(count, 0.0f);
  const double s = h.bscale;
  const double z = h.bzero;
  switch (h.bitpix) {
    case 8:
      DecodeAll(raw, 1, f.pixels, [&](const std::uint8_t* p) { return static_cast<float>(p[0] * s + z); });
      break;
    case 16:
      DecodeAll(raw, 2, f.pixels, [&](const std::uint8_t* p) {
        return static_cast<float>(static_cast<std::int16_t>(BigEndian(p, 2)) * s + z);
      });
      break;
    case 32:
      DecodeAll(raw, 4, f.pixels, [&](const std::uint8_t* p) {
        return static_cast<float>(static_cast<std::int32_t>(BigEndian(p, 4)) * s + z);
      });
      break;
    case 64:
      DecodeAll(raw, 8, f.pixels, [&](const std::uint8_t* p) {
        return static_cast<float>(static_cast<double>(static_cast<std::int64_t>(BigEndian(p, 8))) * s + z);
      });
      break;
    case -32:
      DecodeAll(raw, 4, f.pixels, [](const std::uint8_t* p) {
        const std::uint32_t u = static_cast<std::uint32_t>(BigEndian(p, 4));
        float v;
        std::memcpy(&v, &u, 4);
        return v;
      });
      break;
    default:
      DecodeAll(raw, 8, f.pixels, [](const std::uint8_t* p) {
        const std::uint64_t u = BigEndian(p, 8);
        double v;
        std::memcpy(&v, &u, 8);
        return static_cast<float>(v);
      });
      break;
  }
  for (float& v : f.pixels)
    if (!std::isfinite(v)) v = 0.0f;  // NaN marks undefined pixels; infinities cannot be calibrated
  if (h.bitpix > 0) {
    const double top = static_cast<double>((std::uint64_t{1} << (h.bitpix - 1)) - 1) - (h.bitpix == 8 ? -128.0 : 0.0);
    const double bottom = h.bitpix == 8 ? 0.0 : -top - 1;
    f.typeTop = std::max(top * s + z, bottom * s + z);
  }
  ApplyFacts(f);
  return f;
}

std::string Padded(std::string s, std::size_t width) {
  if (s.size() < width) s.resize(width, ' ');
  return s;
}

std::string WithComment(std::string card, const std::string& comment) {
  if (!comment.empty()) card = Padded(card, 30) + " / " + comment;
  return Padded(card.substr(0, std::min(card.size(), kCard)), kCard);
}

std::string ValueCard(const std::string& keyword, const std::string& value, const std::string& comment) {
  std::string card = Padded(keyword.substr(0, 8), 8) + "= ";
  if (value.size() < 20) card += std::string(20 - value.size(), ' ');
  return WithComment(card + value, comment);
}

}  // namespace

std::string FrameKindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::Bias: return "BIAS";
    case FrameKind::Dark: return "DARK";
    case FrameKind::Flat: return "FLAT";
    default: return "LIGHT";
  }
}

std::string FrameKindWord(FrameKind kind) {
  std::string w = FrameKindName(kind);
  for (char& c : w) c = static_cast<char>(c - 'A' + 'a');
  return w;
}

std::string CardKeyword(const std::string& card) { return Trim(card.substr(0, std::min<std::size_t>(8, card.size()))); }

std::string CardValue(const std::string& card) {
  if (card.size() < 10 || card[8] != '=' || card[9] != ' ') return "";
  std::size_t i = 10;
  while (i < card.size() && card[i] == ' ') ++i;
  if (i < card.size() && card[i] == '\'') {
    std::string out;
    for (++i; i < card.size(); ++i) {
      if (card[i] == '\'') {
        if (i + 1 < card.size() && card[i + 1] == '\'') {
          out += '\'';
          ++i;
          continue;
        }
        break;
      }
      out += card[i];
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  }
  const auto slash = card.find('/', i);
  return Trim(card.substr(i, slash == std::string::npos ? std::string::npos : slash - i));
}

std::string StringCard(const std::string& keyword, const std::string& value, const std::string& comment) {
  std::string quoted;
  for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  if (quoted.size() > 68) quoted.resize(68);
  quoted = Padded(quoted, 8);
  return WithComment(Padded(keyword.substr(0, 8), 8) + "= '" + quoted + "'", comment);
}

std::string LogicalCard(const std::string& keyword, bool value, const std::string& comment) {
  return ValueCard(keyword, value ? "T" : "F", comment);
}

std::string IntegerCard(const std::string& keyword, long long value, const std::string& comment) {
  return ValueCard(keyword, std::to_string(value), comment);
}

std::string RealCard(const std::string& keyword, double value, const std::string& comment) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  std::string text(buf, r.ptr);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  for (char& c : text)
    if (c == 'e') c = 'E';
  return ValueCard(keyword, text, comment);
}

std::vector<std::string> HistoryCards(const std::string& text) {
  std::vector<std::string> cards;
  std::istringstream words(text);
  std::string word, line;
  auto flush = [&] {
    if (!line.empty()) cards.push_back(Padded("HISTORY " + line, kCard));
    line.clear();
  };
  while (words >> word) {
    while (word.size() > 72) {
      flush();
      line = word.substr(0, 72);
      word.erase(0, 72);
      flush();
    }
    if (line.size() + (line.empty() ? 0 : 1) + word.size() > 72) flush();
    line += (line.empty() ? "" : " ") + word;
  }
  flush();
  return cards;
}

void SetCard(std::vector<std::string>& cards, const std::string& card) {
  const std::string key = CardKeyword(card);
  bool placed = false;
  for (auto it = cards.begin(); it != cards.end();) {
    if (CardKeyword(*it) == key) {
      if (!placed) {
        *it = card;
        placed = true;
        ++it;
      } else {
        it = cards.erase(it);
      }
    } else {
      ++it;
    }
  }
  if (!placed) cards.push_back(card);
}

CalibFrame ReadCalibFrame(const std::string& path) {
  const std::string resolved = fs::Resolve(fs::NativePath(path));
  std::ifstream in(resolved, std::ios::binary);
  if (!in) Fail(path, "Unable to Open FITS File!");
  CalibFrame f = ReadFrom(in, path);
  f.path = path;
  return f;
}

CalibFrame ReadCalibFrameBytes(const std::vector<std::uint8_t>& bytes, const std::string& name) {
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  return ReadFrom(in, name);
}

std::vector<std::uint8_t> FloatFitsBytes(const CalibFrame& frame) {
  std::vector<std::string> cards = {LogicalCard("SIMPLE", true, "conforms to FITS standard"),
                                    IntegerCard("BITPIX", -32, "IEEE single precision"), IntegerCard("NAXIS", 2),
                                    IntegerCard("NAXIS1", frame.width), IntegerCard("NAXIS2", frame.height)};
  for (const std::string& c : frame.cards)
    if (!Structural(CardKeyword(c))) cards.push_back(Padded(c.substr(0, std::min(c.size(), kCard)), kCard));
  cards.push_back(Padded("END", kCard));
  std::string header;
  for (const std::string& c : cards) header += c;
  header.resize((header.size() + kBlock - 1) / kBlock * kBlock, ' ');
  const std::size_t count = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
  const std::size_t dataBytes = (count * 4 + kBlock - 1) / kBlock * kBlock;
  std::vector<std::uint8_t> bytes(header.size() + dataBytes, 0);
  std::memcpy(bytes.data(), header.data(), header.size());
  std::uint8_t* p = bytes.data() + header.size();
  for (std::size_t i = 0; i < count && i < frame.pixels.size(); ++i, p += 4) {
    std::uint32_t u;
    std::memcpy(&u, &frame.pixels[i], 4);
    p[0] = static_cast<std::uint8_t>(u >> 24);
    p[1] = static_cast<std::uint8_t>(u >> 16);
    p[2] = static_cast<std::uint8_t>(u >> 8);
    p[3] = static_cast<std::uint8_t>(u);
  }
  return bytes;
}

void WriteFloatFits(const std::string& path, const CalibFrame& frame) {
  try {
    fs::AtomicWriteFile(fs::NativePath(path), FloatFitsBytes(frame));
  } catch (const IOFailure& e) {
    throw CalibrationFailure("Unable to Save FITS File!\r\n\r\nFile Name: " + path + "\r\nIOResult = " +
                             std::to_string(e.Code()));
  }
}

}  // namespace skarvel

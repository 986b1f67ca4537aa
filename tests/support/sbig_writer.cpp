#include "support/sbig_writer.h"

#include <algorithm>

namespace skarvel::testing {

namespace {

void PutLine(std::vector<std::uint8_t>& out, const std::string& line) {
  out.insert(out.end(), line.begin(), line.end());
  out.push_back('\n');
  out.push_back('\r');
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

std::vector<std::uint8_t> SBIGHeaderBytes(const SBIGFileSetup& setup) {
  std::vector<std::uint8_t> out;
  PutLine(out, setup.firstLine);
  for (const auto& [key, value] : setup.keys) PutLine(out, key + " = " + value);
  PutLine(out, "End");
  if (setup.endMark) out.push_back(26);
  out.resize(2048, 0);
  return out;
}

std::vector<std::uint8_t> CompressedSBIGRow(const std::vector<std::uint16_t>& row) {
  std::vector<std::uint8_t> body;
  if (!row.empty()) Put16(body, row[0]);
  for (std::size_t i = 1; i < row.size(); ++i) {
    const int d = static_cast<int>(row[i]) - static_cast<int>(row[i - 1]);
    if (d >= -127 && d <= 127) {
      body.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(d)));
    } else {
      body.push_back(0x80);
      Put16(body, row[i]);
    }
  }
  const std::size_t plain = 2 * row.size();
  std::vector<std::uint8_t> out;
  if (body.size() >= plain) {
    Put16(out, static_cast<std::uint16_t>(plain));
    for (std::uint16_t v : row) Put16(out, v);
  } else {
    Put16(out, static_cast<std::uint16_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

std::vector<std::uint8_t> SBIGFileBytes(const SBIGFileSetup& setup) {
  std::vector<std::uint8_t> out = SBIGHeaderBytes(setup);
  const bool compressed = setup.firstLine.find("Compressed") != std::string::npos;
  const auto w = static_cast<std::size_t>(setup.width);
  for (int y = 0; y < setup.height; ++y) {
    const auto first = setup.values.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * w);
    const std::vector<std::uint16_t> row(first, first + static_cast<std::ptrdiff_t>(w));
    if (compressed) {
      const auto bytes = CompressedSBIGRow(row);
      out.insert(out.end(), bytes.begin(), bytes.end());
    } else {
      for (std::uint16_t v : row) Put16(out, v);
    }
  }
  return out;
}

std::vector<std::uint8_t> ST4FileBytes(const std::vector<std::uint8_t>& pixels, const std::string& note,
                                       const std::string& exposure, const std::string& focalLength,
                                       const std::string& aperture, const std::string& response) {
  std::vector<std::uint8_t> out(pixels);
  out.resize(31680, 0);
  out.push_back('v');
  const auto field = [&](const std::string& text, std::size_t size) {
    std::string t = text.substr(0, size);
    t.resize(size, ' ');
    out.insert(out.end(), t.begin(), t.end());
  };
  field(note, 78);
  field(exposure, 10);
  field(focalLength, 10);
  field(aperture, 10);
  field(response, 10);
  out.resize(31680 + 192, ' ');
  return out;
}

}  // namespace skarvel::testing

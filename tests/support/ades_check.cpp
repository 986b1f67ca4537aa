#include "support/ades_check.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "foundations/date_time.h"
#include "orbits/designation.h"

namespace skarvel::testing {

namespace {

std::string Trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out.push_back(c);
  }
  return out;
}

}  // namespace

std::string AdesSchemaPath() { return std::string(SKARVEL_TEST_DATA_DIR) + "/ades/submit.xsd"; }

AdesValidation ValidateAdesXml(const std::string& xml, const std::string& path) {
  {
    std::ofstream out(path, std::ios::binary);
    out << xml;
  }
  const std::string command = "xmllint --noout --schema '" + AdesSchemaPath() + "' '" + path + "' 2>&1";
  AdesValidation result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    result.output = "xmllint could not be started";
    return result;
  }
  std::array<char, 512> buffer{};
  while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) result.output += buffer.data();
  const int status = pclose(pipe);
  result.valid = status == 0 && result.output.find("validates") != std::string::npos;
  return result;
}

std::optional<PsvFile> ReadPsv(const std::vector<std::string>& lines) {
  PsvFile psv;
  if (lines.empty() || lines[0].rfind("# version=", 0) != 0) return std::nullopt;
  psv.version = Trimmed(lines[0].substr(10));
  std::vector<std::string> keywords;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.rfind("# ", 0) == 0 && keywords.empty()) {
      psv.context.push_back({Trimmed(line.substr(2)), {}});
    } else if (line.rfind("! ", 0) == 0 && keywords.empty()) {
      if (psv.context.empty()) return std::nullopt;
      const std::string rest = line.substr(2);
      const auto blank = rest.find(' ');
      if (blank == std::string::npos) return std::nullopt;
      psv.context.back().second.push_back({rest.substr(0, blank), Trimmed(rest.substr(blank + 1))});
    } else if (line.find('|') != std::string::npos) {
      std::vector<std::string> cells;
      std::size_t start = 0;
      for (;;) {
        const auto bar = line.find('|', start);
        cells.push_back(Trimmed(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
      }
      if (keywords.empty()) {
        keywords = cells;
        continue;
      }
      if (cells.size() != keywords.size()) return std::nullopt;
      AdesElements record;
      for (std::size_t c = 0; c < cells.size(); ++c)
        if (!cells[c].empty()) record.push_back({keywords[c], cells[c]});
      psv.records.push_back(record);
    } else {
      return std::nullopt;
    }
  }
  return psv;
}

std::string PsvToXml(const PsvFile& psv) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ades version=\"" + psv.version + "\">\n<obsBlock>\n";
  xml += "<obsContext>\n";
  for (const auto& [group, children] : psv.context) {
    xml += "<" + group + ">";
    for (const auto& [name, value] : children) xml += "<" + name + ">" + Escaped(value) + "</" + name + ">";
    xml += "</" + group + ">\n";
  }
  xml += "</obsContext>\n<obsData>\n";
  for (const auto& record : psv.records) {
    xml += "<optical>";
    for (const auto& [name, value] : record) xml += "<" + name + ">" + Escaped(value) + "</" + name + ">";
    xml += "</optical>\n";
  }
  return xml + "</obsData>\n</obsBlock>\n</ades>\n";
}

ObservationRecord ObservationFromMpc80(const std::string& line) {
  ObservationRecord o;
  const std::string packedNumber = line.substr(0, 5);
  if (const auto n = UnpackNumber(packedNumber)) o.params.number = std::to_string(*n);
  o.params.designation = Trimmed(line.substr(5, 7));
  if (line[12] == '*') o.params.note = kNoteDiscovery;
  const int year = std::stoi(line.substr(15, 4));
  const int month = std::stoi(line.substr(20, 2));
  const long double day = std::stold(line.substr(23, 9));
  const long double whole = std::floor(day);
  o.params.observationTime = *EncodeDate(year, month, static_cast<int>(whole)) + static_cast<double>(day - whole);
  const long double raH = std::stold(line.substr(32, 2)), raM = std::stold(line.substr(35, 2)),
                    raS = std::stold(line.substr(38, 6));
  o.target.fitRA = raH + raM / 60 + raS / 3600;
  const long double sign = line[44] == '-' ? -1 : 1;
  const long double dD = std::stold(line.substr(45, 2)), dM = std::stold(line.substr(48, 2)),
                    dS = std::stold(line.substr(51, 5));
  o.target.fitDec = sign * (dD + dM / 60 + dS / 3600);
  const std::string mag = Trimmed(line.substr(65, 5));
  if (!mag.empty()) {
    o.target.catMag = std::stold(mag);
    o.target.magRes = 0.1L;
    const std::string bands = "BVRIJHK";
    const auto b = bands.find(line[70]);
    o.target.band = b == std::string::npos ? 8 : static_cast<std::uint8_t>(b);
  }
  // The lines give their precision by their decimals: about 0.1" here.
  o.target.resRA = o.target.resDec = 0.3L;
  return o;
}

}  // namespace skarvel::testing

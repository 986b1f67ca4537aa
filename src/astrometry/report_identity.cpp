#include "astrometry/report_identity.h"

#include <cctype>
#include <cstdint>

#include "orbits/designation.h"

namespace skarvel {

namespace {

std::string Trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool Digits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

/// The designation a whole name is, packed in seven characters; "" when it is none.
std::string DesignationOfName(const std::string& name, int kind) {
  std::string readable = name;
  if (kind == kCometKind && readable.size() > 2 && readable[1] == '/' &&
      std::string("PCDXA").find(readable[0]) != std::string::npos)
    readable = Trimmed(readable.substr(2));
  // A designation has a year of four digits, a blank and a half-month letter (or a survey).
  if (readable.size() < 6 || !Digits(readable.substr(0, 4)) || readable[4] != ' ') return {};
  return PackDesignation(readable, kind, true);
}

/// The number a name starts with ("433 Eros", "(433) Eros", "433"); "" when none.
std::string NumberOfName(const std::string& name) {
  std::string head = name.substr(0, name.find(' '));
  if (head.size() > 2 && head.front() == '(' && head.back() == ')') head = head.substr(1, head.size() - 2);
  if (!Digits(head) || head.size() > 8) return {};
  const std::int64_t value = std::stoll(head);
  if (value < 1 || value > kLargestPackedNumber) return {};
  return std::to_string(value);
}

}  // namespace

std::string TemporaryDesignationOf(const std::string& text, std::size_t max) {
  std::string out;
  for (char c : text) {
    if (out.size() >= max) break;
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') out.push_back(c);
  }
  return out;
}

bool CarryIdentification(const ObsParams& before, const ObsParams& after, ObsParams& other) {
  auto same = [](const ObsParams& a, const ObsParams& b) {
    return Trimmed(a.objectName) == Trimmed(b.objectName) && Trimmed(a.number) == Trimmed(b.number) &&
           Trimmed(a.designation) == Trimmed(b.designation) && a.objectType == b.objectType;
  };
  if (same(before, after) || !same(before, other)) return false;
  other.objectName = after.objectName;
  other.number = after.number;
  other.designation = after.designation;
  other.objectType = after.objectType;
  return true;
}

ReportIdentity ReportIdentityOf(const ObsParams& params) {
  ReportIdentity id;
  const std::string name = Trimmed(params.objectName);
  id.number = Trimmed(params.number);
  id.designation = Trimmed(params.designation);
  if (id.designation.empty() && !name.empty()) id.designation = DesignationOfName(name, params.objectType);
  if (id.number.empty() && params.objectType != kCometKind && id.designation.empty() && !name.empty())
    id.number = NumberOfName(name);
  if (!id.Identified()) id.trkSub = TemporaryDesignationOf(name);
  return id;
}

}  // namespace skarvel

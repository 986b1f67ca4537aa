#include "orbits/record_finder.h"

#include <cctype>
#include <cmath>

#include "foundations/io_error.h"
#include "orbits/orbit_records.h"

namespace skarvel {

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool ZeroState(const CmoRecord& rec) {
  return rec.position.x == 0 && rec.position.y == 0 && rec.position.z == 0 && rec.velocity.x == 0 &&
         rec.velocity.y == 0 && rec.velocity.z == 0;
}

}  // namespace

int FindKeyLength(FindMode mode) { return mode == FindMode::kName ? 18 : 10; }

std::string_view FindKeyHint(FindMode mode) {
  return mode == FindMode::kName ? "Max 18 Characters, Not Case Sensitive" : "Max 10 Characters";
}

std::string_view FinderSourceText(ElementSource source) {
  switch (source) {
    case ElementSource::kMpc: return "MPC Orbit Database (MPCORB)";
    case ElementSource::kTarne: return "TARNE Orbit Database";
    default: return "Lowell Orbit Database (ASTORB)";
  }
}

std::string InvalidStateVectorText(const CmoRecord& rec, bool twoBlanks) {
  return "State vector is invalid!\r\nCannot compute osculating elements for \r\n" + TrimRight(rec.name) + " (" +
         rec.designation + ")" + "\r\n" + "\r\n" +
         (twoBlanks ? "(Probable error  during conversion to .CMO file.)"
                    : "(Probable error during conversion to .CMO file.)");
}

bool RecordFinder::Open(const std::string& path, ElementSource source, double dateTime) {
  path_ = path;
  source_ = source;
  dateTime_ = dateTime;
  searching_ = std::string(FinderSourceText(source));
  try {
    reader_ = std::make_unique<CmoFileReader>(path);
  } catch (const IOFailure&) {
    reader_.reset();
    return false;
  }
  read_ = 0;
  searched_ = matched_ = false;
  result_.clear();
  return true;
}

bool RecordFinder::Matches(const CmoRecord& rec) const {
  if (mode == FindMode::kName) return Upper(rec.name).find(Upper(key)) != std::string::npos;
  return rec.designation == key;
}

void RecordFinder::SearchFromTop() {
  if (reader_ == nullptr) return;
  // After a miss the file is at its end: going on there would find nothing.
  const bool goOn = mode == FindMode::kNumber && searched_ && matched_ && !(key < last_.designation);
  if (!goOn) {
    try {
      reader_ = std::make_unique<CmoFileReader>(path_);
    } catch (const IOFailure&) {
      reader_.reset();
      return;
    }
    read_ = 0;
  }
  Search();
}

void RecordFinder::ContinueSearch() {
  if (reader_ == nullptr) return;
  Search();
}

void RecordFinder::Search() {
  const std::int64_t total = reader_->RecordCount();
  const std::int64_t interval = std::max<std::int64_t>(1, std::llround(static_cast<double>(total) / 100));
  auto progress = ui_.OpenProgress("Searching Asteroid Orbits File", searching_, total, false);
  matched_ = false;
  CmoRecord rec;
  while (reader_->Next(rec)) {
    ++read_;
    last_ = rec;
    if (progress && read_ % interval == 0) progress->SetPosition(read_);
    if (Matches(rec)) {
      matched_ = true;
      match_ = rec;
      matchRecord_ = read_;
      break;
    }
  }
  searched_ = true;
  result_ = matched_ ? "(" + match_.designation + ") " + match_.name : "Record Not Found!";
}

bool RecordFinder::Ok(CurrentElements& current, bool* taken) {
  if (taken != nullptr) *taken = false;
  if (!matched_) return true;
  if (ZeroState(match_)) {
    platform::Tell(ui_, InvalidStateVectorText(match_, true), "Orbit Computation Error", platform::Icon::Error);
    return false;
  }
  current.Set(CmoToElements(match_), match_.codes, source_, dateTime_);
  if (taken != nullptr) *taken = true;
  return true;
}

}  // namespace skarvel

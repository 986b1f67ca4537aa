#include "config/observer_files.h"

#include <cctype>
#include <fstream>

#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

// No camera or station file of a person comes near this; anything larger is hostile.
constexpr std::uint64_t kMaxRecordFileBytes = 64u * 1024u * 1024u;

template <typename List, typename ReadFn>
List ReadRecords(const std::string& path, std::size_t recordBytes, ReadFn read) {
  List list;
  if (!fs::FileExists(path)) return list;
  const std::vector<std::uint8_t> bytes = fs::ReadFileBytes(path, kMaxRecordFileBytes);
  if (bytes.size() % recordBytes != 0) throw IOFailure(io_code::kEndOfFile);
  ByteReader in(bytes.data(), bytes.size());
  for (std::size_t i = 0; i < bytes.size() / recordBytes; ++i) list.InsertSorted(read(in));
  return list;
}

template <typename List, typename WriteFn>
void WriteRecords(const std::string& path, const List& list, WriteFn write) {
  List copy = list;  // walking moves the current position
  ByteWriter out;
  copy.Reset();
  while (auto* r = copy.Next()) write(out, *r);
  fs::AtomicWriteFile(path, out.Buffer());
}

template <typename List, typename Record>
SaveOutcome Merge(platform::Platform& ui, List& list, const Record& record) {
  list.Reset();
  while (auto* r = list.Next()) {
    if (r->name != record.name) continue;
    const Answer a = platform::Tell(ui, "A Record for \"" + record.name + "\" Already Exists.\r\n\r\nReplace It?",
                                    "Duplicate Record Found", Icon::Question, Buttons::YesNoCancel);
    if (a == Answer::Yes) {
      *r = record;
      return SaveOutcome::Replaced;
    }
    if (a == Answer::No) {
      list.InsertSorted(record);
      return SaveOutcome::AddedDuplicate;
    }
    return SaveOutcome::Cancelled;
  }
  list.InsertSorted(record);
  return SaveOutcome::Added;
}

std::string FileFailureText(const std::string& message, const std::string& name, int code) {
  return message + "\r\n\r\nFile Name: " + name + "\r\n" + "IOResult = " + std::to_string(code);
}

}  // namespace

RecordFilePaths LocateRecordFile(const std::string& optionValue, const std::string& dataDir,
                                 const std::string& programDir) {
  if (fs::HasDirectory(optionValue)) return {optionValue, optionValue};
  const std::string inData = fs::WithTrailingSeparator(dataDir) + optionValue;
  const std::string inProgram = fs::WithTrailingSeparator(programDir) + optionValue;
  if (!fs::FileExists(inData) && !programDir.empty() && fs::FileExists(inProgram)) return {inProgram, inData};
  return {inData, inData};
}

std::string LocateScopeCodesFile(const std::string& optionValue, const std::string& dataDir) {
  if (fs::HasDirectory(optionValue)) return optionValue;
  return fs::WithTrailingSeparator(dataDir) + optionValue;
}

std::string DefaultUserFileName(const std::string& contactName) {
  if (contactName.empty()) return ".USR";
  const std::size_t space = contactName.rfind(' ');
  if (space == std::string::npos) return contactName + ".USR";
  return contactName.substr(0, 1) + contactName.substr(space + 1) + ".USR";
}

void WriteUserFile(const std::string& path, const UserRecord& record) {
  ByteWriter out;
  WriteUserRecord(out, record);
  fs::AtomicWriteFile(path, out.Buffer());
}

UserRecord ReadUserFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = fs::ReadFileBytes(path, kMaxRecordFileBytes);
  ByteReader in(bytes.data(), bytes.size());
  return ReadUserRecord(in);
}

bool SaveUserData(platform::Platform& ui, const UserRecord& record, const std::string& dataDir) {
  platform::FileDialogRequest request;
  request.title = "Save User Parameters File";
  request.filter = "VORN User Parameter File (*.USR)|.USR";
  request.defaultExtension = ".USR";
  request.directory = dataDir;
  request.fileName = DefaultUserFileName(record.contactName);
  const std::optional<std::string> name = ui.SaveFile(request);
  if (!name) return false;
  try {
    WriteUserFile(*name, record);
  } catch (const IOFailure& failure) {
    platform::Tell(ui, FileFailureText("Unable to Save User Parameters File!", *name, failure.Code()),
                   "File Creation Error!", Icon::Error);
    return false;
  }
  return true;
}

std::optional<UserRecord> FindUserData(platform::Platform& ui, const std::string& dataDir) {
  platform::FileDialogRequest request;
  request.title = "Open User Parameters File";
  request.filter = "VORN User Parameters File (*.USR)|.USR";
  request.defaultExtension = ".USR";
  request.directory = dataDir;
  request.fileName = "*.USR";
  for (;;) {
    const auto names = ui.OpenFiles(request);
    if (!names || names->empty()) return std::nullopt;
    const std::string& name = names->front();
    if (!fs::FileExists(name)) {
      if (platform::Tell(ui, "Unable to open " + name + "\r\n\r\nFile Does Not Exist!", "Can't Find File!",
                         Icon::Exclamation, Buttons::OkCancel) == Answer::Ok)
        continue;
      return std::nullopt;
    }
    try {
      return ReadUserFile(name);
    } catch (const IOFailure& failure) {
      platform::Tell(ui, FileFailureText("Unable to Open User Parameters File!", name, failure.Code()),
                     "File Load Error!", Icon::Error);
      return std::nullopt;
    }
  }
}

CameraList ReadCameraFile(const std::string& path) {
  return ReadRecords<CameraList>(path, CameraRecord::kBytes, [](ByteReader& in) { return ReadCameraRecord(in); });
}

SiteList ReadSiteFile(const std::string& path) {
  return ReadRecords<SiteList>(path, SiteRecord::kBytes, [](ByteReader& in) { return ReadSiteRecord(in); });
}

void WriteCameraFile(const std::string& path, const CameraList& list) {
  WriteRecords(path, list, [](ByteWriter& out, const CameraRecord& r) { WriteCameraRecord(out, r); });
}

void WriteSiteFile(const std::string& path, const SiteList& list) {
  WriteRecords(path, list, [](ByteWriter& out, const SiteRecord& r) { WriteSiteRecord(out, r); });
}

std::optional<CameraList> LoadCameraList(platform::Platform& ui, const std::string& path) {
  try {
    return ReadCameraFile(path);
  } catch (const IOFailure&) {
    platform::Tell(ui, "Error Occurred Reading Camera File!", "Camera File Error", Icon::Error);
    return std::nullopt;
  }
}

std::optional<SiteList> LoadSiteList(platform::Platform& ui, const std::string& path) {
  try {
    return ReadSiteFile(path);
  } catch (const IOFailure&) {
    platform::Tell(ui, "Error Occurred Reading Station File!", "Station File Error", Icon::Error);
    return std::nullopt;
  }
}

SaveOutcome MergeRecord(platform::Platform& ui, CameraList& list, const CameraRecord& record) {
  return Merge(ui, list, record);
}

SaveOutcome MergeRecord(platform::Platform& ui, SiteList& list, const SiteRecord& record) {
  return Merge(ui, list, record);
}

std::string ExpandScopeCode(const std::string& code3) {
  if (code3.size() != 3) return code3;
  const unsigned char first = static_cast<unsigned char>(code3[0]);
  if (first >= 'A' && first <= 'Z') return std::to_string(first - 'A' + 10) + code3.substr(1);
  if (std::isdigit(first)) return "0" + code3;
  return code3;
}

ScopeLookup FindScopeLines(const std::string& path, const std::string& code) {
  ScopeLookup result;
  std::ifstream in(fs::Resolve(path), std::ios::binary);
  if (!in) {
    result.status = ScopeLookup::Status::ReadError;
    return result;
  }
  std::string line;
  bool inSite = false;
  constexpr std::size_t kMaxLine = 4096;
  while (std::getline(in, line)) {
    if (line.size() > kMaxLine) {
      result.status = ScopeLookup::Status::ReadError;
      result.lines.clear();
      return result;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string code3 = line.substr(0, 3);
    const bool belongs = code3.size() == 3 && (code == code3 || code == ExpandScopeCode(code3));
    if (belongs) {
      inSite = true;
      result.lines.push_back(line.size() > 5 ? line.substr(5) : std::string());
    } else if (inSite) {
      break;
    }
  }
  if (in.bad()) {
    result.status = ScopeLookup::Status::ReadError;
    result.lines.clear();
    return result;
  }
  result.status = result.lines.empty() ? ScopeLookup::Status::NotFound : ScopeLookup::Status::Found;
  return result;
}

ScopeChoice ParseScopeLine(const std::string& line) {
  ScopeChoice choice;
  if (!line.empty()) choice.id = line[0];
  if (line.size() > 3) choice.description = line.substr(3);
  return choice;
}

}  // namespace skarvel

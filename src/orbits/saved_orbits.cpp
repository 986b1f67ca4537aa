#include "orbits/saved_orbits.h"

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "orbits/orbit_records.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

std::string SavedOrbitsPath(const OptionsRecord& options) {
  const std::string& name = options.savedOrbitsFile;
  if (name.empty() || fs::HasDirectory(name)) return fs::NativePath(name);
  return fs::NativePath(options.programDir + name);
}

void WriteSavedOrbit(ByteWriter& out, const CmoRecord& record) {
  ByteWriter whole;
  WriteCmoRecord(whole, record);
  // The saved record is the converted record without its six codes.
  out.Bytes(whole.Buffer().data(), kSavedOrbitBytes);
}

CmoRecord ReadSavedOrbit(ByteReader& in) {
  std::uint8_t bytes[kCmoRecordBytes] = {};
  in.Bytes(bytes, kSavedOrbitBytes);
  ByteReader record(bytes, sizeof bytes);
  return ReadCmoRecord(record);
}

SavedOrbitList ReadSavedOrbits(const std::string& path) {
  SavedOrbitList list;
  if (!fs::FileExists(path)) return list;
  const std::vector<std::uint8_t> bytes = fs::ReadFileBytes(path, kSavedOrbitsMaxBytes);
  if (bytes.size() % kSavedOrbitBytes != 0) throw IOFailure(io_code::kEndOfFile);
  ByteReader in(bytes.data(), bytes.size());
  for (std::size_t k = 0; k < bytes.size() / kSavedOrbitBytes; ++k) list.InsertSorted(ReadSavedOrbit(in));
  list.Reset();
  return list;
}

void WriteSavedOrbits(const std::string& path, SavedOrbitList& list) {
  ByteWriter out;
  for (std::int32_t k = 0; k <= list.LastIndex(); ++k) WriteSavedOrbit(out, *list.GetAt(k));
  list.Reset();
  fs::AtomicWriteFile(path, out.Buffer());
}

std::string OrbitsFileFailureText(const std::string& text, const std::string& path, int code) {
  return text + "\r\n\r\nFile Name: " + path + "\r\n" + "IOResult = " + std::to_string(code);
}

namespace {

/// Writes the list, telling the person when that failed. True when written.
bool WriteTelling(platform::Platform& ui, const std::string& path, SavedOrbitList& list) {
  try {
    WriteSavedOrbits(path, list);
    return true;
  } catch (const IOFailure& failure) {
    platform::Tell(ui, OrbitsFileFailureText(failure.what(), path, failure.Code()),
                   std::string(kOrbitsFileErrorCaption), Icon::Error);
    return false;
  }
}

}  // namespace

bool SaveOrbitRecord(platform::Platform& ui, const std::string& path, const CmoRecord& record) {
  SavedOrbitList list;
  try {
    list = ReadSavedOrbits(path);
  } catch (const IOFailure&) {
    platform::Tell(ui, std::string(kOrbitsFileReadError), std::string(kOrbitsFileErrorCaption), Icon::Error);
    return false;
  }
  CmoRecord* found = nullptr;
  for (std::int32_t k = 0; k <= list.LastIndex() && found == nullptr; ++k)
    if (SavedOrbitKey::SameKey(*list.GetAt(k), record)) found = list.Current();
  if (found == nullptr) {
    list.InsertSorted(record);
  } else {
    const Answer answer = platform::Tell(
        ui, "A Record for \"" + record.name + "\" Already Exists.\r\n\r\nReplace It?", "Duplicate Record Found",
        Icon::Question, Buttons::YesNoCancel);
    if (answer == Answer::Yes)
      *found = record;
    else if (answer == Answer::No)
      list.InsertSorted(record);
    else
      return false;
  }
  return WriteTelling(ui, path, list);
}

OrbitElements SavedOrbitElements(const CmoRecord& record) {
  OrbitElements el = CmoToElements(record);
  if (record.objectKind <= kOriginPlanet) el.origin = record.objectKind;
  return el;
}

OrbitListForm::OrbitListForm(platform::Platform& ui, std::string path)
    : RecordChoiceList("Select an Orbit Record"), path_(std::move(path)) {
  try {
    records_ = ReadSavedOrbits(path_);
    loaded_ = true;
  } catch (const IOFailure&) {
    platform::Tell(ui, std::string(kOrbitsFileReadError), std::string(kOrbitsFileErrorCaption), Icon::Error);
  }
  Rebuild();
}

void OrbitListForm::Rebuild() {
  std::vector<std::string> names;
  for (std::int32_t k = 0; k <= records_.LastIndex(); ++k) names.push_back(records_.GetAt(k)->name);
  records_.Reset();
  SetLines(std::move(names));
}

const CmoRecord* OrbitListForm::ChosenRecord() {
  const CmoRecord* record = records_.GetAt(Chosen());
  records_.Reset();
  return record;
}

void OrbitListForm::DeleteChosen(int index, ListCommandContext& context) {
  const CmoRecord* record = records_.GetAt(index);
  if (record == nullptr) return;
  if (platform::Tell(context.ui, "Delete Orbit Record \"" + record->name + "\"?", "Are You Sure?", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  SavedOrbitList shorter = records_;
  shorter.GetAt(index);
  shorter.DeleteCurrent();
  if (!WriteTelling(context.ui, path_, shorter)) return;
  records_ = std::move(shorter);
  Rebuild();
}

}  // namespace skarvel

// The user's file of saved orbits and its list window "Select an Orbit Record".
//
// The file (option SavedOrbitsFile, "SAVORBS.DAT"; a bare name lies in the
// program's folder) is a sequence of 156-byte records: the first 156 bytes
// of a converted orbit record (kind, name, designation, epoch, position,
// velocity, central body, magnitude model, H, G, frame header; no codes). In
// memory the records are ordered by designation and, for equal
// designations, by name; two records are equal when both name and
// designation are. The whole file is read for each use and rewritten from
// the list after every change (through a temporary file, so a failed write
// leaves the previous file).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/options.h"
#include "config/record_list_forms.h"
#include "foundations/byte_io.h"
#include "foundations/record_list.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_elements.h"
#include "platform/platform.h"

namespace skarvel {

/// Bytes of one saved orbit.
inline constexpr std::size_t kSavedOrbitBytes = 156;
/// Largest saved-orbits file read (bytes): about 400000 orbits.
inline constexpr std::uint64_t kSavedOrbitsMaxBytes = 64ull * 1024 * 1024;

/// Order of the saved orbits: designation, then name.
struct SavedOrbitKey {
  static bool SameKey(const CmoRecord& a, const CmoRecord& b) {
    return a.name == b.name && a.designation == b.designation;
  }
  static bool ComesAfter(const CmoRecord& a, const CmoRecord& b) {
    return a.designation != b.designation ? a.designation > b.designation : a.name > b.name;
  }
};
using SavedOrbitList = RecordList<CmoRecord, SavedOrbitKey>;

/// The saved-orbits file of the options: SavedOrbitsFile, in ProgramDir when
/// it names no folder.
std::string SavedOrbitsPath(const OptionsRecord& options);

/// Appends the 156 bytes of a saved orbit (a converted record without its codes).
void WriteSavedOrbit(ByteWriter& out, const CmoRecord& record);
/// Reads one saved orbit (codes zero). @throws IOFailure (100) when fewer than 156 bytes are left.
CmoRecord ReadSavedOrbit(ByteReader& in);

/// Reads the whole file in order (sorted insertion). A file that does not
/// exist is an empty list.
/// @throws IOFailure when it cannot be read, is larger than
///         kSavedOrbitsMaxBytes, or is not a whole number of records.
SavedOrbitList ReadSavedOrbits(const std::string& path);

/// Writes the list as the whole file. @throws IOFailure.
void WriteSavedOrbits(const std::string& path, SavedOrbitList& list);

/// The message and caption of a failed read of the saved-orbits file.
inline constexpr std::string_view kOrbitsFileReadError = "Error Occurred Reading Orbits File!";
inline constexpr std::string_view kOrbitsFileErrorCaption = "Orbits File Error";

/// "&Save Current Elements" after its confirmation: `record` goes into the
/// file at `path`. An equal record asks "A Record for \"<name>\" Already
/// Exists.\r\n\r\nReplace It?" ("Duplicate Record Found", Yes/No/Cancel): Yes
/// replaces it, No inserts the new one beside it, Cancel writes nothing.
/// A read failure shows "Error Occurred Reading Orbits File!" and a write
/// failure the file's message (both "Orbits File Error"); the file then stays
/// as it was.
/// @return true when the file was written.
bool SaveOrbitRecord(platform::Platform& ui, const std::string& path, const CmoRecord& record);

/// The elements of a saved orbit, with the element set of its kind (0 minor
/// planet, 1 comet, 2 planet).
OrbitElements SavedOrbitElements(const CmoRecord& record);

/// "Select an Orbit Record": the saved orbits by name. "&Access Selected
/// Record" (or a double click) picks the selected one and closes the window;
/// "&Delete Selected Record" asks "Delete Orbit Record \"<name>\"?" ("Are You
/// Sure?", Yes/No) and on Yes removes it from the list and the window and
/// rewrites the file (a failed write shows the file's message and keeps it).
class OrbitListForm : public RecordChoiceList {
 public:
  /// The list read from `path`; Loaded() is false (and the message shown) when that failed.
  OrbitListForm(platform::Platform& ui, std::string path);

  bool Loaded() const { return loaded_; }
  SavedOrbitList& Records() { return records_; }
  /// The record picked by Access, or null.
  const CmoRecord* ChosenRecord();

 protected:
  void DeleteChosen(int index, ListCommandContext& context) override;

 private:
  void Rebuild();

  std::string path_;
  SavedOrbitList records_;
  bool loaded_ = false;
};

/// The file message of an I/O failure on `path`: text, two line breaks,
/// "File Name: " + path, a line break, "IOResult = " + code.
std::string OrbitsFileFailureText(const std::string& text, const std::string& path, int code);

}  // namespace skarvel

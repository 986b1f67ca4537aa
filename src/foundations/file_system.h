// File-system helpers shared by every reader and writer.
//
// Paths are the system's single-byte strings. A "\" in a stored or typed path
// is taken as the native separator, a directory text keeps its trailing
// separator, and a file that is not found under its exact name is looked up
// case-insensitively in its folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel::fs {

/// The native separator ("/").
inline constexpr char kSeparator = '/';

/// `path` with every "\" turned into the native separator.
std::string NativePath(std::string path);

/// `dir` with a separator appended when it does not end in one (empty stays empty).
std::string WithTrailingSeparator(std::string dir);

/// True when `name` holds a directory part (any separator).
bool HasDirectory(const std::string& name);

/// The directory part of `path` with its trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);

/// The file-name part of `path`.
std::string FileNameOf(const std::string& path);

/// The existing file or directory that `path` names: the path itself when it
/// exists, else an entry of its folder whose name differs only in letter case
/// (the first in name order), else `path` unchanged.
std::string Resolve(const std::string& path);

/// True when `path` (after Resolve) is an existing regular file.
bool FileExists(const std::string& path);

/// True when `path` (after Resolve) is an existing directory.
bool DirectoryExists(const std::string& path);

/// The writability test: create "Test.tmp" in `dir` and delete it again.
bool DirectoryWritable(const std::string& dir);

/// Creates `dir` with all missing parents; true when it exists afterwards.
bool MakeDirectories(const std::string& dir);

/// Reads a whole file (after Resolve). Throws IOFailure on failure.
/// Refuses files larger than `maxBytes` with IOFailure(kInvalidInput).
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

/// A file written in place of another without ever leaving a half-written file
/// at its name: the bytes go to a temporary file in the same folder, which
/// replaces the target on Commit. Released without Commit, the temporary file
/// is deleted and the previous file stands unchanged.
class AtomicFile {
 public:
  /// Creates the temporary file for `path`. Throws IOFailure when it cannot be created.
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Appends bytes. Throws IOFailure (101 "Disk Full!" and the like).
  void Write(const std::vector<std::uint8_t>& bytes);
  /// Flushes, closes and renames over the target. Throws IOFailure.
  void Commit();

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  bool committed_ = false;
};

/// Writes a whole file through AtomicFile. Throws IOFailure.
void AtomicWriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

/// Copies a file byte for byte through AtomicWriteFile. Throws IOFailure.
void CopyFileBytes(const std::string& from, const std::string& to);

/// Deletes a file; false when it did not exist or could not be deleted.
bool RemoveFile(const std::string& path);

/// The current working directory with a trailing separator.
std::string CurrentDirectory();

/// Changes the current working directory; false on failure.
bool SetCurrentDirectory(const std::string& dir);

/// The directory of the running executable with a trailing separator.
std::string ExecutableDirectory();

}  // namespace skarvel::fs

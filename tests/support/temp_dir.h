// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The directory with a trailing separator.
  const std::string& Path() const { return path_; }
  /// Path() + name.
  std::string operator/(const std::string& name) const { return path_ + name; }
  /// Creates a sub-directory and returns its path with a trailing separator.
  std::string MakeDir(const std::string& name) const;

 private:
  std::string path_;
};

/// Creates "program/" in `root` as an installed program folder holding a help
/// topic list "TOOLSHLP.LST" of one topic, so that a main window started on it
/// reads its list without a message. Returns the folder with a trailing separator.
std::string MakeProgramDir(const TempDir& root);

/// Whole-file helpers for tests (they fail the test on an I/O error).
std::vector<std::uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);

}  // namespace skarvel::testing

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace skarvel::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "skarvel-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::MakeDir(const std::string& name) const {
  std::filesystem::create_directories(path_ + name);
  return path_ + name + "/";
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
  WriteAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string MakeProgramDir(const TempDir& root) {
  const std::string dir = root.MakeDir("program");
  WriteText(dir + "TOOLSHLP.LST", "\"Help\" \"begin\"\r\n\"On Help\" \"VORNHELP.HLP\"\r\n\"\" \"end\"\r\n");
  return dir;
}

}  // namespace skarvel::testing

#include "support/fuzz_input.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace skarvel::fuzz {

namespace {

struct Folder {
  std::string path;
  Folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/skarvel-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path = std::string(buffer.data()) + "/";
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::string& WorkDir() {
  static const Folder folder;
  return folder.path;
}

std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = WorkDir() + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

std::vector<std::string> InputLines(const std::uint8_t* data, std::size_t size, std::size_t maxLines) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < size && lines.size() < maxLines; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty() && lines.size() < maxLines) lines.push_back(line);
  return lines;
}

}  // namespace skarvel::fuzz

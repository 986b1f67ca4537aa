// The repository names no folder of the machine it was written on: shared
// material is reached relative to the repository (../shared/...) or through
// an option, so a fresh clone elsewhere builds, tests and regenerates alike.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The text files of the repository: sources, scripts, documents and fixtures'
// generators (pictures, images and binary catalogs are left out).
std::vector<fs::path> TextFiles(const fs::path& root) {
  const std::set<std::string> kinds = {".md", ".sh", ".py", ".cpp", ".h", ".txt", ".cmake", ".ini", ".json", ".csv"};
  std::vector<fs::path> out;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& p = it->path();
    const std::string name = p.filename().string();
    if (it->is_directory() && (name == ".git" || name.rfind("build", 0) == 0)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file()) continue;
    const bool script = p.extension().empty() && p.parent_path().filename() == "scripts";
    if (kinds.count(p.extension().string()) != 0 || name == "CMakeLists.txt" || script) out.push_back(p);
  }
  return out;
}

TEST(Repository, NamesNoFolderOfTheMachineItWasWrittenOn) {
  const fs::path root = fs::absolute(fs::path(SKARVEL_DEMO_DIR) / ".." / "..").lexically_normal();
  ASSERT_TRUE(fs::exists(root / "README.md")) << root;
  // Built from pieces so that this file does not name them itself.
  const std::vector<std::string> machineFolders = {std::string("/") + "work/", std::string("/") + "home/",
                                                   std::string("/") + "root/", std::string("/") + "Users/"};
  const std::vector<fs::path> files = TextFiles(root);
  EXPECT_GT(files.size(), 200u);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    for (const std::string& folder : machineFolders) {
      const auto at = text.find(folder);
      if (at == std::string::npos) continue;
      // A folder name inside a longer word ("net/work/") is no absolute path.
      if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '.' ||
                     text[at - 1] == '_'))
        continue;
      const std::size_t begin = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
      ADD_FAILURE() << fs::relative(file, root).string() << ": " << text.substr(begin, text.find('\n', at) - begin);
    }
  }
}

}  // namespace

// The help texts under data/help, read the way the help window reads them:
// the topic list's fields and groups, every listed topic found under its own
// header, the related-topic lines naming listed titles, and the topics the
// program opens by title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "orbits/download_commands.h"

namespace {

namespace fs = std::filesystem;
const fs::path kHelpDir = SKARVEL_HELP_DIR;

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

/// A line that ends the topic before it: not empty, begins and ends with "*".
bool IsStarLine(const std::string& line) { return !line.empty() && line.front() == '*' && line.back() == '*'; }

/// Takes one field enclosed in a pair of equal quote characters, blanks around
/// it skipped; false when the field or its closing quote is missing.
bool TakeQuoted(std::string& s, std::string& field) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  const char quote = s[b];
  const auto e = s.find(quote, b + 1);
  if (e == std::string::npos) return false;
  field = s.substr(b + 1, e - b - 1);
  s = s.substr(e + 1);
  return true;
}

struct Entry {
  std::string title;  // with its group indentation; headings between dashes
  std::string file;   // "begin" for a heading
};

/// Parses TOOLSHLP.LST, recording every format fault in `faults`.
std::vector<Entry> ReadTopicList(std::vector<std::string>& faults) {
  std::vector<Entry> entries;
  std::string prefix;
  int depth = 0;
  int n = 0;
  for (const std::string& raw : ReadLines(kHelpDir / "TOOLSHLP.LST")) {
    const std::string at = "line " + std::to_string(++n) + ": ";
    if (raw.size() > 80) faults.push_back(at + "longer than the 80 characters read");
    std::string rest = raw, title, file;
    if (!TakeQuoted(rest, title) || !TakeQuoted(rest, file)) {
      faults.push_back(at + "not two quoted fields");
      continue;
    }
    if (!Trim(rest).empty()) faults.push_back(at + "text after the second field");
    if (file.size() > 71) faults.push_back(at + "file name over 71 characters");
    const std::string key = Lower(file);
    if (key == "end") {
      if (--depth < 0) faults.push_back(at + "\"end\" without a group");
      if (prefix.size() >= 2) prefix.erase(0, 2);
      continue;
    }
    const std::string shown = key == "begin" ? prefix + "-" + title + "-" : prefix + title;
    if (Trim(title).empty()) faults.push_back(at + "empty title");
    if (shown.size() > 65) faults.push_back(at + "title with its indentation over 65 characters");
    if (key == "begin") {
      ++depth;
      prefix = "  " + prefix;
    } else if (!fs::is_regular_file(kHelpDir / file)) {
      faults.push_back(at + "no file " + file);
    }
    entries.push_back({shown, file});
  }
  if (depth != 0) faults.push_back("groups left open: " + std::to_string(depth));
  return entries;
}

/// The lines of `title` in `file` as the help window finds them; `header`
/// receives the line the topic was found under (empty for a one-topic file).
std::vector<std::string> TopicText(const std::string& file, const std::string& title, std::string& header,
                                   bool& found) {
  const std::vector<std::string> lines = ReadLines(kHelpDir / file);
  std::size_t i = 0;
  found = true;
  header.clear();
  if (!lines.empty() && !lines[0].empty() && lines[0][0] == '*') {
    const std::string key = Lower(Trim(title));
    while (i < lines.size() && !(lines[i].find('*') != std::string::npos && Lower(lines[i]).find(key) != std::string::npos))
      ++i;
    if (i == lines.size()) {
      found = false;
      return {};
    }
    header = lines[i++];
  }
  std::vector<std::string> text;
  for (; i < lines.size() && !IsStarLine(lines[i]); ++i) text.push_back(lines[i]);
  return text;
}

class HelpTexts : public ::testing::Test {
 protected:
  void SetUp() override { entries_ = ReadTopicList(faults_); }

  bool Listed(const std::string& text) const {
    const std::string key = Lower(Trim(text));
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return Lower(Trim(e.title)) == key; });
  }

  /// Checks one topic's text: found under its own header, lines within the
  /// window's width in plain single-byte text, and a closing block whose every
  /// line names a listed title.
  void CheckTopic(const std::string& file, const std::string& title) {
    SCOPED_TRACE(file + ": " + title);
    std::string header;
    bool found = false;
    const std::vector<std::string> text = TopicText(file, title, header, found);
    ASSERT_TRUE(found) << "no header line";
    if (!header.empty()) {
      EXPECT_EQ(Lower(Trim(header.substr(1, header.size() - 2))), Lower(Trim(title)))
          << "found under another topic's header: " << header;
    }
    std::size_t words = 0;
    int related = -1;
    for (std::size_t k = 0; k < text.size(); ++k) {
      const std::string& line = text[k];
      EXPECT_LE(line.size(), 72u) << line;
      EXPECT_EQ(line.find('\t'), std::string::npos) << line;
      for (char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        EXPECT_TRUE((c >= 0x20 && c < 0x7F) || c == 0xB0) << "byte " << int(c) << ": " << line;
      }
      words += static_cast<std::size_t>(std::count(line.begin(), line.end(), ' '));
      if (Lower(line).find("related topics") != std::string::npos) related = static_cast<int>(k);
    }
    EXPECT_GT(words, 30u) << "hardly any text";
    ASSERT_GE(related, 0) << "no RELATED TOPICS block";
    int named = 0;
    for (std::size_t k = static_cast<std::size_t>(related) + 1; k < text.size(); ++k) {
      if (Trim(text[k]).empty()) continue;
      ++named;
      EXPECT_TRUE(Listed(text[k])) << "related topic not in the list: " << text[k];
    }
    EXPECT_GT(named, 0) << "an empty RELATED TOPICS block";
  }

  std::vector<Entry> entries_;
  std::vector<std::string> faults_;
};

TEST_F(HelpTexts, TopicListIsWellFormed) {
  for (const std::string& f : faults_) ADD_FAILURE() << f;
  EXPECT_GT(entries_.size(), 40u);
  std::set<std::string> titles;
  for (const Entry& e : entries_) EXPECT_TRUE(titles.insert(Lower(Trim(e.title))).second) << "twice: " << e.title;
  for (const std::string& line : ReadLines(kHelpDir / "TOOLSHLP.LST")) EXPECT_FALSE(Trim(line).empty());
}

TEST_F(HelpTexts, EveryListedTopicHasItsText) {
  for (const Entry& e : entries_)
    if (Lower(e.file) != "begin") CheckTopic(e.file, e.title);
}

TEST_F(HelpTexts, EveryTopicInAFileIsListed) {
  std::set<std::string> files;
  for (const Entry& e : entries_)
    if (Lower(e.file) != "begin") files.insert(e.file);
  for (const std::string& file : files) {
    const std::vector<std::string> lines = ReadLines(kHelpDir / file);
    if (lines.empty() || lines[0].empty() || lines[0][0] != '*') continue;
    for (const std::string& line : lines) {
      if (!IsStarLine(line) || line.size() <= 2) continue;
      EXPECT_TRUE(Listed(line.substr(1, line.size() - 2))) << file << ": topic not in the list: " << line;
    }
  }
}

TEST_F(HelpTexts, TopicsTheProgramOpensByTitle) {
  for (std::string_view title : {skarvel::kLowellDownloadTopic, skarvel::kMpcDownloadTopic, skarvel::kCometDownloadTopic})
    EXPECT_TRUE(Listed(std::string(title))) << title;
  // The orbit searches send the user to the topics under this heading.
  EXPECT_TRUE(Listed("-Database Features-"));
  // The observation-parameters help opens this title in toolshlp.txt.
  CheckTopic("toolshlp.txt", "Set Object Information Parameters");
  // "On Help" shows VORNHELP.HLP from its first line, whatever the title.
  const std::vector<std::string> lines = ReadLines(kHelpDir / "VORNHELP.HLP");
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines[0].substr(0, 1), "*");
  CheckTopic("VORNHELP.HLP", "On Help");
  std::string header;
  bool found = false;
  EXPECT_EQ(TopicText("VORNHELP.HLP", "On Help", header, found).size(), lines.size()) << "stops before its end";
}

// Every picture the README shows lies in docs/screenshots and is drawn by a Qt
// test (a file name in quotes, or a "-%1" series of them), so that running the
// window tests with SKARVEL_SCREENSHOT_DIR=docs/screenshots brings them all up
// to date; none is drawn by hand or left behind by a window that changed.
TEST(ReadmePictures, EveryPictureTheReadmeShowsIsDrawnByATest) {
  const fs::path root = kHelpDir.parent_path().parent_path();
  std::ifstream readme(root / "README.md", std::ios::binary);
  ASSERT_TRUE(readme) << "README.md";
  std::ostringstream whole;
  whole << readme.rdbuf();
  const std::string text = whole.str();
  std::set<std::string> shown;
  const std::string folder = "](docs/screenshots/";
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at + 1)) {
    const std::size_t begin = at + folder.size();
    const std::size_t end = text.find(')', begin);
    ASSERT_NE(end, std::string::npos);
    shown.insert(text.substr(begin, end - begin));
  }
  ASSERT_GE(shown.size(), 10u);
  std::ostringstream sources;
  for (const auto& entry : fs::recursive_directory_iterator(root / "tests")) {
    if (entry.path().extension() != ".cpp" || entry.path().parent_path().filename() != "ui") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    sources << in.rdbuf() << '\n';
  }
  const std::string tests = sources.str();
  for (const std::string& name : shown) {
    EXPECT_TRUE(fs::is_regular_file(root / "docs" / "screenshots" / name)) << name << " is not in docs/screenshots";
    std::string series = name;
    const std::size_t dash = series.rfind('-');
    if (dash != std::string::npos && dash + 1 < series.size() && std::isdigit(static_cast<unsigned char>(series[dash + 1])))
      series = series.substr(0, dash + 1) + "%1.png";
    EXPECT_TRUE(tests.find('"' + name + '"') != std::string::npos || tests.find('"' + series + '"') != std::string::npos)
        << name << " is drawn by no window test";
  }
}

}  // namespace

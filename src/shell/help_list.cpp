#include "shell/help_list.h"

#include <algorithm>

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

std::string Trimmed(std::string_view text) {
  std::size_t a = 0;
  std::size_t b = text.size();
  while (a < b && text[a] == ' ') ++a;
  while (b > a && text[b - 1] == ' ') --b;
  return std::string(text.substr(a, b - a));
}

std::string WithoutLeadingBlanks(const std::string& text) {
  const std::size_t a = text.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : text.substr(a);
}

std::string Cut(std::string text, std::size_t max) {
  if (text.size() > max) text.resize(max);
  return text;
}

}  // namespace

bool HelpTopicEntry::IsHeading() const {
  return LowerLatin1(fileName) == "begin";
}

const HelpTopicEntry* HelpList::At(int index) {
  const HelpTopicEntry* entry = entries.GetAt(index);
  if (entry != nullptr) lastFetchedIndex = static_cast<std::int16_t>(index);
  return entry;
}

std::vector<std::string> TextFileLines(std::string_view bytes) {
  const std::size_t eof = bytes.find('\x1A');
  if (eof != std::string_view::npos) bytes = bytes.substr(0, eof);
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::size_t stop = end;
    if (stop > at && bytes[stop - 1] == '\r') --stop;
    lines.emplace_back(bytes.substr(at, stop - at));
    at = next;
  }
  return lines;
}

HelpList ParseHelpList(std::string_view bytes) {
  if (bytes.size() > kHelpListFileMax) throw IOFailure(io_code::kInvalidInput);
  HelpList list;
  std::string prefix;
  bool afterSeparator = true;
  const auto append = [&list](HelpTopicEntry entry) {
    if (list.entries.Size() >= kHelpListEntriesMax) throw IOFailure(io_code::kInvalidInput);
    list.entries.Append(entry);
  };
  for (const std::string& whole : TextFileLines(bytes)) {
    if (whole.empty()) continue;  // an empty line names nothing
    std::string line = whole.substr(0, kHelpListLineMax);
    HelpTopicEntry entry;
    entry.title = Cut(NextQuotedField(line, ' '), kHelpTitleMax);
    entry.fileName = Cut(NextQuotedField(line, ' '), kHelpFileNameMax);
    const std::string keyword = LowerLatin1(entry.fileName);
    if (keyword == "end") {
      prefix.erase(0, std::min<std::size_t>(2, prefix.size()));
      if (!afterSeparator) {
        append(HelpTopicEntry{});
        afterSeparator = true;
      }
    } else if (keyword == "begin") {
      if (!afterSeparator) append(HelpTopicEntry{});
      entry.title = Cut(prefix + "-" + entry.title + "-", kHelpTitleMax);
      append(entry);
      afterSeparator = false;
      prefix.insert(0, "  ");
    } else {
      entry.title = Cut(prefix + entry.title, kHelpTitleMax);
      append(entry);
      afterSeparator = false;
    }
  }
  list.loaded = true;
  list.entries.Reset();
  list.lastFetchedIndex = 0;
  list.selectedTopicIndex = 0;
  return list;
}

std::unique_ptr<HelpList> LoadHelpList(const std::string& path, platform::Platform& ui) {
  auto list = std::make_unique<HelpList>();
  try {
    const std::vector<std::uint8_t> bytes = fs::ReadFileBytes(fs::NativePath(path), kHelpListFileMax);
    *list = ParseHelpList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const IOFailure& failure) {
    platform::Tell(ui,
                   "Help List File " + path + " is Invalid." + "\r\n" +
                       "Program will continue with defaults or alternative file." + "\r\n\r\n" + failure.what(),
                   "Help File Error", Icon::Information);
    list->loaded = false;
  }
  if (!list->loaded) {
    platform::Tell(ui, "Cannot Access Help List.\r\nFile Name: " + path + "\r\n\r\n" + IOErrorText(list->resultCode),
                   "File Error", Icon::Exclamation);
    return nullptr;
  }
  return list;
}

int FindTopicIndex(HelpList& list, std::string_view text, int start, bool caseDependent) {
  const auto form = [caseDependent](std::string_view s) {
    const std::string t = Trimmed(s);
    return caseDependent ? t : LowerLatin1(t);
  };
  const std::string wanted = form(text);
  const int last = list.entries.LastIndex();
  for (int i = std::max(start, 0); i <= last; ++i) {
    const HelpTopicEntry* entry = list.entries.GetAt(i);
    if (entry != nullptr && form(entry->title) == wanted) return i;
  }
  return -1;
}

TextMetrics TextMetrics::Fixed(int charWidth, int lineHeight, int screenWidth) {
  TextMetrics m;
  m.textWidth = [charWidth](const std::string& s) { return static_cast<int>(s.size()) * charWidth; };
  m.lineHeight = lineHeight;
  m.screenWidth = screenWidth;
  return m;
}

LinesExtent MeasureLines(const std::vector<std::string>& lines, const TextMetrics& metrics) {
  LinesExtent e;
  for (const std::string& line : lines) e.widest = std::max(e.widest, metrics.textWidth ? metrics.textWidth(line) : 0);
  e.lineHeight = std::max(metrics.lineHeight, 5);
  return e;
}

// ---------------------------------------------------------------------------
// The topic list dialog

void HelpListDialogLogic::Activate(HelpList* list, SearchDialogState& search, const TextMetrics& metrics,
                                   platform::Platform& ui) {
  list_ = list;
  lines_.clear();
  selected_ = -1;
  topLine_ = 0;
  if (list == nullptr) {
    platform::Tell(ui, "No Help List to Display!", "Error", Icon::Error);
    return;
  }
  for (int i = 0; i <= list->entries.LastIndex(); ++i) {
    const HelpTopicEntry* entry = list->entries.GetAt(i);
    lines_.push_back(entry != nullptr ? entry->title : std::string());
  }
  const LinesExtent extent = MeasureLines(lines_, metrics);
  geometry_ = ListWindowSize(extent.widest, lines_.size(), extent.lineHeight, metrics.screenWidth, 30);
  Select(list->selectedTopicIndex);
  topLine_ = std::max(selected_, 0);
  search.Reset();
}

void HelpListDialogLogic::FindTopic(SearchDialogState& search, ListDialogs& dialogs, platform::Platform& ui) {
  if (list_ == nullptr) return;
  const SearchStart how = dialogs.AskSearch("Find Help Topic", search);
  if (how == SearchStart::Cancelled || search.text.empty()) return;
  const int start = how == SearchStart::FromTop ? 0 : std::max(selected_, -1) + 1;
  const int found = FindTopicIndex(*list_, search.text, start, search.caseDependent);
  if (found < 0) {
    platform::Tell(ui, "\"" + search.text + "\" Not Found.", "String Not Found", Icon::Information);
    return;
  }
  topLine_ = found;
  selected_ = found;
}

HelpListDialogLogic::Choice HelpListDialogLogic::ReadPrintTopic(platform::Platform& ui) {
  if (list_ == nullptr || selected_ < 0) return Choice::kNothing;
  const HelpTopicEntry* entry = list_->At(selected_);
  if (entry == nullptr) return Choice::kNothing;
  if (entry->IsSeparator()) {
    ui.Beep();
    return Choice::kSeparatorBeep;
  }
  if (entry->IsHeading()) {
    platform::Tell(ui, "Select a Topic Under \"" + WithoutLeadingBlanks(entry->title) + "\"", "Topic Heading",
                   Icon::Information);
    return Choice::kHeadingNamed;
  }
  list_->selectedTopicIndex = static_cast<std::int16_t>(selected_);
  return Choice::kChosen;
}

void HelpListDialogLogic::CloseTopics() {
  if (list_ != nullptr) list_->selectedTopicIndex = static_cast<std::int16_t>(selected_);
}

}  // namespace skarvel

#include "shell/help_window.h"

#include <algorithm>

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

bool BeginsAndEndsWithStar(const std::string& line) {
  return !line.empty() && line.front() == '*' && line.back() == '*';
}

std::string Framed(const std::string& text) {
  return "  " + text + "  ";
}

std::string WithoutLeadingBlanks(const std::string& text) {
  const std::size_t a = text.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : text.substr(a);
}

std::string Trimmed(const std::string& text) {
  const std::size_t a = text.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const std::size_t b = text.find_last_not_of(' ');
  return text.substr(a, b - a + 1);
}

void TellNoHelp(platform::Platform& ui, const std::string& title, const char* caption) {
  platform::Tell(ui, "Help Topic: " + title + "\r\n\r\n" + "Help on this topic is not available at this time.", caption,
                 Icon::Information);
}

}  // namespace

HelpTopicText ReadHelpTopic(std::string_view bytes, std::string_view title) {
  HelpTopicText topic;
  const std::vector<std::string> file = TextFileLines(bytes);
  std::size_t at = 0;
  if (!file.empty() && !file.front().empty() && file.front().front() == '*') {
    const std::string wanted = LowerLatin1(title);
    while (at < file.size()) {
      const std::string header = LowerLatin1(file[at++]);
      if (header.find('*') != std::string::npos && header.find(wanted) != std::string::npos) {
        topic.found = true;
        break;
      }
    }
    if (!topic.found) return topic;
  }
  topic.found = true;
  topic.lines.push_back(" ");
  LineSplitter splitter;
  for (; at < file.size(); ++at) {
    const std::string& line = file[at];
    if (BeginsAndEndsWithStar(line)) break;
    if (line.size() <= kHelpWrapWidth) {
      topic.lines.push_back(Framed(line));
      if (LowerLatin1(line).find("related topics") != std::string::npos)
        topic.relatedTopicsLine = static_cast<int>(topic.lines.size()) - 1;
      continue;
    }
    splitter.Start(line, kHelpWrapWidth);
    while (!splitter.Finished()) topic.lines.push_back(Framed(splitter.NextLine()));
    splitter.Done();
  }
  topic.lines.push_back(" ");
  return topic;
}

void HelpWindowLogic::SetTopic(const HelpTopicEntry& entry, const std::string& directory) {
  currentTopic_ = entry;
  directory_ = directory;
}

void HelpWindowLogic::ShowStep() {
  if (recordInHistory && currentTopic_.has_value()) {
    history_.GoLast();
    const HelpTopicEntry* last = history_.Current();
    if (last == nullptr || last->title != currentTopic_->title) history_.Append(*currentTopic_);
  }
  backEnabled_ = history_.Size() >= 2;
}

void HelpWindowLogic::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  selected_ = -1;
  ++version_;
}

void HelpWindowLogic::LoadStep(const TextMetrics& metrics, bool topicListExists, platform::Platform& ui) {
  // 1. Something to show.
  if (!currentTopic_.has_value() || directory_.empty()) {
    platform::Tell(ui, "THelpWin Parameters Not Set!", "Error", Icon::Error);
    loaded_ = false;
    return;
  }
  // 2. Title, path, caption; the list is cleared.
  currentTitle_ = WithoutLeadingBlanks(currentTopic_->title);
  path_ = directory_ + currentTopic_->fileName;
  caption_ = "Help - " + currentTitle_;
  relatedTopicsLine_ = -1;
  SetLines({});
  // 3. The file.
  std::vector<std::uint8_t> bytes;
  try {
    bytes = fs::ReadFileBytes(fs::NativePath(path_), kHelpFileMax);
  } catch (const IOFailure& failure) {
    platform::Tell(ui, "Cannot Access Help File " + path_ + "\r\n\r\n" + IOErrorText(failure.Code()),
                   "Help Not Available", Icon::Exclamation);
    loaded_ = false;
    return;
  }
  loaded_ = true;
  // 4.-5. The topic and its lines.
  HelpTopicText topic =
      ReadHelpTopic(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), currentTitle_);
  if (!topic.found) {
    TellNoHelp(ui, currentTitle_, "Topic Not Found");
    return;
  }
  relatedTopicsLine_ = topic.relatedTopicsLine;
  SetLines(std::move(topic.lines));
  // 6. Size.
  const LinesExtent extent = MeasureLines(lines_, metrics);
  if (extent.widest <= kHelpMinTextWidth) {
    TellNoHelp(ui, currentTitle_, "No Text for Topic");
    return;
  }
  const ListWindowGeometry g = ListWindowSize(extent.widest, lines_.size(), extent.lineHeight, metrics.screenWidth, 20);
  clientWidth_ = g.clientWidth;
  clientHeight_ = g.clientHeight;
  showTopicsEnabled_ = topicListExists;
}

void HelpWindowLogic::Close() {
  if (clearHistoryOnClose) {
    history_.Clear();
    backEnabled_ = false;
  }
}

bool HelpWindowLogic::Back(HelpList* list, const std::string& programDir) {
  if (history_.Size() < 2) return false;
  const HelpTopicEntry* before = history_.GetAt(history_.LastIndex() - 1);
  if (before == nullptr) return false;
  const std::string title = before->title;
  history_.DeleteCurrent();
  backEnabled_ = history_.Size() >= 2;
  if (list == nullptr) return false;
  const int found = FindTopicIndex(*list, title, 0, false);
  if (found < 0) return false;
  const HelpTopicEntry* entry = list->At(found);
  if (entry == nullptr) return false;
  list->selectedTopicIndex = static_cast<std::int16_t>(found);
  SetTopic(*entry, programDir);
  return true;
}

bool HelpWindowLogic::RelatedTopic(int line, HelpList* list, bool caseDependent, const std::string& programDir) {
  if (line <= relatedTopicsLine_ || line < 0 || line >= static_cast<int>(lines_.size()) || list == nullptr)
    return false;
  const std::string text = Trimmed(lines_[static_cast<std::size_t>(line)]);
  // An empty line would match a separator; neither it nor a heading has a text to show.
  if (text.empty()) return false;
  const int found = FindTopicIndex(*list, text, 0, caseDependent);
  const HelpTopicEntry* entry = found >= 0 ? list->At(found) : nullptr;
  if (entry == nullptr || entry->IsHeading()) return false;
  list->selectedTopicIndex = static_cast<std::int16_t>(found);
  SetTopic(*entry, programDir);
  return true;
}

void HelpWindowLogic::SearchText(SearchDialogState& search, ListDialogs& dialogs, platform::Platform& ui) {
  const std::optional<int> hit = RunTextSearch(lines_, selected_, "Find Help Item", search, dialogs, ui);
  if (hit.has_value()) selected_ = *hit;
}

std::vector<std::string> HelpWindowLogic::HistoryTitles() const {
  std::vector<std::string> titles;
  RecordList<HelpTopicEntry> copy = history_;
  for (int i = 0; i <= copy.LastIndex(); ++i)
    if (const HelpTopicEntry* entry = copy.GetAt(i)) titles.push_back(entry->title);
  return titles;
}

std::string HelpPrintJobTitle(const LoginRecord& login) {
  return std::string(kHelpPrintCaption) + " - " + login.studentName1;
}

PrintedPage LayoutHelpPrint(const std::vector<std::string>& lines, const std::string& caption,
                            const HelpPrintSettings& settings, int rowsPerPage) {
  PrintedPage page;
  const auto put = [&page, rowsPerPage](int row, int indent, const std::string& text) {
    if (row < rowsPerPage) page.push_back({row, indent, text});
  };
  put(0, 0,
      PrintDateTimeText(settings.now) + "     Laboratory Table Number " +
          (settings.labTable.empty() ? std::string("(Not Recorded)") : settings.labTable));
  int row = 2;
  put(row, 0, settings.login.studentName1);
  for (const std::string* name :
       {&settings.login.studentName2, &settings.login.studentName3, &settings.login.studentName4}) {
    if (name->empty()) continue;
    put(++row, 0, *name);
  }
  row += 2;
  put(row, kPrintIndent, HelpPrintJobTitle(settings.login));
  row += 2;
  put(row, kPrintIndent, caption);
  row += 2;
  for (const std::string& line : lines) put(row++, kPrintIndent, line);
  return page;
}

}  // namespace skarvel

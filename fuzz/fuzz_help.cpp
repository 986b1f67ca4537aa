// The help system's files (the first byte chooses): the topic list, then its
// dialog (the lines, a topic search, reading each of the first entries) and
// the help window opened on a chosen entry; or a help text file, read for a
// topic named in its first header line and for a fixed one, then the help
// window's load of it (wrapping, the window size, RELATED TOPICS), its text
// search, a related-topic double click on every line and the printed page.
#include <cstdint>
#include <string>
#include <string_view>

#include "foundations/io_error.h"
#include "shell/help_list.h"
#include "shell/help_window.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

namespace {

// Answers every search with one text, from the top.
class SearchOnce : public ListDialogs {
 public:
  SearchStart AskSearch(const std::string&, SearchDialogState& state) override {
    state.text = "topic";
    return SearchStart::FromTop;
  }
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }
};

// The title of a several-topic file's first header line ("*Title*"), else "".
std::string FirstTitle(std::string_view text) {
  if (text.empty() || text[0] != '*') return "";
  const std::size_t end = text.find_first_of("*\r\n", 1);
  return std::string(text.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
}

void ShowTopic(HelpWindowLogic& window, HelpList* list, platform::Platform& ui) {
  const TextMetrics metrics = TextMetrics::Fixed(8, 16, 1280);
  window.ShowStep();
  window.LoadStep(metrics, list != nullptr, ui);
  if (!window.Loaded()) return;
  SearchOnce dialogs;
  SearchDialogState search;
  window.SearchText(search, dialogs, ui);
  const int lines = static_cast<int>(window.Lines().size());
  for (int line = 0; line < lines && line < 64; ++line) (void)window.RelatedTopic(line, list, false, fuzz::WorkDir());
  (void)window.Back(list, fuzz::WorkDir());
  (void)LayoutHelpPrint(window.Lines(), window.Caption(), HelpPrintSettings{}, 60);
  window.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool topicList = (data[0] & 1) == 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  testing::ScriptedPlatform ui;
  if (topicList) {
    HelpList list;
    try {
      list = ParseHelpList(text);
    } catch (const IOFailure&) {
      return 0;
    }
    if (fuzz::kReaderOnly) return 0;
    HelpListDialogLogic dialog;
    SearchDialogState search;
    dialog.Activate(&list, search, TextMetrics::Fixed(8, 16, 1280), ui);
    SearchOnce dialogs;
    dialog.FindTopic(search, dialogs, ui);
    (void)FindTopicIndex(list, "Loading Images", -5, false);
    const int lines = static_cast<int>(dialog.Lines().size());
    for (int line = 0; line < lines && line < 16; ++line) {
      dialog.Select(line);
      if (dialog.ReadPrintTopic(ui) != HelpListDialogLogic::Choice::kChosen) continue;
      const HelpTopicEntry* entry = list.At(line);
      if (entry == nullptr) continue;
      HelpWindowLogic window;  // the entry's file is missing: the window's message
      window.SetTopic(*entry, fuzz::WorkDir());
      ShowTopic(window, &list, ui);
    }
    dialog.CloseTopics();
    return 0;
  }
  const std::string path = fuzz::WriteInput("TOPIC.HLP", data + 1, size - 1);
  HelpList list;
  try {
    list = ParseHelpList("\"Loading Images\" TOPIC.HLP\n\"Blinking\" TOPIC.HLP\n\"-Images-\" begin\n");
  } catch (const IOFailure&) {
  }
  for (const std::string& title : {FirstTitle(text), std::string("Loading Images")}) {
    (void)ReadHelpTopic(text, title);
    if (fuzz::kReaderOnly) continue;
    HelpWindowLogic window;
    window.SetTopic(HelpTopicEntry{title, "TOPIC.HLP"}, fuzz::WorkDir());
    ShowTopic(window, &list, ui);
  }
  (void)path;
  return 0;
}

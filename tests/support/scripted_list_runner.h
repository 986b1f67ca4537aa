// A ListWindowRunner for tests: each modal showing runs a scripted list of
// steps (select a line, run a menu command, double-click a line) and closes
// the window when a step asks for it or when the script runs out.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "config/record_list_forms.h"
#include "platform/platform.h"

namespace skarvel::testing {

class ScriptedListRunner : public ListWindowRunner, public ListDialogs {
 public:
  struct Step {
    int select = -1;           ///< line to select first (-1: none)
    std::string command;       ///< menu component to run ("" with doubleClick)
    bool doubleClick = false;  ///< double-click the selected line instead
  };
  explicit ScriptedListRunner(platform::Platform& ui) : ui_(ui) {}

  /// Adds a showing with its steps.
  void Next(std::vector<Step> steps) { showings_.push_back(std::move(steps)); }

  /// What each showing displayed: the title and lines when it opened, and
  /// whether "&Delete Selected Record" was available.
  struct Shown {
    std::string title;
    std::vector<std::string> lines;
    bool deleteAvailable = false;
    bool closedByList = false;
  };
  const std::vector<Shown>& Showings() const { return shown_; }

  void RunModal(RecordChoiceList& list) override {
    SearchDialogState search;
    list.Activate(search);
    Shown shown{list.Title(), list.Lines(), list.Menu().Available("DeleteSelectedRecord1"), false};
    bool closed = false;
    list.SetCloser([&closed] { closed = true; });
    std::vector<Step> steps;
    if (!showings_.empty()) {
      steps = std::move(showings_.front());
      showings_.pop_front();
    }
    ListCommandContext context{ui_, *this, search, "", "Skarvel"};
    for (const Step& step : steps) {
      if (closed) break;
      list.Select(step.select);
      if (step.doubleClick)
        list.DoubleClick(step.select, context);
      else
        list.Run(step.command, context);
    }
    shown.closedByList = closed;
    list.SetCloser({});
    shown_.push_back(std::move(shown));
  }

  SearchStart AskSearch(const std::string&, SearchDialogState&) override { return SearchStart::Cancelled; }
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }

 private:
  platform::Platform& ui_;
  std::deque<std::vector<Step>> showings_;
  std::vector<Shown> shown_;
};

}  // namespace skarvel::testing

// A search dialog for the help tests that answers from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/help_list.h"

namespace skarvel::testing {

/// Answers each search from `steps` in turn (cancelled once they run out) and
/// records the captions it was shown with.
class ScriptedSearch : public ListDialogs {
 public:
  struct Step {
    SearchStart how;
    std::string text;
    bool caseDependent = false;
  };
  std::vector<Step> steps;
  std::vector<std::string> captions;
  SearchStart AskSearch(const std::string& caption, SearchDialogState& state) override {
    captions.push_back(caption);
    if (steps.empty()) return SearchStart::Cancelled;
    const Step s = steps.front();
    steps.erase(steps.begin());
    if (s.how != SearchStart::Cancelled) {
      state.text = s.text;
      state.caseDependent = s.caseDependent;
    }
    return s.how;
  }
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }
};

}  // namespace skarvel::testing

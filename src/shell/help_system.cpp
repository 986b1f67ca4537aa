#include "shell/help_system.h"

namespace skarvel {

using platform::Icon;

void HelpSystem::SetHelpFiles(const std::string& helpFile, const std::string& userHelpFile) {
  onHelp_.fileName = helpFile.substr(0, kHelpFileNameMax);
  userHelp_.fileName = userHelpFile.substr(0, kHelpFileNameMax);
}

void HelpSystem::LoadList(const std::string& path) {
  list_.reset();
  list_ = LoadHelpList(path, ui_);
}

void HelpSystem::OnHelp() {
  ShowEntry(onHelp_);
}

void HelpSystem::UserHelp() {
  ShowEntry(userHelp_);
}

void HelpSystem::ObsParamsHelp() {
  ShowEntry(HelpTopicEntry{std::string(kObsParamsHelpTopic), std::string(kObsParamsHelpFile)});
}

void HelpSystem::ShowEntry(const HelpTopicEntry& entry) {
  window_.SetTopic(entry, programDir_);
  Present();
}

bool HelpSystem::RunTopicList() {
  dialog_.Activate(list_.get(), *search_, views_.listMetrics, ui_);
  return views_.runTopicList && views_.runTopicList(dialog_);
}

void HelpSystem::Topics() {
  if (!RunTopicList() || list_ == nullptr) return;
  const HelpTopicEntry* entry = list_->At(list_->selectedTopicIndex);
  if (entry == nullptr) return;
  ShowEntry(*entry);
}

bool HelpSystem::ShowTopicByTitle(const std::string& title) {
  // The dialog is filled as on its activation, searched and closed again.
  dialog_.Activate(list_.get(), *search_, views_.listMetrics, ui_);
  const int found = list_ != nullptr ? FindTopicIndex(*list_, title, 0, search_->caseDependent) : -1;
  if (found < 0) {
    platform::Tell(ui_,
                   "Cannot find Help topic \"" + title + "\"." + "\r\n\r\n" +
                       "Select \"Help\"->\"Topics\" and search for related items.",
                   "Help Topic Not Found", Icon::Question);
    return false;
  }
  dialog_.Select(found);
  list_->selectedTopicIndex = static_cast<std::int16_t>(found);
  if (const HelpTopicEntry* entry = list_->At(found)) ShowEntry(*entry);
  return true;
}

void HelpSystem::Present() {
  if (!visible_) {
    window_.ShowStep();
    visible_ = true;
  }
  window_.LoadStep(views_.windowMetrics, list_ != nullptr, ui_);
  if (views_.showWindow) views_.showWindow();
}

void HelpSystem::Reload(bool record) {
  window_.clearHistoryOnClose = false;
  window_.Close();
  visible_ = false;
  if (views_.hideWindow) views_.hideWindow();
  window_.clearHistoryOnClose = true;
  window_.recordInHistory = record;
  Present();
}

void HelpSystem::ShowHelpTopics() {
  if (!window_.ShowTopicsEnabled()) return;
  if (!RunTopicList() || list_ == nullptr) return;
  const HelpTopicEntry* entry = list_->At(list_->selectedTopicIndex);
  if (entry == nullptr) return;
  window_.SetTopic(*entry, programDir_);
  window_.recordInHistory = true;
  // The show step and the load step at once, the window staying open.
  window_.ShowStep();
  window_.LoadStep(views_.windowMetrics, list_ != nullptr, ui_);
  if (views_.showWindow) views_.showWindow();
}

void HelpSystem::Back() {
  if (!window_.BackEnabled()) return;
  if (window_.Back(list_.get(), programDir_)) {
    Reload(false);
  } else if (views_.showWindow) {
    views_.showWindow();  // "&Back" follows the history
  }
}

void HelpSystem::RelatedTopic(int line) {
  if (window_.RelatedTopic(line, list_.get(), search_->caseDependent, programDir_)) Reload(true);
}

void HelpSystem::SearchText(ListDialogs& dialogs) {
  window_.SearchText(*search_, dialogs, ui_);
}

void HelpSystem::CloseWindow() {
  window_.Close();
  visible_ = false;
  if (views_.hideWindow) views_.hideWindow();
}

}  // namespace skarvel

#include "support/scripted_platform.h"

namespace skarvel::testing {

using platform::Answer;
using platform::Buttons;

namespace {

template <typename T>
T PopOr(std::deque<T>& queue, T fallback, int& unanswered) {
  if (queue.empty()) {
    ++unanswered;
    return fallback;
  }
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

class ScriptedProgress : public platform::ProgressWindow {
 public:
  ScriptedProgress(std::shared_ptr<std::vector<ScriptedPlatform::ProgressRecord>> records, std::size_t index,
                   int stopAfter)
      : records_(std::move(records)), index_(index), stopAfter_(stopAfter) {}
  ~ScriptedProgress() override { (*records_)[index_].open = false; }
  void SetPosition(std::int64_t position) override {
    (*records_)[index_].position = position;
    ++positions_;
  }
  void SetText(const std::string& text) override { (*records_)[index_].text = text; }
  bool StopRequested() override { return stopAfter_ >= 0 && positions_ >= stopAfter_; }
  void ResumeAfterStop() override { stopAfter_ = -1; }

 private:
  std::shared_ptr<std::vector<ScriptedPlatform::ProgressRecord>> records_;
  std::size_t index_;
  int stopAfter_;
  int positions_ = 0;
};

}  // namespace

std::vector<std::string> ScriptedPlatform::Captions() const {
  std::vector<std::string> captions;
  for (const auto& m : messages_) captions.push_back(m.caption);
  return captions;
}

void ScriptedPlatform::ClearRecords() {
  messages_.clear();
  openDialogs_.clear();
  saveDialogs_.clear();
  directoryDialogs_.clear();
  textPrompts_.clear();
  notes_.clear();
  webPages_.clear();
  httpRequests_.clear();
  processes_.clear();
  progress_->clear();
  beeps_ = 0;
  busyCalls_ = 0;
  unanswered_ = 0;
}

Answer ScriptedPlatform::Message(const platform::MessageRequest& request) {
  messages_.push_back(request);
  if (request.beep) ++beeps_;
  const Answer fallback =
      (request.buttons == Buttons::YesNo || request.buttons == Buttons::YesNoCancel) ? Answer::Yes : Answer::Ok;
  if (request.buttons == Buttons::Ok) return Answer::Ok;  // nothing to choose
  return PopOr(answers_, fallback, unanswered_);
}

std::optional<std::vector<std::string>> ScriptedPlatform::OpenFiles(const platform::FileDialogRequest& request) {
  openDialogs_.push_back(request);
  return PopOr(openFiles_, std::optional<std::vector<std::string>>{}, unanswered_);
}

std::optional<std::string> ScriptedPlatform::SaveFile(const platform::FileDialogRequest& request) {
  saveDialogs_.push_back(request);
  return PopOr(saveFiles_, std::optional<std::string>{}, unanswered_);
}

std::optional<std::string> ScriptedPlatform::ChooseDirectory(const platform::DirectoryRequest& request) {
  directoryDialogs_.push_back(request);
  return PopOr(directories_, std::optional<std::string>{}, unanswered_);
}

std::optional<std::string> ScriptedPlatform::PromptText(const platform::TextPromptRequest& request) {
  textPrompts_.push_back(request);
  return PopOr(prompts_, std::optional<std::string>{}, unanswered_);
}

std::unique_ptr<platform::ProgressWindow> ScriptedPlatform::OpenProgress(const std::string& caption,
                                                                         const std::string& text,
                                                                         std::int64_t maximum, bool /*canStop*/) {
  progress_->push_back(ProgressRecord{caption, text, maximum, 0, true});
  const int stop = stopAfter_;
  stopAfter_ = -1;
  return std::make_unique<ScriptedProgress>(progress_, progress_->size() - 1, stop);
}

void ScriptedPlatform::SetBusy(bool busy) {
  ++busyCalls_;
  busyDepth_ += busy ? 1 : -1;
}

bool ScriptedPlatform::OpenWebPage(const std::string& url) {
  webPages_.push_back(url);
  return webPageOk_;
}

platform::ProcessHandle ScriptedPlatform::StartProcess(const std::string& program,
                                                       const std::vector<std::string>& arguments,
                                                       const std::string& workingDirectory) {
  processes_.push_back(StartedProcess{program, arguments, workingDirectory});
  if (!startFailures_.empty()) {
    const int code = startFailures_.front();
    startFailures_.pop_front();
    return platform::ProcessHandle{0, code};
  }
  return platform::ProcessHandle{static_cast<std::int64_t>(processes_.size())};
}

bool ScriptedPlatform::ProcessRunning(platform::ProcessHandle handle) { return handle.id != 0 && processesRunning_; }

platform::HttpResponse ScriptedPlatform::HttpGet(const std::string& url) {
  httpRequests_.push_back(url);
  auto it = http_.find(url);
  if (it == http_.end()) return platform::HttpResponse{false, 0, "", "no scripted response"};
  return it->second;
}

}  // namespace skarvel::testing

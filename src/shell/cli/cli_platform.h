// The platform of the command line: message boxes go to stderr as caption and
// text, questions take their default button, dialogs are cancelled.
#pragma once

#include <ostream>

#include "platform/platform.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

class CliPlatform : public platform::Platform {
 public:
  explicit CliPlatform(std::ostream& err) : err_(err) {}

  /// Writes "caption: text" (line breaks kept) and answers OK, or Yes for a question.
  platform::Answer Message(const platform::MessageRequest& request) override {
    err_ << request.caption << ": " << TerminalText(request.text) << "\n";
    ++messages_;
    const bool question =
        request.buttons == platform::Buttons::YesNo || request.buttons == platform::Buttons::YesNoCancel;
    return question ? platform::Answer::Yes : platform::Answer::Ok;
  }
  void Beep() override {}
  std::optional<std::vector<std::string>> OpenFiles(const platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const platform::FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseDirectory(const platform::DirectoryRequest&) override { return {}; }
  std::optional<std::string> PromptText(const platform::TextPromptRequest&) override { return {}; }
  void ProgressNote(const std::string&) override {}
  std::unique_ptr<platform::ProgressWindow> OpenProgress(const std::string&, const std::string&, std::int64_t,
                                                         bool) override {
    return std::make_unique<SilentProgress>();
  }
  void SetBusy(bool) override {}
  bool OpenWebPage(const std::string&) override { return false; }
  platform::ProcessHandle StartProcess(const std::string&, const std::vector<std::string>&,
                                       const std::string&) override {
    return {};
  }
  bool ProcessRunning(platform::ProcessHandle) override { return false; }
  platform::HttpResponse HttpGet(const std::string&) override { return {false, 0, "", "no network in the CLI"}; }
  ScreenSize Screen() override { return {0, 0}; }

  /// Number of messages written so far.
  int Messages() const { return messages_; }

 private:
  class SilentProgress : public platform::ProgressWindow {
   public:
    void SetPosition(std::int64_t) override {}
    void SetText(const std::string&) override {}
    bool StopRequested() override { return false; }
  };

  std::ostream& err_;
  int messages_ = 0;
};

}  // namespace skarvel::cli

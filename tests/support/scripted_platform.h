// A Platform for tests: records every request and answers from queues.
//
// Each kind of request has its own answer queue. A message box with an empty
// queue answers with the box's default (Ok for Ok/OkCancel, Yes for Yes/No and
// Yes/No/Cancel) and a dialog with an empty queue is cancelled, so a test that
// forgot to script an answer still ends; `Unanswered()` tells how often that
// happened, and a test can assert it is zero.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace skarvel::testing {

class ScriptedPlatform : public platform::Platform {
 public:
  // ---- scripting ----
  void AnswerNext(platform::Answer answer) { answers_.push_back(answer); }
  void ChooseFilesNext(std::optional<std::vector<std::string>> files) { openFiles_.push_back(std::move(files)); }
  void SaveAsNext(std::optional<std::string> name) { saveFiles_.push_back(std::move(name)); }
  void ChooseDirectoryNext(std::optional<std::string> dir) { directories_.push_back(std::move(dir)); }
  void TypeNext(std::optional<std::string> text) { prompts_.push_back(std::move(text)); }
  void SetScreen(int width, int height) { screen_ = {width, height}; }
  void SetHttpResponse(const std::string& url, platform::HttpResponse response) { http_[url] = std::move(response); }
  void SetWebPageResult(bool ok) { webPageOk_ = ok; }
  /// The next process start fails with the system's error `code`.
  void FailStartNext(int code) { startFailures_.push_back(code); }
  /// Whether started processes count as still running (they do not by default).
  void SetProcessesRunning(bool running) { processesRunning_ = running; }

  // ---- what was asked ----
  const std::vector<platform::MessageRequest>& Messages() const { return messages_; }
  const std::vector<platform::FileDialogRequest>& OpenDialogs() const { return openDialogs_; }
  const std::vector<platform::FileDialogRequest>& SaveDialogs() const { return saveDialogs_; }
  const std::vector<platform::DirectoryRequest>& DirectoryDialogs() const { return directoryDialogs_; }
  const std::vector<platform::TextPromptRequest>& TextPrompts() const { return textPrompts_; }
  const std::vector<std::string>& ProgressNotes() const { return notes_; }
  const std::vector<std::string>& WebPages() const { return webPages_; }
  const std::vector<std::string>& HttpRequests() const { return httpRequests_; }
  struct StartedProcess {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingDirectory;
  };
  const std::vector<StartedProcess>& Processes() const { return processes_; }
  int Beeps() const { return beeps_; }
  int BusyDepth() const { return busyDepth_; }
  int BusyCalls() const { return busyCalls_; }
  int Unanswered() const { return unanswered_; }
  /// Captions of every message so far, in order.
  std::vector<std::string> Captions() const;
  void ClearRecords();

  // ---- Platform ----
  platform::Answer Message(const platform::MessageRequest& request) override;
  void Beep() override { ++beeps_; }
  std::optional<std::vector<std::string>> OpenFiles(const platform::FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const platform::FileDialogRequest& request) override;
  std::optional<std::string> ChooseDirectory(const platform::DirectoryRequest& request) override;
  std::optional<std::string> PromptText(const platform::TextPromptRequest& request) override;
  void ProgressNote(const std::string& text) override { notes_.push_back(text); }
  std::unique_ptr<platform::ProgressWindow> OpenProgress(const std::string& caption, const std::string& text,
                                                         std::int64_t maximum, bool canStop) override;
  void SetBusy(bool busy) override;
  bool OpenWebPage(const std::string& url) override;
  platform::ProcessHandle StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::string& workingDirectory) override;
  bool ProcessRunning(platform::ProcessHandle handle) override;
  platform::HttpResponse HttpGet(const std::string& url) override;
  ScreenSize Screen() override { return screen_; }

  /// Progress windows opened so far: caption, text, maximum and last position.
  struct ProgressRecord {
    std::string caption;
    std::string text;
    std::int64_t maximum = 0;
    std::int64_t position = 0;
    bool open = true;
  };
  const std::vector<ProgressRecord>& Progress() const { return *progress_; }
  /// The next progress window reports a stop request after `afterPositions` SetPosition calls.
  void StopProgressAfter(int afterPositions) { stopAfter_ = afterPositions; }

 private:
  std::vector<platform::MessageRequest> messages_;
  std::deque<platform::Answer> answers_;
  std::deque<std::optional<std::vector<std::string>>> openFiles_;
  std::deque<std::optional<std::string>> saveFiles_;
  std::deque<std::optional<std::string>> directories_;
  std::deque<std::optional<std::string>> prompts_;
  std::vector<platform::FileDialogRequest> openDialogs_;
  std::vector<platform::FileDialogRequest> saveDialogs_;
  std::vector<platform::DirectoryRequest> directoryDialogs_;
  std::vector<platform::TextPromptRequest> textPrompts_;
  std::vector<std::string> notes_;
  std::vector<std::string> webPages_;
  std::vector<std::string> httpRequests_;
  std::vector<StartedProcess> processes_;
  std::map<std::string, platform::HttpResponse> http_;
  std::shared_ptr<std::vector<ProgressRecord>> progress_ = std::make_shared<std::vector<ProgressRecord>>();
  ScreenSize screen_{1280, 1024};
  bool webPageOk_ = true;
  std::deque<int> startFailures_;
  bool processesRunning_ = false;
  int stopAfter_ = -1;
  int beeps_ = 0;
  int busyDepth_ = 0;
  int busyCalls_ = 0;
  int unanswered_ = 0;
};

}  // namespace skarvel::testing

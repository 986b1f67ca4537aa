// The Platform implemented with Qt Widgets, for the GUI.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/net/http_get.h"
#include "platform/platform.h"

class QProcess;

namespace skarvel::platform {

/// Latin-1 conversions between the system's single-byte texts and Qt.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

/// Converts a "description|pattern|description|pattern" filter to Qt's form
/// ("description (*.USR);;..."); a pattern without "*" stands for "*" + pattern.
QString QtFilter(const std::string& filter);

class QtPlatform : public Platform {
 public:
  /// `parent` is the window the dialogs are modal to (may be null).
  explicit QtPlatform(QWidget* parent = nullptr);
  ~QtPlatform() override;
  void SetParent(QWidget* parent) { parent_ = parent; }

  Answer Message(const MessageRequest& request) override;
  void Beep() override;
  std::optional<std::vector<std::string>> OpenFiles(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseDirectory(const DirectoryRequest& request) override;
  std::optional<std::string> PromptText(const TextPromptRequest& request) override;
  void ProgressNote(const std::string& text) override;
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string& caption, const std::string& text,
                                               std::int64_t maximum, bool canStop) override;
  void SetBusy(bool busy) override;
  bool OpenWebPage(const std::string& url) override;
  ProcessHandle StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& workingDirectory) override;
  bool ProcessRunning(ProcessHandle handle) override;
  /// The GET with a "Web Request" window (object name "httpProgress") showing
  /// the caller's progress note and the bytes received, with a "&Stop" button.
  HttpResponse HttpGet(const std::string& url) override;
  /// Time-out and size limit of the GETs (30 s and 64 MB unless set).
  void SetHttpLimits(const HttpLimits& limits) { httpLimits_ = limits; }
  ScreenSize Screen() override;

 private:
  QPointer<QWidget> parent_;
  QPointer<QWidget> note_;
  std::map<std::int64_t, QProcess*> processes_;
  std::int64_t nextProcess_ = 1;
  HttpLimits httpLimits_;
};

}  // namespace skarvel::platform

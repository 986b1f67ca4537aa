// The Platform implemented with Qt Widgets, for the GUI.
#pragma once

#include <QList>
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

/// File-system paths as the bytes the file system uses (UTF-8 here), not as
/// Latin-1 text: folders such as "zoë" or "観測" keep their names both ways.
QString PathToQt(const std::string& path);
std::string PathFromQt(const QString& path);

/// A text to show (message, title, screen line) that may hold a path: bytes
/// that form UTF-8 with characters beyond ASCII are shown as UTF-8 (a file
/// name), anything else as the system's Latin-1 text ("12° 30'").
QString DisplayText(const std::string& text);

/// Converts a "description|pattern|description|pattern" filter to Qt's form
/// ("description (*.USR);;..."); a pattern without "*" stands for "*" + pattern.
QString QtFilter(const std::string& filter);

class QtPlatform : public Platform {
 public:
  /// `parent` is the window the dialogs are modal to (may be null).
  explicit QtPlatform(QWidget* parent = nullptr);
  ~QtPlatform() override;
  void SetParent(QWidget* parent) { parent_ = parent; }
  /// While set and visible, message boxes stand beside this window (below
  /// it, or above it when the screen has no room below) instead of in the
  /// middle of the parent, so that a question about a picture leaves the
  /// picture and the windows around it in view. Null: centred as usual.
  /// The boxes also keep clear of the visible windows in `keepClear` (the
  /// magnifier a question asks the person to judge) where the screen allows.
  void SetMessageAnchor(QWidget* anchor, const QList<QWidget*>& keepClear = {}) {
    anchor_ = anchor;
    keepClear_.clear();
    for (QWidget* w : keepClear) keepClear_.append(QPointer<QWidget>(w));
  }
  QWidget* MessageAnchor() const { return anchor_; }
  /// Where a box of `size` stands beside `anchor` (frame geometry) on
  /// `screen`: below it, above it, right of it or left of it, in that order,
  /// then beside each of `avoid` and in the screen's corners, each moved into
  /// the screen; the first of these that covers neither the anchor nor any of
  /// `avoid`, else the one that covers the least of them (`avoid` counting
  /// four times the anchor).
  static QPoint BesideAnchor(const QRect& anchor, const QSize& size, const QRect& screen,
                             const QList<QRect>& avoid = {});

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
  QPointer<QWidget> anchor_;
  QList<QPointer<QWidget>> keepClear_;
  QPointer<QWidget> note_;
  std::map<std::int64_t, QProcess*> processes_;
  std::int64_t nextProcess_ = 1;
  HttpLimits httpLimits_;
};

}  // namespace skarvel::platform

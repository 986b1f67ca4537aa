// The one door through which the core reaches a person or the desktop.
//
// Message boxes, questions, file and directory choosers, text prompts, progress
// notes, the busy cursor, web pages, processes and the HTTP GET all pass through
// a Platform. The GUI implements it with Qt (platform/ui/qt_platform.h); tests
// use a scripted implementation that records every request and answers from a
// queue. Texts are the system's single-byte (Latin-1) strings.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace skarvel::platform {

/// Icon of a message box. Error and Stop are the same picture on the desktop
/// but are kept apart so that a test can tell which one a flow asked for.
enum class Icon { None, Error, Stop, Exclamation, Warning, Information, Question };

/// Button set of a message box.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

/// The button a person pressed. Closing a box counts as Cancel (or No for Yes/No).
enum class Answer { Ok, Cancel, Yes, No };

/// One message box as asked for.
struct MessageRequest {
  std::string text;
  std::string caption;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  bool beep = false;  ///< a beep sounds before the box
};

/// An open or save file dialog.
///
/// `filter` uses the "description|pattern|description|pattern" form, for
/// example "VORN User Parameter File (*.USR)|.USR"; a pattern without a "*"
/// stands for files ending in it.
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string defaultExtension;  ///< added to a typed name without extension, e.g. ".USR"
  std::string directory;         ///< start folder
  std::string fileName;          ///< proposed name, may be a pattern such as "*.USR"
  bool multiple = false;         ///< open dialog only: several files may be chosen
  int filterIndex = 1;           ///< the filter entry shown first, counted from 1
};

/// A directory chooser.
struct DirectoryRequest {
  std::string title;
  std::string directory;     ///< start folder
  bool mayCreate = false;    ///< the person may create a new folder in the chooser
};

/// A one-line text prompt ("CDROM Drive?" style).
struct TextPromptRequest {
  std::string caption;
  std::string prompt;
  std::string initial;
  /// A third button beside OK and Cancel (e.g. "Browse"); pressing it answers
  /// with this text itself. Empty: no such button.
  std::string extraButton;
};

/// A small progress window with a bar and an optional stop request.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  /// Sets the bar to `position` out of the maximum given when it was opened.
  virtual void SetPosition(std::int64_t position) = 0;
  virtual void SetText(const std::string& text) = 0;
  /// True once the person has asked to stop (the stop button, or closing it).
  virtual bool StopRequested() = 0;
  /// The person declined to stop after all (a "Terminate ...?" question
  /// answered No): the window stays open and StopRequested is false again
  /// until the next request.
  virtual void ResumeAfterStop() {}
};

/// Result of an HTTP GET.
struct HttpResponse {
  bool ok = false;       ///< a response arrived with a 2xx status
  int status = 0;        ///< the HTTP status, 0 when no answer came
  std::string body;      ///< the response text
  std::string error;     ///< why it failed: "404 Not Found" for an error status, else the transfer's fault
  bool stopped = false;  ///< the person stopped the transfer
};

/// A process started through the platform.
struct ProcessHandle {
  std::int64_t id = 0;   ///< 0: the start failed
  /// Why a start failed, as the system's error code: 2 program not found,
  /// 5 access denied, 267 invalid working directory; 0 when it started.
  int error = 0;
};

/// The platform interface. Every call is synchronous and runs on the caller's
/// (the user-interface) thread.
class Platform {
 public:
  virtual ~Platform() = default;

  /// Shows a modal message box and returns the pressed button.
  virtual Answer Message(const MessageRequest& request) = 0;
  /// Sounds the system beep.
  virtual void Beep() = 0;

  /// Open dialog: the chosen file(s), or nothing when cancelled.
  virtual std::optional<std::vector<std::string>> OpenFiles(const FileDialogRequest& request) = 0;
  /// Save dialog: the chosen name, or nothing when cancelled.
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  /// Directory chooser: the chosen directory, or nothing when cancelled.
  virtual std::optional<std::string> ChooseDirectory(const DirectoryRequest& request) = 0;
  /// One-line text prompt: the typed text, or nothing when cancelled.
  virtual std::optional<std::string> PromptText(const TextPromptRequest& request) = 0;

  /// Shows (non-empty text) or hides (empty text) a small progress note.
  virtual void ProgressNote(const std::string& text) = 0;
  /// Opens a progress window with a bar from 0 to `maximum`; it closes when
  /// the returned object is released.
  virtual std::unique_ptr<ProgressWindow> OpenProgress(const std::string& caption,
                                                       const std::string& text,
                                                       std::int64_t maximum,
                                                       bool canStop) = 0;
  /// Sets (true) or restores (false) the busy cursor. Calls nest.
  virtual void SetBusy(bool busy) = 0;

  /// Opens a web address in the desktop's browser; false when that failed.
  virtual bool OpenWebPage(const std::string& url) = 0;
  /// Starts `program` with `arguments` in `workingDirectory`. An empty program
  /// means the desktop's associated program of the first argument.
  virtual ProcessHandle StartProcess(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::string& workingDirectory) = 0;
  /// True while the process still runs.
  virtual bool ProcessRunning(ProcessHandle handle) = 0;
  /// One HTTP GET; returns when the answer is complete, failed or was stopped
  /// (the desktop stays responsive meanwhile and offers a stop button).
  virtual HttpResponse HttpGet(const std::string& url) = 0;

  /// Size of the screen the program runs on, in pixels.
  struct ScreenSize {
    int width = 0;
    int height = 0;
  };
  virtual ScreenSize Screen() = 0;
};

/// Convenience: a message box in one call.
inline Answer Tell(Platform& ui, std::string text, std::string caption, Icon icon,
                   Buttons buttons = Buttons::Ok, bool beep = false) {
  return ui.Message(MessageRequest{std::move(text), std::move(caption), icon, buttons, beep});
}

/// Holds the busy cursor for the lifetime of the object.
class BusyCursor {
 public:
  explicit BusyCursor(Platform& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyCursor() { ui_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Platform& ui_;
};

}  // namespace skarvel::platform

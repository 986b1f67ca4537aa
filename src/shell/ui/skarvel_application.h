// The GUI's application object: the program's general error report.
#pragma once

#include <QApplication>

#include "platform/platform.h"

namespace skarvel::ui {

/// A QApplication whose event delivery catches what a command threw (a file
/// that failed while it was written, a full disk, an exhausted memory) and
/// shows it as the general error report: the failure's own text in an error
/// box captioned with the program's title. The program then runs on in the
/// state the command left: saves go through a temporary file, so the
/// previous good file stands. Without this an exception leaving an event
/// handler would end the program and lose what the user had not saved.
class SkarvelApplication : public QApplication {
 public:
  SkarvelApplication(int& argc, char** argv);

  /// Where the report is shown (the session's platform; null: standard error).
  void SetReporter(platform::Platform* ui) { ui_ = ui; }
  /// How many failures were reported (for the tests).
  int Reported() const { return reported_; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void Report(const char* what);

  platform::Platform* ui_ = nullptr;
  int reported_ = 0;
  bool reporting_ = false;
};

/// The text and caption of the general error report of a failure.
platform::MessageRequest GeneralErrorReport(const char* what);

}  // namespace skarvel::ui

#include "shell/ui/skarvel_application.h"

#include <cstdio>
#include <exception>
#include <new>

#include "shell/astrm_lab.h"

namespace skarvel::ui {

platform::MessageRequest GeneralErrorReport(const char* what) {
  platform::MessageRequest r;
  r.text = what != nullptr && *what != '\0' ? what : "An unexpected error occurred.";
  r.caption = AstrmLab::kTitle;
  r.icon = platform::Icon::Error;
  r.buttons = platform::Buttons::Ok;
  return r;
}

SkarvelApplication::SkarvelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool SkarvelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    Report("Out of memory!");
  } catch (const std::exception& failure) {
    Report(failure.what());
  } catch (...) {
    Report(nullptr);
  }
  return false;
}

void SkarvelApplication::Report(const char* what) {
  ++reported_;
  const platform::MessageRequest request = GeneralErrorReport(what);
  // A failure inside the report's own box is written out, never reported again.
  if (ui_ == nullptr || reporting_) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    return;
  }
  reporting_ = true;
  try {
    ui_->Message(request);
  } catch (...) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  }
  reporting_ = false;
}

}  // namespace skarvel::ui

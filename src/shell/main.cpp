// The skarvel GUI: sets the title, creates the main window and runs the event loop.
#include <QApplication>
#include <QLocale>
#include <QStringList>

#include "platform/ui/qt_platform.h"
#include "shell/astrm_lab.h"
#include "shell/ui/skarvel_application.h"
#include "shell/ui/t_astrm_lab.h"

int main(int argc, char** argv) {
  skarvel::ui::SkarvelApplication app(argc, argv);
  QApplication::setApplicationName(skarvel::AstrmLab::kTitle);
  // Numbers and dates are written with "." and "YYYY/MM/DD" whatever the desktop's locale.
  QLocale::setDefault(QLocale::c());

  QStringList args = QApplication::arguments();
  args.removeFirst();
  skarvel::platform::QtPlatform ui;
  app.SetReporter(&ui);
  skarvel::AstrmLab lab(ui, skarvel::AstrmLabEnvironment::FromProcess(skarvel::platform::FromQt(args.join(' '))));
  if (lab.Create() != skarvel::AstrmLab::StartResult::Running) return 1;
  skarvel::ui::TAstrmLab window(lab);
  ui.SetParent(&window);
  window.show();
  return QApplication::exec();
}

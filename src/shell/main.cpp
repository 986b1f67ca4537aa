// The skarvel GUI: sets the title, creates the main window and runs the event loop.
// The switches of GuiUsageText (--help, --version, --check-help) end it before the session.
#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <cstring>
#include <iostream>

#include "config/options.h"
#include "foundations/installation.h"
#include "platform/ui/qt_platform.h"
#include "shell/astrm_lab.h"
#include "shell/cli/cli_platform.h"
#include "shell/program_checks.h"
#include "shell/ui/skarvel_application.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_help_win.h"

namespace {

/// `skarvel --check-help`: the help window, offscreen or not, on every topic
/// of the installed help; messages go to standard error.
int CheckHelpFiles(int argc, char** argv) {
  skarvel::ui::SkarvelApplication app(argc, argv);
  skarvel::cli::CliPlatform ui(std::cerr);
  skarvel::HelpSystem help(ui);
  skarvel::ui::THelpWin window(help, ui);
  skarvel::HelpViews views;
  views.showWindow = [&window] { window.Present(); };
  views.hideWindow = [&window] { window.hide(); };
  views.windowMetrics = window.Metrics();
  help.SetViews(std::move(views));
  // The help files a fresh session uses: the options' defaults.
  skarvel::OptsObj opts(skarvel::AstrmLab::kOptionsFile, skarvel::AstrmLab::kVersion, skarvel::StorageEnvironment{}, ui);
  opts.SetDefaults();
  help.SetHelpFiles(opts.Record().helpFile, opts.Record().userHelpFile);
  const skarvel::HelpCheck check =
      skarvel::CheckHelp(help, skarvel::fs::InstallationDataDirectory(), opts.Record().toolHelpList);
  std::cout << skarvel::HelpCheckReport(check);
  return check.Ok() && ui.Messages() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], skarvel::kHelpSwitch) == 0) {
    std::cout << skarvel::GuiUsageText();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], skarvel::kVersionSwitch) == 0) {
    std::cout << skarvel::GuiVersionLine();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], skarvel::kCheckHelpSwitch) == 0) return CheckHelpFiles(argc, argv);

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

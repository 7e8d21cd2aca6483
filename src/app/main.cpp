#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "picking/handed_paths.h"
#include "shell/command_line.h"
#include "shell/form1.h"
#include "shell/qt_modal.h"
#include "shell/startup.h"

int main(int argc, char* argv[]) {
  // --help, --version and mistakes are answered without a display.
  corvane::CommandLine line = corvane::ParseCommandLine(argc, argv, corvane::CurrentDirectory());
  if (line.exitCode) return *line.exitCode;

  const char* platform = std::getenv("QT_QPA_PLATFORM");
  bool hasDisplay = std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (!hasDisplay && (platform == nullptr || *platform == '\0')) {
    std::fprintf(stderr,
                 "corvane: no display found. Corvane is a desktop program and needs a window "
                 "system.\nRun it from a desktop session, or under a virtual display with:\n"
                 "    xvfb-run -a %s\n",
                 argv[0]);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("corvane"));
  QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("net.halvek.Corvane"));
  if (!line.styleNamed) QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.png")));

  corvane::QtModal modal;
  corvane::SetCurrentModal(&modal);
  std::unique_ptr<corvane::Form1> form = corvane::Main();
  // Listed once the window is up, as if the user had picked them.
  QTimer::singleShot(0, form.get(), [&form, &line] { corvane::AddHandedPaths(*form, line.paths); });
  int rc = QApplication::exec();
  form.reset();
  corvane::SetCurrentModal(nullptr);
  return rc;
}

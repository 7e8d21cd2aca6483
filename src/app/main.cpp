#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "picking/handed_paths.h"
#include "platform/paths.h"
#include "shell/app_icon.h"
#include "shell/command_line.h"
#include "shell/form1.h"
#include "shell/qt_modal.h"
#include "shell/startup.h"
#include "shred/core/free_space_place.h"
#include "shred/core/run_report.h"
#include "shred/free_space_command.h"

int main(int argc, char* argv[]) {
  // --help, --version and mistakes are answered without a display.
  corvane::CommandLine line = corvane::ParseCommandLine(argc, argv, corvane::CurrentDirectory());
  if (line.exitCode) return *line.exitCode;
  // A folder whose free space cannot or may not be filled is refused before
  // any window opens.
  corvane::FillPlace place;
  if (line.wipeFolder) {
    place = corvane::PlaceOf(*line.wipeFolder);
    if (!place.refusal.empty()) {
      std::fprintf(stderr, "corvane: cannot overwrite the free space of %s: %s.\n",
                   line.wipeFolder->c_str(), place.refusal.c_str());
      return 2;
    }
  }

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
  // The toolkit sees only its own options: never a path from the list.
  std::vector<char*> toolkitArgv;
  for (std::string& argument : line.toolkitArguments) toolkitArgv.push_back(argument.data());
  int toolkitArgc = static_cast<int>(toolkitArgv.size());
  toolkitArgv.push_back(nullptr);
  QApplication app(toolkitArgc, toolkitArgv.data());
  QApplication::setApplicationName(QStringLiteral("corvane"));
  QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("net.halvek.Corvane"));
  if (!line.styleNamed) QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setWindowIcon(corvane::AppIcon());

  corvane::QtModal modal;
  corvane::SetCurrentModal(&modal);
  std::unique_ptr<corvane::Form1> form = corvane::Main();
  int wipeStatus = 0;
  if (line.wipeFolder) {
    // Asked and run in the window, which closes when it is done.
    QTimer::singleShot(0, form.get(), [&form, &place, &wipeStatus] {
      wipeStatus = corvane::WipeFreeSpaceFromCommandLine(form->Runs, place.target, place.freeBytes);
      if (!form->Runs.StopRequested()) form->close();
    });
  } else {
    // Listed once the window is up, as if the user had picked them.
    QTimer::singleShot(0, form.get(), [&form, &line] {
      corvane::AddHandedPaths(form->Runs, line.paths, line.remote);
    });
  }
  int rc = QApplication::exec();
  if (rc == 0) rc = wipeStatus;
  // A run cut short by the close (a signal, or Yes to the question) is no
  // success, and the kept files are named where a script can see them.
  if (form->Runs.InterruptedRunKept) {
    std::fputs(corvane::InterruptedRunReport(*form->Runs.InterruptedRunKept).c_str(), stderr);
    if (rc == 0) rc = 1;
  }
  form.reset();
  corvane::SetCurrentModal(nullptr);
  return rc;
}

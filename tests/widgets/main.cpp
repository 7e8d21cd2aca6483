// Widget tests run inside one QApplication; offscreen unless a test asks for xcb.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>
#include <utility>

#include "shell/core/module1.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
  // Qt keeps the file dialog's history and other state under the home folder
  // (~/.config/QtProject.conf): the tests, and every program they start, get
  // one of their own. Set before Qt reads it.
  corvane::testing::TempDir home;
  ::setenv("HOME", home.path().c_str(), 1);
  const std::pair<const char*, const char*> xdg[] = {{"XDG_CONFIG_HOME", ".config"},
                                                     {"XDG_CACHE_HOME", ".cache"},
                                                     {"XDG_DATA_HOME", ".local/share"},
                                                     {"XDG_STATE_HOME", ".local/state"}};
  for (const auto& [name, folder] : xdg) ::setenv(name, home.Mkdir(folder).c_str(), 1);
  // A session's own runtime folder (and its display socket) stays; without
  // one, Qt would make /tmp/runtime-$USER.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::string runtime = home.Mkdir("runtime");
    ::chmod(runtime.c_str(), 0700);  // the user's alone, as Qt requires
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Any window closed by a test saves its settings here, never beside the binary.
  corvane::testing::TempDir settings;
  corvane::IniPath = settings / "corvane.ini";
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

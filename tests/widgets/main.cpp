// Widget tests run inside one QApplication; offscreen unless a test asks for xcb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleFactory>

#include "shell/core/module1.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Any window closed by a test saves its settings here, never beside the binary.
  corvane::testing::TempDir settings;
  corvane::IniPath = settings / "corvane.ini";
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

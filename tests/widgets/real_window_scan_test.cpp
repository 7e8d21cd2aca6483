// The wait window on a real X server (run by the window_xcb test under Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "scan/browse_folder_command.h"
#include "scan/msg.h"
#include "scan_test_support.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

TEST(RealWindow, WaitWindowLeavesTheFocusSoTheAbortKeyWorks) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  testing::TempDir t;
  t.Write("R/A/f", "");
  testing::ScanWindow w;
  Form1& form = w.form;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  w.modal.folders = {t / "R"};
  bool checked = false;
  w.modal.onPump = [&](int n) {
    if (n != 1) return;
    checked = true;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.WaitWindow.get()));
    QTest::qWait(200);  // let the window system and the timers act
    EXPECT_EQ(QApplication::activeWindow(), &form);
    EXPECT_EQ(QGuiApplication::focusWindow(), form.windowHandle());
    // Alt+A reaches "&Abort": the Add button that shares the key is disabled.
    QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
    for (int i = 0; i < 100 && !form.AbortRequested; ++i) QTest::qWait(10);
    EXPECT_TRUE(form.AbortRequested);
  };
  EXPECT_EQ(BrowseFolderClick(form), BrowseOutcome::Aborted);
  EXPECT_TRUE(checked);
  EXPECT_FALSE(form.WaitWindow->isVisible());
}

}  // namespace
}  // namespace corvane

// The wait window as a real window manager (openbox) sees it: out of the
// taskbar and the pager, transient for the main window and centred over it,
// and never raised above another program's window.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "scan/browse_folder_command.h"
#include "scan/msg.h"
#include "scan_test_support.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::RunCommand;

// A window as xprop writes it, followed by a comma.
std::string Listed(unsigned long id) {
  std::ostringstream text;
  text << "0x" << std::hex << id << ",";
  return text.str();
}

unsigned long ActiveWindow() {
  return std::strtoul(RunCommand("xdotool getactivewindow").c_str(), nullptr, 10);
}

TEST(UnderWindowManager, TheWaitWindowStaysWithCorvane) {
  ASSERT_NE(RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id"), std::string::npos)
      << "no window manager runs";
  testing::TempDir t;
  t.Mkdir("R/A");
  testing::ScanWindow w;
  // Asked for as a pager would: a window manager still starting up may not
  // focus it itself.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form));
  RunCommand("xdotool windowactivate " + std::to_string(w.form.winId()));
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.form));
  w.modal.folders = {t / "R"};
  bool checked = false;
  w.modal.onPump = [&](int n) {
    if (n != 1) return;  // the pump right after the wait window was shown
    checked = true;
    msg& wait = *w.form.WaitWindow;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait));
    QTest::qWait(200);  // the window manager's placement
    const unsigned long id = wait.winId();
    std::string props = RunCommand("xprop -id " + std::to_string(id));
    std::replace(props.begin(), props.end(), '\n', ',');
    EXPECT_NE(props.find("WM_TRANSIENT_FOR(WINDOW): window id # " + Listed(w.form.winId())),
              std::string::npos)
        << props;
    EXPECT_NE(props.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << props;
    EXPECT_NE(props.find("_NET_WM_STATE_SKIP_PAGER"), std::string::npos) << props;
    const QPoint offCentre = wait.frameGeometry().center() - w.form.frameGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

    // Another program comes to the front; the ticks must not cover it.
    QProcess other;
    other.start(QStringLiteral("xmessage"), {QStringLiteral("another program")});
    unsigned long otherId = 0;
    for (int i = 0; i < 100 && otherId == 0; ++i) {
      QTest::qWait(50);
      otherId = std::strtoul(RunCommand("xdotool search --onlyvisible --class Xmessage").c_str(),
                             nullptr, 10);
      if (ActiveWindow() != otherId) otherId = 0;
    }
    ASSERT_NE(otherId, 0u) << "the other program did not come to the front";
    // As when the user clicks it: raised, once a raise decided before it came
    // to the front has reached the server, then many ticks.
    QTest::qWait(100);
    RunCommand("xdotool windowraise " + std::to_string(otherId));
    QTest::qWait(300);
    // From the bottom to the top.
    std::string order = RunCommand("xprop -root _NET_CLIENT_LIST_STACKING");
    std::replace(order.begin(), order.end(), '\n', ',');
    EXPECT_GT(order.find(Listed(otherId)), order.find(Listed(id))) << order;
    EXPECT_EQ(ActiveWindow(), otherId);
    other.kill();
    other.waitForFinished();
  };
  EXPECT_EQ(BrowseFolderClick(w.form), BrowseOutcome::Completed);
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace corvane

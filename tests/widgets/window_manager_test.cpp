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
#include "scan_test_support.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "scan/msg.h"

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

// Every wait is for an event or a state; the limit only ends a test that would
// hang. A cold font cache or a loaded machine holds windows back for seconds.
constexpr int kPatience = 60000;

std::string StackingOrder() {  // from the bottom to the top
  std::string order = RunCommand("xprop -root _NET_CLIENT_LIST_STACKING");
  std::replace(order.begin(), order.end(), '\n', ',');
  return order;
}

bool Above(const std::string& order, unsigned long upper, unsigned long lower) {
  const size_t up = order.find(Listed(upper)), low = order.find(Listed(lower));
  return up != std::string::npos && low != std::string::npos && up > low;
}

TEST(UnderWindowManager, TheWaitWindowStaysWithCorvane) {
  ASSERT_NE(RunCommand("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id"), std::string::npos)
      << "no window manager runs";
  testing::TempDir t;
  t.Mkdir("R/A");
  testing::ScanWindow w;
  // Asked for as a pager would: a window manager still starting up may not
  // focus it itself.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form, kPatience));
  RunCommand("xdotool windowactivate " + std::to_string(w.form.winId()));
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.form, kPatience));
  w.modal.folders = {t / "R"};
  bool checked = false;
  w.modal.onPump = [&](int n) {
    if (n != 1) return;  // the pump right after the wait window was shown
    checked = true;
    msg& wait = *w.form.WaitWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wait, kPatience));
    const unsigned long id = wait.winId();
    std::string props = RunCommand("xprop -id " + std::to_string(id));
    std::replace(props.begin(), props.end(), '\n', ',');
    EXPECT_NE(props.find("WM_TRANSIENT_FOR(WINDOW): window id # " + Listed(w.form.winId())),
              std::string::npos)
        << props;
    EXPECT_NE(props.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << props;
    EXPECT_NE(props.find("_NET_WM_STATE_SKIP_PAGER"), std::string::npos) << props;
    // Once Qt has heard where the window manager put it.
    auto offCentre = [&] {
      return wait.frameGeometry().center() - w.form.frameGeometry().center();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return offCentre().manhattanLength() <= 2; }, kPatience))
        << offCentre().x() << "," << offCentre().y();

    // Another program comes to the front; the ticks must not cover it.
    QProcess other;
    other.start(QStringLiteral("xmessage"), {QStringLiteral("another program")});
    unsigned long otherId = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          otherId = std::strtoul(
              RunCommand("xdotool search --onlyvisible --class Xmessage").c_str(), nullptr, 10);
          return otherId != 0 && ActiveWindow() == otherId;
        },
        kPatience))
        << "the other program did not come to the front";
    // As when the user clicks it: raised, once a raise decided before it came
    // to the front has reached the server, then many ticks.
    QTest::qWait(100);
    RunCommand("xdotool windowraise " + std::to_string(otherId));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Above(StackingOrder(), otherId, id); }, kPatience))
        << StackingOrder();
    QTest::qWait(300);
    EXPECT_TRUE(Above(StackingOrder(), otherId, id)) << StackingOrder();
    EXPECT_EQ(ActiveWindow(), otherId);
    other.kill();
    other.waitForFinished();
  };
  EXPECT_EQ(BrowseFolderClick(w.form.Runs), BrowseOutcome::Completed);
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace corvane

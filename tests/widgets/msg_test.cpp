#include "scan/msg.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace corvane {
namespace {

TEST(WaitWindow, CyclesItsDotsAndStartsAgainAtThreeWhenShown) {
  msg window;
  EXPECT_EQ(window.size(), QSize(288, 47));
  // It must never take the keyboard focus from the main window.
  EXPECT_TRUE(window.windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));

  window.Show();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.Timer1->isActive());
  EXPECT_TRUE(window.Timer2->isActive());
  const char* expected[] = {
      "Building Directory List. Please Wait...", "Building Directory List. Please Wait.",
      "Building Directory List. Please Wait..", "Building Directory List. Please Wait..."};
  EXPECT_EQ(window.Label1->text(), expected[0]);
  for (int tick = 1; tick <= 3; ++tick) {
    window.Timer1_Timer();
    EXPECT_EQ(window.Label1->text(), expected[tick]);
  }
  window.Timer1_Timer();
  window.Label1->setText(QStringLiteral("Something else"));
  window.Timer1_Timer();
  EXPECT_EQ(window.Label1->text(), "Something else");

  window.Close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.Timer1->isActive());
  EXPECT_FALSE(window.Timer2->isActive());
  window.Close();  // closing a closed window does nothing
  window.Show();
  EXPECT_EQ(window.Label1->text(), expected[0]);
  window.Close();
}

}  // namespace
}  // namespace corvane

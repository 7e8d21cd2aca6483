// What the desktop sees of the window: icon, screen-reader names, colours.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <algorithm>

#include "shell/form1.h"
#include "shell/qt_modal.h"
#include "scan/msg.h"

namespace corvane {
namespace {

TEST(Desktop, TheIconHasRealPixels) {
  Form1 form;
  EXPECT_FALSE(QIcon(QStringLiteral(":/corvane/corvane.png")).availableSizes().isEmpty());
  EXPECT_FALSE(form.windowIcon().pixmap(16, 16).isNull());
}

TEST(Desktop, AMessageBoxIsWideEnoughForItsTitle) {
  Form1 form;
  form.show();
  QMessageBox box(&form);
  box.setWindowTitle(QStringLiteral("Corvane - Free Space Overwrite Aborted"));
  box.setText(QStringLiteral("Done!"));
  FitTitle(box);
  box.show();
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GT(box.width(), QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 100);
}

// The focus shows on the file list at start, when it is empty.
TEST(Desktop, TheFocusShowsOnTheEmptyList) {
  Form1 form;
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  ASSERT_EQ(form.focusWidget(), form.List1);
  const QImage focused = form.List1->grab().toImage();
  form.AddFiles->setFocus();
  EXPECT_NE(form.List1->grab().toImage(), focused);
}

QString AccessibleText(QWidget* widget, QAccessible::Text what) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(what) : QStringLiteral("<none>");
}

TEST(Desktop, ScreenReadersGetNamesAndTheProgressValue) {
  Form1 form;
  EXPECT_EQ(form.Label1->buddy(), form.ShredsAmount);
  EXPECT_EQ(form.Label2->buddy(), form.FileSpecific);
  const std::pair<QWidget*, const char*> named[] = {
      {form.List1, "Files To Delete"},
      {form.ShredsAmount, "Number Of Shreds"},
      {form.FileSpecific, "File Specific"},
      {form.ProgressBar1, "Progress"},
      {form.AddFiles, "Add Files To Delete"},
      {form.BrowseFolder, "Browse For A Folder To Delete"},
      {form.DeleteFiles, "Delete Files"},
      {form.BrowseDelete, "Browse & Delete A Folder (Auto)"}};
  for (const auto& [widget, name] : named)
    EXPECT_EQ(AccessibleText(widget, QAccessible::Name), name) << name;
  form.DeleteFiles->setAllCaptions(QStringLiteral("&Abort"));
  EXPECT_EQ(AccessibleText(form.DeleteFiles, QAccessible::Name), "Abort");

  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form.ProgressBar1);
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(bar->valueInterface(), nullptr);
  EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
  form.ProgressBar1->setMax(8);
  form.ProgressBar1->setValue(2);
  EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 25);
}

// The lightness of the darkest and of the lightest pixel inside the button.
std::pair<int, int> LightnessRange(QWidget& button) {
  QImage image = button.grab().toImage();
  std::pair<int, int> range{255, 0};
  for (int y = 4; y < image.height() - 4; ++y)
    for (int x = 4; x < image.width() - 4; ++x) {
      int lightness = image.pixelColor(x, y).lightness();
      range = {std::min(range.first, lightness), std::max(range.second, lightness)};
    }
  return range;
}

TEST(Desktop, AHoveredButtonIsReadableOnADarkPalette) {
  QPalette dark;
  dark.setColor(QPalette::Button, QColor(40, 40, 40));
  dark.setColor(QPalette::Window, QColor(40, 40, 40));
  dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 110, 110));
  Form1 form;
  form.setPalette(dark);
  form.show();
  HoverButton* button = form.DeleteFiles;
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(button, &enter);
  // White background, dark caption.
  EXPECT_EQ(button->grab().toImage().pixelColor(6, button->height() / 2), QColor(Qt::white));
  EXPECT_LT(LightnessRange(*button).first, 60);
  // Not hovered the caption is light on dark; disabled it is dimmed.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_GT(LightnessRange(*button).second, 200);
  button->setEnabled(false);
  EXPECT_LT(LightnessRange(*button).second, 150);
}

TEST(Desktop, TheWaitWindowIsAToolWindowOfTheMainWindow) {
  Form1 form;
  msg wait(&form);
  EXPECT_TRUE(wait.isWindow());
  EXPECT_EQ(wait.windowType(), Qt::Tool);
  EXPECT_EQ(wait.parentWidget(), &form);
  EXPECT_TRUE(wait.windowFlags() & Qt::WindowDoesNotAcceptFocus);
}

}  // namespace
}  // namespace corvane

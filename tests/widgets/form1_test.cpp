#include "shell/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <chrono>

#include "support/scripted_modal.h"

namespace corvane {
namespace {

TEST(Form1Layout, InitialStateMatchesTheDesign) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  EXPECT_EQ(form.windowTitle(), "Corvane By Halvek");
  EXPECT_EQ(form.size(), QSize(312, 300));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());

  struct Expect {
    QWidget* widget;
    const char* name;
    QRect geometry;
  };
  const Expect controls[] = {
      {form.List1, "List1", {6, 8, 301, 160}},
      {form.AddFiles, "AddFiles", {8, 184, 89, 33}},
      {form.BrowseFolder, "BrowseFolder", {112, 184, 89, 33}},
      {form.DeleteFiles, "DeleteFiles", {216, 184, 89, 33}},
      {form.BrowseDelete, "BrowseDelete", {112, 224, 89, 33}},
      {form.ShredsAmount, "ShredsAmount", {8, 240, 93, 19}},
      {form.FileSpecific, "FileSpecific", {212, 240, 93, 19}},
      {form.ProgressBar1, "ProgressBar1", {0, 272, 309, 25}},
      {form.Label1, "Label1", {8, 224, 93, 17}},
      {form.Label2, "Label2", {212, 224, 93, 17}},
      {form.List2, "List2", {188, 8, 117, 160}},
  };
  for (const Expect& c : controls) {
    EXPECT_EQ(c.widget->objectName(), c.name);
    EXPECT_EQ(c.widget->geometry(), c.geometry) << c.name;
  }
  EXPECT_EQ(form.AddFiles->caption(), "&Add Files To Delete");
  EXPECT_EQ(form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
  EXPECT_EQ(form.DeleteFiles->caption(), "&Delete Files");
  EXPECT_EQ(form.BrowseDelete->caption(), "Browse && Delete A &Folder (Auto)");
  for (HoverButton* b : {form.AddFiles, form.BrowseFolder, form.DeleteFiles, form.BrowseDelete}) {
    EXPECT_EQ(b->hovercaption(), b->caption());
    EXPECT_EQ(b->downcaption(), b->caption());
    EXPECT_EQ(b->hoverbackcolor(), QColor(255, 255, 255));
    EXPECT_TRUE(b->isEnabled());
  }
  EXPECT_EQ(form.ShredsAmount->text(), "20");
  EXPECT_EQ(form.FileSpecific->text(), "*.*");
  EXPECT_EQ(form.ShredsAmount->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_TRUE(form.ShredsAmount->font().bold());
  EXPECT_EQ(form.Label1->text(), "Number Of Shreds:");
  EXPECT_EQ(form.Label2->text(), "File Specific");
  EXPECT_EQ(form.List1->ListCount(), 0);
  EXPECT_EQ(form.List1->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(form.ProgressBar1->value(), 0);
  EXPECT_EQ(form.ProgressBar1->shownText(), "");
  EXPECT_EQ(form.ProgressBar1->textaftercaption(), "%");
  EXPECT_TRUE(form.ProgressBar1->font().bold());
  EXPECT_FALSE(form.Runs.StopRequested());
  EXPECT_FALSE(form.Runs.Running());
  EXPECT_FALSE(form.Runs.AutoMode());

  // Tab order and the focus starting on the file list.
  QWidget* expected[] = {form.List1,        form.AddFiles,     form.BrowseFolder, form.DeleteFiles,
                         form.BrowseDelete, form.ShredsAmount, form.FileSpecific};
  std::vector<QWidget*> chain;
  QWidget* w = form.List1;
  do {
    if (std::find(std::begin(expected), std::end(expected), w) != std::end(expected))
      chain.push_back(w);
    w = w->nextInFocusChain();
  } while (w != form.List1);
  EXPECT_EQ(chain, std::vector<QWidget*>(std::begin(expected), std::end(expected)));
  EXPECT_EQ(form.focusWidget(), form.List1);

  // Labels fit their boxes: nothing is clipped.
  for (QLabel* label : {form.Label1, form.Label2}) {
    QFontMetrics metrics(label->font());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
    EXPECT_LE(metrics.height(), label->height());
  }
}

TEST(Form1Layout, DirectoryListIsNeverShownOrFocused) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  for (int i = 0; i < 5; ++i) form.List2->AddItem("/tmp/dir" + std::to_string(i));
  EXPECT_FALSE(form.List2->isVisible());
  EXPECT_EQ(form.List2->focusPolicy(), Qt::NoFocus);
  for (int i = 0; i < 20; ++i) {
    QWidget* w = QApplication::focusWidget();
    EXPECT_NE(w, form.List2);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Tab);
  }
}

// A pump that outlasts the interval (a long list laid out) still leaves the
// command the next interval's work before the next pump.
TEST(RunController, PacesFromThePumpsEnd) {
  static std::chrono::steady_clock::time_point now{};
  testing::ScriptedModal modal;
  SetPumpClockForTesting([] { return now; });
  Form1 form;
  modal.onPump = [](int) { now += 5 * kPumpInterval; };
  now += kPumpInterval;
  form.Runs.Pump();
  form.Runs.Pump();
  EXPECT_EQ(modal.pumps, 1);
}

TEST(HoverButton, CaptionsFollowAndDisabledButtonsStartNothing) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  form.DeleteFiles->setAllCaptions(QStringLiteral("&Abort"));
  EXPECT_EQ(form.DeleteFiles->hovercaption(), "&Abort");
  EXPECT_EQ(form.DeleteFiles->downcaption(), "&Abort");
  EXPECT_EQ(form.DeleteFiles->caption(), "&Abort");

  HoverButton button;
  button.setAllCaptions("&Go");
  button.setHovercaption("Hover");
  button.setDowncaption("Down");
  button.show();
  QSignalSpy clicks(&button, &QAbstractButton::clicked);
  EXPECT_EQ(button.shownCaption(), "&Go");
  button.setDown(true);
  EXPECT_EQ(button.shownCaption(), "Down");
  button.setDown(false);

  button.setEnabled(false);
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::keyClick(&button, Qt::Key_Space);
  QTest::keyClick(&button, Qt::Key_Return);
  QTest::keyClick(&button, Qt::Key_G, Qt::AltModifier);
  button.click();
  QTest::qWait(150);
  EXPECT_EQ(clicks.count(), 0);
  button.setEnabled(true);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);

  // Enter and the keypad's Enter click a window's button, as Space does.
  form.BrowseFolder->setFocus();
  QTest::keyClick(form.BrowseFolder, Qt::Key_Return);
  QTest::keyClick(form.BrowseFolder, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(modal.folderRequests.size(), 2u);
}

TEST(CaptionProgressBar, ShowsCaptionAndPercentWithoutOverflow) {
  CaptionProgressBar bar;
  bar.setCaptionText("Deleting Files - ");
  bar.setMax(100);
  bar.setValue(42);
  EXPECT_EQ(bar.shownText(), "Deleting Files - 42%");
  bar.setMax(int64_t{3'000'000'000'000});
  bar.setValue(int64_t{1'500'000'000'000});
  EXPECT_EQ(bar.percent(), 50);
  bar.setMax(0);
  EXPECT_EQ(bar.percent(), 0);
  bar.setMax(INT64_MAX);
  bar.setValue(INT64_MAX - 1);
  EXPECT_EQ(bar.percent(), 99);
}

TEST(ListBox, KeepsBytesAndScalesToAMillionEntries) {
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  std::string bad = "/tmp/na\xffme\nx";
  form.List1->AddItem(bad);
  EXPECT_EQ(form.List1->List(0), bad);
  EXPECT_EQ(form.List1->DisplayText(0), QString::fromUtf8("/tmp/na\uFFFDme\u240Ax"));
  form.List1->Clear();

  constexpr int64_t kCount = 1'000'000;
  auto start = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < kCount; ++i) form.List1->AddItem("/data/file" + std::to_string(i));
  QApplication::processEvents();
  auto firstHalf = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(form.List1->ListCount(), kCount);
  EXPECT_EQ(form.List1->List(kCount - 1), "/data/file999999");
  // Appending to a long list costs what appending to a short one does.
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) form.List1->AddItem("/more");
  auto tail = std::chrono::steady_clock::now() - t0;
  EXPECT_LT(tail * (kCount / 1000), firstHalf * 20);
  form.List1->SetSelected(kCount - 1, true);
  EXPECT_TRUE(form.List1->Selected(kCount - 1));
  form.List1->RemoveItem(0);
  EXPECT_EQ(form.List1->List(0), "/data/file1");
}

// The window on a real X server (run by the window_xcb test under Xvfb). The
// waits are for events; their limit only ends a test that would hang, as a
// first window can take seconds with a cold font cache on a loaded machine.
TEST(RealWindow, ShowsOnXcbWithFocusOnTheFileList) {
  constexpr int kPatience = 60000;
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  testing::ScriptedModal modal;
  Form1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, kPatience));
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form, kPatience));
  EXPECT_EQ(form.focusWidget(), form.List1);
  EXPECT_FALSE(form.windowIcon().isNull());
  QImage shot = form.grab().toImage();
  EXPECT_EQ(shot.size(), QSize(312, 300));
  QSignalSpy clicks(form.AddFiles, &QAbstractButton::clicked);
  form.DeleteFiles->setEnabled(false);
  // An access key presses the button briefly, then clicks.
  QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() > 0; }, kPatience));
  EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace corvane

// The Delete button of the real window, with real message boxes, over a small
// file and then one larger than any batch: the large file's content is off
// the disk by the time the closing box says so.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "platform/file_ops.h"
#include "shell/form1.h"
#include "shell/qt_modal.h"
#include "shred/core/shred_batch.h"
#include "support/loop_mount.h"

namespace corvane {
namespace {

constexpr char kMarker[] = "corvane-window-secret-";

// Lines that say `kMarker`, `bytes` of them in all.
void WriteMarked(const std::string& path, int64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  char line[64];
  for (int64_t n = 0, written = 0; written < bytes; ++n) {
    const int length = std::snprintf(line, sizeof line, "%s%012lld\n", kMarker, (long long)n);
    out.write(line, length);
    written += length;
  }
}

TEST(RealWindowDelete, ALargeFileAfterASmallOneIsGoneBeforeTheBoxSaysSo) {
  testing::TempDir t;
  testing::LoopMount disk(t, "ext4");
  if (!disk.mounted) GTEST_SKIP() << disk.skip;
  const std::string small = disk.mnt + "/small", large = disk.mnt + "/large";
  WriteMarked(small, 100);
  WriteMarked(large, 2 * BatchLimits::kMaxBytes);
  ASSERT_GT(disk.CountInImage(kMarker), 0);

  QtModal modal;
  SetCurrentModal(&modal);
  Form1 form;
  form.show();
  form.ShredsAmount->setText(QStringLiteral("3"));
  form.List1->AddItem(small);
  form.List1->AddItem(large);

  std::vector<QString> boxes;
  bool largeGone = false;
  int markersLeft = -1;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      if (boxes.empty() || boxes.back() != box->text()) {
        boxes.push_back(box->text());
        if (boxes.size() == 2) {
          largeGone = !EntryExists(large);
          markersLeft = disk.CountInImage(kMarker);
        }
      }
      // Yes to the question, OK to the report; anything further is cancelled.
      if (boxes.size() > 2) {
        box->reject();
      } else {
        box->defaultButton() != nullptr ? box->defaultButton()->click() : box->accept();
      }
    }
  });
  answer.start(50);
  form.DeleteFiles_Click();
  answer.stop();
  SetCurrentModal(nullptr);

  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "Operation Completed Successfully!");
  EXPECT_TRUE(largeGone);
  EXPECT_EQ(markersLeft, 0);
  EXPECT_FALSE(EntryExists(small));
  EXPECT_EQ(form.List1->ListCount(), 0);
}

}  // namespace
}  // namespace corvane

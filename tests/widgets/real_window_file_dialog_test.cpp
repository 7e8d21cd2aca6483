// The real file dialog, shown through the real modal handler and answered by
// typing into it, as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "picking/core/c_file_dialog.h"
#include "shell/form1.h"
#include "shell/qt_modal.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

struct InstalledQtModal {
  QtModal modal;
  InstalledQtModal() { SetCurrentModal(&modal); }
  ~InstalledQtModal() { SetCurrentModal(nullptr); }
};

QFileDialog* OpenFileDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (dialog != nullptr && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

TEST(RealWindowFileDialog, PicksTwoFilesByTypingTheirNames) {
  testing::TempDir tmp;
  tmp.Write("a.txt", "a");
  tmp.Write("b.txt", "b");
  tmp.Write("c.txt", "c");
  InstalledQtModal installed;
  Form1 form;
  form.FileDialog = std::make_unique<cFileDialog>();
  form.FileDialog->setFilter("All Files (*.*)|*.*");
  form.show();

  const QString typing = QStringLiteral("\"a.txt\" \"b.txt\"");
  int tries = 0;
  QString filterShown;
  QWidget* parent = nullptr;
  QTimer poll;
  poll.setInterval(50);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QFileDialog* dialog = OpenFileDialog();
    if (dialog == nullptr) return;
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    if (parent == nullptr) {
      parent = dialog->parentWidget();
      if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        filterShown = combo->currentText();
      dialog->setDirectory(QString::fromStdString(tmp.path()));
    }
    // Type only once the name box has the keyboard, as it has for a user:
    // without the focus the dialog overwrites the box from its file view.
    if (!edit->hasFocus()) {
      dialog->activateWindow();
      edit->setFocus();
      return;
    }
    ++tries;
    edit->clear();
    QTest::keyClicks(edit, typing);
    if (edit->text() == typing) QTest::keyClick(edit, Qt::Key_Return);
  });
  // Never block: past the deadline every dialog (a warning box included) is
  // cancelled, again each second until the command returns.
  bool timedOut = false;
  QTimer deadline;
  QObject::connect(&deadline, &QTimer::timeout, [&] {
    timedOut = true;
    deadline.setInterval(1000);
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (dialog != nullptr && dialog->isVisible()) dialog->reject();
    }
  });
  poll.start();
  deadline.start(30000);

  form.AddFiles_Click();
  poll.stop();
  deadline.stop();

  EXPECT_FALSE(timedOut);
  EXPECT_GE(tries, 1);
  EXPECT_EQ(parent, &form);
  EXPECT_EQ(filterShown, "All Files (*.*)");
  ASSERT_EQ(form.List1->ListCount(), 2);
  EXPECT_EQ(form.List1->List(0), tmp / "a.txt");
  EXPECT_EQ(form.List1->List(1), tmp / "b.txt");
  EXPECT_EQ(form.FileDialog->Filename(), "");
}

}  // namespace
}  // namespace corvane

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "picking/core/c_file_dialog.h"
#include "shell/close_on_signal.h"
#include "shell/core/module1.h"
#include "shell/form1.h"
#include "shell/startup.h"
#include "support/scripted_modal.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

const char kRefused[] = "You must enter a numeric number for this field!";
const char kSure[] = "Are you sure about this? It's gonna take a very long time!";

// Points the settings at a file of the test's own, and puts the old path back.
struct IniAt {
  explicit IniAt(std::string path) : saved(std::move(IniPath)) { IniPath = std::move(path); }
  ~IniAt() { IniPath = saved; }
  std::string saved;
};

// Records, for every box, whether the main window was already on screen.
struct BoxWatcher {
  explicit BoxWatcher(testing::ScriptedModal& modal) {
    modal.onBox = [this](const testing::AskedBox& box) {
      bool visible = false;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<Form1*>(w) != nullptr && w->isVisible()) visible = true;
      seen.push_back({box.prompt, visible});
    };
  }
  std::vector<std::pair<std::string, bool>> seen;
};

struct Started {
  std::string shreds, mask;
  std::vector<std::pair<std::string, bool>> boxes;
};

// Starts the program's window with the settings at IniPath, then closes it.
Started StartAndClose(std::deque<int> answers = {}) {
  testing::ScriptedModal modal;
  modal.answers = std::move(answers);
  BoxWatcher watcher(modal);
  std::unique_ptr<Form1> form = OpenMainWindow();
  EXPECT_TRUE(form->isVisible());
  EXPECT_NE(form->FileDialog, nullptr);
  if (form->FileDialog) {
    EXPECT_EQ(form->FileDialog->Filter(), "All Files (*.*)|*.*");
  }
  Started result{form->ShredsAmount->text().toStdString(), form->FileSpecific->text().toStdString(),
                 watcher.seen};
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(form->Runs.StopRequested());
  EXPECT_NE(form->FileDialog, nullptr);  // kept until the window is destroyed
  return result;
}

TEST(StartupSettings, FirstStartShowsDefaultsAndTheCloseSavesThem) {
  TempDir dir;
  IniAt at(dir / "corvane.ini");
  {
    testing::ScriptedModal modal;
    std::unique_ptr<Form1> form = OpenMainWindow();
    EXPECT_EQ(form->ShredsAmount->text(), "20");
    EXPECT_EQ(form->FileSpecific->text(), "*.*");
    EXPECT_FALSE(std::filesystem::exists(IniPath));
    form->close();
    EXPECT_TRUE(modal.boxes.empty());
  }
  EXPECT_EQ(ReadFile(IniPath), "[Settings]\nShredsAmount=20\nFileSpecific=*.*\n");

  // Values typed in come back at the next start, and are written at every close.
  {
    testing::ScriptedModal modal;
    std::unique_ptr<Form1> form = OpenMainWindow();
    form->ShredsAmount->setText("7");
    form->FileSpecific->setText(
        QString::fromUtf8("*.txt;*.d\xC3\xB6"
                          "c"));
    form->close();
  }
  Started next = StartAndClose();
  EXPECT_EQ(next.shreds, "7");
  EXPECT_EQ(next.mask,
            "*.txt;*.d\xC3\xB6"
            "c");
  EXPECT_TRUE(next.boxes.empty());
  EXPECT_EQ(ReadFile(IniPath),
            "[Settings]\nShredsAmount=7\nFileSpecific=*.txt;*.d\xC3\xB6"
            "c\n");
}

TEST(StartupSettings, StoredValuesGoThroughTheCheckBeforeTheWindowShows) {
  TempDir dir;
  IniAt at(dir / "corvane.ini");
  using Boxes = std::vector<std::pair<std::string, bool>>;

  // A key that is missing leaves its field at the default, without a box.
  dir.Write("corvane.ini", "[Settings]\nFileSpecific=*.doc\n");
  Started s = StartAndClose();
  EXPECT_EQ(s.shreds, "20");
  EXPECT_EQ(s.mask, "*.doc");
  EXPECT_TRUE(s.boxes.empty());
  dir.Write("corvane.ini", "[Settings]\nShredsAmount=5\n");
  s = StartAndClose();
  EXPECT_EQ(s.shreds, "5");
  EXPECT_EQ(s.mask, "*.*");
  EXPECT_TRUE(s.boxes.empty());
  EXPECT_EQ(ReadFile(IniPath), "[Settings]\nShredsAmount=5\nFileSpecific=*.*\n");

  for (const char* zero : {"0", "", "0.0", "abc"}) {
    dir.Write("corvane.ini", std::string("[Settings]\nShredsAmount=") + zero + "\n");
    s = StartAndClose();
    EXPECT_EQ(s.shreds, "20") << zero;
    EXPECT_EQ(s.boxes, (Boxes{{kRefused, false}})) << zero;
  }

  // Six characters are questioned before the window shows: No cuts, Yes keeps.
  dir.Write("corvane.ini", "[Settings]\nShredsAmount=123456\n");
  s = StartAndClose({kIdNo});
  EXPECT_EQ(s.shreds, "12345");
  EXPECT_EQ(s.boxes, (Boxes{{kSure, false}}));
  dir.Write("corvane.ini", "[Settings]\nShredsAmount=123456\n");
  s = StartAndClose({kIdYes});
  EXPECT_EQ(s.shreds, "123456");
  EXPECT_EQ(ReadFile(IniPath), "[Settings]\nShredsAmount=123456\nFileSpecific=*.*\n");

  // A short stored count of a large value is questioned too; No puts back 20.
  dir.Write("corvane.ini", "[Settings]\nShredsAmount=9e99\n");
  s = StartAndClose({kIdNo});
  EXPECT_EQ(s.shreds, "20");
  EXPECT_EQ(s.boxes, (Boxes{{kSure, false}}));
}

TEST(StartupSettings, OnlyAnOrdinaryFileIsRead) {
  TempDir dir;
  // A hidden file, a directory, a FIFO or a link of that name: defaults, no hang.
  std::string hidden = dir.Write(".corvane.ini", "[Settings]\nShredsAmount=9\n");
  {
    IniAt at(hidden);
    Started s = StartAndClose();
    EXPECT_EQ(s.shreds, "20");
    EXPECT_EQ(ReadFile(hidden), "[Settings]\nShredsAmount=20\nFileSpecific=*.*\n");
  }
  std::string fifo = dir / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string target = dir.Write("target.ini", "[Settings]\nShredsAmount=9\n");
  std::string link = dir / "link.ini";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  for (const std::string& path : {dir.Mkdir("dir.ini"), fifo, link}) {
    IniAt at(path);
    Started s = StartAndClose();
    EXPECT_EQ(s.shreds, "20") << path;
    EXPECT_EQ(s.mask, "*.*") << path;
    EXPECT_TRUE(s.boxes.empty()) << path;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir / "dir.ini"));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(ReadFile(target), "[Settings]\nShredsAmount=9\n");
}

TEST(StartupSettings, AnOverlongMaskIsReportedAndTheCountStillSaved) {
  TempDir dir;
  IniAt at(dir.Write("corvane.ini", "[Settings]\nShredsAmount=20\nFileSpecific=*.old\n"));
  testing::ScriptedModal modal;
  {
    std::unique_ptr<Form1> form = OpenMainWindow();
    form->ShredsAmount->setText("3");
    form->FileSpecific->setText(QString(256, QChar('m')));
    form->close();
  }
  ASSERT_EQ(modal.boxes.size(), 1u);
  EXPECT_EQ(modal.boxes[0].prompt, "Can't write more than 255 characters for key or value.");
  EXPECT_EQ(modal.boxes[0].style, kMbOk);
  EXPECT_EQ(modal.boxes[0].title, "Corvane");
  EXPECT_EQ(ReadFile(IniPath), "[Settings]\nShredsAmount=3\nFileSpecific=*.old\n");
}

// A termination signal closes the window the ordinary way: settings saved,
// a running command told to stop.
TEST(StartupSettings, ATerminationSignalClosesTheWindowAndSaves) {
  TempDir dir;
  IniAt at(dir / "corvane.ini");
  testing::ScriptedModal modal;
  std::unique_ptr<Form1> form = OpenMainWindow();
  new CloseOnSignal(form.get());
  form->ShredsAmount->setText("9");
  ::raise(SIGTERM);
  for (int i = 0; i < 100 && form->isVisible(); ++i) QTest::qWait(10);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->Runs.StopRequested());
  EXPECT_EQ(ReadFile(IniPath), "[Settings]\nShredsAmount=9\nFileSpecific=*.*\n");
}

}  // namespace
}  // namespace corvane

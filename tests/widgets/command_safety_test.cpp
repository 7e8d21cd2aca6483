// The commands never destroy a folder nobody chose, an Abort stays an Abort,
// and every report says what happened.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "picking/core/c_file_dialog.h"
#include "platform/file_ops.h"
#include "platform/file_system_kind.h"
#include "platform/paths.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan_test_support.h"
#include "shell/close_on_signal.h"
#include "shell/qt_modal.h"
#include "shell/startup.h"
#include "shred/core/shred_engine.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ForeignSymlink;
using testing::HomeAt;
using testing::ReadFile;
using testing::ScanWindow;
using testing::TempDir;

const char kConfirm[] = "Are You Sure You Want To Delete The Selected Files?";
const char kAborted[] = "File Deletion Process Aborted!";

// Abort clicked in the run's first pump, then another command: it starts
// nothing, and the run still ends on its abort path.
TEST(OneCommandAtATime, AbortThenAnyOtherCommandInsideThePump) {
  TempDir t;
  const std::string folder = t.Write("folder/f", "folder content");
  const std::vector<std::pair<const char*, std::function<void(Form1&)>>> others{
      {"AddFiles", [](Form1& f) { f.AddFiles->click(); }},
      {"BrowseFolder", [](Form1& f) { f.BrowseFolder->click(); }},
      {"BrowseDelete", [](Form1& f) { f.BrowseDelete->click(); }},
      {"DeleteFiles", [](Form1& f) { f.DeleteFiles->click(); }},
      {"DeleteKey", [](Form1& f) {
         f.List1->SetSelected(0, true);
         f.List1_KeyDown(46, 0);
       }}};
  for (const auto& [name, other] : others) {
    ScanWindow w;
    w.form.Form_Load();
    const std::string big = t.Write("big", std::string(2 * ShredEngine::kChunkSize + 1, 'S'));
    w.form.List1->AddItem(big);
    w.form.ShredsAmount->setText(QStringLiteral("3"));
    w.modal.folders = {t / "folder"};
    w.modal.files = {FileAnswer{true, {t / "folder/f"}, 1}};
    w.modal.onPump = [&](int n) {
      if (n != 1) return;
      w.form.DeleteFiles->click();                            // Abort
      EXPECT_TRUE(w.form.BrowseDelete->isEnabled()) << name;  // the Abort enables it
      EXPECT_TRUE(w.form.Runs.Running()) << name;
      other(w.form);
    };
    w.form.DeleteFiles_Click();
    EXPECT_EQ(w.modal.Prompts(),
              (std::vector<std::string>{
                  kConfirm, std::string(kAborted) + "\n1 file was partly overwritten and kept:\n" +
                                big + " (partly overwritten)"}))
        << name;
    EXPECT_TRUE(EntryExists(big)) << name;
    EXPECT_EQ(ReadFile(folder), "folder content") << name;
    EXPECT_TRUE(w.modal.folderRequests.empty()) << name;
    EXPECT_TRUE(w.modal.fileRequests.empty()) << name;
    EXPECT_EQ(w.Entries(w.form.List1), std::vector<std::string>{big}) << name;
    EXPECT_FALSE(w.form.Runs.Running()) << name;
  }

  // During a scan the other commands start nothing either, and the scan's own
  // Abort cannot be undone by them.
  ScanWindow w;
  w.modal.folders = {t / "folder"};
  w.modal.onPump = [&](int n) {
    if (n == 1) {
      w.form.BrowseFolder->click();  // the scan's Abort
      w.form.DeleteFiles->click();
      w.form.BrowseDelete->click();
    }
  };
  EXPECT_EQ(BrowseFolderClick(w.form.Runs), BrowseOutcome::Aborted);
  EXPECT_EQ(w.modal.Prompts(), std::vector<std::string>{"File List Building Process Aborted!"});
  EXPECT_EQ(w.modal.folderRequests.size(), 1u);
  EXPECT_EQ(ReadFile(folder), "folder content");
}

// Through the chooser and Browse & Delete. The root and the program's own
// folders are checked through the gate alone (tests/core), so that no test
// ever aims a destroy command at them.
TEST(FolderRefusal, RefusedFoldersAreNeitherListedNorDestroyed) {
  TempDir t;
  HomeAt home(t.Mkdir("home"));
  const std::string keep = t.Write("home/keep", "keep");
  const std::string key = t.Write("victim/ssh/id", "key");
  t.Write("target\xff/f", "nobody's");
  t.Write("target\xEF\xBF\xBD/f", "root's");
  ASSERT_EQ(::symlink((t / "home").c_str(), (t / "link").c_str()), 0);
  const bool foreign = ForeignSymlink(t / "victim", t / "att");
  const std::vector<std::pair<std::string, std::string>> cases{
      {t / "home", t / "home\nIt is your home folder."},
      {t / "home/sub/..", t / "home\nIt is your home folder."},
      {t / "link", t / "link\nIt is a symbolic link, not a folder of its own."},
      {t / "target\xEF\xBF\xBD",
       t / "target\xEF\xBF\xBD\nAnother entry in its folder shows the same name"},
      {foreign ? t / "att/ssh" : t / "link",
       foreign ? t / "att/ssh\nIt lies behind the symbolic link " + t / "att"
               : t / "link\nIt is a symbolic link"}};
  for (const auto& [chosen, shown] : cases) {
    ScanWindow w;
    w.form.List1->AddItem("listed-before");
    w.modal.folders = {chosen};
    BrowseDeleteClick(w.form.Runs);
    ASSERT_EQ(w.modal.boxes.size(), 1u) << chosen;
    EXPECT_EQ(w.modal.boxes[0].prompt.rfind("This Folder Cannot Be Destroyed!\n" + shown, 0), 0u)
        << w.modal.boxes[0].prompt;
    EXPECT_EQ(w.modal.boxes[0].title, "Corvane - Folder Refused");
    EXPECT_EQ(w.modal.boxes[0].style, kMbStop);
    EXPECT_EQ(w.Entries(w.form.List1), std::vector<std::string>{"listed-before"});
    EXPECT_EQ(w.form.List2->ListCount(), 0);
    EXPECT_EQ(w.form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
  }
  EXPECT_EQ(ReadFile(keep), "keep");
  EXPECT_EQ(ReadFile(key), "key");
  EXPECT_EQ(ReadFile(t / "target\xff/f"), "nobody's");
  EXPECT_EQ(ReadFile(t / "target\xEF\xBF\xBD/f"), "root's");

  // A folder inside home still goes, with no question in Auto mode.
  const std::string old = t.Mkdir("home/old-project");
  t.Write("home/old-project/notes", "old");
  ScanWindow w;
  w.form.ShredsAmount->setText(QStringLiteral("1"));
  w.modal.folders = {old};
  BrowseDeleteClick(w.form.Runs);
  ASSERT_EQ(w.modal.boxes.size(), 1u);
  EXPECT_EQ(w.modal.boxes[0].prompt.rfind("Operation Completed Successfully!", 0), 0u);
  EXPECT_FALSE(EntryExists(old));
}

TEST(Reports, SurvivorsAreNamedAndNoInvisibleFolderStaysBehind) {
  TempDir t;
  const std::string gone = t.Write("d/gone", "x");
  t.Write("d/.directory", "hidden, never listed");
  ScanWindow w;
  w.form.List1->AddItem(gone);
  w.form.List2->AddItem(t / "d");
  w.form.ShredsAmount->setText(QStringLiteral("1"));
  w.form.DeleteFiles_Click();
  EXPECT_EQ(w.modal.boxes.back().prompt,
            "Some Files Could Not Be Deleted!\n0 of 1 files and 1 of 1 directories remain.\n" +
                t / "d" +
                " (folder not empty)\n\nWith one pass the files were deleted, not overwritten: "
                "their content stays on the disk until it is reused.");
  EXPECT_EQ(w.form.List1->ListCount(), 0);
  EXPECT_EQ(w.form.List2->ListCount(), 0);  // emptied with List1

  // The Delete key that empties List1 empties List2 too.
  w.form.List1->AddItem("a");
  w.form.List2->AddItem("folder");
  w.form.List1->SetSelected(0, true);
  w.form.List1_KeyDown(46, 0);
  EXPECT_EQ(w.form.List2->ListCount(), 0);
}

// Runs the Delete command with count 3 over three new files in `dir` (the
// first read-only when `keepOne`), answering the offer to overwrite the free
// space with `offer`; returns the boxes shown.
std::vector<testing::AskedBox> RunThreeFiles(const std::string& dir, int offer = kIdNo,
                                             const std::string& content = "secret line",
                                             bool keepOne = false) {
  ScanWindow w;
  for (int i = 0; i < 3; ++i) {
    const std::string path = TempDir::WriteAt(dir, "f" + std::to_string(i), content);
    if (keepOne && i == 0) ::chmod(path.c_str(), 0400);
    w.form.List1->AddItem(path);
  }
  w.form.ShredsAmount->setText(QStringLiteral("3"));
  w.modal.answers = {kIdYes, offer};
  w.form.DeleteFiles_Click();
  EXPECT_EQ(w.form.List1->ListCount(), keepOne ? 1 : 0);
  EXPECT_EQ(w.form.List2->ListCount(), 0);
  EXPECT_EQ(w.form.DeleteFiles->caption(), QStringLiteral("&Delete Files"));
  EXPECT_FALSE(w.form.Runs.Running());
  return w.modal.boxes;
}

const char kMaySurvive[] = "Files Deleted, But Their Content May Survive!\n3 files on btrfs at ";

TEST(Reports, NoPlainSuccessWhereOverwritingCannotDestroy) {
  TempDir t;
  SetStatfsAnswer([](int) { return std::optional<uint64_t>(0x9123683E); });
  // No: nothing is overwritten and nothing more is said.
  std::vector<testing::AskedBox> boxes = RunThreeFiles(t.path());
  SetStatfsAnswer(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt.rfind(std::string(kConfirm) + "\nSome files lie on ", 0), 0u);
  EXPECT_NE(boxes[0].prompt.find(": their old copies can only be reached by overwriting the "
                                 "free space afterwards."),
            std::string::npos);
  const testing::AskedBox& box = boxes[1];
  EXPECT_EQ(box.prompt.rfind(kMaySurvive, 0), 0u) << box.prompt;
  EXPECT_NE(box.prompt.find("\nCopy-on-write, log-structured and network file systems write "
                            "changes to new places, so overwriting cannot destroy the old "
                            "content.\nOverwrite the free space of "),
            std::string::npos);
  EXPECT_NE(box.prompt.find(" now? The disk is full for a moment while it runs."),
            std::string::npos);
  EXPECT_EQ(box.style, 52);
  EXPECT_EQ(box.title, "Corvane - Files Deleted");

  // A file that stays is named first; the two destroyed beside it may still
  // have their content on the disk, and the offer stands.
  SetStatfsAnswer([](int) { return std::optional<uint64_t>(0x9123683E); });
  boxes = RunThreeFiles(t.path(), kIdNo, "secret line", true);
  SetStatfsAnswer(nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(
      boxes[1].prompt.rfind("Some Files Could Not Be Deleted!\n1 of 3 files remain.\n" + t / "f0" +
                                " (read-only)\n\nThe Deleted Files' Content "
                                "May Survive!\n2 files on btrfs at ",
                            0),
      0u)
      << boxes[1].prompt;
  EXPECT_NE(boxes[1].prompt.find("\nOverwrite the free space of "), std::string::npos);
  EXPECT_EQ(boxes[1].style, kMbStopYesNo);
  EXPECT_EQ(boxes[1].title, "Corvane - Files Not Deleted");
  ::chmod((t / "f0").c_str(), 0600);

  SetStatfsAnswer([](int) { return std::optional<uint64_t>(0xEF53); });  // ext4
  boxes = RunThreeFiles(t.path());
  SetStatfsAnswer(nullptr);
  EXPECT_EQ(boxes[0].prompt, kConfirm);
  EXPECT_EQ(boxes.back().prompt, "Operation Completed Successfully!");
}

// On a real btrfs image, Yes to the offer overwrites the free space: no old
// copy of the destroyed files is left on the device.
TEST(Reports, ARealBtrfsImageOverwrittenOnYes) {
  TempDir t;
  testing::LoopMount m(t, "btrfs", "nodiscard");
  if (!m.mounted) GTEST_SKIP() << m.skip;
  std::string marked;
  while (marked.size() < 64 * 1024) marked += "corvane-btrfs-marker\n";
  const std::vector<testing::AskedBox> boxes = RunThreeFiles(m.mnt, kIdYes, marked);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].prompt.rfind(std::string(kMaySurvive) + m.mnt + ".\n", 0), 0u);
  EXPECT_EQ(boxes[2].prompt.rfind("Free Space Overwritten!\n", 0), 0u) << boxes[2].prompt;
  EXPECT_EQ(m.CountInImage("corvane-btrfs-marker"), 0);
}

// The real folder chooser: Enter and Choose with nothing picked accept nothing.
TEST(FolderChooser, ReturnsOnlyAPickedOrTypedFolder) {
  TempDir t;
  HomeAt home(t.Mkdir("home"));
  t.Mkdir("home/pick");
  QtModal modal;
  std::vector<std::string> seen;
  auto script = [&](bool type) {
    QTimer::singleShot(0, [&, type] {
      QFileDialog* dialog = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) dialog = d;
      ASSERT_NE(dialog, nullptr);
      seen.push_back(dialog->directory().absolutePath().toStdString());
      QTest::keyClick(dialog, Qt::Key_Return);
      dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
      seen.push_back(dialog->isVisible() ? "still open" : "accepted");
      if (type) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(QStringLiteral("pick"));
        QTest::keyClick(name, Qt::Key_Return);
      }
      if (dialog->isVisible()) dialog->reject();
    });
    return modal.ChooseFolder({"Corvane - Select A Folder To Delete", "Select:", true, 1, 2});
  };
  EXPECT_EQ(script(false), std::nullopt);
  EXPECT_EQ(script(true), t / "home/pick");
  EXPECT_EQ(seen, (std::vector<std::string>{t / "home", "still open", t / "home", "still open"}));
}

// A close request while a dialog shows waits for the dialog; the file dialog
// object outlives it.
TEST(CloseOnSignal, SigtermWhileADialogIsOpenClosesAfterIt) {
  TempDir t;
  const std::string picked = t.Write("picked", "x");
  testing::ScriptedModal modal;
  modal.pumpQt = [] { QCoreApplication::processEvents(); };
  std::unique_ptr<Form1> form = OpenMainWindow();
  new CloseOnSignal(form.get());
  modal.files = {FileAnswer{true, {picked}, 1}};
  modal.whileOpen = [&] {
    ::raise(SIGTERM);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Runs.StopRequested());
  };
  form->AddFiles_Click();
  EXPECT_EQ(form->List1->ListCount(), 1);
  for (int i = 0; i < 5 && form->isVisible(); ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->Runs.StopRequested());
  EXPECT_NE(form->FileDialog, nullptr);
}

}  // namespace
}  // namespace corvane

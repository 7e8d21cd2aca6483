#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "picking/handed_paths.h"
#include "platform/file_ops.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan_test_support.h"
#include "support/temp_dir.h"
#include "support/without_mode_override.h"

namespace corvane {
namespace {

using testing::ScanWindow;
using testing::TempDir;

struct DeleteWindow : ScanWindow {
  bool autoModeAtMessage = false;
  int64_t dirsAtMessage = -1;
  DeleteWindow() {
    form.ShredsAmount->setText(QStringLiteral("1"));
    modal.onBox = [this](const testing::AskedBox&) {
      autoModeAtMessage = form.Runs.AutoMode();
      dirsAtMessage = form.List2->ListCount();
    };
  }
  void ExpectCompleted() {
    ASSERT_EQ(modal.boxes.size(), 1u);  // no confirmation before the run
    EXPECT_EQ(modal.boxes[0].prompt.rfind("Operation Completed Successfully!", 0), 0u);
    EXPECT_EQ(modal.boxes[0].title, "Corvane - Files Deleted");
    EXPECT_EQ(modal.boxes[0].style, 0);
    EXPECT_TRUE(autoModeAtMessage);
    EXPECT_FALSE(form.Runs.AutoMode());
    EXPECT_EQ(form.List1->ListCount(), 0);
    EXPECT_EQ(form.List2->ListCount(), 0);
  }
};

TEST(BrowseDelete, RemovesALargeTreeWholeIncludingTheChosenFolder) {
  TempDir t;
  const std::string r = t.Mkdir("R");
  for (int i = 0; i < 30; ++i) {
    for (int j = 0; j < 100; ++j) {
      std::string sub = "R/d" + std::to_string(i) + "/e" + std::to_string(j);
      if (j % 10 == 0) {
        t.Write(sub + "/file", "data");
      } else {
        t.Mkdir(sub);
      }
    }
  }
  DeleteWindow w;
  w.modal.folders = {r};
  BrowseDeleteClick(w.form.Runs);
  w.ExpectCompleted();
  EXPECT_EQ(w.dirsAtMessage, 1 + 30 + 3000);
  EXPECT_FALSE(EntryExists(r));
}

TEST(BrowseDelete, RemovesATreeOfEmptyFoldersAndOnlyLinksToOutside) {
  TempDir t;
  const std::string r = t.Mkdir("R/A/B");
  t.Mkdir("R/C");
  std::string keep = t.Write("outside/keep.txt", "keep");
  t.Write("outside/dir/inner", "inner");
  ASSERT_EQ(::symlink(keep.c_str(), (t / "R/C/filelink").c_str()), 0);
  ASSERT_EQ(::symlink((t / "outside/dir").c_str(), (t / "R/dirlink").c_str()), 0);
  t.Mkdir("E/F/G");

  DeleteWindow w;
  w.modal.folders = {t / "E"};
  BrowseDeleteClick(w.form.Runs);
  w.ExpectCompleted();
  EXPECT_FALSE(EntryExists(t / "E"));

  DeleteWindow links;
  links.modal.folders = {t / "R"};
  BrowseDeleteClick(links.form.Runs);
  links.ExpectCompleted();
  EXPECT_FALSE(EntryExists(t / "R"));
  EXPECT_EQ(testing::ReadFile(keep), "keep");
  EXPECT_EQ(testing::ReadFile(t / "outside/dir/inner"), "inner");
}

// What was listed before goes only after the usual question, which counts it.
TEST(BrowseDelete, AsksBeforeDestroyingWhatWasListedBefore) {
  struct Case {
    bool folderBefore;
    int answer;
    const char* counted;
  };
  for (const Case& c :
       {Case{false, kIdYes, "1 Entry Listed"}, Case{true, kIdNo, "2 Entries Listed"}}) {
    TempDir t;
    const std::string keep = t.Write("keep.txt", "k");
    const std::string junk = t.Write("junk/f", "j");
    DeleteWindow w;
    w.form.List1->AddItem(keep);
    if (c.folderBefore) w.form.List2->AddItem(t.Mkdir("old"));
    w.modal.folders = {t / "junk"};
    w.modal.answers = {c.answer};
    BrowseDeleteClick(w.form.Runs);
    ASSERT_FALSE(w.modal.boxes.empty());
    EXPECT_EQ(w.modal.boxes[0].title, "Corvane - Delete Confirmation");
    EXPECT_NE(w.modal.boxes[0].prompt.find(c.counted), std::string::npos)
        << w.modal.boxes[0].prompt;
    EXPECT_EQ(EntryExists(keep), c.answer == kIdNo);
    EXPECT_EQ(EntryExists(junk), c.answer == kIdNo);
    EXPECT_FALSE(w.form.Runs.AutoMode());
  }
}

TEST(BrowseDelete, DeletesNothingWhenCancelledAbortedOrClosed) {
  TempDir t;
  const std::string before = t.Write("listed-before", "x");
  const std::string inside = t.Write("R/A/f", "y");

  {  // Cancelled choice: what List1 held before is left alone.
    DeleteWindow w;
    w.form.List1->AddItem(before);
    w.modal.folders = {std::nullopt};
    BrowseDeleteClick(w.form.Runs);
    EXPECT_TRUE(w.modal.boxes.empty());
    EXPECT_EQ(w.form.List1->ListCount(), 1);
    EXPECT_FALSE(w.form.Runs.AutoMode());
  }
  for (int pump : {2, 4}) {  // Abort in the directory phase, then in the file phase.
    DeleteWindow w;
    w.form.List1->AddItem(before);
    w.modal.folders = {t / "R"};
    w.modal.onPump = [&](int n) {
      if (n == pump) w.form.BrowseFolder->click();
    };
    BrowseDeleteClick(w.form.Runs);
    ASSERT_EQ(w.modal.boxes.size(), 1u);
    EXPECT_EQ(w.modal.boxes[0].prompt, "File List Building Process Aborted!");
    EXPECT_FALSE(w.form.Runs.AutoMode());
  }
  {  // The window closed during the scan.
    DeleteWindow w;
    w.modal.folders = {t / "R"};
    w.modal.onPump = [&](int n) {
      if (n == 4) w.form.close();
    };
    BrowseDeleteClick(w.form.Runs);
    EXPECT_TRUE(w.modal.boxes.empty());
    EXPECT_FALSE(w.form.isVisible());
  }
  EXPECT_EQ(testing::ReadFile(before), "x");
  EXPECT_EQ(testing::ReadFile(inside), "y");
}

// A folder that may be entered but not read is refused by every door, whether
// it was so at the gate or became so between the gate and the walk (in the
// scan's first pump); Browse & Delete then destroys nothing, not even what was
// listed before.
TEST(BrowseDelete, AnUnreadableFolderIsRefusedAtEveryDoorAndNothingGoes) {
  enum class Door { kHanded, kChooser, kBrowseDelete };
  for (Door door : {Door::kHanded, Door::kChooser, Door::kBrowseDelete}) {
    for (bool atTheGate : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "door " << int(door) << ", at the gate " << atTheGate);
      TempDir t;
      const std::string sibling = t.Write("sibling", "s");
      const std::string inside = t.Write("locked/f", "f");
      const std::string locked = t / "locked";
      if (atTheGate) ::chmod(locked.c_str(), 0300);
      DeleteWindow w;
      w.form.List1->AddItem(sibling);
      w.modal.folders = {locked};
      w.modal.onPump = [&](int n) {
        if (n == 1) ::chmod(locked.c_str(), 0300);
      };
      {
        testing::WithoutModeOverride asAnyUser;
        if (door == Door::kHanded) AddHandedPaths(w.form.Runs, {locked});
        if (door == Door::kChooser) {
          EXPECT_EQ(BrowseFolderClick(w.form.Runs), BrowseOutcome::Refused);
        }
        if (door == Door::kBrowseDelete) BrowseDeleteClick(w.form.Runs);
      }
      EXPECT_EQ(w.modal.pumps, atTheGate ? 0 : 1);  // the gate refuses before any scan
      ASSERT_EQ(w.modal.boxes.size(), 1u);
      EXPECT_EQ(w.modal.boxes[0].prompt, "This Folder Cannot Be Destroyed!\n" + locked +
                                             "\nIt cannot be read: Permission denied.");
      EXPECT_EQ(w.modal.boxes[0].title, "Corvane - Folder Refused");
      EXPECT_EQ(w.Entries(w.form.List1), std::vector<std::string>{sibling});
      EXPECT_EQ(w.form.List2->ListCount(), 0);
      EXPECT_TRUE(w.form.DeleteFiles->isEnabled());
      EXPECT_EQ(w.form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
      EXPECT_EQ(testing::ReadFile(sibling), "s");
      EXPECT_EQ(testing::ReadFile(inside), "f");
    }
  }
}

}  // namespace
}  // namespace corvane

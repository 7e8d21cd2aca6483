#include <gtest/gtest.h>

#include <algorithm>

#include "scan/browse_folder_command.h"
#include "scan/core/directory_walk.h"
#include "scan_test_support.h"
#include "support/temp_dir.h"
#include "support/without_mode_override.h"
#include "scan/msg.h"

namespace corvane {
namespace {

using testing::ScanWindow;
using testing::TempDir;

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

void ExpectIdle(const Form1& form) {
  EXPECT_EQ(form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
  EXPECT_EQ(form.BrowseFolder->hovercaption(), form.BrowseFolder->caption());
  EXPECT_EQ(form.BrowseFolder->downcaption(), form.BrowseFolder->caption());
  for (HoverButton* b : {form.AddFiles, form.DeleteFiles, form.BrowseDelete, form.BrowseFolder})
    EXPECT_TRUE(b->isEnabled());
  EXPECT_EQ(form.windowTitle(), "Corvane Version 1.0 By Halvek");
  EXPECT_TRUE(form.WaitWindow() == nullptr || !form.WaitWindow()->isVisible());
  EXPECT_FALSE(form.Runs.Running());
}

TEST(BrowseFolder, ListsTheTreeBreadthFirstAndASecondScanAppends) {
  TempDir t;
  t.Write("R/A/A1/x.txt", "");
  t.Mkdir("R/A/A2");
  t.Write("R/B/B1/.hidden", "");
  t.Write("R/B/y.txt", "");
  t.Write("R/top.dat", "");
  t.Write("R/.secret/z.txt", "");
  t.Write("S/s1/w.txt", "");
  const std::string r = t / "R", s = t / "S";
  ScanWindow w;
  Form1& form = w.form;
  w.modal.folders = {r, s};
  bool checkedStart = false;
  w.modal.onPump = [&](int n) {
    if (n != 1) return;
    checkedStart = true;
    EXPECT_EQ(form.BrowseFolder->caption(), "&Abort");
    EXPECT_EQ(form.BrowseFolder->hovercaption(), "&Abort");
    EXPECT_FALSE(form.AddFiles->isEnabled());
    EXPECT_FALSE(form.DeleteFiles->isEnabled());
    EXPECT_FALSE(form.BrowseDelete->isEnabled());
    EXPECT_EQ(form.windowTitle(), "Building Directory List. Please Wait...");
    ASSERT_TRUE(form.WaitWindow());
    EXPECT_TRUE(form.WaitWindow()->isVisible());
    EXPECT_EQ(w.Entries(form.List2), std::vector<std::string>{r});
  };

  EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Completed);
  EXPECT_TRUE(checkedStart);
  ASSERT_EQ(w.modal.folderRequests.size(), 1u);
  const FolderRequest& request = w.modal.folderRequests[0];
  EXPECT_EQ(request.title, "Corvane - Select A Folder To Delete");
  EXPECT_EQ(request.prompt, "Select A Folder To Delete:");
  EXPECT_TRUE(request.option);
  EXPECT_EQ(request.option1, 1);
  EXPECT_EQ(request.option2, 2);

  std::vector<std::string> dirs = w.Entries(form.List2);
  EXPECT_EQ(dirs, testing::BreadthFirst(r));
  EXPECT_EQ(Sorted(dirs), Sorted({r, r + "/A", r + "/B", r + "/A/A1", r + "/A/A2", r + "/B/B1"}));
  std::vector<std::string> files = w.Entries(form.List1);
  ResultList walk = GetAllFiles(r, "*.*", true);
  EXPECT_EQ(files, std::vector<std::string>(walk.begin(), walk.end()));
  EXPECT_EQ(Sorted(files), Sorted({r + "/A/A1/x.txt", r + "/B/y.txt", r + "/top.dat"}));
  EXPECT_EQ(form.ProgressBar1->max(), 3);
  EXPECT_EQ(form.ProgressBar1->value(), 3);
  EXPECT_EQ(form.ProgressBar1->captionText(), "Building File List - ");
  EXPECT_EQ(w.modal.pumps, 1 + 6 + 3);  // the start, each directory, each file
  EXPECT_TRUE(w.modal.boxes.empty());
  ExpectIdle(form);

  // A second scan with a mask: its entries follow the first scan's, and the
  // first scan's directories are not expanded again.
  form.FileSpecific->setText(QStringLiteral("*.txt;*.*"));
  EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Completed);
  dirs.insert(dirs.end(), {s, s + "/s1"});
  EXPECT_EQ(w.Entries(form.List2), dirs);
  files.push_back(s + "/s1/w.txt");
  EXPECT_EQ(w.Entries(form.List1), files);
  ExpectIdle(form);
}

TEST(BrowseFolder, CancelledChoiceChangesNothingAndAnEmptyMaskListsNoFile) {
  TempDir t;
  t.Write("R/A/f", "");
  ScanWindow w;
  Form1& form = w.form;
  form.List1->AddItem("before1");
  form.List2->AddItem("before2");
  w.modal.folders = {std::nullopt};
  EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Cancelled);
  EXPECT_EQ(w.Entries(form.List1), std::vector<std::string>{"before1"});
  EXPECT_EQ(w.Entries(form.List2), std::vector<std::string>{"before2"});
  EXPECT_EQ(form.windowTitle(), "Corvane By Halvek");
  EXPECT_EQ(form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
  EXPECT_EQ(w.modal.pumps, 0);
  EXPECT_FALSE(form.WaitWindow());

  form.FileSpecific->setText(QString());
  w.modal.folders = {t / "R"};
  EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Completed);
  EXPECT_EQ(w.Entries(form.List1), std::vector<std::string>{"before1"});
  EXPECT_EQ(w.Entries(form.List2), (std::vector<std::string>{"before2", t / "R", t / "R/A"}));
  EXPECT_EQ(form.ProgressBar1->max(), 0);
  EXPECT_EQ(form.ProgressBar1->value(), 0);

  // A cancel while the window is closing still lets it close.
  form.Runs.SetStopRequested();
  w.modal.folders = {std::nullopt};
  EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Stopped);
  EXPECT_FALSE(form.isVisible());
}

// A tree of three directories and three files: pumps 2 to 4 follow the
// directories, pumps 5 to 7 the files.
void MakeSmallTree(const TempDir& t) {
  t.Write("R/f1", "");
  t.Write("R/A/f2", "");
  t.Write("R/B/f3", "");
}

TEST(BrowseFolder, AbortInEitherPhaseEmptiesBothLists) {
  for (int abortAt : {2, 3, 6}) {
    SCOPED_TRACE(abortAt);
    TempDir t;
    MakeSmallTree(t);
    ScanWindow w;
    Form1& form = w.form;
    form.List1->AddItem("from before");
    form.List2->AddItem("from before");
    w.modal.folders = {t / "R"};
    w.modal.onPump = [&](int n) {
      if (n == abortAt) form.BrowseFolder->click();  // the button reads "&Abort"
    };
    bool waitClosedAtMessage = false;
    w.modal.onBox = [&](const testing::AskedBox&) {
      waitClosedAtMessage = !form.WaitWindow()->isVisible();
    };
    EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Aborted);
    EXPECT_EQ(w.modal.pumps, abortAt);
    ASSERT_EQ(w.modal.boxes.size(), 1u);
    EXPECT_EQ(w.modal.boxes[0].prompt, "File List Building Process Aborted!");
    EXPECT_EQ(w.modal.boxes[0].title, "Corvane - Operation Aborted");
    EXPECT_EQ(w.modal.boxes[0].style, 16);
    EXPECT_TRUE(waitClosedAtMessage);
    EXPECT_EQ(form.List1->ListCount(), 0);
    EXPECT_EQ(form.List2->ListCount(), 0);
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_EQ(form.ProgressBar1->captionText(), "");
    ExpectIdle(form);
  }
}

TEST(BrowseFolder, ClosingTheWindowInEitherPhaseStopsWithoutAMessage) {
  for (int closeAt : {1, 3, 6}) {
    SCOPED_TRACE(closeAt);
    TempDir t;
    MakeSmallTree(t);
    ScanWindow w;
    Form1& form = w.form;
    w.modal.folders = {t / "R"};
    w.modal.onPump = [&](int n) {
      if (n == closeAt) form.close();
    };
    EXPECT_EQ(BrowseFolderClick(form.Runs), BrowseOutcome::Stopped);
    EXPECT_EQ(w.modal.pumps, std::max(closeAt, 2));  // the start pump is not tested
    EXPECT_TRUE(w.modal.boxes.empty());
    EXPECT_TRUE(form.Runs.StopRequested());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.WaitWindow()->isVisible());
    EXPECT_EQ(form.BrowseFolder->caption(), "&Browse For A Folder To Delete");
  }
}

// A subfolder whose content cannot be read is listed, and said once.
TEST(BrowseFolder, AFolderItCouldNotReadIsNamedOnce) {
  TempDir t;
  t.Write("top/f", "f");
  const std::string locked = t.Mkdir("top/locked");
  ::chmod(locked.c_str(), 0300);
  ScanWindow w;
  w.modal.folders = {t / "top"};
  {
    testing::WithoutModeOverride asAnyUser;
    EXPECT_EQ(BrowseFolderClick(w.form.Runs), BrowseOutcome::Completed);
  }
  ::chmod(locked.c_str(), 0700);
  EXPECT_EQ(w.form.List1->ListCount(), 1);
  EXPECT_EQ(w.form.List2->ListCount(), 2);
  ASSERT_EQ(w.modal.boxes.size(), 1u);
  EXPECT_EQ(w.modal.boxes[0].prompt,
            "The Listing Is Incomplete!\nThese folders could not be read, so nothing inside them "
            "is listed:\n" +
                locked + " (Permission denied)");
  EXPECT_EQ(w.modal.boxes[0].title, "Corvane - Listing Incomplete");
}

}  // namespace
}  // namespace corvane

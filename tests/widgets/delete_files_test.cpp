#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <csignal>

#include "picking/handed_paths.h"
#include "platform/file_ops.h"
#include "scan_test_support.h"
#include "shell/close_on_signal.h"
#include "shell/form1.h"
#include "shred/core/run_report.h"
#include "shred/core/shred_engine.h"
#include "support/scripted_modal.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::AskedBox;
using testing::ReadFile;
using testing::TempDir;

const char kConfirm[] = "Are You Sure You Want To Delete The Selected Files?";
const char kDone[] = "Operation Completed Successfully!";
const char kAborted[] = "File Deletion Process Aborted!";

class DeleteRun : public ::testing::Test {
 protected:
  void SetUp() override {
    modal.pumpQt = [] { QCoreApplication::processEvents(); };
    form.show();
  }
  std::string AddFile(const std::string& name, const std::string& content) {
    std::string path = dir.Write(name, content);
    form.List1->AddItem(path);
    return path;
  }
  void Run(const char* count) {
    form.ShredsAmount->setText(QString::fromLatin1(count));
    form.DeleteFiles_Click();
  }
  std::vector<std::string> Prompts() const { return modal.Prompts(); }
  void ExpectIdle() {
    testing::ExpectRunControlsBack(form);
    EXPECT_FALSE(form.Runs.Running());
  }

  testing::ScriptedModal modal;
  TempDir dir;
  Form1 form;
};

TEST_F(DeleteRun, ThreePassesOverwriteThenDelete) {
  std::string path = AddFile("a", std::string(10000, 'S'));
  std::vector<std::string> seen;
  std::vector<int64_t> values{0};
  modal.onPump = [&](int) {
    EXPECT_EQ(form.ProgressBar1->max(), 3);
    EXPECT_EQ(form.ProgressBar1->captionText(), "Deleting Files - ");
    EXPECT_EQ(form.DeleteFiles->caption(), "&Abort");
    EXPECT_FALSE(form.List1->isEnabled());
    EXPECT_FALSE(form.AddFiles->isEnabled());
    // A slow wait for the device pumps too; only the ends of passes count.
    if (form.ProgressBar1->value() == values.back()) return;
    seen.push_back(EntryExists(path) ? ReadFile(path) : "<gone>");
    values.push_back(form.ProgressBar1->value());
  };
  modal.onBox = [&](const AskedBox& box) {
    if (box.prompt == kDone) testing::ExpectRunControlsBack(form);
  };
  Run("3");
  ASSERT_EQ(seen.size(), 3u);
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(seen[pass].size(), 10000u);
    EXPECT_EQ(seen[pass].find("SSSS"), std::string::npos);
  }
  EXPECT_NE(seen[0], seen[1]);
  EXPECT_EQ(seen[2], "<gone>");
  EXPECT_EQ(values, (std::vector<int64_t>{0, 1, 2, 3}));
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kConfirm, kDone}));
  EXPECT_EQ(modal.boxes[0].style, kMbYesNo);
  EXPECT_EQ(modal.boxes[0].title, "Corvane - Delete Confirmation");
  EXPECT_EQ(modal.boxes[1].style, kMbOk);
  EXPECT_EQ(modal.boxes[1].title, "Corvane - Files Deleted");
  EXPECT_EQ(form.List1->ListCount(), 0);
  ExpectIdle();
}

TEST_F(DeleteRun, CountOneDeletesWithoutWritingAndFractionsRoundHalfEven) {
  std::string a = AddFile("a", "aaaa");
  std::string b = AddFile("b", "bbbb");
  std::vector<std::string> second;
  modal.onPump = [&](int) { second.push_back(EntryExists(b) ? ReadFile(b) : "<gone>"); };
  Run("1");
  EXPECT_EQ(second, (std::vector<std::string>{"<gone>"}));  // one batch, one pass
  EXPECT_EQ(modal.pumps, 1);

  // 2.5 over four files: two passes each, a maximum of 10, the bar reaching 8.
  modal.boxes.clear();
  modal.pumps = 0;
  std::vector<std::string> files;
  for (const char* n : {"w", "x", "y", "z"}) files.push_back(AddFile(n, "content"));
  int64_t last = 0, max = 0;
  std::string after_first_pass;
  modal.onPump = [&](int n) {
    last = form.ProgressBar1->value();
    max = form.ProgressBar1->max();
    if (n == 1) after_first_pass = ReadFile(files[0]);
  };
  Run("2.5");
  EXPECT_EQ(max, 10);
  EXPECT_EQ(last, 8);
  EXPECT_EQ(after_first_pass.size(), 7u);
  EXPECT_NE(after_first_pass, "content");
  for (const std::string& f : files) EXPECT_FALSE(EntryExists(f));
  EXPECT_EQ(Prompts().back(), kDone);
}

TEST_F(DeleteRun, AbortInTheFilePhaseKeepsThePartlyOverwrittenFiles) {
  std::string a = AddFile("a", "first");
  std::string b = AddFile("b", "second");
  form.List2->AddItem(dir.path());
  int64_t at_click = 0;
  modal.onPump = [&](int n) {
    // The click may land during a slow wait for the device: no pass follows.
    if (n != 1) {
      EXPECT_EQ(form.ProgressBar1->value(), at_click);
      return;
    }
    at_click = form.ProgressBar1->value();
    form.DeleteFiles->click();  // the button now reads "&Abort"
    EXPECT_EQ(form.DeleteFiles->caption(), "Aborting...");
    EXPECT_TRUE(form.AddFiles->isEnabled());
    EXPECT_TRUE(form.BrowseDelete->isEnabled());
    EXPECT_TRUE(form.Runs.Aborting());
  };
  modal.onBox = [&](const AskedBox& box) {
    if (box.prompt != kConfirm) testing::ExpectRunControlsBack(form);
  };
  Run("3");
  ASSERT_EQ(Prompts().size(), 2u);
  EXPECT_EQ(modal.boxes[1].prompt, std::string(kAborted) +
                                       "\n2 files were partly overwritten and kept:\n" + a +
                                       " (partly overwritten)\n" + b + " (partly overwritten)");
  EXPECT_EQ(modal.boxes[1].style, kMbStop);
  EXPECT_EQ(modal.boxes[1].title, "Corvane - Operation Aborted");
  EXPECT_EQ(ReadFile(a).size(), 5u);  // overwritten once, still there
  EXPECT_NE(ReadFile(a), "first");
  EXPECT_NE(ReadFile(b), "second");
  EXPECT_EQ(form.List1->ListCount(), 2);
  EXPECT_EQ(form.List2->ListCount(), 1);
  ExpectIdle();
}

TEST_F(DeleteRun, AbortInTheDirectoryPhase) {
  std::string outer = dir.Mkdir("outer");
  std::string inner = dir.Mkdir("outer/inner");
  form.List2->AddItem(outer);
  form.List2->AddItem(inner);
  modal.onPump = [&](int n) {
    EXPECT_EQ(form.ProgressBar1->captionText(), "Removing Directories - ");
    EXPECT_EQ(form.ProgressBar1->max(), 2);
    if (n == 1) form.DeleteFiles->click();
  };
  Run("20");
  EXPECT_FALSE(EntryExists(inner));  // deepest first
  EXPECT_TRUE(EntryExists(outer));
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kConfirm, kAborted}));
  EXPECT_EQ(form.List2->ListCount(), 2);
  ExpectIdle();
}

// Closing during a run asks first, a signal does not; a close that goes
// ahead aborts the run as its Abort button does and ends it silently.
TEST(DeleteRunClose, AsksUnlessASignalClosesAndAbortsTheRun) {
  const char kClose[] = "A Destruction Is Running. Abort It And Close?";
  struct Case {
    bool bySignal;
    int answer;
    std::vector<std::string> prompts;
  };
  const Case cases[] = {{false, kIdYes, {kConfirm, kClose}},
                        {false, kIdNo, {kConfirm, kClose, kDone}},
                        {true, kIdNo, {kConfirm}}};
  for (const Case& c : cases) {
    TempDir dir;
    testing::ScriptedModal modal;
    modal.pumpQt = [] { QCoreApplication::processEvents(); };
    Form1 form;
    form.show();
    new CloseOnSignal(&form);
    const std::string a = dir.Write("a", "first");
    const std::string b = dir.Write("b", "second");
    form.List1->AddItem(a);
    form.List1->AddItem(b);
    form.ShredsAmount->setText(QStringLiteral("3"));
    modal.answers = {kIdYes, c.answer};
    bool abortedByClose = false;
    modal.onPump = [&](int n) {
      if (n != 1) return;
      if (c.bySignal) {
        ::raise(SIGTERM);
        for (int i = 0; i < 5 && form.isVisible(); ++i) QCoreApplication::processEvents();
      } else {
        form.close();
      }
      abortedByClose = form.Runs.Aborting();
    };
    form.DeleteFiles_Click();
    const bool closed = c.bySignal || c.answer == kIdYes;
    EXPECT_EQ(modal.Prompts(), c.prompts);
    if (modal.boxes.size() > 1) {
      EXPECT_EQ(modal.boxes[1].style, kMbYesNoQuestion);
      EXPECT_EQ(modal.boxes[1].title, "Corvane");
    }
    EXPECT_EQ(form.isVisible(), !closed);
    EXPECT_EQ(abortedByClose, closed);
    EXPECT_EQ(EntryExists(a), closed);  // kept after its first pass
    EXPECT_EQ(EntryExists(b), closed);
    // ...and named when the program exits.
    EXPECT_EQ(form.Runs.InterruptedRunKept.has_value(), closed);
    if (form.Runs.InterruptedRunKept) {
      EXPECT_EQ(InterruptedRunReport(*form.Runs.InterruptedRunKept),
                "corvane: the run was interrupted before its end; these files were kept:\n" + a +
                    " (partly overwritten)\n" + b + " (partly overwritten)\n");
    }
  }
}

TEST_F(DeleteRun, EmptyListsAskThenSayThereIsNothing) {
  form.DeleteFiles_Click();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kConfirm, "No Files To Delete!"}));
  EXPECT_EQ(modal.boxes[1].style, kMbStop);
  EXPECT_EQ(modal.boxes[1].title, "Corvane - No Files To Delete");

  modal.boxes.clear();
  modal.answers = {kIdNo};
  form.DeleteFiles_Click();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{kConfirm}));

  modal.boxes.clear();
  form.Runs.SetAutoMode(true);
  form.DeleteFiles_Click();
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"No Files To Delete!"}));
  EXPECT_EQ(modal.pumps, 0);
  ExpectIdle();
}

TEST_F(DeleteRun, DeclinedConfirmationChangesNothing) {
  std::string a = AddFile("a", "keep");
  modal.answers = {kIdNo};
  Run("3");
  EXPECT_EQ(ReadFile(a), "keep");
  EXPECT_EQ(form.List1->ListCount(), 1);
  EXPECT_EQ(modal.pumps, 0);
}

TEST_F(DeleteRun, OnlyListedEntriesAreTouchedAndSurvivorsAreReported) {
  TempDir outside;
  std::string precious = outside.Write("precious", "outside content");
  std::string link = dir / "link";
  ASSERT_EQ(::symlink(precious.c_str(), link.c_str()), 0);
  form.List1->AddItem(link);
  std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  form.List1->AddItem(fifo);
  std::string readonly = AddFile("readonly", "kept");
  ::chmod(readonly.c_str(), 0444);
  std::string plain = AddFile("sub/plain", "gone");
  form.List1->AddItem(dir / "was-never-there");
  std::string sub = dir / "sub";
  dir.Write("sub/unlisted", "not in the list");
  std::string empty = dir.Mkdir("empty");
  form.List2->AddItem(sub);
  form.List2->AddItem(empty);

  Run("3");
  EXPECT_EQ(ReadFile(precious), "outside content");
  EXPECT_FALSE(EntryExists(link));
  EXPECT_FALSE(EntryExists(fifo));
  EXPECT_FALSE(EntryExists(plain));
  EXPECT_EQ(ReadFile(readonly), "kept");
  EXPECT_EQ(ReadFile(dir / "sub/unlisted"), "not in the list");
  EXPECT_FALSE(EntryExists(empty));
  ASSERT_EQ(modal.boxes.size(), 2u);
  EXPECT_EQ(modal.boxes[1].prompt,
            "Some Files Could Not Be Deleted!\n2 of 5 files and 1 of 2 directories remain.\n1 "
            "listed entry was not found (moved, renamed or deleted by something else).\n" +
                readonly + " (read-only)\n" + dir / "was-never-there" + " (no longer there)\n" +
                sub + " (folder not empty)");
  EXPECT_EQ(modal.boxes[1].style, kMbStop);
  EXPECT_EQ(modal.boxes[1].title, "Corvane - Files Not Deleted");
  ASSERT_EQ(form.List1->ListCount(), 1);
  EXPECT_EQ(form.List1->List(0), readonly);
  ASSERT_EQ(form.List2->ListCount(), 1);
  EXPECT_EQ(form.List2->List(0), sub);
  ExpectIdle();
}

// Folders handed over or chosen are named before Yes, unlike those found
// inside them; no list shows them.
TEST_F(DeleteRun, TheConfirmationNamesTheFoldersHandedOrChosen) {
  std::vector<std::string> folders;
  for (const char* name : {"p1", "p2", "p3", "p4", "p5"}) folders.push_back(dir.Mkdir(name));
  dir.Mkdir("p1/found");
  const std::string file = dir.Write("p1/found/f", "kept");
  const auto line = [&](const std::string& names, const char* them) {
    return std::string(kConfirm) + "\nThe Folder" + names + " Will Be Removed With Everything " +
           "Listed In " + them + ".";
  };
  struct Step {
    std::vector<std::string> handed;
    std::string prompt;
  };
  const Step steps[] = {
      {{folders[0], file}, line(" " + folders[0], "It")},
      {{folders[1], folders[0]}, line("s " + folders[0] + " and " + folders[1], "Them")},
      {{folders[2]}, line("s " + folders[0] + ", " + folders[1] + " and " + folders[2], "Them")},
      {{folders[3], folders[4]},
       line("s " + folders[0] + ", " + folders[1] + ", " + folders[2] + " and 2 more", "Them")},
  };
  for (const Step& step : steps) {
    modal.boxes.clear();
    AddHandedPaths(form.Runs, step.handed);
    modal.answers = {kIdNo};
    form.DeleteFiles_Click();
    EXPECT_EQ(Prompts(), std::vector<std::string>{step.prompt});
  }
  // The chooser's folder counts as well.
  form.List1->Clear();
  form.List2->Clear();
  modal.boxes.clear();
  modal.folders = {folders[4]};
  form.BrowseFolder_Click();
  modal.answers = {kIdNo};
  form.DeleteFiles_Click();
  EXPECT_EQ(Prompts(), std::vector<std::string>{line(" " + folders[4], "It")});
  EXPECT_EQ(ReadFile(file), "kept");
}

TEST_F(DeleteRun, CountsBeyondSixteenBitsAreHonoured) {
  form.List1->AddItem(dir / "already-gone");
  Run("100000");
  EXPECT_EQ(modal.pumps, 100000);
  EXPECT_NE(Prompts().back().find("already-gone (no longer there)"), std::string::npos);
}

TEST_F(DeleteRun, AStartRequestWhileAnAbortedRunFinishesIsIgnored) {
  std::string big = AddFile("big", std::string(2 * ShredEngine::kChunkSize, 'S'));
  std::string other = AddFile("other", "other");
  int64_t at_click = 0;
  modal.onPump = [&](int n) {
    if (n != 1) {
      EXPECT_EQ(form.ProgressBar1->value(), at_click);  // no pass after it
      return;
    }
    at_click = form.ProgressBar1->value();
    form.DeleteFiles->click();  // abort
    form.DeleteFiles->click();  // the button reads "Aborting..."
  };
  Run("3");
  ASSERT_EQ(Prompts().size(), 2u);
  EXPECT_EQ(Prompts()[1].rfind(kAborted, 0), 0u);
  EXPECT_TRUE(EntryExists(big));
  EXPECT_TRUE(EntryExists(other));
}

}  // namespace
}  // namespace corvane

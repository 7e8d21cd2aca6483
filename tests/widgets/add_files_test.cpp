#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "list_entries.h"
#include "picking/core/c_file_dialog.h"
#include "shell/form1.h"
#include "support/scripted_modal.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::Entries;
using testing::EntriesOf;

FileAnswer Chose(std::vector<std::string> paths) {
  return {true, std::move(paths), 1};
}

void GiveFileDialog(Form1& form) {
  form.FileDialog = std::make_unique<cFileDialog>();
  form.FileDialog->setFilter("All Files (*.*)|*.*");
}

TEST(AddFiles, AppendsFullPathsAndTouchesNothingElse) {
  testing::ScriptedModal modal;
  testing::TempDir tmp;
  Form1 form;
  GiveFileDialog(form);
  form.List1->AddItem(tmp / "a.txt");
  form.List1->SetSelected(0, true);
  form.List2->AddItem(tmp.path());
  modal.files = {Chose({tmp / "a.txt", tmp / "b.txt"}), Chose({tmp / "b.txt"}),
                 Chose({"/a.txt", "/b.txt"}), Chose({"/x/\xff\xfe.bin"})};

  form.AddFiles->click();
  form.AddFiles_Click();
  form.AddFiles_Click();
  form.AddFiles_Click();

  // In the dialog's order; files already listed are listed again.
  EXPECT_EQ(EntriesOf(*form.List1),
            (Entries{tmp / "a.txt", tmp / "a.txt", tmp / "b.txt", tmp / "b.txt", "/a.txt", "/b.txt",
                     "/x/\xff\xfe.bin"}));
  EXPECT_EQ(EntriesOf(*form.List2), Entries{tmp.path()});
  EXPECT_TRUE(form.List1->Selected(0));
  for (int64_t i = 1; i < form.List1->ListCount(); ++i) EXPECT_FALSE(form.List1->Selected(i));
  EXPECT_TRUE(modal.boxes.empty());

  ASSERT_EQ(modal.fileRequests.size(), 4u);
  const FileRequest& r = modal.fileRequests[0];
  EXPECT_TRUE(r.multiSelect && r.mustExist && !r.save);
  EXPECT_EQ(r.owner, form.Runs.Owner());
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(r.filters, (Pairs{{"All Files (*.*)", "*.*"}}));
}

TEST(AddFiles, CancelAddsNothingAndEveryClickStartsAfresh) {
  testing::ScriptedModal modal;
  testing::TempDir tmp;
  Form1 form;
  GiveFileDialog(form);
  form.List1->AddItem(tmp / "kept");
  cFileDialog& dialog = *form.FileDialog;

  // Nothing scripted: cancelled.
  dialog.setFlags(0x8);
  form.AddFiles_Click();
  EXPECT_EQ(EntriesOf(*form.List1), Entries{tmp / "kept"});
  EXPECT_TRUE(modal.boxes.empty());
  EXPECT_EQ(dialog.Filename(), "");

  for (int click = 0; click < 2; ++click) {
    dialog.setFlags(0x40 + click);
    modal.files = {Chose({tmp / "c.txt", tmp / "d.txt"})};
    form.AddFiles_Click();
    EXPECT_EQ(dialog.flags(), 0x1204);
    EXPECT_EQ(dialog.Record().Flags, 0x81204u);
    EXPECT_EQ(dialog.Record().nMaxFile, 8192u);
    EXPECT_EQ(dialog.Filename(), "");
  }
  for (const FileRequest& r : modal.fileRequests) EXPECT_EQ(r.initialName, "");
  EXPECT_EQ(EntriesOf(*form.List1),
            (Entries{tmp / "kept", tmp / "c.txt", tmp / "d.txt", tmp / "c.txt", tmp / "d.txt"}));

  // A plain path left in the dialog by some other caller is not mistaken for
  // a choice, and the next click works again.
  dialog.setFilename(tmp / "stale");
  form.AddFiles_Click();
  EXPECT_EQ(form.List1->ListCount(), 5);
  EXPECT_EQ(dialog.Filename(), "");
  modal.files = {Chose({tmp / "e"})};
  form.AddFiles_Click();
  EXPECT_EQ(form.List1->List(5), tmp / "e");
}

}  // namespace
}  // namespace corvane

// An entry is the object that was listed, over time: a reused inode number,
// a folder swapped for another real folder, or a folder moved while the
// cursor had let go of it never passes for the listed one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/dir_cursor.h"
#include "platform/file_ops.h"
#include "scan/core/tree_walk.h"
#include "shred/core/shred_run.h"
#include "support/run_host.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

std::optional<Survivor> Shred(const ListedEntry& entry, int64_t passes) {
  ShredRun run(passes, passes > 1);
  return testing::DestroyOne(run, entry);
}

// `rel` below `anchor`, with `anchor` as the directory the user chose.
ListedEntry Below(const std::string& anchor, const std::string& rel) {
  ListedEntry entry = IdentifyPath(anchor + "/" + rel).value();
  entry.anchor_length = static_cast<uint32_t>(anchor.size());
  entry.anchor_id = IdentifyPath(anchor).value().id;
  return entry;
}

// Picked, or listed by a walk, which may know the file by its folder entry
// alone: a file born a tick after the walk began is another.
TEST(EntryIdentity, AReusedInodeNumberIsAnotherFile) {
  for (int64_t passes : {1, 3, -1, -3}) {
    TempDir t;
    std::string path = t.Write("report.txt", "nobody's");
    WalkOptions all;
    all.masks = {"*"};
    const ListedEntry listed =
        passes > 0 ? IdentifyPath(path).value() : WalkTree(t.path(), all).files.at(0);
    passes = std::abs(passes);
    BornByNow();  // the clock that stamps new files moves on
    bool reused = false;
    for (int attempt = 0; attempt < 20 && !reused; ++attempt) {
      ::unlink(path.c_str());
      t.Write("report.txt", "daemon's");
      reused = IdentifyPath(path).value().id.ino == listed.id.ino;
    }
    if (!reused) GTEST_SKIP() << "this file system hands out fresh inode numbers";
    EXPECT_TRUE(Shred(listed, passes).has_value());
    EXPECT_EQ(ReadFile(path), "daemon's") << passes << " passes";
  }
}

// A file made while the walk runs is younger than its listing: kept, and
// never called gone.
TEST(EntryIdentity, AFileMadeDuringItsListingIsKeptAsChanged) {
  TempDir t;
  t.Mkdir("sub");
  WalkOptions all;
  all.masks = {"*"};
  // After the top folder is read, before "sub" is.
  all.between = [&] {
    if (!EntryExists(t / "sub/new")) t.Write("sub/new", "made meanwhile");
    return true;
  };
  const TreeListing listing = WalkTree(t.path(), all);
  ASSERT_EQ(listing.files.size(), 1u);
  if (listing.files[0].id.kind != Stamp::kBornBy) GTEST_SKIP() << "files are read one by one here";
  std::optional<Survivor> survivor = Shred(listing.files[0], 1);
  ASSERT_TRUE(survivor);
  EXPECT_EQ(survivor->reason, SurvivalReason::kChanged);
  EXPECT_EQ(ReadFile(t / "sub/new"), "made meanwhile");
}

// A listed folder, or a picked file's own folder, replaced by another real
// folder holding a hard link to the listed file: a plain delete would take
// that name away from a folder nobody listed.
TEST(EntryIdentity, AFolderSwappedForAnotherRealFolderIsNotEntered) {
  for (bool picked : {false, true}) {
    TempDir t;
    t.Write("sub/f", "listed");
    const ListedEntry file = picked ? IdentifyPath(t / "sub/f").value() : Below(t.path(), "sub/f");
    ShredRun run(1, false);
    std::vector<ListedEntry> folders;
    if (!picked) folders.push_back(Below(t.path(), "sub"));
    ASSERT_EQ(::rename((t / "sub").c_str(), (t / "sub.moved").c_str()), 0);
    ASSERT_EQ(::mkdir((t / "sub").c_str(), 0700), 0);
    ASSERT_EQ(::link((t / "sub.moved/f").c_str(), (t / "sub/f").c_str()), 0);
    EXPECT_EQ(testing::Destroy(run, {file}, folders).files.size(), 1u);
    EXPECT_TRUE(EntryExists(t / "sub/f")) << (picked ? "picked" : "listed");
  }
}

// With a budget of two descriptors the upper levels are closed and later
// reopened through "..": a folder moved meanwhile has another parent.
TEST(EntryIdentity, AReopenedLevelMustBeTheFolderItWas) {
  TempDir t;
  t.Write("a/b/c/d/f", "deep");
  t.Write("elsewhere/g", "not listed");
  DirCursor cursor(2);
  ASSERT_EQ(cursor.MoveToParentOf(Below(t.path(), "a/b/c/d/f")), 0);
  ListedEntry g = Below(t.path(), "a/b/c/d/f");
  g.path = t / "a/b/g";
  ASSERT_EQ(::rename((t / "a/b/c").c_str(), (t / "elsewhere/c").c_str()), 0);
  EXPECT_EQ(cursor.MoveToParentOf(g), kIdentityChanged);
}

// What happens in the instant after a check is caught by the next one: the
// descriptor's own identity after the open, the link count before the
// truncate.
TEST(EntryIdentity, ASwapRightAfterACheckIsCaught) {
  struct Case {
    ShredStep step;
    SurvivalReason reason;
    std::string expected;  // what "f" holds afterwards
  };
  for (const Case& c : {Case{ShredStep::kOpenChecked, SurvivalReason::kNotFound, "someone else's"},
                        Case{ShredStep::kTruncate, SurvivalReason::kOtherNames, ""}}) {
    TempDir t;
    const ListedEntry listed = IdentifyPath(t.Write("f", "listed")).value();
    ShredRun run(2, true);
    run.engine().before_step = [&](ShredStep step) {
      if (step != c.step) return;
      if (step == ShredStep::kOpenChecked) {
        t.Write("other", "someone else's");
        ASSERT_EQ(::rename((t / "other").c_str(), (t / "f").c_str()), 0);
      } else {
        ASSERT_EQ(::link((t / "f").c_str(), (t / "second-name").c_str()), 0);
      }
    };
    std::optional<Survivor> survivor = testing::DestroyOne(run, listed);
    ASSERT_TRUE(survivor);
    EXPECT_EQ(survivor->reason, c.reason);
    if (!c.expected.empty()) {
      EXPECT_EQ(ReadFile(t / "f"), c.expected);
    } else {
      EXPECT_EQ(ReadFile(t / "f").size(), 6u) << "kept whole, not truncated";
    }
  }
}

TEST(EntryIdentity, ABindMountedFileIsKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  TempDir t;
  std::string behind = t.Write("behind", "the file behind the mount");
  std::string named = t.Write("named", "listed");
  if (::mount(behind.c_str(), named.c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "no mounts here";
  WalkOptions all;
  all.masks = {"named"};
  // Picked, or listed by its folder entry (the file under the mount).
  for (const ListedEntry& listed :
       {IdentifyPath(named).value(), WalkTree(t.path(), all).files.at(0)}) {
    std::optional<Survivor> survivor = Shred(listed, 3);
    ASSERT_TRUE(survivor);
    EXPECT_EQ(survivor->reason, SurvivalReason::kOtherFileSystem);
  }
  ::umount2(named.c_str(), MNT_DETACH);
  EXPECT_EQ(ReadFile(behind), "the file behind the mount");
  EXPECT_EQ(ReadFile(named), "listed");
}

}  // namespace
}  // namespace corvane

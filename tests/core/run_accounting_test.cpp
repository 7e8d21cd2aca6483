// The run knows what it destroyed: its own work is never a survivor, an entry
// gone for any other reason is never counted as destroyed, and an entry kept
// says why.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/file_ops.h"
#include "platform/file_system_kind.h"
#include "scan/core/tree_walk.h"
#include "shred/core/run_report.h"
#include "shred/core/shred_run.h"
#include "support/destroy_listing.h"
#include "support/run_host.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Destroys `listing` and returns the survivors, files then folders.
std::vector<Survivor> Destroy(const TreeListing& listing, RunLedger& ledger, int64_t passes = 1) {
  ShredRun run(passes, passes > 1, &ledger);
  return testing::DestroyListing(listing, run);
}

TreeListing Walk(const std::string& folder) {
  return WalkTree(folder, {{"*"}, true, {}, {}});
}

TEST(RunAccounting, AnEntryGoneForAnyOtherReasonIsNoLongerThere) {
  TempDir t;
  t.Write("job/evidence.txt", std::string(17000, 'e'));
  t.Write("job/B/b1", "x");
  const TreeListing listing = Walk(t / "job");
  ASSERT_EQ(::rename((t / "job/evidence.txt").c_str(), (t / "job/.kept").c_str()), 0);
  std::filesystem::remove_all(t / "job/B");
  RunLedger ledger;
  std::vector<Survivor> left = Destroy(listing, ledger);
  int missing = 0;
  for (const Survivor& s : left) missing += s.reason == SurvivalReason::kNotFound;
  EXPECT_EQ(missing, 3);  // evidence.txt, B/b1 and B
  EXPECT_EQ(ReadFile(t / "job/.kept").size(), 17000u);
  const std::string text = SurvivorsMessage(2, 2, left, {});
  EXPECT_NE(text.find("\n3 listed entries were not found (moved, renamed or deleted by "
                      "something else)."),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("evidence.txt (no longer there)"), std::string::npos) << text;
}

// Replacements and inode flags, with a plain delete (the name check is the
// only guard there) and with overwriting.
TEST(RunAccounting, KeptEntriesSayWhy) {
  const bool root = ::geteuid() == 0;
  struct Case {
    const char* name;
    std::function<bool(TempDir&)> change;  // false: not possible here
    SurvivalReason reason;
  };
  auto chattr = [](const char* flag) {
    return [flag](TempDir& t) {
      return std::system(
                 ("chattr " + std::string(flag) + " " + (t / "f") + " 2>/dev/null").c_str()) == 0;
    };
  };
  const Case cases[] = {
      {"replaced by rename",
       [](TempDir& t) {
         t.Write("other", "someone else's");
         return ::rename((t / "other").c_str(), (t / "f").c_str()) == 0;
       },
       SurvivalReason::kNotFound},
      {"immutable", chattr("+i"), SurvivalReason::kImmutable},
      {"append-only", chattr("+a"), SurvivalReason::kAppendOnly},
  };
  for (const Case& c : cases) {
    for (int64_t passes : {1, 3}) {
      TempDir t;
      std::string path = t.Write("f", "listed");
      const ListedEntry entry = IdentifyPath(path).value();
      if (!root && c.reason != SurvivalReason::kNotFound) continue;
      if (!c.change(t)) continue;  // no chattr, or a file system without flags
      RunLedger ledger;
      ShredRun run(passes, passes > 1, &ledger);
      std::optional<Survivor> survivor = testing::DestroyOne(run, entry);
      std::system(("chattr -i -a " + path + " 2>/dev/null").c_str());
      ASSERT_TRUE(survivor) << c.name;
      EXPECT_EQ(survivor->reason, c.reason) << c.name << ", " << passes << " passes";
      EXPECT_EQ(ReadFile(path), c.reason == SurvivalReason::kNotFound ? "someone else's" : "listed")
          << c.name;
    }
  }
  // A listed empty folder replaced by another empty folder.
  TempDir t;
  const ListedEntry folder = IdentifyPath(t.Mkdir("empty")).value();
  ASSERT_EQ(::rmdir(folder.path.c_str()), 0);
  BornByNow();  // made in the same clock tick, it could share the birth time too
  t.Mkdir("empty");
  RunLedger ledger;
  ShredRun run(1, false, &ledger);
  const RunOutcome out = testing::Destroy(run, {}, {folder});
  ASSERT_EQ(out.folders.size(), 1u);
  EXPECT_EQ(out.folders[0].reason, SurvivalReason::kNotFound);
  EXPECT_TRUE(EntryExists(t / "empty"));
}

// One object listed under two names goes under both, and counts once:
// two hard links in one walk, or a walked name taken away before the run and
// the other name picked. Whichever of the batch's two threads reaches the
// object first, the other listing is its duplicate, never a survivor.
TEST(RunAccounting, AnObjectListedUnderTwoNamesGoesUnderBoth) {
  for (const bool picked : {false, true}) {
    TempDir t;
    const std::string walked = t.Write("w/a", "x"), other = t / (picked ? "b" : "w/b");
    ASSERT_EQ(::link(walked.c_str(), other.c_str()), 0);
    std::vector<ListedEntry> files;
    for (const ListedEntry& file : Walk(t / "w").files) files.push_back(file);
    if (picked) {
      files.push_back(IdentifyPath(other).value());
      ASSERT_EQ(::unlink(walked.c_str()), 0);
    }
    ASSERT_EQ(files.size(), 2u);
    RunLedger ledger;
    ShredRun run(1, false, &ledger);
    const RunOutcome out = testing::Destroy(run, files, {});
    EXPECT_TRUE(out.files.empty()) << DescribeReason(out.files[0]);
    EXPECT_EQ(out.files_listed, 1);
    EXPECT_FALSE(EntryExists(walked)) << picked;
    EXPECT_FALSE(EntryExists(other)) << picked;
  }
}

// The ledger over many entries, across its growth: each is found again by
// its own identity only, and a new run starts with none taken.
TEST(RunAccounting, TheLedgerKeepsEveryEntryItTook) {
  RunLedger ledger;
  auto id = [](uint64_t ino, uint64_t stamp) { return EntryId{7, Stamp::kBirth, ino, stamp}; };
  ledger.BeginRun();
  constexpr uint64_t kEntries = 5000;
  for (uint64_t i = 0; i < kEntries; ++i) ledger.Take(id(i * 4096, 1), true);
  for (uint64_t i = 0; i < kEntries; i += 2) ledger.MarkDestroyed(id(i * 4096, 1));
  for (uint64_t i = 0; i < kEntries; ++i) {
    ASSERT_TRUE(ledger.TakenInRun(id(i * 4096, 1))) << i;
    ASSERT_FALSE(ledger.TakenInRun(id(i * 4096, 2))) << i;  // a reused inode number
    ASSERT_EQ(ledger.Destroyed(id(i * 4096, 1)), i % 2 == 0) << i;
  }
  ledger.BeginRun();
  EXPECT_FALSE(ledger.TakenInRun(id(0, 1)));
  EXPECT_TRUE(ledger.Destroyed(id(0, 1)));
}

// An overlay's lower-layer file is never opened for writing (that would copy
// it up) and stays, as it was; a file made in the upper layer goes. Over a
// lower layer that gives the overlay no file handles (ramfs), the open that
// copied the file up tells it.
TEST(RunAccounting, AnOverlaysLowerLayerFileStaysAsItWas) {
  struct Unmount {
    std::string at;
    ~Unmount() {
      if (!at.empty()) ::umount2(at.c_str(), MNT_DETACH);
    }
  };
  for (const std::string lower_type : {"", "ramfs"}) {
    TempDir t;
    const std::string lower = t.Mkdir("lower"), upper = t.Mkdir("upper"), mnt = t.Mkdir("mnt");
    Unmount lower_mount{lower_type.empty() ||
                                ::mount("t", lower.c_str(), lower_type.c_str(), 0, nullptr) != 0
                            ? ""
                            : lower};
    if (!lower_type.empty() && lower_mount.at.empty()) continue;
    TempDir::WriteAt(lower, "old", "lower secret");
    const std::string options =
        "lowerdir=" + lower + ",upperdir=" + upper + ",workdir=" + t.Mkdir("work");
    if (::mount("overlay", mnt.c_str(), "overlay", 0, options.c_str()) != 0)
      GTEST_SKIP() << "no overlay mount here";
    Unmount overlay{mnt};
    const std::string made = TempDir::WriteAt(mnt, "new", "upper secret");
    ShredRun run(3, true);
    const RunOutcome out =
        testing::Destroy(run, {*IdentifyPath(mnt + "/old"), *IdentifyPath(made)});
    ASSERT_EQ(out.files.size(), 1u) << lower_type;
    EXPECT_EQ(DescribeReason(out.files[0]), "the lower layer's copy is untouched") << lower_type;
    EXPECT_EQ(ReadFile(mnt + "/old"), "lower secret") << lower_type;
    EXPECT_FALSE(EntryExists(made)) << lower_type;
    if (lower_type.empty()) {
      EXPECT_FALSE(EntryExists(upper + "/old")) << "copied up";
    }
  }
}

// A folder the user may not open stays listed, so that its removal is tried.
TEST(RunAccounting, AnUnreadableSubfolderStaysInTheFolderList) {
  TempDir t;
  std::string top = t.Mkdir("top");
  ASSERT_EQ(::mkdir((top + "/locked").c_str(), 0), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Root opens everything: walk as nobody instead.
    if (::geteuid() == 0 &&
        (::chown(t.path().c_str(), 65534, 65534) != 0 || ::chown(top.c_str(), 65534, 65534) != 0 ||
         ::chown((top + "/locked").c_str(), 65534, 65534) != 0 || ::setgid(65534) != 0 ||
         ::setuid(65534) != 0))
      ::_exit(2);
    const TreeListing listing = Walk(top);
    // And the walk says which folder's content it could not list.
    ::_exit(listing.directories.size() == 2 && listing.unread.size() == 1 &&
                    listing.unread[0].path == top + "/locked" && listing.unread[0].error == EACCES
                ? 0
                : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Only kinds known to overwrite in place are safe; the rest is named.
TEST(RunAccounting, FileSystemsOutsideTheAllowListMayKeepContent) {
  TempDir t;
  std::string path = t.Write("f", "x");
  for (uint64_t type : {0x794C7630ULL, 0x12345678ULL, 0xEF53ULL}) {
    SetStatfsAnswer([type](int) { return std::optional<uint64_t>(type); });
    FileSystemTally tally;
    int fd = ::open(path.c_str(), O_RDONLY);
    tally.Note(fd, path);
    ::close(fd);
    SetStatfsAnswer(nullptr);
    if (type == 0xEF53) {
      EXPECT_TRUE(tally.AtRisk().empty());
      continue;
    }
    ASSERT_EQ(tally.AtRisk().size(), 1u) << std::hex << type;
    EXPECT_FALSE(tally.AtRisk()[0].fileSystem.empty());
    EXPECT_FALSE(tally.AtRisk()[0].mountPoint.empty());
    const std::string text = ContentMaySurviveMessage(tally.AtRisk());
    EXPECT_EQ(text.find("lower layer's copy is untouched") != std::string::npos, type == 0x794C7630)
        << text;
  }
}

TEST(RunAccounting, AChosenFolderSwappedBeforeItsFirstReadListsNothingOfTheOther) {
  TempDir t;
  t.Write("C/mine.txt", "m");
  t.Write("other/theirs.txt", "t");
  WalkOptions options{{"*"}, true, {}, [&] {
                        ASSERT_EQ(::rename((t / "C").c_str(), (t / "C.old").c_str()), 0);
                        ASSERT_EQ(::rename((t / "other").c_str(), (t / "C").c_str()), 0);
                      }};
  const TreeListing listing = WalkTree(t / "C", options);
  EXPECT_TRUE(listing.files.empty());  // neither the listed folder's file nor the other's
}

}  // namespace
}  // namespace corvane

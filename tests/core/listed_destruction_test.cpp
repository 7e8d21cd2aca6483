// Destruction acts only on what was listed: swapped folders, hard links,
// mounts, sparse and growing files, and trees deeper than any path limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/file_ops.h"
#include "scan/core/tree_walk.h"
#include "shred/core/shred_run.h"
#include "support/destroy_listing.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Destroys a listing the way the Delete command does.
std::vector<Survivor> Destroy(const TreeListing& listing, int64_t passes,
                              const std::function<void(ShredRun&)>& setup = {}) {
  ShredRun run(passes, passes > 1);
  if (setup) setup(run);
  return testing::DestroyListing(listing, run);
}

TreeListing Walk(const std::string& folder, std::function<bool()> between = {}) {
  return WalkTree(folder, {{"*"}, true, std::move(between), {}});
}

// Every name below `root` with the content of its regular files and the type
// of everything else.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> seen;
  for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string rel = e.path().string().substr(root.size());
    if (e.is_symlink()) {
      seen[rel] = "link";
    } else if (e.is_regular_file()) {
      seen[rel] = ReadFile(e.path().string());
    } else {
      seen[rel] = e.is_directory() ? "dir" : "special";
    }
  }
  return seen;
}

bool IsRoot() {
  return ::geteuid() == 0;
}

enum class SwapAt { kScan, kBetweenPasses, kFolderPhase };

// Another user swaps an already-listed folder for a link to a folder of ours.
TEST(ListedDestruction, ASwappedFolderNeverRedirectsTheDestruction) {
  for (SwapAt when : {SwapAt::kScan, SwapAt::kBetweenPasses, SwapAt::kFolderPhase}) {
    TempDir t;
    std::string priv = t.Mkdir("private");
    t.Write("private/secret.txt", "root's secret");
    t.Mkdir("private/empty");
    ASSERT_EQ(::mkfifo((priv + "/fifo").c_str(), 0600), 0);
    std::string team = t.Mkdir("team");
    t.Write("team/big", std::string(1 << 20, 'b'));
    t.Write("team/sub/secret.txt", "team's own");
    t.Mkdir("team/sub/empty");
    const auto before = Snapshot(priv);
    bool swapped = false;
    auto swap = [&] {
      if (swapped) return;
      swapped = true;
      ASSERT_EQ(::rename((team + "/sub").c_str(), (team + "/sub.moved").c_str()), 0);
      ASSERT_EQ(::symlink(priv.c_str(), (team + "/sub").c_str()), 0);
    };
    TreeListing listing = Walk(team, [&] {
      if (when == SwapAt::kScan) swap();
      return true;
    });
    std::vector<Survivor> left = Destroy(listing, 3, [&](ShredRun& run) {
      run.engine().before_step = [&](ShredStep step) {
        if ((when == SwapAt::kBetweenPasses && step == ShredStep::kOverwrite) ||
            (when == SwapAt::kFolderPhase && step == ShredStep::kRemoveFolder))
          swap();
      };
    });
    EXPECT_TRUE(swapped);
    EXPECT_EQ(Snapshot(priv), before) << "swap " << static_cast<int>(when);
    EXPECT_FALSE(left.empty()) << "a swapped tree is never reported destroyed";
    EXPECT_TRUE(EntryExists(team + "/sub")) << "the link itself was never listed";
  }
}

TEST(ListedDestruction, HardLinksAndSymlinkedFoldersStayOutside) {
  TempDir t;
  std::string outside = t.Write("outside/other-name", "shared content");
  std::string tree = t.Mkdir("tree");
  ASSERT_EQ(::link(outside.c_str(), (tree + "/linked").c_str()), 0);
  std::vector<Survivor> left = Destroy(Walk(tree), 3);
  ASSERT_EQ(left.size(), 2u);  // the file, then its folder
  EXPECT_EQ(left[0].reason, SurvivalReason::kOtherNames);
  EXPECT_EQ(ReadFile(tree + "/linked"), "shared content");
  // A plain delete only takes the listed name away.
  EXPECT_TRUE(Destroy(Walk(tree), 1).empty());
  EXPECT_EQ(ReadFile(outside), "shared content");

  std::string link = t / "link";
  ASSERT_EQ(::symlink((t / "outside").c_str(), link.c_str()), 0);
  TreeListing through = Walk(link);
  EXPECT_EQ(through.refusal, WalkRefusal::kSymlink);
  EXPECT_TRUE(through.files.empty() && through.directories.empty());
  // Its ancestors may be links: the user chose that path.
  t.Write("outside/inner/f", "x");
  EXPECT_EQ(Walk(link + "/inner").files.size(), 1u);

  // But not through a link another user owns, neither when listing nor when
  // the run comes back: here the chosen folder's parent is moved after the
  // listing and another user's link to it put in its place.
  t.Write("mine/inner/f", "mine");
  TreeListing listed = Walk(t / "mine/inner");
  ASSERT_EQ(::rename((t / "mine").c_str(), (t / "moved").c_str()), 0);
  if (!testing::ForeignSymlink(t / "moved", t / "mine")) return;
  EXPECT_EQ(Walk(t / "mine/inner").refusal, WalkRefusal::kUnreadable);
  EXPECT_EQ(Destroy(listed, 1).size(), 2u);
  EXPECT_EQ(ReadFile(t / "moved/inner/f"), "mine");
}

TEST(ListedDestruction, OtherMountsAreListedButNeverEntered) {
  if (!IsRoot()) GTEST_SKIP() << "mounting needs root";
  TempDir t;
  std::string tree = t.Mkdir("tree");
  std::string outside = t.Write("outside/kept", "outside");
  std::string tmpfs = t.Mkdir("tree/tmpfs"), bind = t.Mkdir("tree/bind");
  if (::mount("none", tmpfs.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no mounts here";
  ASSERT_EQ(::mount((t / "outside").c_str(), bind.c_str(), nullptr, MS_BIND, nullptr), 0);
  t.Write("tree/tmpfs/inside", "on another file system");
  TreeListing listing = Walk(tree);
  std::vector<Survivor> left = Destroy(listing, 3);
  const std::string inside = ReadFile(tmpfs + "/inside");
  ::umount2(bind.c_str(), MNT_DETACH);
  ::umount2(tmpfs.c_str(), MNT_DETACH);
  EXPECT_TRUE(listing.files.empty());
  EXPECT_EQ(listing.directories.size(), 3u);
  EXPECT_EQ(inside, "on another file system");
  EXPECT_EQ(ReadFile(outside), "outside");
  int other = 0;
  for (const Survivor& s : left) other += s.reason == SurvivalReason::kOtherFileSystem;
  EXPECT_EQ(other, 2);
}

// A sparse file is overwritten where it holds data only: its holes are never
// filled, so it cannot fill a disk.
TEST(ListedDestruction, SparseFilesAreOverwrittenWithoutFillingTheirHoles) {
  TempDir t;
  std::string path = t / "sparse";
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  const std::string secret(64 * 1024, 'S');
  const off_t far = off_t{1} << 30;
  ASSERT_EQ(::pwrite(fd, secret.data(), secret.size(), 0), ssize_t(secret.size()));
  ASSERT_EQ(::pwrite(fd, secret.data(), secret.size(), far), ssize_t(secret.size()));
  ::close(fd);
  struct stat before {};
  ::stat(path.c_str(), &before);
  ListedEntry entry = *IdentifyPath(path);
  ShredRun run(2, true);
  testing::TestHost host;
  host.on_pass = [&](int64_t pass) {
    if (pass != 1) return;
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_LE(after.st_blocks, before.st_blocks);
    int in = ::open(path.c_str(), O_RDONLY);
    std::string head(secret.size(), '\0'), tail(secret.size(), '\0');
    ::pread(in, head.data(), head.size(), 0);
    ::pread(in, tail.data(), tail.size(), far);
    ::close(in);
    EXPECT_EQ(head.find("SSSSSSSS"), std::string::npos);
    EXPECT_EQ(tail.find("SSSSSSSS"), std::string::npos);
  };
  EXPECT_FALSE(testing::DestroyOne(run, entry, &host));
  EXPECT_EQ(host.passes, 2);
  EXPECT_FALSE(EntryExists(path));
}

// The same on a small disk of its own: a 20 GiB sparse file on 64 MiB.
TEST(ListedDestruction, ASparseFileNeverFillsASmallDisk) {
  if (!IsRoot() || std::system("command -v mkfs.ext4 >/dev/null") != 0)
    GTEST_SKIP() << "needs root and mkfs.ext4";
  TempDir t;
  std::string image = t / "disk.img", mnt = t.Mkdir("mnt");
  std::string make = "truncate -s 64M " + image + " && mkfs.ext4 -q -F " + image +
                     " && mount -o loop " + image + " " + mnt + " 2>/dev/null";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "no loop devices here";
  std::string path = mnt + "/huge";
  int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
  ::pwrite(fd, "secret", 6, 0);
  ::pwrite(fd, "secret", 6, (off_t{20} << 30) - 6);
  ::close(fd);
  struct statvfs fs {};
  ::statvfs(mnt.c_str(), &fs);
  const auto free_before = fs.f_bavail;
  TreeListing listing = Walk(mnt);
  std::vector<Survivor> left = Destroy(listing, 3);
  ::statvfs(mnt.c_str(), &fs);
  const auto free_after = fs.f_bavail;
  const bool gone = !EntryExists(path);
  ::umount2(mnt.c_str(), MNT_DETACH);
  // Only the mount point itself stays.
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].reason, SurvivalReason::kOtherFileSystem);
  EXPECT_TRUE(gone);
  EXPECT_GE(free_after, free_before);
}

// A file that grows while it is overwritten has its new tail overwritten
// too; one that keeps growing is kept.
TEST(ListedDestruction, GrowingFilesAreCaughtUpWithOrKept) {
  const std::string tail(2 * ShredEngine::kChunkSize, 'T');
  for (int growths : {1, 100}) {
    TempDir t;
    std::string path = t.Write("growing", tail);
    ListedEntry entry = *IdentifyPath(path);
    int grown = 0;
    ShredRun run(2, true);
    run.pump_every = {};
    testing::TestHost host;
    host.on_pump = [&] {
      if (grown++ >= growths) return;
      int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
      ASSERT_EQ(::write(fd, tail.data(), tail.size()), ssize_t(tail.size()));
      ::close(fd);
    };
    host.on_pass = [&](int64_t pass) {
      if (pass == 1 && growths == 1) {
        EXPECT_EQ(ReadFile(path).find("TTTTTTTT"), std::string::npos);
      }
    };
    EXPECT_EQ(testing::DestroyOne(run, entry, &host).has_value(), growths > 1);
  }
}

TEST(ListedDestruction, AChainDeeperThanAnyPathLimitIsDestroyed) {
  TempDir t;
  const int levels = 3000;
  int fd = ::open(t.path().c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < levels; ++i) {
    ::close(::openat(fd, "f", O_CREAT | O_WRONLY, 0600));
    ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ::close(fd);
  TreeListing listing = Walk(t / "d");
  EXPECT_EQ(listing.directories.size(), size_t(levels));
  EXPECT_GT(listing.files.back().path.size(), size_t{PATH_MAX});
  EXPECT_TRUE(Destroy(listing, 1).empty());
  EXPECT_FALSE(EntryExists(t / "d"));
}

}  // namespace
}  // namespace corvane

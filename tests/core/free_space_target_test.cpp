// A folder swapped between the check and the fill: the fill stays on the
// file system that was checked, and the fallback fill file removes only
// itself.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "shred/core/free_space_fill.h"
#include "shred/core/free_space_place.h"
#include "shred/core/free_space_report.h"
#include "support/loop_mount.h"
#include "support/swapped_folder.h"

namespace corvane {
namespace {

using testing::LoopMount;
using testing::TempDir;

// The named folder swapped for another user's link to a tmpfs after the
// check: the fill and its report stay on the ext4 checked.
TEST(FreeSpaceTarget, ASwappedFolderSendsNoFillElsewhere) {
  TempDir t;
  LoopMount m(t, "ext4");
  if (!m.mounted) GTEST_SKIP() << m.skip;
  const testing::SwappedFolder s(t, m.mnt);
  ASSERT_TRUE(s.ready);
  struct stat st {};
  ASSERT_EQ(::stat(s.drop.c_str(), &st), 0);

  struct Case {
    const char* name;
    std::function<FillTarget()> target;  // checks, then swaps
    FillEnd end;
  };
  const Case cases[] = {
      {"the offer after a run",
       [&] {
         std::vector<FillTarget> targets = FillTargetsFor({{"ext4", m.mnt, 1, s.drop, st.st_dev}});
         s.Swap();
         return targets.at(0);
       },
       FillEnd::kFull},
      {"a folder held elsewhere than checked",
       [&] {
         FillTarget target = PlaceOf(s.drop).target;
         target.folder = HeldFd(::open(s.other.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
         return target;
       },
       FillEnd::kChanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t otherUsed = s.OtherUsed();
    uint64_t mostUsed = otherUsed;
    const FillTarget target = c.target();
    const FillReport report = FreeSpaceFill(target, {}, [&](uint64_t, uint64_t) {
                                mostUsed = std::max(mostUsed, s.OtherUsed());
                                return true;
                              }).Run();
    EXPECT_EQ(report.end, c.end);
    EXPECT_EQ(mostUsed, otherUsed);
    EXPECT_NE(FillReportMessage(target, report).prompt.find("ext4 at " + m.mnt), std::string::npos);
    s.Undo();
  }
  // Named through the other user's link: refused.
  s.Swap();
  EXPECT_NE(PlaceOf(s.drop).refusal.find("which belongs to another user"), std::string::npos);
}

// The fallback fill file, with its private folder replaced or filled by
// someone else at each moment: only its own file and folder ever go.
TEST(FreeSpaceTarget, TheNamedFillFileRemovesOnlyItself) {
  struct Victims {
    std::string file, fileFolder, emptyFolder;
  };
  struct Case {
    const char* name;
    NamedFillStep at;
    std::function<void(const std::string& own, const Victims& v)> swap;
    bool opened;
  };
  auto moveAside = [](const std::string& own) {
    std::rename(own.c_str(), (own + "-moved").c_str());
  };
  const Case cases[] = {
      {"nothing swapped", NamedFillStep::kFileMade, {}, true},
      {"its file replaced", NamedFillStep::kFileMade,
       [](const std::string& own, const Victims& v) {
         std::rename(v.file.c_str(), (own + "/fill").c_str());
       },
       false},
      {"its folder replaced by a link", NamedFillStep::kFileMade,
       [&](const std::string& own, const Victims& v) {
         moveAside(own);
         ::symlink(v.fileFolder.c_str(), own.c_str());
       },
       true},
      {"its folder replaced by an empty one", NamedFillStep::kFileMade,
       [&](const std::string& own, const Victims& v) {
         moveAside(own);
         std::rename(v.emptyFolder.c_str(), own.c_str());
       },
       true},
      {"its name taken before it was made", NamedFillStep::kFolderMade,
       [](const std::string& own, const Victims& v) {
         std::rename(v.file.c_str(), (own + "/fill").c_str());
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir t;
    const std::string folder = t.Mkdir("folder");
    const Victims v{t.Write("victim/fill", "not to be removed"), t / "victim", t.Mkdir("empty")};
    const int heldFile = ::open(v.file.c_str(), O_RDONLY | O_CLOEXEC);
    const int heldEmpty = ::open(v.emptyFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = 0;
    const int fd =
        OpenNamedThenUnlinked(dir, error, [&](NamedFillStep step, const std::string& own) {
          if (step == c.at && c.swap) c.swap(folder + "/" + own, v);
        });
    EXPECT_EQ(fd >= 0, c.opened) << error;
    struct stat st {};
    for (int held : {heldFile, heldEmpty}) {
      ASSERT_EQ(::fstat(held, &st), 0);
      EXPECT_GT(st.st_nlink, 0u);
      ::close(held);
    }
    if (!c.swap) {
      EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
    if (fd >= 0) {
      ASSERT_EQ(::fstat(fd, &st), 0);
      EXPECT_EQ(st.st_nlink, 0u);
      ::close(fd);
    }
    ::close(dir);
  }
}

}  // namespace
}  // namespace corvane

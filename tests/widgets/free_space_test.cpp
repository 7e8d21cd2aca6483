// Overwriting free space from the window and from the command line, on real
// loop-mounted images.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "scan_test_support.h"
#include "shred/core/free_space_place.h"
#include "shred/core/free_space_report.h"
#include "shred/free_space_command.h"
#include "support/loop_mount.h"
#include "support/swapped_folder.h"

namespace corvane {
namespace {

using testing::LoopMount;
using testing::ScanWindow;
using testing::TempDir;

TEST(FreeSpace, FromTheCommandLineThenRefusedOnceReadOnly) {
  TempDir t;
  EXPECT_EQ(PlaceOf(t / "missing").refusal, "it does not exist");
  LoopMount m(t, "ext4");
  if (!m.mounted) GTEST_SKIP() << m.skip;
  // Named below another user's folder, who swaps the named one for a link to
  // a tmpfs while the question is open: the fill stays where it was checked.
  const testing::SwappedFolder s(t, m.mnt);
  ASSERT_TRUE(s.ready);
  const uint64_t freeAtStart = m.Free();
  FillPlace place = PlaceOf(s.drop);
  ASSERT_EQ(place.refusal, "");
  ScanWindow w;
  w.modal.onBox = [&](const testing::AskedBox&) {
    if (w.modal.boxes.size() == 1) s.Swap();
  };
  uint64_t tmpfsUsed = 0;  // the most, while the fill runs
  w.modal.onPump = [&](int) { tmpfsUsed = std::max(tmpfsUsed, s.OtherUsed()); };
  EXPECT_EQ(WipeFreeSpaceFromCommandLine(w.form.Runs, place.target, place.freeBytes), 0);
  EXPECT_EQ(tmpfsUsed, 0u);
  ASSERT_EQ(w.modal.boxes.size(), 2u);
  EXPECT_NE(w.modal.boxes[0].prompt.find(FormatBytes(place.freeBytes) + " of free space"),
            std::string::npos);
  EXPECT_EQ(w.modal.boxes[1].prompt.rfind("Free Space Overwritten!\n", 0), 0u);
  EXPECT_NE(w.modal.boxes[1].prompt.find("on ext4 at " + m.mnt + " overwritten"),
            std::string::npos);
  EXPECT_NEAR(double(m.Free()), double(freeAtStart), freeAtStart * 0.01);

  ASSERT_EQ(std::system(("mount -o remount,ro " + m.mnt).c_str()), 0);
  const int status = std::system(
      (std::string(CORVANE_EXE) + " --wipe-free-space " + m.mnt + " 2>/dev/null").c_str());
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(PlaceOf(m.mnt).refusal, "it is on a read-only file system");
  // Nothing on a disk to reach: made up by the kernel, or held in memory.
  for (const std::string type : {"proc", "tmpfs"}) {
    const std::string dir = t.Mkdir(type);
    ASSERT_EQ(std::system(("mount -t " + type + " none " + dir).c_str()), 0);
    const std::string refusal = PlaceOf(dir).refusal;
    ::umount2(dir.c_str(), MNT_DETACH);
    EXPECT_NE(refusal.find(type + ","), std::string::npos) << refusal;
  }
}

// The Delete button is the overwrite's Abort: the space comes back at once
// and the report says it was aborted.
TEST(FreeSpace, AbortFromTheWindow) {
  TempDir t;
  LoopMount m(t, "ext4");
  if (!m.mounted) GTEST_SKIP() << m.skip;
  const uint64_t freeAtStart = m.Free();
  ScanWindow w;
  w.modal.onPump = [&](int pump) {
    if (pump == 3) w.form.DeleteFiles->click();
  };
  w.modal.onBox = [&](const testing::AskedBox&) { testing::ExpectRunControlsBack(w.form); };
  EXPECT_EQ(WipeFreeSpace(w.form.Runs, {PlaceOf(m.mnt).target}), WipeEnd::kNotDone);
  ASSERT_EQ(w.modal.boxes.size(), 1u);
  EXPECT_EQ(w.modal.boxes[0].prompt.rfind("Free Space Overwrite Aborted!\n", 0), 0u);
  EXPECT_FALSE(w.form.Runs.Running());
  EXPECT_NEAR(double(m.Free()), double(freeAtStart), freeAtStart * 0.01);
}

}  // namespace
}  // namespace corvane

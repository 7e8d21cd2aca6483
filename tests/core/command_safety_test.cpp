// The rules behind the commands' safety: one run at a time with a latched
// Abort, refused folders, the closing report's words, file-system kinds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system_kind.h"
#include "scan/core/folder_refusal.h"
#include "shell/core/run_state.h"
#include "shred/core/run_report.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::HomeAt;
using testing::TempDir;

TEST(RunState, OneRunAtATimeAndTheAbortStaysWithItsRun) {
  RunState run;
  EXPECT_FALSE(run.Running());
  ASSERT_TRUE(run.Start(Command::kDeleteRun));
  EXPECT_FALSE(run.Start(Command::kFolderScan));
  EXPECT_FALSE(run.RequestAbort(Command::kFolderScan));  // not the scan's to abort
  EXPECT_FALSE(run.Aborting());
  EXPECT_TRUE(run.RequestAbort(Command::kDeleteRun));
  run.Finish(Command::kFolderScan);  // no other command clears it
  EXPECT_TRUE(run.Aborting());
  EXPECT_EQ(run.Active(), Command::kDeleteRun);
  run.Finish(Command::kDeleteRun);
  EXPECT_FALSE(run.Running());
  EXPECT_FALSE(run.Aborting());
  {
    ASSERT_TRUE(run.Start(Command::kFolderScan));
    RunScope scope(run, Command::kFolderScan);
  }
  EXPECT_FALSE(run.Running());
}

TEST(FolderRefusal, RefusesTheRootHomeProgramFoldersTheirHoldersAndLinks) {
  TempDir t;
  HomeAt home(t.Mkdir("home"));
  const std::string program = t.Mkdir("opt/corvane/bin");
  const std::string settings = t.Mkdir("config/corvane");
  const std::vector<std::string> programFolders{program, settings};
  auto reason = [&](const std::string& chosen) {
    return FolderRefusalReason(chosen, HomeFolder(), programFolders);
  };
  ASSERT_EQ(HomeFolder(), t / "home");
  ASSERT_EQ(::symlink((t / "home").c_str(), (t / "link").c_str()), 0);

  EXPECT_EQ(reason("/"), "It is the root of the file system.");
  EXPECT_EQ(reason(t / "opt/../home/"), "It is your home folder.");  // identity, not spelling
  EXPECT_EQ(reason(t / "link"), "It is a symbolic link, not a folder of its own.");
  EXPECT_EQ(reason(program), "It is the folder of Corvane and its settings.");
  EXPECT_EQ(reason(settings), "It is the folder of Corvane and its settings.");
  EXPECT_EQ(reason(t / "opt"), "It holds the folder of Corvane and its settings.");
  EXPECT_EQ(reason(t.path()), "It holds the folder of Corvane and its settings.");
  EXPECT_EQ(reason(t / "config"), "It holds the folder of Corvane and its settings.");

  // A folder inside home, a sibling of the program's folder, and a path that
  // is not there are allowed.
  EXPECT_EQ(reason(t.Mkdir("home/old-project")), std::nullopt);
  EXPECT_EQ(reason(t.Mkdir("opt/other")), std::nullopt);
  EXPECT_EQ(reason(t / "missing"), std::nullopt);
}

TEST(RunReport, NamesUpToTenSurvivorsWithTheirReasons) {
  std::vector<Survivor> files{{"/d/ro", SurvivalReason::kReadOnly, 0},
                              {"/d/full", SurvivalReason::kNotOverwritten, ENOSPC}};
  std::vector<Survivor> folders{{"/d", SurvivalReason::kNotEmpty, ENOTEMPTY}};
  EXPECT_EQ(SurvivorsMessage(5, 2, files, folders),
            "Some Files Could Not Be Deleted!\n2 of 5 files and 1 of 2 directories remain.\n"
            "/d/ro (read-only)\n/d/full (could not be overwritten: No space left on device)\n"
            "/d (folder not empty)");
  // No folder listed: no directories part; no file listed: no files part.
  EXPECT_EQ(SurvivorsMessage(3, 0, {files[0]}, {}),
            "Some Files Could Not Be Deleted!\n1 of 3 files remain.\n/d/ro (read-only)");
  EXPECT_EQ(SurvivorsMessage(0, 1, {}, folders),
            "Some Files Could Not Be Deleted!\n1 of 1 directories remain.\n/d (folder not empty)");

  std::vector<Survivor> many;
  for (int i = 0; i < 12; ++i)
    many.push_back({"/m/" + std::to_string(i), SurvivalReason::kPermissionDenied, EACCES});
  std::string text = SurvivorsMessage(12, 1, many, folders);
  EXPECT_NE(text.find("\n/m/9 (permission denied)\n... and 3 more"), std::string::npos) << text;
  EXPECT_EQ(text.find("/m/10"), std::string::npos);
}

TEST(FileSystemKind, CopyOnWriteAndNetworkKindsAndTheirMountPoint) {
  for (uint64_t type : {0x9123683EULL, 0x2FC12FC1ULL, 0xF2F52010ULL, 0x3434ULL, 0xCA451A4EULL,
                        0x6969ULL, 0xFF534D42ULL, 0xFE534D42ULL, 0x517BULL, 0x65735546ULL})
    EXPECT_TRUE(ClassifyFileSystem(type).keepsOldContent) << std::hex << type;
  for (uint64_t type : {0xEF53ULL, 0x58465342ULL, 0x4D44ULL, 0x2011BAB0ULL, 0x01021994ULL})
    EXPECT_FALSE(ClassifyFileSystem(type).keepsOldContent) << std::hex << type;
  EXPECT_EQ(ClassifyFileSystem(0x9123683E).name, "btrfs");

  const std::string mountinfo =
      "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "40 22 0:45 / /mnt/my\\040disk rw - btrfs /dev/loop0 rw\n"
      "41 22 0:45 /sub /srv/bind rw - btrfs /dev/loop0 rw\n";
  EXPECT_EQ(MountPointIn(mountinfo, makedev(0, 45), "/mnt/my disk/a"), "/mnt/my disk");
  EXPECT_EQ(MountPointIn(mountinfo, makedev(0, 45), "/srv/bind/a"), "/srv/bind");
  EXPECT_EQ(MountPointIn(mountinfo, makedev(0, 99), "/srv/x"), "/");  // longest holder

  // Files on a file system that keeps old content are counted per mount.
  TempDir t;
  SetStatfsAnswer([](const std::string&) { return std::optional<uint64_t>(0x9123683E); });
  FileSystemTally tally;
  tally.Note(t.Write("a", "x"));
  tally.Note(t.Write("b", "x"));
  tally.Note(t.Mkdir("folder"));  // not a file: not counted
  SetStatfsAnswer(nullptr);
  ASSERT_EQ(tally.AtRisk().size(), 1u);
  EXPECT_EQ(tally.AtRisk()[0].files, 2);
  EXPECT_EQ(tally.AtRisk()[0].fileSystem, "btrfs");
  EXPECT_FALSE(tally.AtRisk()[0].mountPoint.empty());
  EXPECT_EQ(ContentMaySurviveMessage({{"btrfs", "/mnt/img", 3}, {"nfs", "/net", 1}}),
            "Files Deleted, But Their Content May Survive!\n"
            "3 files on btrfs at /mnt/img; 1 file on nfs at /net.\n"
            "Copy-on-write, log-structured and network file systems write changes to new "
            "places, so overwriting cannot destroy the old content.");
}

}  // namespace
}  // namespace corvane

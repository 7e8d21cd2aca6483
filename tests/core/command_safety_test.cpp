// The rules behind the commands' safety: one run at a time with a latched
// Abort, refused folders, the closing report's words, file-system kinds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system_kind.h"
#include "platform/home_folder.h"
#include "scan/core/path_gate.h"
#include "shell/core/run_state.h"
#include "shred/core/run_report.h"
#include "support/temp_dir.h"
#include "support/without_mode_override.h"

namespace corvane {
namespace {

using testing::ForeignSymlink;
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

// The clock each case reads: `at` milliseconds after the restart.
std::chrono::steady_clock::time_point g_pumpClock;
std::chrono::steady_clock::time_point PumpClockNow() {
  return g_pumpClock;
}

TEST(PumpPacer, PumpsOnceTheIntervalHasPassed) {
  struct Case {
    int at;
    bool due;
  };
  const Case cases[] = {{0, false}, {19, false}, {20, true}, {45, true}};
  SetPumpClockForTesting(PumpClockNow);
  for (const Case& c : cases) {
    PumpPacer pacer;
    g_pumpClock = {};
    pacer.Restart();
    g_pumpClock += std::chrono::milliseconds(c.at);
    EXPECT_EQ(pacer.Due(), c.due) << c.at;
  }
  SetPumpClockForTesting(nullptr);
}

TEST(PathGate, RefusesWhatNobodyCanHaveChosenAndNothingElse) {
  TempDir t;
  const std::string program = t.Mkdir("opt/corvane/bin");
  const std::string settings = t.Mkdir("config/corvane");
  t.Mkdir("victim/ssh");
  t.Mkdir("ww/real");
  t.Write("sys/class/net/lo/ifalias", "");
  t.Mkdir("target\xff");
  t.Mkdir("target\xEF\xBF\xBD");
  t.Write("note\xff.txt", "");
  t.Write("note\xfe.txt", "");
  const std::string remoteCopy = t.Write("cache/kioexec/krun/1_0/report.pdf", "");
  const std::string cached = t.Write("cache/thumb.png", "");
  ASSERT_EQ(::symlink((t / "home").c_str(), (t / "link").c_str()), 0);
  ASSERT_EQ(::symlink((t / "victim").c_str(), (t / "mine").c_str()), 0);
  GateRules rules;
  // Not root: the link is ours, and the gate is told another user runs it.
  rules.user = ForeignSymlink(t / "victim", t / "ww/att") ? ::getuid() : ::getuid() + 1;
  rules.homes = {t.Mkdir("home"), t.Mkdir("account")};
  rules.programFolders = {program, settings};
  rules.remoteCopyFolders = {t / "cache/kioexec", t / "no-such-cache/kioexec"};
  const std::string pseudo = t / "sys";
  rules.fileSystemName = [&](int fd) {
    std::string at(4096, '\0');
    at.resize(static_cast<size_t>(std::max<ssize_t>(
        0, ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), at.data(), at.size()))));
    return at.rfind(pseudo, 0) == 0 ? "sysfs" : "ext4";
  };

  const std::string unreadable = t.Write("unreadable.txt", "");
  ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
  const std::string holds = "It holds the folder of Corvane and its settings.";
  const std::string own = "It is the folder of Corvane and its settings.";
  const std::string home = "It is your home folder.";
  const std::string remote =
      "It is a local copy of a remote file: destroying it would leave the original where it is.";
  const struct {
    std::string path;
    bool folderWanted;
    std::optional<std::string> refusal;
    GateKind kind;
  } cases[] = {
      {"/", true, "It is the root of the file system.", GateKind::kFolder},
      {"//./tmp/..", false, "It is the root of the file system.", GateKind::kFolder},
      {t / "opt/../home/", true, home, GateKind::kFolder},
      {t / "home/x/..", false, home, GateKind::kFolder},  // x need not exist
      {t / "account", true, home, GateKind::kFolder},
      {t / "link", true, "It is a symbolic link, not a folder of its own.", GateKind::kFile},
      {t / "link", false, std::nullopt, GateKind::kFile},  // listed as the link alone
      {program, true, own, GateKind::kFolder},
      {settings + "//", false, own, GateKind::kFolder},
      {t / "opt", true, holds, GateKind::kFolder},
      {t.path(), true, holds, GateKind::kFolder},
      {t / "config", false, holds, GateKind::kFolder},
      {t / "sys/class/net/lo/ifalias", false,
       "It lies on sysfs, a file system the kernel makes up, which holds no files to destroy.",
       GateKind::kFile},
      {t / "ww/att/ssh", true,
       "It lies behind the symbolic link " + t / "ww/att" + ", which belongs to another user.",
       GateKind::kFolder},
      {t / "target\xEF\xBF\xBD", true,
       "Another entry in its folder shows the same name (target\xEF\xBF\xBD), so which one was "
       "picked cannot be told.",
       GateKind::kFolder},
      {t / "note\xff.txt", false,
       "Another entry in its folder shows the same name (note\xEF\xBF\xBD.txt), so which one "
       "was picked cannot be told.",
       GateKind::kFile},
      {remoteCopy, false, remote, GateKind::kFile},
      {t / "cache/kioexec", true, remote, GateKind::kFolder},
      {cached, false, std::nullopt, GateKind::kFile},
      {t / "mine/ssh", true, std::nullopt, GateKind::kFolder},  // the user's own link
      {t.Mkdir("home/old-project"), true, std::nullopt, GateKind::kFolder},
      {t / "opt/corvane/../other/.", false, std::nullopt, GateKind::kMissing},
      {t / "ww/real", true, std::nullopt, GateKind::kFolder},
      // Read permission matters for a folder only: a file is unlinked unread.
      {unreadable, false, std::nullopt, GateKind::kFile},
  };
  testing::WithoutModeOverride asAnyUser;
  for (const auto& c : cases) {
    GateVerdict verdict = PassGate(c.path, rules, c.folderWanted);
    EXPECT_EQ(verdict.refusal, c.refusal) << c.path;
    EXPECT_EQ(verdict.kind, c.kind) << c.path;
  }
  EXPECT_EQ(PassGate(t / "ww/./real//", rules).path, t / "ww/real");

  // The real answer reads the mount table, which knows every kind.
  int fd = ::open(t.path().c_str(), O_PATH | O_CLOEXEC);
  EXPECT_NE(FileSystemNameOf(fd), "");
  ::close(fd);
}

TEST(HomeFolder, AnAbsoluteHomeElseTheAccountsAndBothCount) {
  const struct passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  const std::string accountHome = account->pw_dir;
  for (const std::string& value : {std::string("relative/home"), std::string()}) {
    HomeAt home(value);
    EXPECT_EQ(HomeFolder(), accountHome) << value;
    EXPECT_EQ(HomeFolders(), std::vector<std::string>{accountHome}) << value;
  }
  HomeAt home("/elsewhere");
  EXPECT_EQ(HomeFolder(), "/elsewhere");
  EXPECT_EQ(HomeFolders(), (std::vector<std::string>{"/elsewhere", accountHome}));
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

// Each kind under the names the mount table gives it.
TEST(FileSystemKind, MountTypesNameTheirKind) {
  struct Case {
    std::string_view type;
    bool FileSystemKind::*trait;
  };
  for (const Case& c : {Case{"ext3", &FileSystemKind::onDisk},
                        {"msdos", &FileSystemKind::onDisk},
                        {"reiserfs", &FileSystemKind::onDisk},
                        {"nfs4", &FileSystemKind::network},
                        {"smb3", &FileSystemKind::network},
                        {"ceph", &FileSystemKind::network},
                        {"fuse.sshfs", &FileSystemKind::fuse},
                        {"devtmpfs", &FileSystemKind::pseudo},
                        {"mqueue", &FileSystemKind::pseudo}})
    EXPECT_TRUE(FileSystemKindNamed(c.type).*c.trait) << c.type;
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
  EXPECT_EQ(MountPointOf(mountinfo, 40), "/mnt/my disk");
  EXPECT_EQ(MountTypeOf(mountinfo, 41), "btrfs");
  EXPECT_EQ(MountTypeOf(mountinfo, 4), "");  // no such mount, though "41" begins with it

  // Files on a file system that keeps old content are counted per mount.
  TempDir t;
  SetStatfsAnswer([](int) { return std::optional<uint64_t>(0x9123683E); });
  FileSystemTally tally;
  tally.Note(t.Write("a", "x"));
  tally.Note(t.Write("b", "x"));
  tally.Note(t.Mkdir("folder"));  // not a file: not counted
  SetStatfsAnswer(nullptr);
  ASSERT_EQ(tally.AtRisk().size(), 1u);
  EXPECT_EQ(tally.AtRisk()[0].files, 2);
  EXPECT_EQ(tally.AtRisk()[0].fileSystem, "btrfs");
  EXPECT_FALSE(tally.AtRisk()[0].mountPoint.empty());
  EXPECT_EQ(ContentMaySurviveMessage({{"btrfs", "/mnt/img", 3, ""}, {"nfs", "/net", 1, ""}}),
            "Files Deleted, But Their Content May Survive!\n"
            "3 files on btrfs at /mnt/img; 1 file on nfs at /net.\n"
            "Copy-on-write, log-structured and network file systems write changes to new "
            "places, so overwriting cannot destroy the old content.");
}

}  // namespace
}  // namespace corvane

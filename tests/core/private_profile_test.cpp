#include "platform/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;
using namespace std::string_literals;

std::string Get(const std::string& path, const std::string& section, const std::string& key,
                size_t capacity = 255, const std::string& fallback = "") {
  std::string out = "garbage";
  size_t n = GetPrivateProfileString(section, key, fallback, out, capacity, path);
  EXPECT_EQ(n, Utf8CharCount(out));
  return out;
}

std::vector<std::string> Names(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(PrivateProfile, CreatesFileAndSectionThenReplacesAndAppends) {
  TempDir dir;
  std::string ini = dir / "corvane.ini";
  // Reading a missing file gives the fallback and creates nothing.
  EXPECT_EQ(Get(ini, "Settings", "ShredsAmount"), "");
  EXPECT_EQ(Get(ini, "Settings", "ShredsAmount", 255, "dflt"), "dflt");
  EXPECT_FALSE(std::filesystem::exists(ini));

  EXPECT_NE(WritePrivateProfileString("Settings", "ShredsAmount", "20", ini), 0);
  EXPECT_EQ(ReadFile(ini), "[Settings]\nShredsAmount=20\n");
  EXPECT_NE(WritePrivateProfileString("Settings", "FileSpecific", "*.*", ini), 0);
  EXPECT_EQ(ReadFile(ini), "[Settings]\nShredsAmount=20\nFileSpecific=*.*\n");
  EXPECT_NE(WritePrivateProfileString("settings", "SHREDSAMOUNT", "7", ini), 0);
  EXPECT_EQ(ReadFile(ini), "[Settings]\nShredsAmount=7\nFileSpecific=*.*\n");
  EXPECT_NE(WritePrivateProfileString("Settings", "FileSpecific", "", ini), 0);
  EXPECT_EQ(Get(ini, "Settings", "FileSpecific", 255, "dflt"), "");
  EXPECT_NE(WritePrivateProfileString("Other", "k", "v", ini), 0);
  EXPECT_EQ(ReadFile(ini), "[Settings]\nShredsAmount=7\nFileSpecific=\n\n[Other]\nk=v\n");
  // No temporary file is left behind.
  EXPECT_EQ(Names(dir), std::vector<std::string>{"corvane.ini"});
}

TEST(PrivateProfile, LeavesEveryOtherLineAsItWas) {
  TempDir dir;
  // CRLF, a byte order mark, comments, odd lines, spacing, other sections, and
  // a last line without a line end.
  const std::string crlf =
      "\xEF\xBB\xBF; settings\r\n"
      "[Other]\r\n"
      "ShredsAmount=99\r\n"
      "\r\n"
      "  [ settings ]  \r\n"
      "  shredsamount =  5   \r\n"
      "odd line without equals\r\n"
      "# FileSpecific=*.nope\r\n"
      "Mask=*.doc\r\n"
      "\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=1";
  std::string ini = dir.Write("crlf.ini", crlf);
  EXPECT_EQ(Get(ini, "SETTINGS", "ShredsAmount"), "5");
  EXPECT_EQ(Get(ini, "Other", "shredsAMOUNT"), "99");
  EXPECT_EQ(Get(ini, "Settings", "FileSpecific"), "");
  EXPECT_EQ(Get(ini, "Last", "x"), "1");

  EXPECT_NE(WritePrivateProfileString("Settings", "ShredsAmount", "12", ini), 0);
  EXPECT_NE(WritePrivateProfileString("Settings", "FileSpecific", "*.txt", ini), 0);
  EXPECT_NE(WritePrivateProfileString("Last", "y", "2", ini), 0);
  EXPECT_EQ(ReadFile(ini),
            "\xEF\xBB\xBF; settings\r\n"
            "[Other]\r\n"
            "ShredsAmount=99\r\n"
            "\r\n"
            "  [ settings ]  \r\n"
            "  shredsamount =  12\r\n"
            "odd line without equals\r\n"
            "# FileSpecific=*.nope\r\n"
            "Mask=*.doc\r\n"
            "FileSpecific=*.txt\r\n"
            "\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n"
            "y=2\r\n");

  // An LF file whose last line, the key itself, has no line end.
  std::string lf = dir.Write("lf.ini", "[Settings]\nShredsAmount=20");
  EXPECT_NE(WritePrivateProfileString("Settings", "ShredsAmount", "3", lf), 0);
  EXPECT_EQ(ReadFile(lf), "[Settings]\nShredsAmount=3");
  EXPECT_NE(WritePrivateProfileString("New", "k", "v", lf), 0);
  EXPECT_EQ(ReadFile(lf), "[Settings]\nShredsAmount=3\n\n[New]\nk=v\n");
}

TEST(PrivateProfile, ReadsTheFirstMatchAndCutsToCapacity) {
  TempDir dir;
  std::string ini = dir.Write("a.ini",
                              "[S]\n"
                              "k=first\n"
                              "K=second\n"
                              "=no name\n"
                              "quoted=\"a b\"\n"
                              "u=\xC3\xA9\xC3\xA9\xC3\xA9\n"
                              "bad=\xFF\xFE\n"
                              "nul=a\0b\n"
                              "[S\n"
                              "k=in a header without bracket\n"
                              "[s]\n"
                              "k=second section\n"
                              "other=only here\n"s);
  EXPECT_EQ(Get(ini, " s ", " K "), "first");
  EXPECT_EQ(Get(ini, "S", "quoted"), "\"a b\"");
  EXPECT_EQ(Get(ini, "S", "nul", 255, "missing"), "missing");
  EXPECT_EQ(Get(ini, "S", "bad"), "\xFF\xFE");
  // Only the first section of a name counts.
  EXPECT_EQ(Get(ini, "S", "other", 255, "missing"), "missing");
  EXPECT_EQ(Get(ini, "S", "k", 4), "fir");
  EXPECT_EQ(Get(ini, "S", "k", 1), "");
  EXPECT_EQ(Get(ini, "S", "k", 0), "");
  EXPECT_EQ(Get(ini, "S", "u", 3), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(Get(ini, "S", "missing", 3, "fallback"), "fa");
  // A stray byte, also a lone continuation byte or a cut-off sequence, is one
  // character when counting and when cutting.
  EXPECT_EQ(Get(ini, "S", "missing", 3, "\x80\x80x"), "\x80\x80");
  EXPECT_EQ(Get(ini, "S", "missing", 3, "a\xBF\xC3\xA9"), "a\xBF");
  EXPECT_EQ(Utf8CharCount("\x80x\xE2\x82\xC3\xA9"), 5u);
}

TEST(PrivateProfile, RefusesWhatCannotBeWrittenSafely) {
  TempDir dir;
  std::string ini = dir.Write("a.ini", "[S]\nk=v\n");
  for (auto [section, key, value] :
       std::vector<std::array<std::string, 3>>{{"S", "k", "two\nlines"},
                                               {"S", "k", "cr\r"},
                                               {"S", "k", std::string("n\0l", 3)},
                                               {"S]", "k", "v"},
                                               {"S", "a=b", "v"},
                                               {"S", "", "v"},
                                               {"S", "[k", "v"},
                                               {"S", ";k", "v"}}) {
    EXPECT_EQ(WritePrivateProfileString(section, key, value, ini), 0) << key << value;
  }
  EXPECT_EQ(ReadFile(ini), "[S]\nk=v\n");

  // Read-only file: kept, even for a user who could replace it.
  ::chmod(ini.c_str(), 0444);
  EXPECT_EQ(WritePrivateProfileString("S", "k", "new", ini), 0);
  EXPECT_EQ(ReadFile(ini), "[S]\nk=v\n");

  // A FIFO, a directory, a symbolic link or a missing directory at the path:
  // read as missing, never opened for writing, never replaced.
  std::string fifo = dir / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string target = dir.Write("target.ini", "[S]\nk=target\n");
  ASSERT_EQ(::symlink(target.c_str(), (dir / "link.ini").c_str()), 0);
  for (const std::string& path :
       {fifo, dir.Mkdir("dir.ini"), dir / "link.ini", dir / "missing/a.ini"}) {
    EXPECT_EQ(Get(path, "S", "k", 255, "none"), "none") << path;
    EXPECT_EQ(WritePrivateProfileString("S", "k", "v", path), 0) << path;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadFile(target), "[S]\nk=target\n");
}

bool FailBeforeRename(const std::string&) {
  return false;
}

[[noreturn]] bool CrashBeforeRename(const std::string&) {
  ::_exit(3);
}

TEST(PrivateProfile, AnInterruptedWriteLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string old = "; keep\n[Settings]\nShredsAmount=20\nFileSpecific=*.*\n";
  std::string ini = dir.Write("corvane.ini", old);
  ::chmod(ini.c_str(), 0640);

  SetProfileRenameHookForTesting(&FailBeforeRename);
  EXPECT_EQ(WritePrivateProfileString("Settings", "ShredsAmount", "5", ini), 0);
  SetProfileRenameHookForTesting(nullptr);
  EXPECT_EQ(ReadFile(ini), old);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"corvane.ini"});

  // A crash after the new contents are on disk but before the rename.
  EXPECT_EXIT(
      {
        SetProfileRenameHookForTesting(&CrashBeforeRename);
        WritePrivateProfileString("Settings", "ShredsAmount", "5", ini);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadFile(ini), old);
  std::vector<std::string> names = Names(dir);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(ReadFile(dir / names[0]), "; keep\n[Settings]\nShredsAmount=5\nFileSpecific=*.*\n");

  // The next write goes through and keeps the file's permissions.
  EXPECT_NE(WritePrivateProfileString("Settings", "ShredsAmount", "6", ini), 0);
  EXPECT_EQ(ReadFile(ini), "; keep\n[Settings]\nShredsAmount=6\nFileSpecific=*.*\n");
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

int FailingSync(int) {
  errno = EIO;
  return -1;
}

TEST(PrivateProfile, AFailedFlushWritesNothing) {
  TempDir dir;
  std::string ini = dir.Write("corvane.ini", "[S]\nk=old\n");
  SetProfileSyncForTesting(&FailingSync);
  EXPECT_EQ(WritePrivateProfileString("S", "k", "new", ini), 0);
  SetProfileSyncForTesting(nullptr);
  EXPECT_EQ(ReadFile(ini), "[S]\nk=old\n");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"corvane.ini"});
}

// Each writer replaces the file; without a lock that outlives the
// replacements, one writer's key is lost in the other's new file.
TEST(PrivateProfile, TwoProgramsWritingAtOnceLoseNoKey) {
  TempDir dir;
  const std::string ini = dir / "corvane.ini";
  constexpr int kKeys = 100;
  auto key = [](int writer, int k) {
    return "w" + std::to_string(writer) + "k" + std::to_string(k);
  };
  std::vector<pid_t> writers;
  for (int writer = 0; writer < 2; ++writer) {
    pid_t pid = ::fork();
    if (pid == 0) {
      for (int k = 0; k < kKeys; ++k)
        if (WritePrivateProfileString("S", key(writer, k), "v", ini) == 0) ::_exit(1);
      ::_exit(0);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
  }
  int lost = 0;
  for (int writer = 0; writer < 2; ++writer)
    for (int k = 0; k < kKeys; ++k) lost += Get(ini, "S", key(writer, k)) != "v";
  EXPECT_EQ(lost, 0);
}

std::string g_checked, g_moved, g_rootOnly;

// A co-user's swap of the settings folder for their link, as a rename
// exchange would do it, between root's read and write.
void SwapForLink(const std::string&) {
  if (::rename(g_checked.c_str(), g_moved.c_str()) != 0) std::abort();
  testing::ForeignSymlink(g_rootOnly, g_checked);
}

TEST(PrivateProfile, RootWritesOnlyInTheFolderItCheckedAndKeepsTheFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  TempDir t;
  g_checked = t / "corvane";
  g_moved = t / "moved";
  g_rootOnly = t.Mkdir("root-only");
  const std::string ini = t.Write("corvane/corvane.ini", "[S]\nk=old\n");
  ASSERT_EQ(::chown(ini.c_str(), 65534, 65534), 0);
  ::chmod(ini.c_str(), 0666);
  SetProfileReadHookForTesting(&SwapForLink);
  EXPECT_NE(WritePrivateProfileString("S", "k", "new", ini), 0);
  SetProfileReadHookForTesting(nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(g_rootOnly));
  EXPECT_EQ(ReadFile(g_moved + "/corvane.ini"), "[S]\nk=new\n");
  struct stat st {};
  ASSERT_EQ(::stat((g_moved + "/corvane.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST(PrivateProfile, SurvivesBinaryHugeAndOddFiles) {
  TempDir dir;
  std::mt19937 random(42);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string binary = dir.Write("binary.ini", "[S]\nk=before\n" + noise + "\n[T]\nk=after\n");
  EXPECT_EQ(Get(binary, "S", "k"), "before");
  EXPECT_EQ(Get(binary, "T", "k"), "after");
  EXPECT_NE(WritePrivateProfileString("T", "k", "changed", binary), 0);
  EXPECT_EQ(Get(binary, "T", "k"), "changed");
  EXPECT_EQ(Get(binary, "S", "k"), "before");

  // Past the size limit: what lies beyond reads as missing, and the file is never rewritten.
  std::string filler(kProfileSizeLimit, 'x');
  std::string huge = "[S]\nk=v\n" + filler + "\n[T]\nk=far\n";
  std::string hugePath = dir.Write("huge.ini", huge);
  EXPECT_EQ(Get(hugePath, "S", "k"), "v");
  EXPECT_EQ(Get(hugePath, "T", "k", 255, "missing"), "missing");
  EXPECT_EQ(WritePrivateProfileString("S", "k", "w", hugePath), 0);
  EXPECT_EQ(ReadFile(hugePath), huge);

  // One enormous line.
  std::string oneLine = dir.Write("line.ini", "[S]\nk=" + std::string(3 << 20, 'y'));
  EXPECT_EQ(Get(oneLine, "S", "k").size(), 254u);
}

}  // namespace
}  // namespace corvane

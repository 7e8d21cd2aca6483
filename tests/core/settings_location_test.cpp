// Where the settings go when the program's folder is not writable, and how a
// settings file in a read-only folder is written.
#include "shell/core/settings_location.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/private_profile.h"
#include "platform/trusted_folder.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Runs `check` in a child process as an ordinary user (root may write
// anywhere, so as root the child becomes "nobody"). Returns what failed.
std::string AsOrdinaryUser(const TempDir& dir, const std::function<std::string()>& check) {
  const struct passwd* nobody = ::getpwnam("nobody");
  if (::getuid() == 0 &&
      (nobody == nullptr || ::chown(dir.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0))
    return "skip";
  int out[2];
  if (::pipe(out) != 0) return "no pipe";
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(out[0]);
    std::string failure = "could not become an ordinary user";
    if (::getuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
                            ::setuid(nobody->pw_uid) == 0))
      failure = check();
    (void)!::write(out[1], failure.data(), failure.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string failure;
  char buffer[256];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) failure.append(buffer, n);
  ::close(out[0]);
  ::waitpid(pid, nullptr, 0);
  return failure;
}

TEST(SettingsLocation, FallsBackToTheUsersConfigurationFolder) {
  TempDir t;
  std::string failure = AsOrdinaryUser(t, [&]() -> std::string {
    struct Case {
      const char* name;
      mode_t folderMode;
      mode_t iniMode;  // 0: no settings file there
      std::string expected;
    };
    const Case cases[] = {
        {"writable", 0755, 0, t / "writable/corvane.ini"},
        {"read-only", 0555, 0, t / "config/corvane/corvane.ini"},
        {"read-only with settings", 0555, 0644, t / "read-only with settings/corvane.ini"},
        // Settings that could never be saved there are not the user's.
        {"read-only settings", 0555, 0444, t / "config/corvane/corvane.ini"},
    };
    ::setenv("XDG_CONFIG_HOME", (t / "config").c_str(), 1);
    for (const Case& c : cases) {
      std::string folder = t.Mkdir(c.name);
      if (c.iniMode != 0) {
        std::string ini =
            t.Write(std::string(c.name) + "/corvane.ini", "[Settings]\nShredsAmount=7\n");
        ::chmod(ini.c_str(), c.iniMode);
      }
      ::chmod(folder.c_str(), c.folderMode);
      if (SettingsFilePath(folder) != c.expected) return std::string(c.name) + ": wrong path";
    }
    struct stat st {};
    if (::stat((t / "config/corvane").c_str(), &st) != 0) return "folder not created";
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", (t / "home").c_str(), 1);
    if (SettingsFilePath(t / "read-only") != t / "home/.config/corvane/corvane.ini")
      return "not under ~/.config";

    // Writable settings in a read-only folder are rewritten in place, also
    // by two programs at once.
    const std::string ini = t / "read-only with settings/corvane.ini";
    pid_t other = ::fork();
    for (int i = 0; i < 200; ++i) {
      std::string key = other == 0 ? "FileSpecific" : "ShredsAmount";
      if (WritePrivateProfileString("Settings", key, std::string(i % 7 + 1, 'x'), ini) != 1)
        ::_exit(1);
    }
    if (other == 0) ::_exit(0);
    int status = -1;
    ::waitpid(other, &status, 0);
    if (status != 0) return "a concurrent write failed";
    if (ReadFile(ini) != "[Settings]\nShredsAmount=xxxx\nFileSpecific=xxxx\n")
      return "settings file corrupt: " + ReadFile(ini);
    return "";
  });
  if (failure == "skip") GTEST_SKIP() << "no ordinary user to run as";
  EXPECT_EQ(failure, "");
}

// An installed program keeps its settings in the configuration folder for
// every user, root included, who could otherwise write beside it.
TEST(SettingsLocation, AnInstalledProgramNeverKeepsThemBesideItself) {
  TempDir t;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", (t / "config").c_str(), 1);
  for (const char* installed : {"/usr/bin", "/usr/local/bin", "/opt/corvane/bin", "/usr/games"})
    EXPECT_EQ(SettingsFilePath(installed), t / "config/corvane/corvane.ini") << installed;
  old != nullptr ? ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(IsInstallFolder("/home/user/.local/bin"));
  for (const char* portable :
       {"/usrlocal/corvane", "/home/user/corvane/build", "/optical", "/cabin"})
    EXPECT_FALSE(IsInstallFolder(portable)) << portable;
}

// Sets (or, for nullptr, unsets) an environment variable for as long as it lives.
struct EnvAt {
  EnvAt(const char* name, const char* value) : name(name) {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) saved = old;
    value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~EnvAt() { had ? ::setenv(name, saved.c_str(), 1) : ::unsetenv(name); }
  const char* name;
  bool had = false;
  std::string saved;
};

// Root whose HOME or XDG_CONFIG_HOME leads into folders a co-user could
// change writes nothing there and keeps the settings for this run only.
TEST(SettingsLocation, RootNeverWritesWhereACoUserCouldRedirectIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  TempDir t;
  const std::string rootOnly = t.Mkdir("root-only");
  t.Mkdir("cfg");
  testing::ForeignSymlink(rootOnly, t / "cfg/corvane");
  t.Mkdir("co-user/.config/corvane");
  ::chown((t / "co-user").c_str(), 65534, 65534);
  t.Mkdir("shared/cfg/corvane");
  ::chmod((t / "shared").c_str(), 0777);
  ::chown(t.Mkdir("co-user-home").c_str(), 65534, 65534);
  struct Case {
    std::string program, xdg, home;  // xdg "": unset
    std::string refused, reason;
    std::string written;  // where nothing may appear
  };
  const Case cases[] = {
      // Not beside the program either, in a folder the co-user owns.
      {t / "co-user", t / "cfg", "", t / "cfg/corvane", "a link owned by user 65534",
       rootOnly + "/corvane.ini"},
      {"/usr/bin", t / "co-user/.config", "", t / "co-user", "owned by user 65534",
       t / "co-user/.config/corvane/corvane.ini"},
      {"/usr/bin", t / "shared/cfg", "", t / "shared", "writable by others",
       t / "shared/cfg/corvane/corvane.ini"},
      {"/usr/bin", "", t / "co-user-home", t / "co-user-home", "owned by user 65534",
       t / "co-user-home/.config"},
  };
  for (const Case& c : cases) {
    EnvAt xdg("XDG_CONFIG_HOME", c.xdg.empty() ? nullptr : c.xdg.c_str());
    testing::HomeAt home(c.home.empty() ? t.path() : c.home);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SettingsFilePath(c.program), "") << c.refused;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "corvane: settings are kept for this run only: " + c.refused +
                  " is not safe for root (" + c.reason + ").\n");
    const std::string folder = (c.xdg.empty() ? c.home + "/.config" : c.xdg) + "/corvane";
    EXPECT_EQ(WritePrivateProfileString("Settings", "ShredsAmount", "1", folder + "/corvane.ini"),
              0)
        << c.refused;
    EXPECT_FALSE(std::filesystem::exists(c.written)) << c.written;
  }
}

// With the current folder gone, a relative path names no folder: refused,
// never taken as "/".
TEST(SettingsLocation, ARelativeFolderWithoutACurrentFolderIsRefused) {
  TempDir t;
  const std::string gone = t.path() + "/gone";
  ASSERT_EQ(::mkdir(gone.c_str(), 0700), 0);
  const std::string back = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(gone.c_str()), 0);
  ASSERT_EQ(::rmdir(gone.c_str()), 0);
  const TrustedFolder opened = OpenTrustedFolder("settings", false);
  ASSERT_EQ(::chdir(back.c_str()), 0);
  if (opened.fd >= 0) ::close(opened.fd);
  EXPECT_LT(opened.fd, 0);
  EXPECT_EQ(opened.reason, "the current folder cannot be read");
}

}  // namespace
}  // namespace corvane

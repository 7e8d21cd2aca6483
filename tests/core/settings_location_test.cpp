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
#include <functional>

#include "platform/private_profile.h"
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

}  // namespace
}  // namespace corvane

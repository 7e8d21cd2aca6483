#include "shell/core/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/held_fd.h"
#include "platform/home_folder.h"
#include "platform/trusted_folder.h"

namespace corvane {

namespace {

std::string ConfigurationDirectory() {
  // A relative XDG_CONFIG_HOME is invalid and ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  return xdg != nullptr && *xdg == '/' ? xdg : HomeFolder() + "/.config";
}

// Creates `path` and its missing parents, private to the user.
void MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

// Why root may not write in `folder`, or "" when it may (or is not root).
std::string SafeForRoot(const std::string& folder, bool create) {
  if (::geteuid() != 0) return "";
  const TrustedFolder trusted = OpenTrustedFolder(folder, create);
  const HeldFd opened(trusted.fd);  // only whether it opens matters
  return opened.get() < 0 ? trusted.folder + " is not safe for root (" + trusted.reason + ")" : "";
}

// A settings file beside the program that this user can keep up to date: an
// existing regular file writable by the user, or none yet in a folder the
// user may write to.
bool KeptBesideTheProgram(const std::string& programDirectory, const std::string& beside) {
  if (IsInstallFolder(programDirectory) || !SafeForRoot(programDirectory, false).empty())
    return false;
  struct stat st {};
  if (::lstat(beside.c_str(), &st) != 0) return ::access(programDirectory.c_str(), W_OK) == 0;
  return S_ISREG(st.st_mode) && ::access(beside.c_str(), W_OK) == 0;
}

}  // namespace

bool IsInstallFolder(const std::string& directory) {
  for (const std::string prefix : {"/usr", "/bin", "/sbin", "/opt", "/snap"}) {
    if (directory.compare(0, prefix.size(), prefix) == 0 &&
        (directory.size() == prefix.size() || directory[prefix.size()] == '/'))
      return true;
  }
  return directory.size() >= 4 && directory.compare(directory.size() - 4, 4, "/bin") == 0;
}

std::string SettingsFilePath(const std::string& programDirectory) {
  const std::string beside = programDirectory + "/corvane.ini";
  if (KeptBesideTheProgram(programDirectory, beside)) return beside;
  const std::string folder = ConfigurationDirectory() + "/corvane";
  if (::geteuid() != 0) {
    MakeDirectories(folder);
    return folder + "/corvane.ini";
  }
  // Root makes missing folders only where it is safe to write, never in a
  // co-user's home that root's HOME happens to point into.
  const std::string unsafe = SafeForRoot(folder, true);
  if (unsafe.empty()) return folder + "/corvane.ini";
  std::fprintf(stderr, "corvane: settings are kept for this run only: %s.\n", unsafe.c_str());
  return "";
}

}  // namespace corvane

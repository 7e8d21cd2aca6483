#include "shell/core/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/home_folder.h"

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

// A settings file beside the program that this user can keep up to date: an
// existing regular file writable by the user, or none yet in a folder the
// user may write to.
bool KeptBesideTheProgram(const std::string& programDirectory, const std::string& beside) {
  if (IsInstallFolder(programDirectory)) return false;
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
  MakeDirectories(folder);
  return folder + "/corvane.ini";
}

}  // namespace corvane

#include "shell/core/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane {

namespace {

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return home;
  const struct passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string ConfigurationDirectory() {
  // A relative XDG_CONFIG_HOME is invalid and ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  return xdg != nullptr && *xdg == '/' ? xdg : HomeDirectory() + "/.config";
}

// Creates `path` and its missing parents, private to the user.
void MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    if (slash == std::string::npos) return;
  }
}

}  // namespace

std::string SettingsFilePath(const std::string& programDirectory) {
  const std::string beside = programDirectory + "/corvane.ini";
  struct stat st {};
  if (::lstat(beside.c_str(), &st) == 0 || ::access(programDirectory.c_str(), W_OK) == 0)
    return beside;
  const std::string folder = ConfigurationDirectory() + "/corvane";
  MakeDirectories(folder);
  return folder + "/corvane.ini";
}

}  // namespace corvane

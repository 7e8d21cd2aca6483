#include "platform/home_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane {

namespace {

std::string AccountHome() {
  const struct passwd* account = ::getpwuid(::getuid());
  return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home == '/' ? std::string(home) : AccountHome();
}

std::vector<std::string> HomeFolders() {
  std::vector<std::string> homes{HomeFolder()};
  if (std::string account = AccountHome(); account != homes[0]) homes.push_back(account);
  return homes;
}

std::vector<std::string> CacheFolders() {
  std::vector<std::string> caches;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && *cache == '/') caches.emplace_back(cache);
  for (const std::string& home : HomeFolders())
    if (!home.empty()) caches.push_back(home + "/.cache");
  return caches;
}

}  // namespace corvane

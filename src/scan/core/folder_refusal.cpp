#include "scan/core/folder_refusal.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/entry_id.h"
#include "platform/file_ops.h"

namespace corvane {

namespace {

// The folder a path leads to, its links followed.
std::optional<EntryId> IdentityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdOf(st);
}

// True when `folder` is `target` or one of the folders above it: walks up from
// `folder` through ".." until the root, whose ".." is itself.
bool IsOrHolds(const EntryId& target, const std::string& folder) {
  std::string path = folder;
  std::optional<EntryId> current = IdentityOf(path);
  for (int depth = 0; current && depth < 4096; ++depth) {
    if (*current == target) return true;
    path += "/..";
    std::optional<EntryId> parent = IdentityOf(path);
    if (!parent || *parent == *current) return false;  // the root
    current = parent;
  }
  return false;
}

}  // namespace

std::optional<std::string> FolderRefusalReason(const std::string& chosen, const std::string& home,
                                               const std::vector<std::string>& programFolders) {
  if (IsSymbolicLink(chosen)) return "It is a symbolic link, not a folder of its own.";
  std::optional<EntryId> identity = IdentityOf(chosen);
  if (!identity) return std::nullopt;  // nothing there to protect
  if (identity == IdentityOf("/")) return "It is the root of the file system.";
  if (identity == IdentityOf(home)) return "It is your home folder.";
  for (const std::string& folder : programFolders) {
    if (identity == IdentityOf(folder)) return "It is the folder of Corvane and its settings.";
    if (IsOrHolds(*identity, folder)) return "It holds the folder of Corvane and its settings.";
  }
  return std::nullopt;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const struct passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
    return account->pw_dir;
  return {};
}

}  // namespace corvane

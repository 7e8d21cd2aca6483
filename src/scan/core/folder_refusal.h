#pragma once
// Folders that the folder commands never list for destruction: the root, the
// user's home folder itself, the program's own folders and every folder that
// holds them, and a chosen path that is a symbolic link. Folders are compared
// by identity (device and inode), never by their path's spelling.
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// Why `chosen` must not be destroyed, as one line for the user, or nothing
// when it may be. `home` is the user's home folder; `programFolders` are the
// folder of the executable and the folder of the settings file.
std::optional<std::string> FolderRefusalReason(const std::string& chosen, const std::string& home,
                                               const std::vector<std::string>& programFolders);

// $HOME, else the home folder of the account.
std::string HomeFolder();

}  // namespace corvane

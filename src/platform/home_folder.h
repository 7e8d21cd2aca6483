#pragma once
// Where the user's home folder is: one rule for every part of the program.
#include <string>
#include <vector>

namespace corvane {

// $HOME when it is an absolute path, as desktop programs read it; else the
// account's home folder from the password database; "" when neither is known.
std::string HomeFolder();

// Every folder that may be taken for home: HomeFolder() and, when it differs,
// the account's folder.
std::vector<std::string> HomeFolders();

// Every folder that may hold the user's cached files: $XDG_CACHE_HOME when it
// is an absolute path, and ".cache" in each of HomeFolders().
std::vector<std::string> CacheFolders();

}  // namespace corvane

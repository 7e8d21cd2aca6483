#pragma once
// Where the settings file lives.
#include <string>

namespace corvane {

// `programDirectory`/corvane.ini when the user can keep it there: it is a
// regular file the user may write, or it does not exist yet and the folder
// may be written to. Never for a program installed in a system prefix, also
// when run as root. Otherwise corvane.ini in the user's configuration folder
// ($XDG_CONFIG_HOME/corvane, by default ~/.config/corvane), which is created
// when missing.
std::string SettingsFilePath(const std::string& programDirectory);

// True for a folder where the system and its packages install programs
// (/usr and below, /bin, /sbin, /opt, /snap).
bool InSystemPrefix(const std::string& directory);

}  // namespace corvane

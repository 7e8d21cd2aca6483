#pragma once
// Where the settings file lives.
#include <string>

namespace corvane {

// `programDirectory`/corvane.ini when the user can keep it there: it is a
// regular file the user may write, or it does not exist yet and the folder
// may be written to. Never for an installed program, also when run as root. Otherwise corvane.ini
// in the user's configuration folder
// ($XDG_CONFIG_HOME/corvane, by default ~/.config/corvane), which is created
// when missing.
// Root keeps them only in a folder no one else can change
// (platform/trusted_folder.h). Where there is none, the result is "": the
// settings are kept for this run only, which is said on standard error.
std::string SettingsFilePath(const std::string& programDirectory);

// True for a folder programs are installed in: where the system and its
// packages put them (/usr and below, /bin, /sbin, /opt, /snap), and the bin
// folder of any other prefix (~/.local/bin).
bool IsInstallFolder(const std::string& directory);

}  // namespace corvane

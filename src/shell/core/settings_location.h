#pragma once
// Where the settings file lives.
#include <string>

namespace corvane {

// `programDirectory`/corvane.ini when that file exists or the folder may be
// written to; otherwise corvane.ini in the user's configuration folder
// ($XDG_CONFIG_HOME/corvane, by default ~/.config/corvane), which is created
// when missing.
std::string SettingsFilePath(const std::string& programDirectory);

}  // namespace corvane

#pragma once
// The settings store: one text value per key in section files beside the program.
#include <cstdint>
#include <string>

namespace corvane {

// Full path of the settings file, set once at start-up.
extern std::string IniPath;

}  // namespace corvane

#pragma once
// The settings store: one text value per key in section files beside the program.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// Full path of the settings file, set once at start-up; "" when the settings
// are kept for this run only (nothing is read or written).
extern std::string IniPath;

// Longest key or value that may be written, and the read buffer's capacity
// (which holds the terminating NUL, so a read returns one character less).
inline constexpr size_t kIniWriteLimit = 255;
inline constexpr size_t kIniReadCapacity = 255;

// The value of `key` in `section`, or "" when the file, section or key is
// missing. At most 254 characters come back.
std::string ReadIniValue(const std::string& section, const std::string& key);

// The same, but nothing when the file, section or key is missing or cannot
// be read, so that a caller can keep its default.
std::optional<std::string> FindIniValue(const std::string& section, const std::string& key);

inline constexpr int32_t kIniTooLong = -1;

// Stores `value` under `key` in `section`. Returns non-zero when written, 0
// when the file could not be written, and kIniTooLong, writing nothing, when
// the key or the value is longer than 255 characters: the caller tells the user.
int32_t WriteIniValue(const std::string& section, const std::string& key, const std::string& value);

}  // namespace corvane

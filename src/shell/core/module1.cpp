#include "shell/core/module1.h"

#include "platform/private_profile.h"

namespace corvane {

std::string IniPath;

std::string ReadIniValue(const std::string& section, const std::string& key) {
  std::string buffer;
  size_t n = GetPrivateProfileString(section, key, "", buffer, kIniReadCapacity, IniPath);
  return n > 0 ? buffer : std::string();
}

std::optional<std::string> FindIniValue(const std::string& section, const std::string& key) {
  // No value can hold a line break, so this fallback tells a missing key.
  const std::string missing = "\n";
  std::string buffer;
  GetPrivateProfileString(section, key, missing, buffer, kIniReadCapacity, IniPath);
  if (buffer == missing) return std::nullopt;
  return buffer;
}

int32_t WriteIniValue(const std::string& section, const std::string& key,
                      const std::string& value) {
  if (Utf8CharCount(key) <= kIniWriteLimit && Utf8CharCount(value) <= kIniWriteLimit)
    return WritePrivateProfileString(section, key, value, IniPath);
  return kIniTooLong;
}

}  // namespace corvane

#include "scan/core/add_backslash.h"

namespace corvane {

std::string AddBackslash(const std::string& path, const std::string& Char) {
  // Compares the last character with the whole of Char, so a Char longer than
  // one character is always appended.
  if (!path.empty() && Char.size() == 1 && path.back() == Char[0]) return path;
  return path + Char;
}

}  // namespace corvane

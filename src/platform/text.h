#pragma once
// Character classes that the settings file and the shred count field share.

namespace corvane {

// A blank between words or around a value: space or tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace corvane

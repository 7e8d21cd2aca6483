#pragma once
// Byte-level text rules shared by paths, the settings file and the shred count.
#include <cstddef>
#include <string_view>

namespace corvane {

// A blank around a value: space or tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Bytes of the UTF-8 sequence that s[i] leads, its continuation bytes all
// present, or 0; whether it decodes to a valid code point is not checked.
inline size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  const size_t length = lead < 0x80             ? 1
                        : (lead & 0xE0) == 0xC0 ? 2
                        : (lead & 0xF0) == 0xE0 ? 3
                        : (lead & 0xF8) == 0xF0 ? 4
                                                : 0;
  if (length == 0 || length > s.size() - i) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace corvane

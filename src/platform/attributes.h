#pragma once
// File attribute words, read with lstat so that a symbolic link is never followed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr uint32_t kAttrReadOnly = 1;
inline constexpr uint32_t kAttrHidden = 2;
inline constexpr uint32_t kAttrSystem = 4;  // FIFO, socket, device node
inline constexpr uint32_t kAttrDirectory = 16;
inline constexpr uint32_t kAttrNormal = 128;
inline constexpr uint32_t kAttrSymlink = 0x400;

// Hidden means the last component begins with ".".
bool IsHiddenName(std::string_view name);

// The attribute word of `path`, or nothing when it cannot be read (missing, access refused).
std::optional<uint32_t> GetAttr(const std::string& path);

}  // namespace corvane

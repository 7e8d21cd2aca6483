#pragma once
// Path arithmetic on byte strings, by spelling alone: nothing here looks at
// the file system, and no path is ever decoded.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline bool IsAbsolutePath(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

// Where the folder part of `path` ends: "/a/b" gives 2, "/a" and "/" give 1,
// "a" gives 0. Trailing separators and those before the name are ignored.
uint32_t ParentLength(std::string_view path);

// The folder that holds `path`'s last component: "/a" for "/a/b", "/" for
// "/a", "." for a bare name. Trailing and doubled separators are ignored.
std::string ParentFolder(std::string_view path);

// The last component, trailing separators ignored: "b" for "/a/b/"; "" for
// "/" and "".
std::string_view LastComponent(std::string_view path);

// `path` cut after its last separator, which stays with the folder: "/a/" and
// "b" for "/a/b", "/a/" and "" for "/a/", "" and the whole path for "b".
struct SlashSplit {
  std::string_view folder;
  std::string_view name;
};
SlashSplit SplitAtLastSlash(std::string_view path);

// `name` in `folder`, with one separator between them unless `folder` ends
// with one already; "" stands for the root.
std::string JoinPath(std::string_view folder, std::string_view name);

// The non-empty components of `path`, in order.
std::vector<std::string> PathComponents(std::string_view path);

// `path` normalised by its spelling alone: "." and empty components dropped,
// "x/.." taken as the folder holding x ("/.." is "/"), no trailing separator;
// "." for nothing left.
std::string NormalPath(std::string_view path);

// `path` without trailing separators; the root keeps its own.
std::string_view WithoutTrailingSlashes(std::string_view path);

// `path` taken from the folder `cwd` unless it is absolute, without trailing
// separators.
std::string AbsolutePath(std::string_view path, std::string_view cwd);

}  // namespace corvane

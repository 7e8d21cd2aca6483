#pragma once
#include <string>

namespace corvane {

// `path` with `Char` appended unless it already ends with it. Callers pass "/"
// (the name is historical: it joins a directory and a name with one separator).
std::string AddBackslash(const std::string& path, const std::string& Char);

}  // namespace corvane

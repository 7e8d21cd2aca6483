#pragma once
// Runs a short command line with a time limit and returns its output.
#include <cstdio>
#include <string>

namespace corvane::testing {

inline std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(("timeout 10 " + command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

}  // namespace corvane::testing

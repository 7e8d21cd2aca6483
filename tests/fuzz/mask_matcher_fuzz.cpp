// The mask matcher against a plain dynamic-programming matcher: any
// disagreement aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/dir_search.h"

namespace {

// The reference needs (mask + 1) x (name + 1) cells; keep it small.
constexpr size_t kMaxMask = 64;
constexpr size_t kMaxName = 256;

// at[i][j]: the first i mask bytes match the first j name bytes.
bool ReferenceMatch(const std::string& mask, const std::string& name) {
  if (mask.empty()) return false;
  if (mask == "*.*") return true;
  const size_t m = mask.size(), n = name.size();
  std::vector<std::vector<bool>> at(m + 1, std::vector<bool>(n + 1, false));
  at[0][0] = true;
  for (size_t i = 1; i <= m; ++i) {
    for (size_t j = 0; j <= n; ++j) {
      if (mask[i - 1] == '*') {
        at[i][j] = at[i - 1][j] || (j > 0 && at[i][j - 1]);
      } else if (j > 0) {
        at[i][j] = at[i - 1][j - 1] && (mask[i - 1] == '?' || mask[i - 1] == name[j - 1]);
      }
    }
  }
  return at[m][n];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string mask = input.ConsumeRandomLengthString(kMaxMask);
  std::string name = input.ConsumeRemainingBytesAsString();
  if (name.size() > kMaxName) name.resize(kMaxName);
  bool got = corvane::MatchMask(mask, name);
  if (got != ReferenceMatch(mask, name)) {
    std::fprintf(stderr, "MatchMask(\"%s\", \"%s\") gave %d\n", mask.c_str(), name.c_str(), got);
    std::abort();
  }
  return 0;
}

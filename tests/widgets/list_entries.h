#pragma once
// The entries of a list box, in order, for comparing whole lists in tests.
#include <string>
#include <vector>

#include "shell/controls/list_box.h"

namespace corvane::testing {

using Entries = std::vector<std::string>;

inline Entries EntriesOf(const ListBox& list) {
  Entries entries;
  for (int64_t i = 0; i < list.ListCount(); ++i) entries.push_back(list.List(i));
  return entries;
}

}  // namespace corvane::testing

#include "picking/list_editing.h"

#include <cstdint>
#include <vector>

#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

namespace {
constexpr int kKeyDelete = 46;
}

void List1KeyDown(RunController& runs, int keyCode, int shift) {
  (void)shift;  // Shift+Delete and Ctrl+Delete act like Delete
  ListBox& list = runs.Files();
  if (keyCode != kKeyDelete || list.ListCount() == 0) return;
  // The lists belong to the command under way until it has ended.
  if (runs.Running()) return;
  // Highest first, so each removal leaves the positions still to go in place.
  std::vector<int64_t> positions;
  for (int64_t i = list.ListCount() - 1; i >= 0; --i) {
    if (list.Selected(i)) positions.push_back(i);
  }
  for (int64_t position : positions) list.RemoveItem(position);
  // The folder list is never shown: with no file left, no folder stays behind
  // to haunt a later run.
  if (list.ListCount() == 0) runs.Folders().Clear();
}

}  // namespace corvane

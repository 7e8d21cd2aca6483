#include "picking/add_files_command.h"

#include <string>
#include <vector>

#include "picking/core/c_file_dialog.h"
#include "platform/path_text.h"
#include "scan/core/path_gate.h"
#include "shell/core/module1.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

void AddFilesClick(RunController& runs, cFileDialog* fileDialog) {
  // Nothing opens while the window closes or while a command runs (its pass
  // finishing after an Abort included).
  if (fileDialog == nullptr || runs.StopRequested() || runs.Running()) return;
  cFileDialog& dialog = *fileDialog;
  try {
    // The first write replaces whatever the flag word held.
    dialog.setFlags(kOfnFileMustExist);
    dialog.setFlags(dialog.flags() | kOfnHideReadOnly);
    dialog.setFlags(dialog.flags() | kOfnAllowMultiSelect);
    dialog.setHwnd(runs.Owner());
    dialog.ShowOpen();
    // Still empty after a cancel or a failed dialog.
    if (dialog.Filename().empty()) return;

    std::string dir;
    std::vector<std::string> names;
    int32_t count = 0;
    dialog.ParseMultiFileName(dir, names, count);
    const GateRules rules = ProgramGateRules(IniPath);
    RefusalNotice refusals;
    for (int32_t i = 0; i < count; ++i) {
      const GateVerdict verdict = PassGate(JoinPath(dir, names[static_cast<size_t>(i)]), rules);
      if (verdict.refusal) {
        refusals.Add(verdict);
      } else {
        runs.Files().AddItem(verdict.path);
      }
    }
    ShowRefusals(refusals.Take());
    // The next dialog starts from an empty name box and an empty buffer.
    dialog.setFilename("");
  } catch (const DialogError&) {
    // Only a file name left behind by some other caller gets here. An error
    // must not escape into the event loop; start the next click afresh.
    dialog.setFilename("");
  }
}

}  // namespace corvane

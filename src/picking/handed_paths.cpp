#include "picking/handed_paths.h"

#include "scan/browse_folder_command.h"
#include "scan/core/path_gate.h"
#include "shell/form1.h"

namespace corvane {

void AddHandedPaths(Form1& form, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (form.StopRequested || form.CommandRunning()) return;
    const GateVerdict verdict = PassGate(path, ProgramGateRules());
    if (verdict.refusal) {
      ShowRefusal(verdict);
    } else if (verdict.kind == GateKind::kFile) {
      form.List1->AddItem(verdict.path);
    } else if (verdict.kind == GateKind::kFolder &&
               ListFolder(form, verdict.path) != BrowseOutcome::Completed) {
      return;
    }
  }
}

}  // namespace corvane

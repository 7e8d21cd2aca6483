#include "picking/handed_paths.h"

#include "scan/browse_folder_command.h"
#include "scan/core/path_gate.h"
#include "shell/core/module1.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

void AddHandedPaths(RunController& runs, const std::vector<std::string>& paths,
                    const std::vector<std::string>& remote) {
  const GateRules rules = ProgramGateRules(IniPath);
  RefusalNotice refusals;
  for (const std::string& uri : remote) {
    refusals.Add({uri, GateKind::kMissing,
                  "It is not on this computer: a downloaded copy destroyed would leave the "
                  "original where it is."});
  }
  for (const std::string& path : paths) {
    if (runs.StopRequested() || runs.Running()) break;
    const GateVerdict verdict = PassGate(path, rules);
    if (verdict.refusal) {
      refusals.Add(verdict);
    } else if (verdict.kind == GateKind::kMissing) {
      refusals.AddMissing(path, verdict.error);
    } else if (verdict.kind == GateKind::kFile) {
      runs.Files().AddItem(verdict.path);
    } else if (const BrowseOutcome outcome = ListFolder(runs, verdict.path);
               outcome != BrowseOutcome::Completed && outcome != BrowseOutcome::Refused) {
      break;
    }
  }
  // Told once the lists stand, even after a stopped listing; never to a
  // window that is closing.
  if (!runs.StopRequested()) ShowRefusals(refusals.Take());
}

}  // namespace corvane

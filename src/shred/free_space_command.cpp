#include "shred/free_space_command.h"

#include <unistd.h>

#include <algorithm>

#include "platform/modal.h"
#include "shred/core/free_space_report.h"
#include "shell/controls/run_controller.h"

namespace corvane {

WipeEnd WipeFreeSpace(RunController& runs, const std::vector<FillTarget>& targets) {
  if (targets.empty()) return WipeEnd::kDone;
  if (!runs.Begin(Command::kFreeSpaceWipe)) return WipeEnd::kNotDone;
  RunScope scope = runs.Scope(Command::kFreeSpaceWipe);

  WipeEnd outcome = WipeEnd::kDone;
  for (size_t i = 0; i < targets.size(); ++i) {
    const FillTarget& target = targets[i];
    runs.BeginProgress(QStringLiteral("Overwriting Free Space - "));
    // Only root may trim.
    FreeSpaceFill fill(target, {FlushMode::kPeriodicSync, ::geteuid() == 0},
                       [&runs](uint64_t written, uint64_t freeBefore) {
                         const int64_t max = std::max<int64_t>(1, int64_t(freeBefore >> 20));
                         runs.SetProgressMax(max);
                         runs.SetProgress(std::min(max, int64_t(written >> 20)));
                         return runs.PumpAndCheck() == RunCheck::kGoOn;
                       });
    const FillReport report = fill.Run();
    if (runs.StopRequested()) {
      // The window is closing: no box; the fill has taken its file away again.
      runs.InterruptedRunKept.emplace();
      return WipeEnd::kStopped;
    }
    const FillMessage message = FillReportMessage(target, report);
    if (report.end != FillEnd::kFull) outcome = WipeEnd::kNotDone;
    // The last report, or the one of an abort, ends the run as a Delete run ends.
    const bool last = report.end == FillEnd::kAborted || i + 1 == targets.size();
    if (last) runs.Restore(Command::kFreeSpaceWipe);
    CurrentModal().MessageBox(message.prompt, message.style, message.title);
    if (last) break;
  }
  return outcome;
}

int WipeFreeSpaceFromCommandLine(RunController& runs, const FillTarget& target,
                                 uint64_t freeBytes) {
  if (CurrentModal().MessageBox(FillConfirmation(target, freeBytes), kMbExclamationYesNo,
                                "Corvane - Overwrite Free Space") != kIdYes)
    return 1;
  return WipeFreeSpace(runs, {target}) == WipeEnd::kDone ? 0 : 1;
}

}  // namespace corvane

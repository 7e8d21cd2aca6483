#include "shred/free_space_command.h"

#include <unistd.h>

#include <algorithm>

#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/free_space_report.h"
#include "shred/run_controls.h"

namespace corvane {

WipeEnd WipeFreeSpace(Form1& form, const std::vector<FillTarget>& targets) {
  if (targets.empty()) return WipeEnd::kDone;
  if (form.StopRequested || !form.Run.Start(Command::kFreeSpaceWipe)) return WipeEnd::kNotDone;
  RunScope scope(form.Run, Command::kFreeSpaceWipe);
  SetFieldsEnabled(form, false);
  SetOtherButtonsEnabled(form, false);
  form.DeleteFiles->setAllCaptions(kAbortCaption);

  WipeEnd outcome = WipeEnd::kDone;
  for (size_t i = 0; i < targets.size(); ++i) {
    const FillTarget& target = targets[i];
    form.ProgressBar1->setValue(0);
    form.ProgressBar1->setCaptionText(QStringLiteral("Overwriting Free Space - "));
    // Only root may trim.
    FreeSpaceFill fill(target, {FlushMode::kPeriodicSync, ::geteuid() == 0},
                       [&form](uint64_t written, uint64_t freeBefore) {
                         const int64_t max = std::max<int64_t>(1, int64_t(freeBefore >> 20));
                         form.ProgressBar1->setMax(max);
                         form.ProgressBar1->setValue(std::min(max, int64_t(written >> 20)));
                         CurrentModal().PumpEvents();
                         return !form.StopRequested && !form.Run.Aborting();
                       });
    const FillReport report = fill.Run();
    if (form.StopRequested) {
      // The window is closing: no box; the fill has taken its file away again.
      form.InterruptedRunKept.emplace();
      return WipeEnd::kStopped;
    }
    const FillMessage message = FillReportMessage(target, report);
    if (report.end != FillEnd::kFull) outcome = WipeEnd::kNotDone;
    // The last report, or the one of an abort, ends the run as a Delete run ends.
    const bool last = report.end == FillEnd::kAborted || i + 1 == targets.size();
    if (last) EndRunControls(form);
    CurrentModal().MessageBox(message.prompt, message.style, message.title);
    if (last) break;
  }
  return outcome;
}

int WipeFreeSpaceFromCommandLine(Form1& form, const FillTarget& target, uint64_t freeBytes) {
  if (CurrentModal().MessageBox(FillConfirmation(target, freeBytes), kMbExclamationYesNo,
                                "Corvane - Overwrite Free Space") != kIdYes)
    return 1;
  return WipeFreeSpace(form, {target}) == WipeEnd::kDone ? 0 : 1;
}

}  // namespace corvane

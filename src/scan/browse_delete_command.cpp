#include "scan/browse_delete_command.h"

#include <string>

#include "platform/modal.h"
#include "scan/browse_folder_command.h"
#include "shred/delete_files_command.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

namespace {
std::string OthersQuestion(int64_t others) {
  return std::string(kDeleteQuestion) + "\n\nBesides The Chosen Folder, " + std::to_string(others) +
         (others == 1 ? " Entry Listed Before It Will Be Deleted."
                      : " Entries Listed Before It Will Be Deleted.");
}
}  // namespace

void BrowseDeleteClick(RunController& runs) {
  // While a command runs (its pass finishing after an Abort included), this
  // button starts nothing: neither a chooser nor a run.
  if (runs.Running() || runs.StopRequested()) return;
  const int64_t listedBefore = runs.Files().ListCount() + runs.Folders().ListCount();
  // Only a scan that ran to its end is destroyed: a cancelled choice or a
  // refused folder must not destroy what List1 held before, and an aborted
  // scan or a closing window destroys nothing. A completed scan is destroyed
  // even without any file, so that a tree of empty folders goes too.
  if (BrowseFolderClick(runs) != BrowseOutcome::Completed) return;
  // One click destroys the chosen folder only; what was listed before goes
  // only when the user says so.
  if (listedBefore > 0 && CurrentModal().MessageBox(OthersQuestion(listedBefore), kMbYesNo,
                                                    kDeleteQuestionTitle) != kIdYes)
    return;
  runs.SetAutoMode(true);
  struct StopDriving {
    RunController& runs;
    ~StopDriving() { runs.SetAutoMode(false); }
  } stop{runs};
  DeleteFilesClick(runs);
}

}  // namespace corvane

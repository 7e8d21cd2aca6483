#include "scan/browse_delete_command.h"

#include <string>

#include "platform/modal.h"
#include "scan/browse_folder_command.h"
#include "shell/form1.h"
#include "shred/delete_files_command.h"

namespace corvane {

namespace {
std::string OthersQuestion(int64_t others) {
  return std::string(kDeleteQuestion) + "\n\nBesides The Chosen Folder, " + std::to_string(others) +
         (others == 1 ? " Entry Listed Before It Will Be Deleted."
                      : " Entries Listed Before It Will Be Deleted.");
}
}  // namespace

void BrowseDeleteClick(Form1& form) {
  // While a command runs (its pass finishing after an Abort included), this
  // button starts nothing: neither a chooser nor a run.
  if (form.CommandRunning() || form.StopRequested) return;
  const int64_t listedBefore = form.List1->ListCount() + form.List2->ListCount();
  // Only a scan that ran to its end is destroyed: a cancelled choice or a
  // refused folder must not destroy what List1 held before, and an aborted
  // scan or a closing window destroys nothing. A completed scan is destroyed
  // even without any file, so that a tree of empty folders goes too.
  if (BrowseFolderClick(form) != BrowseOutcome::Completed) return;
  // One click destroys the chosen folder only; what was listed before goes
  // only when the user says so.
  if (listedBefore > 0 && CurrentModal().MessageBox(OthersQuestion(listedBefore), kMbYesNo,
                                                    kDeleteQuestionTitle) != kIdYes)
    return;
  form.AutoMode = true;
  struct ClearAutoMode {
    Form1& form;
    ~ClearAutoMode() { form.AutoMode = false; }
  } clear{form};
  form.DeleteFiles_Click();
}

}  // namespace corvane

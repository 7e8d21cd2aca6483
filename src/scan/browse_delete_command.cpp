#include "scan/browse_delete_command.h"

#include "scan/browse_folder_command.h"
#include "shell/form1.h"

namespace corvane {

void BrowseDeleteClick(Form1& form) {
  // While a command runs (its pass finishing after an Abort included), this
  // button starts nothing: neither a chooser nor a run.
  if (form.CommandRunning() || form.StopRequested) return;
  // Only a scan that ran to its end is destroyed: a cancelled choice or a
  // refused folder must not destroy what List1 held before, and an aborted
  // scan or a closing window destroys nothing. A completed scan is destroyed
  // even without any file, so that a tree of empty folders goes too.
  if (BrowseFolderClick(form) != BrowseOutcome::Completed) return;
  form.AutoMode = true;
  struct ClearAutoMode {
    Form1& form;
    ~ClearAutoMode() { form.AutoMode = false; }
  } clear{form};
  form.DeleteFiles_Click();
}

}  // namespace corvane

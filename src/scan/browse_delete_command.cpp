#include "scan/browse_delete_command.h"

#include "scan/browse_folder_command.h"
#include "shell/form1.h"

namespace corvane {

void BrowseDeleteClick(Form1& form) {
  // Only a scan that ran to its end is destroyed: a cancelled choice must not
  // destroy what List1 held before, and an aborted scan or a closing window
  // destroys nothing. A completed scan is destroyed even without any file, so
  // that a tree of empty folders goes too.
  if (BrowseFolderClick(form) != BrowseOutcome::Completed) return;
  form.AutoMode = true;
  struct ClearAutoMode {
    Form1& form;
    ~ClearAutoMode() { form.AutoMode = false; }
  } clear{form};
  form.DeleteFiles_Click();
}

}  // namespace corvane

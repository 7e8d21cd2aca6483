#include "scan/browse_folder_command.h"

#include "shell/form1.h"

namespace corvane {

void BrowseFolderClick(Form1& form) {
  (void)form;
}

}  // namespace corvane

#include "picking/add_files_command.h"

#include "shell/form1.h"

namespace corvane {

void AddFilesClick(Form1& form) {
  (void)form;
}

}  // namespace corvane

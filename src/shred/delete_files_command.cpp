#include "shred/delete_files_command.h"

#include "shell/form1.h"

namespace corvane {

void DeleteFilesClick(Form1& form) {
  (void)form;
}

}  // namespace corvane

#include "scan/browse_delete_command.h"

#include "shell/form1.h"

namespace corvane {

void BrowseDeleteClick(Form1& form) {
  (void)form;
}

}  // namespace corvane

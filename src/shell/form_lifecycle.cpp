#include "shell/form_lifecycle.h"

#include "picking/core/c_file_dialog.h"
#include "shell/form1.h"

namespace corvane {

void FormLoad(Form1& form) {
  form.FileDialog = std::make_unique<cFileDialog>();
}

void FormUnload(Form1& form) {
  form.StopRequested = true;
  form.FileDialog.reset();
}

}  // namespace corvane

#include "picking/list_editing.h"

#include "shell/form1.h"

namespace corvane {

void List1KeyDown(Form1& form, int keyCode, int shift) {
  (void)form;
  (void)keyCode;
  (void)shift;
}

}  // namespace corvane

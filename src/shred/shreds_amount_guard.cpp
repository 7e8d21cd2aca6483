#include "shred/shreds_amount_guard.h"

#include "shell/form1.h"

namespace corvane {

void ShredsAmountChange(Form1& form) {
  (void)form;
}

}  // namespace corvane

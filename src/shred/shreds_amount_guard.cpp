#include "shred/shreds_amount_guard.h"

#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/numeric_text.h"

namespace corvane {

// Runs on every change of the count, its own changes included: each of them
// re-enters here once. "20" and any five-character number pass without a
// box, so the nesting ends after at most two levels.
void ShredsAmountChange(Form1& form) {
  const QString text = form.ShredsAmount->text();
  if (ClassifyNumber(text.toStdString()) != NumberKind::NonZero) {
    CurrentModal().MessageBox("You must enter a numeric number for this field!", kMbStop,
                              "Corvane - Error");
    form.ShredsAmount->setText(QStringLiteral("20"));
    return;
  }
  if (text.size() > 5) {
    int answer =
        CurrentModal().MessageBox("Are you sure about this? It's gonna take a very long time!",
                                  kMbYesNoQuestion, "Corvane - You Sure About This?");
    if (answer == kIdNo) form.ShredsAmount->setText(text.left(5));
  }
}

}  // namespace corvane

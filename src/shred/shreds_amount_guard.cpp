#include "shred/shreds_amount_guard.h"

#include <QLineEdit>

#include "platform/modal.h"
#include "shred/core/numeric_text.h"
#include "shred/core/shred_count.h"

namespace corvane {

namespace {
// Counts above this take a very long time, however short their text.
constexpr double kLargestUnquestioned = 99999;
}  // namespace

// Runs on every change of the count, its own changes included: each of them
// re-enters here once. "20" and any five-character number from 1 to 99999
// pass without a box, so the nesting ends after at most three levels.
void ShredsAmountChange(QLineEdit& field) {
  const QString text = field.text();
  if (ClassifyNumber(text.toStdString()) != NumberKind::NonZero) {
    CurrentModal().MessageBox("You must enter a numeric number for this field!", kMbStop,
                              "Corvane - Error");
    field.setText(QStringLiteral("20"));
    return;
  }
  const std::optional<double> value = ParseShredCount(text.toStdString());
  // A count that rounds to zero or less would run without touching a file.
  if (value && PassCount(*value) == 0) {
    CurrentModal().MessageBox("This count makes no pass! Enter a number that rounds to 1 or more.",
                              kMbStop, "Corvane - Error");
    field.setText(QStringLiteral("20"));
    return;
  }
  // A count too large for a double ("1e999") reads as nothing: it is large.
  const bool large = !value || !(*value <= kLargestUnquestioned);
  if (text.size() > 5 || large) {
    int answer =
        CurrentModal().MessageBox("Are you sure about this? It's gonna take a very long time!",
                                  kMbYesNoQuestion, "Corvane - You Sure About This?");
    if (answer != kIdNo) return;
    // A long text is cut to five characters and checked again; a short one
    // whose value is too large would only be asked about again: back to 20.
    field.setText(text.size() > 5 ? text.left(5) : QStringLiteral("20"));
  }
}

}  // namespace corvane

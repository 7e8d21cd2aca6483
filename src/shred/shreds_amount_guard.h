#pragma once

class QLineEdit;

namespace corvane {

// Checks the shred count `field` holds after each change.
void ShredsAmountChange(QLineEdit& field);

}  // namespace corvane

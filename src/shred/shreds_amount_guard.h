#pragma once

namespace corvane {

class Form1;

void ShredsAmountChange(Form1& form);

}  // namespace corvane

#pragma once

namespace corvane {

class Form1;

void List1KeyDown(Form1& form, int keyCode, int shift);

}  // namespace corvane

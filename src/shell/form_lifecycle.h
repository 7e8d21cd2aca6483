#pragma once
// The main window's load (before it is first shown) and unload (closing).

namespace corvane {

class Form1;

void FormLoad(Form1& form);
void FormUnload(Form1& form);

}  // namespace corvane

#pragma once

namespace corvane {

class Form1;

// The Delete command: a click while idle confirms and runs the shred over both
// lists; a click while it runs (the button then reads "&Abort") asks it to stop.
void DeleteFilesClick(Form1& form);

}  // namespace corvane

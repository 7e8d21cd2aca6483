#pragma once

namespace corvane {

class RunController;
class cFileDialog;

// Lists the files picked in `dialog`, the window's own.
void AddFilesClick(RunController& runs, cFileDialog* dialog);

}  // namespace corvane

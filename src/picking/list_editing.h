#pragma once

namespace corvane {

class RunController;

void List1KeyDown(RunController& runs, int keyCode, int shift);

}  // namespace corvane

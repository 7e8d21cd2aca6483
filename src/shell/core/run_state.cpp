#include "shell/core/run_state.h"

namespace corvane {

bool RunState::Start(Command command) {
  if (command == Command::kNone || Running()) return false;
  active_ = command;
  aborting_ = false;
  return true;
}

bool RunState::RequestAbort(Command command) {
  if (command == Command::kNone || command != active_) return false;
  aborting_ = true;
  return true;
}

void RunState::Finish(Command command) {
  if (command != active_) return;
  active_ = Command::kNone;
  aborting_ = false;
}

}  // namespace corvane

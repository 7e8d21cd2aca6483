#include "shell/core/run_state.h"

namespace corvane {

namespace {
PumpClock g_clock = nullptr;

std::chrono::steady_clock::time_point Now() {
  return g_clock != nullptr ? g_clock() : std::chrono::steady_clock::now();
}
}  // namespace

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

void SetPumpClockForTesting(PumpClock clock) {
  g_clock = clock;
}

void PumpPacer::Restart() {
  last_ = Now();
}

bool PumpPacer::Due() {
  const auto now = Now();
  if (now - last_ < kPumpInterval) return false;
  last_ = now;
  return true;
}

}  // namespace corvane

#pragma once
// The life cycle of the window's one long command (a Delete run, a folder
// scan or a free-space overwrite): started, aborting, finished. Held by the
// window's run controller (shell/controls/run_controller.h), so every handler asks the
// same place whether something runs and whose Abort a click is. Only one
// command runs at a time; a start request while one runs is refused. An Abort
// is latched for the run it was made in: nothing but the end of that run
// clears it.
#include <chrono>

namespace corvane {

enum class Command { kNone, kDeleteRun, kFolderScan, kFreeSpaceWipe };

class RunState {
 public:
  // True from a successful Start until the matching Finish, including the
  // pass that still finishes after an Abort click.
  bool Running() const { return active_ != Command::kNone; }
  Command Active() const { return active_; }
  // True once the run under way was asked to abort.
  bool Aborting() const { return aborting_; }

  // Begins `command` when nothing runs. False, with nothing changed, otherwise.
  bool Start(Command command);
  // An Abort click of `command`'s own button: latched when `command` is the
  // run under way. False (nothing latched) otherwise.
  bool RequestAbort(Command command);
  // Ends `command`'s run and drops its latch; a Finish for a command that is
  // not the one under way changes nothing.
  void Finish(Command command);

 private:
  Command active_ = Command::kNone;
  bool aborting_ = false;
};

// Finishes a started run when the handler that started it returns, whichever
// way it leaves.
class RunScope {
 public:
  RunScope(RunState& state, Command command) : state_(state), command_(command) {}
  ~RunScope() { state_.Finish(command_); }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  RunState& state_;
  Command command_;
};

using PumpClock = std::chrono::steady_clock::time_point (*)();

// For tests: the clock every PumpPacer reads; nullptr restores the steady one.
void SetPumpClockForTesting(PumpClock clock);

// A long command lets the window's events through at most once per this much
// of its work: pumping after every listed file would cost more than the walk.
inline constexpr std::chrono::milliseconds kPumpInterval{20};

// The clock is read at every call, cheap beside a pump: one call may stand for
// a whole pass over a slow device as well as for one listed file.
class PumpPacer {
 public:
  // The events went through just now.
  void Restart();
  // True, and restarted, once kPumpInterval has passed since the last pump.
  bool Due();

 private:
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace corvane

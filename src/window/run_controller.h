#pragma once
// The main window as its commands see it, and the life of its one long
// command in one place: which command runs and whether it is aborting, whether
// the window is closing, whether Browse & Delete drives the Delete run, how
// the buttons read and which controls are enabled while each command runs,
// and the one pump-and-checkpoint. The commands reach the window only through
// here, so none of them needs the window's own header.
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/core/path_gate.h"
#include "shell/core/run_state.h"
#include "shred/core/run_host.h"
#include "shred/core/run_ledger.h"
#include "shred/core/survivor.h"

class QLineEdit;
class QWidget;

namespace corvane {

class BrowseFF;
class CaptionProgressBar;
class HoverButton;
class ListBox;
class msg;

// The window's controls, as the window made them.
struct WindowControls {
  QWidget* window = nullptr;
  ListBox* files = nullptr;    // List1
  ListBox* folders = nullptr;  // List2, never shown
  HoverButton* addFiles = nullptr;
  HoverButton* browseFolder = nullptr;
  HoverButton* deleteFiles = nullptr;
  HoverButton* browseDelete = nullptr;
  QLineEdit* shreds = nullptr;
  QLineEdit* mask = nullptr;
  CaptionProgressBar* bar = nullptr;
  BrowseFF* chooser = nullptr;
};

// The window seen from the Delete run is the RunHost: its bar moves, the
// folder phase is captioned, its events go through and it says go on, stop
// or abort.
class RunController : public RunHost {
 public:
  RunController();
  ~RunController() override;
  void Attach(const WindowControls& controls) { c_ = controls; }

  bool Running() const { return state_.Running(); }
  Command Active() const { return state_.Active(); }
  bool Aborting() const { return state_.Aborting(); }
  // The window is closing: every command stops at its next checkpoint, and
  // none starts.
  bool Closing() const { return closing_; }
  void SetClosing() { closing_ = true; }
  // Browse & Delete drives the Delete run, which then asks no confirmation.
  bool Driving() const { return driving_; }
  void SetDriving(bool driving) { driving_ = driving; }

  // Starts `command` with the controls as it runs them. False, with nothing
  // changed, while another runs or the window closes.
  bool Begin(Command command);
  // Ends the run Begin started when the handler returns, whichever way.
  RunScope Scope(Command command) { return RunScope(state_, command); }
  // The controls as they are when nothing runs; shown before the command's
  // closing box.
  void Restore(Command command);
  // A click on `command`'s own button while it runs: the Abort is latched.
  // The Delete button's run gets the controls back at once, and the button
  // says it heard; the run state still refuses every other command until the
  // run has ended on its abort path.
  void Abort(Command command);
  // The one decision when the window is asked to close, whatever runs: a
  // Delete run would leave a file overwritten but present, so the user is
  // asked first (unless `ask` is false or it is aborting already) and it is
  // aborted. A scan destroys nothing and a free-space fill takes its file
  // away again: they stop at their next checkpoint without a question.
  // False when the user keeps the window; otherwise the window is closing.
  bool MayClose(bool ask);
  // After a checkpoint that said stop: the window goes, whoever started the
  // close. Returns Closing().
  bool FinishClosing();

  // Lets the window's events through when kPumpInterval has passed, then
  // says what the command does now.
  RunCheck Checkpoint();
  // Lets the events through now: the start of a run must show at once.
  void PumpNow();

  // RunHost: the Delete run pumps through Checkpoint's pacing.
  void Advance(int64_t steps) override;
  void BeginFolders(int64_t folders) override;
  void Pump() override;
  // A closing window comes before an Abort.
  RunCheck Check() override;

  // The bar: empty with `caption`, then its maximum and value.
  void BeginProgress(const QString& caption);
  void SetProgressMax(int64_t max);
  void SetProgress(int64_t value);
  int64_t ProgressMax() const;
  // Empty, without a caption.
  void ResetProgress();

  ListBox& Files() { return *c_.files; }
  ListBox& Folders() { return *c_.folders; }
  std::string ShredsText() const;
  std::string MaskText() const;
  BrowseFF& Chooser() { return *c_.chooser; }
  // The window's handle, the owner of its dialogs.
  intptr_t Owner() const;
  QWidget& Window() { return *c_.window; }
  // The scan's wait window, once first shown.
  msg* WaitWindow() const { return wait_.get(); }
  // The wait window closes and the title comes back once the directories
  // are read.
  void EndWait();

  // What the Delete runs destroyed since the lists were last emptied.
  RunLedger Destroyed;
  // Set when the window closed during a run: the files that run kept.
  std::optional<std::vector<Survivor>> InterruptedRunKept;

 private:
  void SetFieldsEnabled(bool enabled);
  void SetOtherButtonsEnabled(bool enabled);

  WindowControls c_;
  RunState state_;
  PumpPacer pacer_;
  bool closing_ = false;
  bool driving_ = false;
  std::unique_ptr<msg> wait_;
};

// Shows the box the gate's refusals make, when there is one.
void ShowRefusals(const std::optional<RefusalBox>& box);

}  // namespace corvane

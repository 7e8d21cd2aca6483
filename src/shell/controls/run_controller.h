#pragma once
// The main window as its commands see it, and the life of its one long
// command in one place: which runs and whether it is aborting, whether the
// window is closing or Browse & Delete drives, the controls while each command
// runs, and the one pump-and-checkpoint.
#include <QLineEdit>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/core/path_gate.h"
#include "shell/controls/caption_progress_bar.h"
#include "shell/controls/wait_screen.h"
#include "shell/core/run_state.h"
#include "shred/core/run_host.h"
#include "shred/core/run_ledger.h"
#include "shred/core/survivor.h"

namespace corvane {

class BrowseFF;
class HoverButton;
class ListBox;

// The main window's controls, by their names there, in tab order.
struct WindowControls {
  ListBox* List1;
  HoverButton* AddFiles;
  HoverButton* BrowseFolder;
  HoverButton* DeleteFiles;
  HoverButton* BrowseDelete;
  QLineEdit* ShredsAmount;
  QLineEdit* FileSpecific;
  CaptionProgressBar* ProgressBar1;
  ListBox* List2;  // never shown, never focused
  BrowseFF* BrowseFF1;
};

// To the Delete run it is the RunHost, paced as PumpAndCheck is.
class RunController : public RunHost {
 public:
  // `controls` are `window`'s, which outlives this; `makeWait` makes the
  // scan's wait window when it is first needed.
  RunController(QWidget& window, const WindowControls& controls,
                std::function<std::unique_ptr<WaitScreen>()> makeWait)
      : window_(window), c_(controls), makeWait_(std::move(makeWait)) {}

  bool Running() const { return state_.Running(); }
  Command Active() const { return state_.Active(); }
  bool Aborting() const { return state_.Aborting(); }
  // Every command stops at its next checkpoint, and none starts.
  bool StopRequested() const { return closing_; }
  void SetStopRequested() { closing_ = true; }
  // Browse & Delete drives the Delete run, which then asks no confirmation.
  bool AutoMode() const { return driving_; }
  void SetAutoMode(bool driving) { driving_ = driving; }

  // Starts `command` with the controls as it runs them; false, with nothing
  // changed, while another runs or the window closes.
  bool Begin(Command command);
  // Ends the run Begin started when the handler returns, whichever way.
  RunScope Scope(Command command) { return RunScope(state_, command); }
  // The controls as they are when nothing runs, before the closing box.
  void Restore(Command command);
  // A click on `command`'s own button while it runs latches its Abort. The
  // Delete button's runs give the controls back at once and the button says
  // it heard; the run state still refuses every other command meanwhile.
  void Abort(Command command);
  // The one decision when the window is asked to close, whatever runs. A
  // Delete run would leave a file overwritten but present: unless `ask` is
  // false or it is aborting already, the user decides, and it is aborted. A
  // scan destroys nothing and a free-space fill takes its file away again:
  // they stop at their next checkpoint unasked. False when the window stays.
  bool MayClose(bool ask);
  // A closing window goes, whoever started the close. Returns StopRequested().
  bool FinishClosing();

  // Lets the events through now: the start of a run must show at once.
  void PumpNow();
  // Lets the events through once kPumpInterval has passed since the last.
  void Pump() override;
  // A closing window comes before an Abort.
  RunCheck Check() override;
  void Advance(int64_t steps) override { SetProgress(c_.ProgressBar1->value() + steps); }
  void BeginFolders(int64_t folders) override;

  // Empties the bar under `caption`.
  void BeginProgress(const QString& caption);
  void SetProgressMax(int64_t max) { c_.ProgressBar1->setMax(max); }
  void SetProgress(int64_t value) { c_.ProgressBar1->setValue(value); }
  int64_t ProgressMax() const { return c_.ProgressBar1->max(); }
  void ResetProgress() { BeginProgress(QString()); }

  ListBox& Files() { return *c_.List1; }
  ListBox& Folders() { return *c_.List2; }
  std::string ShredsText() const { return c_.ShredsAmount->text().toStdString(); }
  std::string MaskText() const { return c_.FileSpecific->text().toStdString(); }
  BrowseFF& Chooser() { return *c_.BrowseFF1; }
  QWidget& Window() { return window_; }
  // The window's handle, the owner of its dialogs.
  intptr_t Owner() const { return static_cast<intptr_t>(window_.winId()); }
  // The scan's wait window, once first shown.
  WaitScreen* WaitWindow() const { return wait_.get(); }
  // Once the directories are read: the wait window closes, the title is back.
  void EndWait();

  // What the Delete runs destroyed since the lists were last emptied.
  RunLedger Destroyed;
  // Set when the window closed during a run: the files that run kept.
  std::optional<std::vector<Survivor>> InterruptedRunKept;

 private:
  // The buttons and fields as `command` running or not sets them, its own
  // button reading `caption`.
  void SetControls(Command command, bool running, const QString& caption);

  QWidget& window_;
  const WindowControls& c_;
  RunState state_;
  PumpPacer pacer_;
  bool closing_ = false;
  bool driving_ = false;
  std::function<std::unique_ptr<WaitScreen>()> makeWait_;
  std::unique_ptr<WaitScreen> wait_;
};

// Shows the box the gate's refusals make, when there is one.
void ShowRefusals(const std::optional<RefusalBox>& box);

}  // namespace corvane

#include "shell/controls/run_controller.h"

#include "platform/modal.h"
#include "shell/controls/hover_button.h"
#include "shell/controls/list_box.h"

namespace corvane {

namespace {
const QString kAbortCaption = QStringLiteral("&Abort");
// Shown from an Abort click until the run has wound down.
const QString kAbortingCaption = QStringLiteral("Aborting...");
const QString kDeleteCaption = QStringLiteral("&Delete Files");
const QString kBrowseCaption = QStringLiteral("&Browse For A Folder To Delete");
constexpr char kVersionCaption[] = "Corvane Version " CORVANE_VERSION " By Halvek";
}  // namespace

// A scan's Abort is its own button, and it leaves the list and the fields
// alone; the Delete button is the Abort of the runs under it.
void RunController::SetControls(Command command, bool running, const QString& caption) {
  const bool scan = command == Command::kFolderScan;
  for (QWidget* w : {c_.AddFiles, c_.BrowseDelete, scan ? c_.DeleteFiles : c_.BrowseFolder})
    w->setEnabled(!running);
  if (!scan)
    for (QWidget* w : std::initializer_list<QWidget*>{c_.ShredsAmount, c_.FileSpecific, c_.List1})
      w->setEnabled(!running);
  (scan ? c_.BrowseFolder : c_.DeleteFiles)->setAllCaptions(caption);
}

bool RunController::Begin(Command command) {
  if (closing_ || !state_.Start(command)) return false;
  SetControls(command, true, kAbortCaption);
  if (command == Command::kFolderScan) {
    window_.setWindowTitle(QStringLiteral("Building Directory List. Please Wait..."));
    if (!wait_) wait_ = makeWait_();
    wait_->Show();
  }
  pacer_.Restart();
  return true;
}

void RunController::Restore(Command command) {
  const bool scan = command == Command::kFolderScan;
  SetControls(command, false, scan ? kBrowseCaption : kDeleteCaption);
  if (scan)
    EndWait();
  else
    ResetProgress();
}

void RunController::Abort(Command command) {
  if (command != Command::kFolderScan && command == Active())
    SetControls(command, false, kAbortingCaption);
  state_.RequestAbort(command);
}

bool RunController::MayClose(bool ask) {
  if (Active() == Command::kDeleteRun) {
    if (!Aborting() && ask &&
        CurrentModal().MessageBox("A Destruction Is Running. Abort It And Close?", kMbYesNoQuestion,
                                  "Corvane") != kIdYes)
      return false;
    Abort(Command::kDeleteRun);
  }
  closing_ = true;
  return true;
}

bool RunController::FinishClosing() {
  if (closing_ && window_.isVisible()) window_.close();
  return closing_;
}

void RunController::PumpNow() {
  CurrentModal().PumpEvents();
  pacer_.Restart();
}

void RunController::Pump() {
  if (!pacer_.Due()) return;
  CurrentModal().PumpEvents();
  // Counted from the pump's end: a pump slower than the interval (laying out
  // a long list) must still leave the command its share of the time.
  pacer_.Restart();
}

RunCheck RunController::Check() {
  if (closing_) return RunCheck::kStop;
  if (Aborting()) return RunCheck::kAbort;
  return RunCheck::kGoOn;
}

void RunController::BeginFolders(int64_t folders) {
  BeginProgress(QStringLiteral("Removing Directories - "));
  c_.ProgressBar1->setMax(folders);
}

void RunController::BeginProgress(const QString& caption) {
  c_.ProgressBar1->setValue(0);
  c_.ProgressBar1->setCaptionText(caption);
}

void RunController::EndWait() {
  if (wait_) wait_->Close();
  window_.setWindowTitle(QString::fromLatin1(kVersionCaption));
}

void ShowRefusals(const std::optional<RefusalBox>& box) {
  if (box) CurrentModal().MessageBox(box->prompt, box->style, box->title);
}

}  // namespace corvane

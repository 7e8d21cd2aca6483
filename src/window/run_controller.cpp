#include "window/run_controller.h"

#include <QLineEdit>
#include <QWidget>

#include "platform/modal.h"
#include "window/browse_ff.h"
#include "window/caption_progress_bar.h"
#include "window/hover_button.h"
#include "window/list_box.h"
#include "window/msg.h"

namespace corvane {

namespace {
const QString kAbortCaption = QStringLiteral("&Abort");
// Shown from an Abort click until the run has wound down.
const QString kAbortingCaption = QStringLiteral("Aborting...");
const QString kDeleteCaption = QStringLiteral("&Delete Files");
const QString kBrowseCaption = QStringLiteral("&Browse For A Folder To Delete");
constexpr char kVersionCaption[] = "Corvane Version " CORVANE_VERSION " By Halvek";
}  // namespace

RunController::RunController() = default;
RunController::~RunController() = default;

void RunController::SetFieldsEnabled(bool enabled) {
  c_.shreds->setEnabled(enabled);
  c_.mask->setEnabled(enabled);
  c_.files->setEnabled(enabled);
}

// The buttons besides the Delete button, which is the run's Abort.
void RunController::SetOtherButtonsEnabled(bool enabled) {
  c_.addFiles->setEnabled(enabled);
  c_.browseFolder->setEnabled(enabled);
  c_.browseDelete->setEnabled(enabled);
}

bool RunController::Begin(Command command) {
  if (closing_ || !state_.Start(command)) return false;
  if (command == Command::kFolderScan) {
    // The scan's Abort is its own button; the list and the fields stay.
    c_.addFiles->setEnabled(false);
    c_.deleteFiles->setEnabled(false);
    c_.browseDelete->setEnabled(false);
    c_.browseFolder->setAllCaptions(kAbortCaption);
    c_.window->setWindowTitle(QStringLiteral("Building Directory List. Please Wait..."));
    if (!wait_) wait_ = std::make_unique<msg>(c_.window);
    wait_->Show();
  } else {
    SetFieldsEnabled(false);
    SetOtherButtonsEnabled(false);
    c_.deleteFiles->setAllCaptions(kAbortCaption);
  }
  pacer_.Restart();
  return true;
}

void RunController::Restore(Command command) {
  if (command == Command::kFolderScan) {
    EndWait();
    c_.browseFolder->setAllCaptions(kBrowseCaption);
    c_.addFiles->setEnabled(true);
    c_.deleteFiles->setEnabled(true);
    c_.browseDelete->setEnabled(true);
    return;
  }
  c_.deleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(true);
  SetFieldsEnabled(true);
  ResetProgress();
}

void RunController::Abort(Command command) {
  if (command != Command::kFolderScan && command == Active()) {
    SetFieldsEnabled(true);
    c_.deleteFiles->setAllCaptions(kAbortingCaption);
    SetOtherButtonsEnabled(true);
  }
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
  if (closing_ && c_.window->isVisible()) c_.window->close();
  return closing_;
}

RunCheck RunController::Checkpoint() {
  Pump();
  return Check();
}

void RunController::PumpNow() {
  CurrentModal().PumpEvents();
  pacer_.Restart();
}

void RunController::Pump() {
  if (pacer_.Due()) CurrentModal().PumpEvents();
}

RunCheck RunController::Check() {
  if (closing_) return RunCheck::kStop;
  if (Aborting()) return RunCheck::kAbort;
  return RunCheck::kGoOn;
}

void RunController::Advance(int64_t steps) {
  c_.bar->setValue(c_.bar->value() + steps);
}

void RunController::BeginFolders(int64_t folders) {
  BeginProgress(QStringLiteral("Removing Directories - "));
  c_.bar->setMax(folders);
}

void RunController::BeginProgress(const QString& caption) {
  c_.bar->setValue(0);
  c_.bar->setCaptionText(caption);
}

void RunController::SetProgressMax(int64_t max) {
  c_.bar->setMax(max);
}

void RunController::SetProgress(int64_t value) {
  c_.bar->setValue(value);
}

int64_t RunController::ProgressMax() const {
  return c_.bar->max();
}

void RunController::ResetProgress() {
  BeginProgress(QString());
}

std::string RunController::ShredsText() const {
  return c_.shreds->text().toStdString();
}

std::string RunController::MaskText() const {
  return c_.mask->text().toStdString();
}

intptr_t RunController::Owner() const {
  return static_cast<intptr_t>(c_.window->winId());
}

void RunController::EndWait() {
  if (wait_) wait_->Close();
  c_.window->setWindowTitle(QString::fromLatin1(kVersionCaption));
}

void ShowRefusals(const std::optional<RefusalBox>& box) {
  if (box) CurrentModal().MessageBox(box->prompt, box->style, box->title);
}

}  // namespace corvane

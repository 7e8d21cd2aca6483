#include "shred/delete_files_command.h"

#include <chrono>
#include <string>
#include <vector>

#include "platform/file_system_kind.h"
#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/free_space_place.h"
#include "shred/core/free_space_report.h"
#include "shred/core/run_report.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_run.h"
#include "shred/core/survivor.h"
#include "shred/free_space_command.h"
#include "shred/run_controls.h"

namespace corvane {

namespace {

// Shown from an Abort click until the run has wound down.
const QString kAbortingCaption = QStringLiteral("Aborting...");
// How often a long pass lets the window's events through.
constexpr std::chrono::milliseconds kPumpEvery{50};

void Advance(Form1& form, int64_t steps = 1) {
  form.ProgressBar1->setValue(form.ProgressBar1->value() + steps);
}

// An Abort click: latched in the run until it ends. The controls come back at
// once, as written, but the window's run state refuses every other command
// until this run has ended on its abort path; the button says it heard.
void AbortRequest(Form1& form) {
  SetFieldsEnabled(form, true);
  form.DeleteFiles->setAllCaptions(kAbortingCaption);
  form.Run.RequestAbort(form.Run.Active());
  SetOtherButtonsEnabled(form, true);
}

enum class Checkpoint { kGoOn, kStop, kAbort };

// Lets pending events through, then looks at the flags: closing before Abort.
Checkpoint PumpAndCheck(Form1& form) {
  CurrentModal().PumpEvents();
  if (form.StopRequested) return Checkpoint::kStop;
  if (form.Run.Aborting()) return Checkpoint::kAbort;
  return Checkpoint::kGoOn;
}

// `partly` are the files the stop left partly overwritten.
void AbortPath(Form1& form, const std::vector<Survivor>& partly) {
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  CurrentModal().MessageBox(AbortedMessage(partly), kMbStop, "Corvane - Operation Aborted");
  SetOtherButtonsEnabled(form, true);
  ResetBar(form);
  SetFieldsEnabled(form, true);
}

// What a run left in place, with the reasons for the report and the rows to
// keep in the lists, and where the files to overwrite lay.
struct Leftovers {
  std::vector<Survivor> files;
  std::vector<Survivor> directories;
  std::vector<int64_t> file_rows;
  std::vector<int64_t> directory_rows;
  std::vector<Survivor> partly;  // what an Abort left partly overwritten
  FileSystemTally fileSystems;
  int64_t duplicate_files = 0;  // listed twice: counted once
  int64_t duplicate_folders = 0;
};

// Keeps the entries at `rows`, each with the identity it was listed with.
void KeepOnly(ListBox& list, const std::vector<int64_t>& rows) {
  std::vector<ListedEntry> kept;
  kept.reserve(rows.size());
  for (int64_t row : rows) kept.push_back(list.Entry(row));
  list.Clear();
  for (ListedEntry& entry : kept) list.AddEntry(std::move(entry));
}

// The end of a run that went through both phases. Success is claimed only
// when everything listed is really gone, and only plainly where overwriting
// in place destroys content; there, the free space may be overwritten next.
// Returns the file systems the user chose to overwrite.
std::vector<FillTarget> Completion(Form1& form, int64_t filesListed, int64_t directoriesListed,
                                   const Leftovers& left) {
  const std::vector<Survivor>& files = left.files;
  const std::vector<Survivor>& directories = left.directories;
  const std::vector<ContentAtRisk>& atRisk = left.fileSystems.AtRisk();
  filesListed -= left.duplicate_files;
  directoriesListed -= left.duplicate_folders;
  const bool complete = files.empty() && directories.empty();
  std::vector<FillTarget> toFill;
  const std::vector<FillTarget> fillable =
      complete ? FillTargetsFor(atRisk) : std::vector<FillTarget>{};
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  if (!complete) {
    CurrentModal().MessageBox(SurvivorsMessage(filesListed, directoriesListed, files, directories),
                              kMbStop, "Corvane - Files Not Deleted");
  } else if (!fillable.empty()) {
    if (CurrentModal().MessageBox(ContentMaySurviveMessage(atRisk) + "\n" + OfferQuestion(fillable),
                                  kMbExclamationYesNo, "Corvane - Files Deleted") == kIdYes)
      toFill = fillable;
  } else if (!atRisk.empty()) {
    CurrentModal().MessageBox(ContentMaySurviveMessage(atRisk), kMbExclamation,
                              "Corvane - Files Deleted");
  } else {
    CurrentModal().MessageBox("Operation Completed Successfully!", kMbOk,
                              "Corvane - Files Deleted");
  }
  SetOtherButtonsEnabled(form, true);
  SetFieldsEnabled(form, true);
  ResetBar(form);
  // The folder list is never shown: it keeps survivors only beside files, so
  // that no invisible entry haunts a later run.
  // What was destroyed, or is no longer there, leaves the lists.
  form.Destroyed.Clear();
  if (left.file_rows.empty()) {
    form.List2->Clear();
    form.List1->Clear();
  } else {
    KeepOnly(*form.List2, left.directory_rows);
    KeepOnly(*form.List1, left.file_rows);
  }
  return toFill;
}

// The run proper, after the confirmation. Returns how the run ended.
Checkpoint Run(Form1& form, Leftovers& left) {
  SetFieldsEnabled(form, false);
  SetOtherButtonsEnabled(form, false);
  form.DeleteFiles->setAllCaptions(kAbortCaption);
  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setCaptionText(QStringLiteral("Deleting Files - "));

  // The field is disabled for the whole run, so one reading holds throughout.
  std::optional<double> count = ParseShredCount(form.ShredsAmount->text().toStdString());
  const double shreds = count.value_or(0.0);
  if (auto maximum = ProgressMaximum(shreds, form.List1->ListCount())) {
    form.ProgressBar1->setMax(*maximum);
  }

  const int64_t passes = PassCount(shreds);
  const bool overwrite = shreds > 1;
  const int64_t files = form.List1->ListCount();
  auto last_pump = std::chrono::steady_clock::now();
  auto pump_now_and_then = [&last_pump] {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_pump < kPumpEvery) return;
    last_pump = now;
    CurrentModal().PumpEvents();
  };
  ShredRun run(
      passes, overwrite, pump_now_and_then,
      [&form] { return form.StopRequested || form.Run.Aborting(); }, &form.Destroyed);
  for (int64_t index = 0; index < form.List2->ListCount(); ++index)
    run.ExpectFolder(form.List2->Entry(index));
  for (int64_t index = 0; index < files;) {
    // Copies: the list may change under an event pump once Abort was clicked.
    const int64_t first = index;
    while (index < files && run.AddFile(form.List1->Entry(index))) ++index;
    const auto size = static_cast<int64_t>(run.BatchSize());
    for (int64_t pass = 1; pass <= passes; ++pass) {
      const bool whole = run.BatchPass(pass);
      if (whole) Advance(form, size);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) {
        for (auto& [position, survivor] : run.EndBatch(/*stopped=*/true))
          left.partly.push_back(std::move(survivor));
        return c;
      }
      last_pump = std::chrono::steady_clock::now();
    }
    for (auto& [position, survivor] : run.EndBatch(/*stopped=*/false)) {
      if (survivor.reason != SurvivalReason::kNotFound)
        left.file_rows.push_back(first + static_cast<int64_t>(position));
      left.files.push_back(std::move(survivor));
    }
  }

  const int64_t directories = form.List2->ListCount();
  if (directories > 0) {
    form.ProgressBar1->setValue(0);
    form.ProgressBar1->setCaptionText(QStringLiteral("Removing Directories - "));
    form.ProgressBar1->setMax(directories);
    for (int64_t index = directories - 1; index >= 0; --index) {
      const ListedEntry directory = form.List2->Entry(index);
      if (std::optional<Survivor> survivor = run.RemoveFolder(directory)) {
        if (survivor->reason != SurvivalReason::kNotFound)
          left.directory_rows.insert(left.directory_rows.begin(), index);
        left.directories.insert(left.directories.begin(), std::move(*survivor));
      }
      Advance(form);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) return c;
    }
  }
  left.duplicate_files = run.duplicate_files();
  left.duplicate_folders = run.duplicate_folders();
  // Where the overwritten files really lay, read through their descriptors.
  left.fileSystems = run.file_systems();
  return Checkpoint::kGoOn;
}

}  // namespace

void DeleteFilesClick(Form1& form) {
  // A click during this command's own run is its Abort, also after the
  // caption went back; while another command runs, nothing starts.
  if (form.Run.Active() == Command::kDeleteRun || form.Run.Active() == Command::kFreeSpaceWipe) {
    AbortRequest(form);
    return;
  }
  if (form.Run.Running() || form.StopRequested) return;

  // Where the files lie decides whether a complete run may claim plain
  // success, and what the confirmation warns of.
  Leftovers left;
  if (ParseShredCount(form.ShredsAmount->text().toStdString()).value_or(0.0) > 1) {
    for (int64_t index = 0; index < form.List1->ListCount(); ++index)
      left.fileSystems.Note(form.List1->List(index));
  }
  int answer = kIdYes;
  if (!form.AutoMode) {
    std::string prompt = kDeleteQuestion;
    if (std::vector<FillTarget> fillable = FillTargetsFor(left.fileSystems.AtRisk());
        !fillable.empty())
      prompt += "\n" + OldCopiesLine(fillable);
    answer = CurrentModal().MessageBox(prompt, kMbYesNo, kDeleteQuestionTitle);
  }
  if (answer == kIdYes && form.List1->ListCount() == 0 && form.List2->ListCount() == 0) {
    CurrentModal().MessageBox("No Files To Delete!", kMbStop, "Corvane - No Files To Delete");
    return;
  }
  if (answer != kIdYes) return;
  if (form.StopRequested || !form.Run.Start(Command::kDeleteRun)) return;
  std::vector<FillTarget> toFill;
  {
    RunScope scope(form.Run, Command::kDeleteRun);
    const int64_t filesListed = form.List1->ListCount();
    const int64_t directoriesListed = form.List2->ListCount();
    Checkpoint end = Run(form, left);
    // An Abort, once clicked, always ends the run on its abort path.
    if (end == Checkpoint::kGoOn && form.Run.Aborting()) end = Checkpoint::kAbort;
    switch (end) {
      case Checkpoint::kGoOn:
        toFill = Completion(form, filesListed, directoriesListed, left);
        break;
      case Checkpoint::kAbort:
        AbortPath(form, left.partly);
        break;
      case Checkpoint::kStop:
        break;  // the window is closing: leave without a word
    }
  }
  if (!toFill.empty()) WipeFreeSpace(form, toFill);
}

void AbortDeleteRun(Form1& form) {
  if (form.Run.Active() == Command::kDeleteRun) AbortRequest(form);
}

}  // namespace corvane

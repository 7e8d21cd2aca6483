#include "shred/delete_files_command.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/file_system_kind.h"
#include "platform/modal.h"
#include "platform/paths.h"
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

// An Abort click: latched in the run until it ends. The controls come back at
// once, but the window's run state refuses every other command until this
// run has ended on its abort path; the button says it heard.
void AbortRequest(Form1& form) {
  SetFieldsEnabled(form, true);
  form.DeleteFiles->setAllCaptions(kAbortingCaption);
  form.Run.RequestAbort(form.Run.Active());
  SetOtherButtonsEnabled(form, true);
}

// The window as a run sees it: its bar, its events and its flags.
class WindowHost : public RunHost {
 public:
  explicit WindowHost(Form1& form) : form_(form) {}
  void Advance(int64_t steps) override {
    form_.ProgressBar1->setValue(form_.ProgressBar1->value() + steps);
  }
  void BeginFolders(int64_t folders) override {
    form_.ProgressBar1->setValue(0);
    form_.ProgressBar1->setCaptionText(QStringLiteral("Removing Directories - "));
    form_.ProgressBar1->setMax(folders);
  }
  void Pump() override { CurrentModal().PumpEvents(); }
  RunCheck Check() override {
    if (form_.StopRequested) return RunCheck::kStop;
    if (form_.Run.Aborting()) return RunCheck::kAbort;
    return RunCheck::kGoOn;
  }

 private:
  Form1& form_;
};

// `partly` are the files the stop left partly overwritten.
void EndAbortedRun(Form1& form, const std::vector<Survivor>& partly) {
  EndRunControls(form);
  CurrentModal().MessageBox(AbortedMessage(partly), kMbStop, "Corvane - Operation Aborted");
}

// Names the folders chosen or handed over themselves, which the list does not
// show: "The Folder /a Will Be Removed With Everything Listed In It.", or
// for several up to three and how many more. Empty when there are none.
std::string ChosenFoldersLine(const std::vector<ListedEntry>& folders) {
  constexpr size_t kNamed = 3;
  std::vector<const std::string*> chosen;
  std::unordered_set<std::string_view> seen;  // a folder listed twice is named once
  for (const ListedEntry& folder : folders) {
    if (folder.chosen && seen.insert(folder.path).second) chosen.push_back(&folder.path);
  }
  if (chosen.empty()) return {};
  const size_t named = std::min(chosen.size(), kNamed);
  std::string list;
  for (size_t i = 0; i < named; ++i) {
    if (i > 0) list += i + 1 == named && named == chosen.size() ? " and " : ", ";
    list += DisplayForm(*chosen[i]);
  }
  if (chosen.size() > named) list += " and " + std::to_string(chosen.size() - named) + " more";
  return chosen.size() == 1
             ? "The Folder " + list + " Will Be Removed With Everything Listed In It."
             : "The Folders " + list + " Will Be Removed With Everything Listed In Them.";
}

// Keeps the entries at `rows` that are still where they were listed, each
// with the identity it was listed with.
void KeepOnly(ListBox& list, const std::vector<int64_t>& rows,
              const std::vector<Survivor>& survivors) {
  std::vector<ListedEntry> kept;
  kept.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (survivors[i].reason != SurvivalReason::kNotFound) kept.push_back(list.Entry(rows[i]));
  }
  list.Clear();
  for (ListedEntry& entry : kept) list.AddEntry(std::move(entry));
}

// The end of a run that went through both phases. Returns the file systems
// the user chose to overwrite the free space of.
std::vector<FillTarget> Completion(Form1& form, const RunOutcome& outcome) {
  const std::vector<FillTarget> fillable = FillTargetsFor(outcome.at_risk);
  EndRunControls(form);
  const ClosingBox box = CompletionBox(outcome, fillable);
  const bool fill = CurrentModal().MessageBox(box.prompt, box.style, box.title) == kIdYes;
  // What was destroyed, or is no longer there, leaves the lists. The folder
  // list is never shown: it keeps survivors only beside files, so that no
  // invisible entry haunts a later run.
  form.Destroyed.Clear();
  bool anyFileKept = false;
  for (const Survivor& survivor : outcome.files)
    anyFileKept = anyFileKept || survivor.reason != SurvivalReason::kNotFound;
  if (!anyFileKept) {
    form.List2->Clear();
    form.List1->Clear();
  } else {
    KeepOnly(*form.List2, outcome.folder_rows, outcome.folders);
    KeepOnly(*form.List1, outcome.file_rows, outcome.files);
  }
  return fill ? fillable : std::vector<FillTarget>{};
}

// The run proper, after the confirmation, with the count read at the click.
RunOutcome Run(Form1& form, double shreds) {
  SetFieldsEnabled(form, false);
  SetOtherButtonsEnabled(form, false);
  form.DeleteFiles->setAllCaptions(kAbortCaption);
  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setCaptionText(QStringLiteral("Deleting Files - "));

  if (auto maximum = ProgressMaximum(shreds, form.List1->ListCount())) {
    form.ProgressBar1->setMax(*maximum);
  }
  ShredRun run(PassCount(shreds), shreds > 1, &form.Destroyed);
  WindowHost host(form);
  return run.Destroy(form.List1->Entries(), form.List2->Entries(), host);
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

  // Read once: the box is modal and the run disables the field.
  const double shreds = ParseShredCount(form.ShredsAmount->text().toStdString()).value_or(0.0);
  int answer = kIdYes;
  if (!form.AutoMode) {
    // Where the files lie decides what the confirmation warns of.
    std::string prompt = kDeleteQuestion;
    if (std::string folders = ChosenFoldersLine(form.List2->Entries()); !folders.empty())
      prompt += "\n" + folders;
    if (shreds > 1) {
      FileSystemTally listed;
      for (const ListedEntry& entry : form.List1->Entries()) listed.Note(entry.path);
      if (std::vector<FillTarget> fillable = FillTargetsFor(listed.AtRisk()); !fillable.empty())
        prompt += "\n" + OldCopiesLine(fillable);
    }
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
    RunOutcome outcome = Run(form, shreds);
    // An Abort, once clicked, always ends the run on its abort path.
    if (outcome.end == RunCheck::kGoOn && form.Run.Aborting()) outcome.end = RunCheck::kAbort;
    switch (outcome.end) {
      case RunCheck::kGoOn:
        toFill = Completion(form, outcome);
        break;
      case RunCheck::kAbort:
        EndAbortedRun(form, outcome.partly);
        break;
      case RunCheck::kStop: {
        // The window is closing: no box, but the program's exit names what stayed.
        std::vector<Survivor> kept = std::move(outcome.files);
        kept.erase(std::remove_if(kept.begin(), kept.end(),
                                  [](const Survivor& survivor) {
                                    return survivor.reason == SurvivalReason::kNotFound;
                                  }),
                   kept.end());
        kept.insert(kept.end(), outcome.partly.begin(), outcome.partly.end());
        form.InterruptedRunKept = std::move(kept);
        break;
      }
    }
  }
  if (!toFill.empty()) WipeFreeSpace(form, toFill);
}

void AbortDeleteRun(Form1& form) {
  if (form.Run.Active() == Command::kDeleteRun) AbortRequest(form);
}

}  // namespace corvane

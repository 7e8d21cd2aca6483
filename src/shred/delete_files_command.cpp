#include "shred/delete_files_command.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/file_system_kind.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "shred/core/free_space_place.h"
#include "shred/core/free_space_report.h"
#include "shred/core/run_report.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_run.h"
#include "shred/core/survivor.h"
#include "shred/free_space_command.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

namespace {

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
std::vector<FillTarget> Completion(RunController& runs, const RunOutcome& outcome) {
  const std::vector<FillTarget> fillable = FillTargetsFor(outcome.at_risk);
  runs.Restore(Command::kDeleteRun);
  const ClosingBox box = CompletionBox(outcome, fillable);
  const bool fill = CurrentModal().MessageBox(box.prompt, box.style, box.title) == kIdYes;
  // What was destroyed, or is no longer there, leaves the lists. The folder
  // list is never shown: it keeps survivors only beside files, so that no
  // invisible entry haunts a later run.
  runs.Destroyed.Clear();
  bool anyFileKept = false;
  for (const Survivor& survivor : outcome.files)
    anyFileKept = anyFileKept || survivor.reason != SurvivalReason::kNotFound;
  if (!anyFileKept) {
    runs.Folders().Clear();
    runs.Files().Clear();
  } else {
    KeepOnly(runs.Folders(), outcome.folder_rows, outcome.folders);
    KeepOnly(runs.Files(), outcome.file_rows, outcome.files);
  }
  return fill ? fillable : std::vector<FillTarget>{};
}

// The run proper, after the confirmation, with the count read at the click.
RunOutcome ShredLists(RunController& runs, double shreds) {
  runs.BeginProgress(QStringLiteral("Deleting Files - "));
  if (auto maximum = ProgressMaximum(shreds, runs.Files().ListCount()))
    runs.SetProgressMax(*maximum);
  ShredRun run(PassCount(shreds), shreds > 1, &runs.Destroyed);
  return run.Destroy(runs.Files().Entries(), runs.Folders().Entries(), runs);
}

}  // namespace

void DeleteFilesClick(RunController& runs) {
  // A click during this command's own run is its Abort, also after the
  // caption went back; while another command runs, nothing starts.
  if (runs.Active() == Command::kDeleteRun || runs.Active() == Command::kFreeSpaceWipe) {
    runs.Abort(runs.Active());
    return;
  }
  if (runs.Running() || runs.StopRequested()) return;

  // Read once: the box is modal and the run disables the field.
  const double shreds = ParseShredCount(runs.ShredsText()).value_or(0.0);
  int answer = kIdYes;
  if (!runs.AutoMode()) {
    // Where the files lie decides what the confirmation warns of.
    std::string prompt = kDeleteQuestion;
    if (std::string folders = ChosenFoldersLine(runs.Folders().Entries()); !folders.empty())
      prompt += "\n" + folders;
    if (shreds > 1) {
      FileSystemTally listed;
      for (const ListedEntry& entry : runs.Files().Entries()) listed.Note(entry.path);
      if (std::vector<FillTarget> fillable = FillTargetsFor(listed.AtRisk()); !fillable.empty())
        prompt += "\n" + OldCopiesLine(fillable);
    }
    answer = CurrentModal().MessageBox(prompt, kMbYesNo, kDeleteQuestionTitle);
  }
  if (answer == kIdYes && runs.Files().ListCount() == 0 && runs.Folders().ListCount() == 0) {
    CurrentModal().MessageBox("No Files To Delete!", kMbStop, "Corvane - No Files To Delete");
    return;
  }
  if (answer != kIdYes || !runs.Begin(Command::kDeleteRun)) return;
  std::vector<FillTarget> toFill;
  {
    RunScope scope = runs.Scope(Command::kDeleteRun);
    RunOutcome outcome = ShredLists(runs, shreds);
    // An Abort, once clicked, always ends the run on its abort path.
    if (outcome.end == RunCheck::kGoOn && runs.Aborting()) outcome.end = RunCheck::kAbort;
    switch (outcome.end) {
      case RunCheck::kGoOn:
        toFill = Completion(runs, outcome);
        break;
      case RunCheck::kAbort:
        runs.Restore(Command::kDeleteRun);
        CurrentModal().MessageBox(AbortedMessage(outcome.partly), kMbStop,
                                  "Corvane - Operation Aborted");
        break;
      case RunCheck::kStop: {
        // The window is closing: no box, but the program's exit names what stayed.
        std::vector<Survivor> kept = std::move(outcome.files);
        std::erase_if(kept, [](const Survivor& survivor) {
          return survivor.reason == SurvivalReason::kNotFound;
        });
        kept.insert(kept.end(), outcome.partly.begin(), outcome.partly.end());
        runs.InterruptedRunKept = std::move(kept);
        break;
      }
    }
  }
  if (!toFill.empty()) WipeFreeSpace(runs, toFill);
}

}  // namespace corvane

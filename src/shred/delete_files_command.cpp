#include "shred/delete_files_command.h"

#include <string>
#include <vector>

#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_run.h"
#include "shred/core/survivor.h"

namespace corvane {

namespace {

const QString kAbortCaption = QStringLiteral("&Abort");
const QString kDeleteCaption = QStringLiteral("&Delete Files");

// Runs that have started and not yet returned. After an Abort click the buttons
// come back while the pass in progress finishes; a start request in that moment
// must not begin a second run inside the first.
int g_active_runs = 0;

struct RunGuard {
  RunGuard() { ++g_active_runs; }
  ~RunGuard() { --g_active_runs; }
};

void SetFieldsEnabled(Form1& form, bool enabled) {
  form.ShredsAmount->setEnabled(enabled);
  form.FileSpecific->setEnabled(enabled);
  form.List1->setEnabled(enabled);
}

void SetOtherButtonsEnabled(Form1& form, bool enabled) {
  form.AddFiles->setEnabled(enabled);
  form.BrowseFolder->setEnabled(enabled);
  form.BrowseDelete->setEnabled(enabled);
}

void ResetBar(Form1& form) {
  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setCaptionText(QString());
}

void Advance(Form1& form) {
  form.ProgressBar1->setValue(form.ProgressBar1->value() + 1);
}

void AbortRequest(Form1& form) {
  SetFieldsEnabled(form, true);
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  form.AbortRequested = true;
  SetOtherButtonsEnabled(form, true);
}

enum class Checkpoint { kGoOn, kStop, kAbort };

// Lets pending events through, then looks at the flags: closing before Abort.
Checkpoint PumpAndCheck(Form1& form) {
  CurrentModal().PumpEvents();
  if (form.StopRequested) return Checkpoint::kStop;
  if (form.AbortRequested) return Checkpoint::kAbort;
  return Checkpoint::kGoOn;
}

void AbortPath(Form1& form) {
  CurrentModal().MessageBox("File Deletion Process Aborted!", kMbStop,
                            "Corvane - Operation Aborted");
  form.AbortRequested = false;
  ResetBar(form);
  SetFieldsEnabled(form, true);
}

// What a run left in place: the reasons for the report, the positions to keep
// in the lists.
struct Leftovers {
  std::vector<Survivor> files;
  std::vector<Survivor> directories;
  std::vector<int64_t> file_rows;
  std::vector<int64_t> directory_rows;
};

void KeepOnly(ListBox& list, const std::vector<int64_t>& rows) {
  std::vector<ListedEntry> kept;
  kept.reserve(rows.size());
  for (int64_t row : rows) kept.push_back(list.Entry(row));
  list.Clear();
  for (ListedEntry& entry : kept) list.AddEntry(std::move(entry));
}

std::string SurvivorLines(const Leftovers& left) {
  constexpr size_t kShown = 10;
  std::string lines;
  size_t shown = 0;
  for (const auto* group : {&left.files, &left.directories}) {
    for (const Survivor& survivor : *group) {
      if (shown++ == kShown) break;
      lines += "\n" + survivor.path + ": " + DescribeReason(survivor);
    }
  }
  size_t total = left.files.size() + left.directories.size();
  if (total > kShown) lines += "\n... and " + std::to_string(total - kShown) + " more";
  return lines;
}

void Completion(Form1& form, const Leftovers& left) {
  int64_t files = form.List1->ListCount();
  int64_t directories = form.List2->ListCount();
  auto files_left = static_cast<int64_t>(left.files.size());
  auto directories_left = static_cast<int64_t>(left.directories.size());

  // Success is claimed only when everything listed is really gone.
  bool complete = files_left == 0 && directories_left == 0;
  if (complete) {
    CurrentModal().MessageBox("Operation Completed Successfully!", kMbOk,
                              "Corvane - Files Deleted");
  } else {
    std::string counts = std::to_string(files_left) + " of " + std::to_string(files) +
                         " files and " + std::to_string(directories_left) + " of " +
                         std::to_string(directories) + " directories remain.";
    CurrentModal().MessageBox("Some Files Could Not Be Deleted!\n" + counts + SurvivorLines(left),
                              kMbStop, "Corvane - Files Not Deleted");
  }
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(form, true);
  SetFieldsEnabled(form, true);
  ResetBar(form);
  KeepOnly(*form.List2, left.directory_rows);
  KeepOnly(*form.List1, left.file_rows);
}

// The run proper, after the confirmation. Returns how the run ended.
Checkpoint Run(Form1& form, Leftovers& left) {
  SetFieldsEnabled(form, false);
  form.AbortRequested = false;
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
  ShredRun run(passes, shreds > 1, [] { CurrentModal().PumpEvents(); });
  for (int64_t index = 0; index < form.List2->ListCount(); ++index)
    run.ExpectFolder(form.List2->Entry(index));
  const int64_t files = form.List1->ListCount();
  for (int64_t index = 0; index < files; ++index) {
    // A copy: the list may change under an event pump once Abort was clicked.
    const ListedEntry file = form.List1->Entry(index);
    run.StartFile(file);
    for (int64_t pass = 1; pass <= passes; ++pass) {
      run.FilePass(pass);
      Advance(form);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) return c;
    }
    if (std::optional<Survivor> survivor = run.FileOutcome(file)) {
      left.files.push_back(std::move(*survivor));
      left.file_rows.push_back(index);
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
        left.directories.insert(left.directories.begin(), std::move(*survivor));
        left.directory_rows.insert(left.directory_rows.begin(), index);
      }
      Advance(form);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) return c;
    }
  }
  return Checkpoint::kGoOn;
}

}  // namespace

void DeleteFilesClick(Form1& form) {
  if (form.DeleteFiles->caption() == kAbortCaption) {
    AbortRequest(form);
    return;
  }
  if (g_active_runs > 0) return;
  RunGuard guard;

  int answer = kIdYes;
  if (!form.AutoMode) {
    answer = CurrentModal().MessageBox("Are You Sure You Want To Delete The Selected Files?",
                                       kMbYesNo, "Corvane - Delete Confirmation");
  }
  if (answer == kIdYes && form.List1->ListCount() == 0 && form.List2->ListCount() == 0) {
    CurrentModal().MessageBox("No Files To Delete!", kMbStop, "Corvane - No Files To Delete");
    return;
  }
  if (answer != kIdYes) return;

  Leftovers left;
  switch (Run(form, left)) {
    case Checkpoint::kGoOn:
      Completion(form, left);
      break;
    case Checkpoint::kAbort:
      AbortPath(form);
      break;
    case Checkpoint::kStop:
      break;  // the window is closing: leave without a word
  }
}

}  // namespace corvane

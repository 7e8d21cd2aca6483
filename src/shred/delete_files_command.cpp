#include "shred/delete_files_command.h"

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_system_kind.h"
#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/run_report.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_engine.h"

namespace corvane {

namespace {

const QString kAbortCaption = QStringLiteral("&Abort");
const QString kDeleteCaption = QStringLiteral("&Delete Files");

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

// An Abort click: latched in the run until it ends. The controls come back at
// once, as written, but the window's run state refuses every other command
// until this run has ended on its abort path.
void AbortRequest(Form1& form) {
  SetFieldsEnabled(form, true);
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  form.Run.RequestAbort(Command::kDeleteRun);
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

void AbortPath(Form1& form) {
  CurrentModal().MessageBox("File Deletion Process Aborted!", kMbStop,
                            "Corvane - Operation Aborted");
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(form, true);
  ResetBar(form);
  SetFieldsEnabled(form, true);
}

// What a run saw, for its report: which entries went, why a folder stayed,
// and where the files to overwrite lay.
struct RunRecord {
  std::vector<bool> filesGone;
  std::vector<bool> directoriesGone;
  std::vector<int> directoryErrors;  // errno of each folder's removal
  bool overwrite = false;
  FileSystemTally fileSystems;
};

// The listed entries that are still there, with their reasons. Entries the run
// saw go are not looked at again; the others are, so that nothing is reported
// remaining that is gone.
std::vector<Survivor> FileSurvivors(const ListBox& list, const RunRecord& record) {
  std::vector<Survivor> survivors;
  for (int64_t i = 0; i < list.ListCount(); ++i) {
    auto k = static_cast<size_t>(i);
    if (k < record.filesGone.size() && record.filesGone[k]) continue;
    if (EntryExists(list.List(i)))
      survivors.push_back(ExplainFileSurvivor(list.List(i), record.overwrite));
  }
  return survivors;
}

std::vector<Survivor> DirectorySurvivors(const ListBox& list, const RunRecord& record) {
  std::vector<Survivor> survivors;
  for (int64_t i = 0; i < list.ListCount(); ++i) {
    auto k = static_cast<size_t>(i);
    if (k < record.directoriesGone.size() && record.directoriesGone[k]) continue;
    if (!EntryExists(list.List(i))) continue;
    int error = k < record.directoryErrors.size() ? record.directoryErrors[k] : 0;
    survivors.push_back(ExplainDirectorySurvivor(list.List(i), error));
  }
  return survivors;
}

void Refill(ListBox& list, const std::vector<Survivor>& survivors) {
  list.Clear();
  for (const Survivor& survivor : survivors) list.AddItem(survivor.path);
}

// The end of a run that went through both phases. Success is claimed only
// when everything listed is really gone, and only plainly where overwriting
// in place destroys content.
void Completion(Form1& form, int64_t filesListed, int64_t directoriesListed,
                const std::vector<Survivor>& files, const std::vector<Survivor>& directories,
                const std::vector<ContentAtRisk>& atRisk) {
  const bool complete = files.empty() && directories.empty();
  if (!complete) {
    CurrentModal().MessageBox(SurvivorsMessage(filesListed, directoriesListed, files, directories),
                              kMbStop, "Corvane - Files Not Deleted");
  } else if (!atRisk.empty()) {
    CurrentModal().MessageBox(ContentMaySurviveMessage(atRisk), kMbExclamation,
                              "Corvane - Files Deleted");
  } else {
    CurrentModal().MessageBox("Operation Completed Successfully!", kMbOk,
                              "Corvane - Files Deleted");
  }
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(form, true);
  SetFieldsEnabled(form, true);
  ResetBar(form);
  // The folder list is never shown: it keeps survivors only beside files, so
  // that no invisible entry haunts a later run.
  if (files.empty()) {
    form.List2->Clear();
    form.List1->Clear();
  } else {
    Refill(*form.List2, directories);
    Refill(*form.List1, files);
  }
}

// The run proper, after the confirmation. Returns how the run ended.
Checkpoint Run(Form1& form, RunRecord& record) {
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

  ShredEngine engine([] { CurrentModal().PumpEvents(); });
  const int64_t files = form.List1->ListCount();
  const int64_t passes = PassCount(shreds);
  const bool overwrite = shreds > 1;
  record.overwrite = overwrite;
  // Where the files lie decides whether a complete run may claim plain success.
  if (overwrite) {
    for (int64_t index = 0; index < files; ++index)
      record.fileSystems.Note(form.List1->List(index));
  }
  std::vector<bool>& files_gone = record.filesGone;
  files_gone.assign(static_cast<size_t>(files), false);
  for (int64_t index = 0; index < files; ++index) {
    // A copy: the list may change under an event pump once Abort was clicked.
    const std::string path = form.List1->List(index);
    for (int64_t pass = 1; pass <= passes; ++pass) {
      if (engine.Pass(path, pass, passes, overwrite)) files_gone[static_cast<size_t>(index)] = true;
      Advance(form);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) return c;
    }
  }

  const int64_t directories = form.List2->ListCount();
  if (directories > 0) {
    form.ProgressBar1->setValue(0);
    form.ProgressBar1->setCaptionText(QStringLiteral("Removing Directories - "));
    form.ProgressBar1->setMax(directories);
    std::vector<bool>& directories_gone = record.directoriesGone;
    directories_gone.assign(static_cast<size_t>(directories), false);
    record.directoryErrors.assign(static_cast<size_t>(directories), 0);
    for (int64_t index = directories - 1; index >= 0; --index) {
      const std::string& directory = form.List2->List(index);
      errno = 0;
      if (RemoveEmptyDirectory(directory) || !EntryExists(directory))
        directories_gone[static_cast<size_t>(index)] = true;
      // The removal's errno: a successful lstat after it leaves errno alone.
      record.directoryErrors[static_cast<size_t>(index)] = errno;
      Advance(form);
      if (Checkpoint c = PumpAndCheck(form); c != Checkpoint::kGoOn) return c;
    }
  }
  return Checkpoint::kGoOn;
}

}  // namespace

void DeleteFilesClick(Form1& form) {
  // A click during this command's own run is its Abort, also after the
  // caption went back; while another command runs, nothing starts.
  if (form.Run.Active() == Command::kDeleteRun) {
    AbortRequest(form);
    return;
  }
  if (form.Run.Running() || form.StopRequested) return;

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
  if (form.StopRequested || !form.Run.Start(Command::kDeleteRun)) return;
  RunScope scope(form.Run, Command::kDeleteRun);

  const int64_t filesListed = form.List1->ListCount();
  const int64_t directoriesListed = form.List2->ListCount();
  RunRecord record;
  Checkpoint end = Run(form, record);
  // An Abort, once clicked, always ends the run on its abort path.
  if (end == Checkpoint::kGoOn && form.Run.Aborting()) end = Checkpoint::kAbort;
  switch (end) {
    case Checkpoint::kGoOn:
      Completion(form, filesListed, directoriesListed, FileSurvivors(*form.List1, record),
                 DirectorySurvivors(*form.List2, record), record.fileSystems.AtRisk());
      break;
    case Checkpoint::kAbort:
      AbortPath(form);
      break;
    case Checkpoint::kStop:
      break;  // the window is closing: leave without a word
  }
}

}  // namespace corvane

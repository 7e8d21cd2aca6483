#include "shred/delete_files_command.h"

#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/modal.h"
#include "shell/form1.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_engine.h"

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

// Which entries of a list the run saw go; the others are looked at again at
// the end, so that nothing is reported gone that is still there.
using GoneFlags = std::vector<bool>;

std::vector<std::string> Survivors(const ListBox& list, const GoneFlags& gone) {
  std::vector<std::string> survivors;
  for (int64_t i = 0; i < list.ListCount(); ++i) {
    bool seen_gone = static_cast<size_t>(i) < gone.size() && gone[static_cast<size_t>(i)];
    if (!seen_gone && EntryExists(list.List(i))) survivors.push_back(list.List(i));
  }
  return survivors;
}

void Refill(ListBox& list, std::vector<std::string> entries) {
  list.Clear();
  for (std::string& entry : entries) list.AddItem(std::move(entry));
}

void Completion(Form1& form, const GoneFlags& files_gone, const GoneFlags& directories_gone) {
  int64_t files = form.List1->ListCount();
  int64_t directories = form.List2->ListCount();
  std::vector<std::string> file_survivors = Survivors(*form.List1, files_gone);
  std::vector<std::string> directory_survivors = Survivors(*form.List2, directories_gone);
  auto files_left = static_cast<int64_t>(file_survivors.size());
  auto directories_left = static_cast<int64_t>(directory_survivors.size());

  // Success is claimed only when everything listed is really gone.
  bool complete = files_left == 0 && directories_left == 0;
  if (complete) {
    CurrentModal().MessageBox("Operation Completed Successfully!", kMbOk,
                              "Corvane - Files Deleted");
  } else {
    std::string counts = std::to_string(files_left) + " of " + std::to_string(files) +
                         " files and " + std::to_string(directories_left) + " of " +
                         std::to_string(directories) + " directories remain.";
    CurrentModal().MessageBox("Some Files Could Not Be Deleted!\n" + counts, kMbStop,
                              "Corvane - Files Not Deleted");
  }
  form.DeleteFiles->setAllCaptions(kDeleteCaption);
  SetOtherButtonsEnabled(form, true);
  SetFieldsEnabled(form, true);
  ResetBar(form);
  if (complete) {
    form.List2->Clear();
    form.List1->Clear();
  } else {
    Refill(*form.List2, std::move(directory_survivors));
    Refill(*form.List1, std::move(file_survivors));
  }
}

// The run proper, after the confirmation. Returns how the run ended.
Checkpoint Run(Form1& form, GoneFlags& files_gone, GoneFlags& directories_gone) {
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

  ShredEngine engine([] { CurrentModal().PumpEvents(); });
  const int64_t files = form.List1->ListCount();
  const int64_t passes = PassCount(shreds);
  const bool overwrite = shreds > 1;
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
    directories_gone.assign(static_cast<size_t>(directories), false);
    for (int64_t index = directories - 1; index >= 0; --index) {
      const std::string& directory = form.List2->List(index);
      if (RemoveEmptyDirectory(directory) || !EntryExists(directory))
        directories_gone[static_cast<size_t>(index)] = true;
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

  GoneFlags files_gone, directories_gone;
  switch (Run(form, files_gone, directories_gone)) {
    case Checkpoint::kGoOn:
      Completion(form, files_gone, directories_gone);
      break;
    case Checkpoint::kAbort:
      AbortPath(form);
      break;
    case Checkpoint::kStop:
      break;  // the window is closing: leave without a word
  }
}

}  // namespace corvane

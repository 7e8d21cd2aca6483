#include "scan/browse_folder_command.h"

#include <cstring>

#include "platform/modal.h"
#include "platform/paths.h"
#include "scan/core/directory_walk.h"
#include "scan/core/path_gate.h"
#include "scan/core/tree_walk.h"
#include "shell/core/module1.h"
#include "shell/controls/browse_ff.h"
#include "shell/controls/list_box.h"
#include "shell/controls/run_controller.h"

namespace corvane {

namespace {
// A closing window goes, whoever started the close.
BrowseOutcome OrStopped(RunController& runs, BrowseOutcome outcome) {
  return runs.FinishClosing() ? BrowseOutcome::Stopped : outcome;
}

BrowseOutcome EndAbortedScan(RunController& runs) {
  runs.Restore(Command::kFolderScan);
  CurrentModal().MessageBox("File List Building Process Aborted!", kMbStop,
                            "Corvane - Operation Aborted");
  runs.ResetProgress();
  runs.Files().Clear();
  runs.Folders().Clear();
  return BrowseOutcome::Aborted;
}

// Reads the whole tree while the wait window shows, through the checkpoint
// after every folder so that Abort, the window's close and the animation all
// work. kGoOn also when the walk refused the folder.
RunCheck ListDirectories(RunController& runs, const std::string& folder, TreeListing& listing) {
  WalkOptions options;
  options.masks = SplitMasks(runs.MaskText());
  options.between = [&] { return runs.PumpAndCheck() == RunCheck::kGoOn; };
  listing = WalkTree(folder, options);
  if (RunCheck check = runs.Check(); check != RunCheck::kGoOn) return check;
  if (listing.refusal != WalkRefusal::kNone) return RunCheck::kGoOn;
  // The chosen folder itself is in the list already.
  for (size_t i = 1; i < listing.directories.size(); ++i)
    runs.Folders().AddEntry(std::move(listing.directories[i]));
  return RunCheck::kGoOn;
}

// Folders whose content is not listed are said once, up to ten by name.
void ShowIncomplete(const std::vector<UnreadFolder>& unread) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < unread.size() && i < kEntriesNamed; ++i)
    lines.push_back(DisplayForm(unread[i].path) + " (" + std::strerror(unread[i].error) + ")");
  CurrentModal().MessageBox(
      "The Listing Is Incomplete!\nThese folders could not be read, so nothing inside them is "
      "listed:" +
          NamedLines(lines, unread.size()),
      kMbExclamation, "Corvane - Listing Incomplete");
}

RunCheck ListFiles(RunController& runs, std::deque<ListedEntry>& files) {
  runs.BeginProgress(QStringLiteral("Building File List - "));
  runs.SetProgressMax(static_cast<int64_t>(files.size()));
  ListBox& list = runs.Files();
  list.Reserve(files.size());
  int64_t listed = 0;
  for (ListedEntry& file : files) {
    list.AddEntry(std::move(file));
    runs.SetProgress(++listed);
    if (RunCheck check = runs.PumpAndCheck(); check != RunCheck::kGoOn) return check;
  }
  return RunCheck::kGoOn;
}
}  // namespace

BrowseOutcome BrowseFolderClick(RunController& runs) {
  // A click during the scan's own run is its Abort; while another command
  // runs (a Delete run still finishing its pass after an Abort included), no
  // chooser opens and nothing starts.
  if (runs.Active() == Command::kFolderScan) {
    runs.Abort(Command::kFolderScan);
    return BrowseOutcome::AbortRequest;
  }
  if (runs.Running()) return BrowseOutcome::Busy;
  const std::optional<std::string> folder = runs.Chooser().Show(
      {"Corvane - Select A Folder To Delete", "Select A Folder To Delete:", true, 1, 2});
  if (!folder) return OrStopped(runs, BrowseOutcome::Cancelled);
  return ListFolder(runs, *folder);
}

BrowseOutcome ListFolder(RunController& runs, const std::string& chosen) {
  if (runs.StopRequested()) return OrStopped(runs, BrowseOutcome::Stopped);
  if (runs.Running()) return BrowseOutcome::Busy;
  const GateVerdict verdict = PassGate(chosen, ProgramGateRules(IniPath), true);
  if (verdict.refusal) {
    ShowRefusals(RefusalBoxFor(verdict, true));
    return OrStopped(runs, BrowseOutcome::Refused);
  }
  const std::string& folder = verdict.path;
  if (!runs.Begin(Command::kFolderScan)) return BrowseOutcome::Busy;
  RunScope scope = runs.Scope(Command::kFolderScan);

  const int64_t folderRow = runs.Folders().ListCount();
  runs.Folders().AddItem(folder, /*chosen=*/true);
  runs.PumpNow();

  runs.SetProgress(0);
  runs.SetProgressMax(1);
  TreeListing listing;
  RunCheck check = ListDirectories(runs, folder, listing);
  if (check == RunCheck::kAbort) return EndAbortedScan(runs);
  if (check == RunCheck::kGoOn && listing.refusal != WalkRefusal::kNone) {
    // The folder changed after it passed the gate: nothing of it is listed,
    // and the user learns why, as if the gate had refused it.
    runs.Folders().RemoveItem(folderRow);
    runs.Restore(Command::kFolderScan);
    ShowRefusals(RefusalBoxFor({folder, GateKind::kFolder, WalkRefusalReason(listing)}, true));
    return OrStopped(runs, BrowseOutcome::Refused);
  }

  runs.EndWait();
  // A closing window needs no file list.
  if (check != RunCheck::kStop) check = ListFiles(runs, listing.files);
  // An Abort, once clicked, always ends the scan on its abort path, even when
  // no checkpoint after a pump saw it.
  if (check == RunCheck::kGoOn && runs.Aborting()) check = RunCheck::kAbort;
  if (check == RunCheck::kAbort) return EndAbortedScan(runs);

  runs.Restore(Command::kFolderScan);
  runs.SetProgress(runs.ProgressMax());
  if (!listing.unread.empty() && !runs.StopRequested()) ShowIncomplete(listing.unread);
  return OrStopped(runs, BrowseOutcome::Completed);
}

}  // namespace corvane

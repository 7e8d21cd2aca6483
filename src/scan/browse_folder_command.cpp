#include "scan/browse_folder_command.h"

#include <cstring>

#include "platform/modal.h"
#include "platform/paths.h"
#include "scan/core/directory_walk.h"
#include "scan/core/path_gate.h"
#include "scan/core/tree_walk.h"
#include "scan/msg.h"
#include "shell/core/module1.h"
#include "shell/form1.h"

namespace corvane {

namespace {
constexpr char kBrowseCaption[] = "&Browse For A Folder To Delete";
constexpr char kAbortCaption[] = "&Abort";
constexpr char kVersionCaption[] = "Corvane Version " CORVANE_VERSION " By Halvek";

void SetAllCaptions(HoverButton* button, const char* caption) {
  button->setAllCaptions(QString::fromLatin1(caption));
}

msg& WaitWindowOf(Form1& form) {
  if (!form.WaitWindow) form.WaitWindow = std::make_unique<msg>(&form);
  return *form.WaitWindow;
}

void CloseWaitWindow(Form1& form) {
  if (form.WaitWindow) form.WaitWindow->Close();
}

bool ChooseFolder(Form1& form, std::string& chosen) {
  BrowseFF* chooser = form.BrowseFF1;
  chooser->setTitleText("Corvane - Select A Folder To Delete");
  chooser->setPromptText("Select A Folder To Delete:");
  chooser->setOption(true);
  chooser->setOption1(1);
  chooser->setOption2(2);
  if (!chooser->Show()) return false;
  chosen = chooser->Result().Path();
  return true;
}

// The window is closing: make sure it goes, whoever started the close.
BrowseOutcome CloseIfStopping(Form1& form, BrowseOutcome outcome) {
  if (form.StopRequested) {
    if (form.isVisible()) form.close();
    return BrowseOutcome::Stopped;
  }
  return outcome;
}

// The window as it was before the scan: its title, the buttons back.
void EndScan(Form1& form) {
  CloseWaitWindow(form);
  form.setWindowTitle(QString::fromLatin1(kVersionCaption));
  SetAllCaptions(form.BrowseFolder, kBrowseCaption);
  form.AddFiles->setEnabled(true);
  form.DeleteFiles->setEnabled(true);
  form.BrowseDelete->setEnabled(true);
}

BrowseOutcome EndAbortedScan(Form1& form) {
  EndScan(form);
  CurrentModal().MessageBox("File List Building Process Aborted!", kMbStop,
                            "Corvane - Operation Aborted");
  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setCaptionText(QString());
  form.List1->Clear();
  form.List2->Clear();
  return BrowseOutcome::Aborted;
}

enum class Phase { Done, Stop, Abort, Refused };

Phase Checkpoint(Form1& form) {
  if (form.StopRequested) return Phase::Stop;
  if (form.Run.Aborting()) return Phase::Abort;
  return Phase::Done;
}

// Reads the whole tree while the wait window shows, pumping events after
// every folder so that Abort, the window's close and the animation all work.
Phase ListDirectories(Form1& form, const std::string& folder, TreeListing& listing) {
  Modal& modal = CurrentModal();
  WalkOptions options;
  options.masks = SplitMasks(form.FileSpecific->text().toStdString());
  options.between = [&] {
    modal.PumpEvents();
    return Checkpoint(form) == Phase::Done;
  };
  listing = WalkTree(folder, options);
  if (Phase phase = Checkpoint(form); phase != Phase::Done) return phase;
  if (listing.refusal != WalkRefusal::kNone) return Phase::Refused;
  // The chosen folder itself is in the list already.
  for (size_t i = 1; i < listing.directories.size(); ++i)
    form.List2->AddEntry(std::move(listing.directories[i]));
  return Phase::Done;
}

// Folders whose content is not listed are said once, up to ten by name.
void ShowIncomplete(const std::vector<UnreadFolder>& unread) {
  constexpr size_t kNamed = 10;
  std::string text =
      "The Listing Is Incomplete!\nThese folders could not be read, so nothing inside them is "
      "listed:";
  for (size_t i = 0; i < unread.size() && i < kNamed; ++i)
    text += "\n" + DisplayForm(unread[i].path) + " (" + std::strerror(unread[i].error) + ")";
  if (unread.size() > kNamed)
    text += "\n... and " + std::to_string(unread.size() - kNamed) + " more";
  CurrentModal().MessageBox(text, kMbExclamation, "Corvane - Listing Incomplete");
}

Phase ListFiles(Form1& form, std::deque<ListedEntry>& files) {
  CaptionProgressBar* bar = form.ProgressBar1;
  bar->setValue(0);
  bar->setCaptionText(QStringLiteral("Building File List - "));
  bar->setMax(static_cast<int64_t>(files.size()));
  form.List1->Reserve(files.size());
  Modal& modal = CurrentModal();
  for (ListedEntry& file : files) {
    form.List1->AddEntry(std::move(file));
    bar->setValue(bar->value() + 1);
    modal.PumpEvents();
    if (Phase phase = Checkpoint(form); phase != Phase::Done) return phase;
  }
  return Phase::Done;
}
}  // namespace

BrowseOutcome BrowseFolderClick(Form1& form) {
  // A click during the scan's own run is its Abort; while another command
  // runs (a Delete run still finishing its pass after an Abort included), no
  // chooser opens and nothing starts.
  if (form.Run.Active() == Command::kFolderScan) {
    form.Run.RequestAbort(Command::kFolderScan);
    return BrowseOutcome::AbortRequest;
  }
  if (form.Run.Running()) return BrowseOutcome::Busy;
  std::string folder;
  if (!ChooseFolder(form, folder)) return CloseIfStopping(form, BrowseOutcome::Cancelled);
  return ListFolder(form, folder);
}

BrowseOutcome ListFolder(Form1& form, const std::string& chosen) {
  if (form.StopRequested) return CloseIfStopping(form, BrowseOutcome::Stopped);
  if (form.Run.Running()) return BrowseOutcome::Busy;
  const GateVerdict verdict = PassGate(chosen, ProgramGateRules(IniPath), true);
  if (verdict.refusal) {
    ShowRefusal(verdict, true);
    return CloseIfStopping(form, BrowseOutcome::Refused);
  }
  const std::string& folder = verdict.path;
  if (!form.Run.Start(Command::kFolderScan)) return BrowseOutcome::Busy;
  RunScope scope(form.Run, Command::kFolderScan);

  form.AddFiles->setEnabled(false);
  form.DeleteFiles->setEnabled(false);
  form.BrowseDelete->setEnabled(false);
  SetAllCaptions(form.BrowseFolder, kAbortCaption);
  const int64_t folderRow = form.List2->ListCount();
  form.List2->AddItem(folder, /*chosen=*/true);
  form.setWindowTitle(QStringLiteral("Building Directory List. Please Wait..."));
  WaitWindowOf(form).Show();
  CurrentModal().PumpEvents();

  form.ProgressBar1->setValue(0);
  form.ProgressBar1->setMax(1);
  TreeListing listing;
  Phase phase = ListDirectories(form, folder, listing);
  if (phase == Phase::Abort) return EndAbortedScan(form);
  if (phase == Phase::Refused) {
    // The folder changed after it passed the gate: nothing of it is listed,
    // and the user learns why, as if the gate had refused it.
    form.List2->RemoveItem(folderRow);
    EndScan(form);
    ShowRefusal({folder, GateKind::kFolder, WalkRefusalReason(listing)}, true);
    return CloseIfStopping(form, BrowseOutcome::Refused);
  }

  CloseWaitWindow(form);
  form.setWindowTitle(QString::fromLatin1(kVersionCaption));
  // A closing window needs no file list.
  if (phase != Phase::Stop) phase = ListFiles(form, listing.files);
  // An Abort, once clicked, always ends the scan on its abort path, even when
  // no test after a pump saw it.
  if (phase == Phase::Done && form.Run.Aborting()) phase = Phase::Abort;
  if (phase == Phase::Abort) return EndAbortedScan(form);

  EndScan(form);
  form.ProgressBar1->setValue(form.ProgressBar1->max());
  if (!listing.unread.empty() && !form.StopRequested) ShowIncomplete(listing.unread);
  return CloseIfStopping(form, BrowseOutcome::Completed);
}

}  // namespace corvane

#pragma once
#include <string>

namespace corvane {

class RunController;

// How a click on the folder browse button ended.
enum class BrowseOutcome {
  AbortRequest,  // the click asked the running scan to stop
  Busy,          // another command is running; nothing started
  Cancelled,     // no folder chosen; nothing changed
  Refused,       // the chosen folder may not be destroyed; nothing changed
  Completed,     // the folder's tree is in the two lists
  Aborted,       // the user aborted; both lists were emptied
  Stopped,       // the main window closed during the scan
};

// Lists a chosen folder: its directories into List2 (parents first, level by
// level), its files matching FileSpecific into List1. While it runs, the same
// button reads "&Abort" and a click on it asks the scan to stop.
BrowseOutcome BrowseFolderClick(RunController& runs);

// The scan proper, on a folder already chosen: what a click does after the
// folder choice. Also used for folders handed over on the command line or
// dropped on the list. Starts nothing (Busy) while another command runs. The
// folder passes the gate first (scan/core/path_gate.h): a folder that must
// not be destroyed is refused with a message, and nothing is listed. So is
// one that the walk then cannot read after all (it changed meanwhile).
BrowseOutcome ListFolder(RunController& runs, const std::string& chosen);

}  // namespace corvane

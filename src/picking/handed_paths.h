#pragma once
// Files and folders handed over from outside the window: named on the command
// line or dropped on the file list.
#include <string>
#include <vector>

namespace corvane {

class RunController;

// Adds each file to List1 as Add Files adds it and lists each folder as Browse
// For A Folder lists it, in order. Each passes the gate first
// (scan/core/path_gate.h); the refused ones and those that name nothing are
// told in one box at the end, and the rest go on. A symbolic link is a file
// here, never followed. Does nothing while a command runs, and stops when a
// folder's listing is aborted or the window closes. Destroys nothing.
// `remote` are URIs handed for files of another computer: they are only
// named in that box.
void AddHandedPaths(RunController& runs, const std::vector<std::string>& paths,
                    const std::vector<std::string>& remote = {});

}  // namespace corvane

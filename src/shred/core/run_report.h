#pragma once
// The words of the Delete command's closing report: what remains and why, and
// where the content of destroyed files may still survive.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_kind.h"
#include "shred/core/free_space_fill.h"
#include "shred/core/run_host.h"
#include "shred/core/survivor.h"

namespace corvane {

// "Some Files Could Not Be Deleted!", the counts line (a part for files or
// directories only when some were listed), how many listed entries were not
// found when there were any, then up to ten survivors, files
// first, each as "path (reason)", then "... and N more" when more remain.
std::string SurvivorsMessage(int64_t filesListed, int64_t directoriesListed,
                             const std::vector<Survivor>& files,
                             const std::vector<Survivor>& directories);

// "File Deletion Process Aborted!", then, when the stop left files partly
// overwritten, a line saying they were kept and up to ten of them, each as
// "path (partly overwritten)".
std::string AbortedMessage(const std::vector<Survivor>& partly);

// For standard error when the window closed during a run: that the run was
// interrupted, then each file it kept (partly overwritten, or left for a
// reason) as "path (reason)", one a line, the path's bytes as they are.
std::string InterruptedRunReport(const std::vector<Survivor>& kept);

// "Files Deleted, But Their Content May Survive!", a line naming how many
// files lay on which file system and mount point, and why that matters.
std::string ContentMaySurviveMessage(const std::vector<ContentAtRisk>& atRisk);

// The box that ends a run which went through both phases.
struct ClosingBox {
  std::string prompt;
  int style;
  std::string title;
};
// Plain success only when everything listed is gone and no destroyed file
// lay where its old content may survive. Otherwise the box names what
// remains, then where content may survive; for the file systems in
// `fillable` it then asks whether to overwrite their free space.
ClosingBox CompletionBox(const RunOutcome& outcome, const std::vector<FillTarget>& fillable);

}  // namespace corvane

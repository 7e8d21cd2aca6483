#pragma once
// The words of the Delete command's closing report: what remains and why, and
// where the content of destroyed files may still survive.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_kind.h"
#include "shred/core/survivor.h"

namespace corvane {

// At most this many survivors are named, one a line.
inline constexpr size_t kSurvivorsNamed = 10;

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

// "Files Deleted, But Their Content May Survive!", a line naming how many
// files lay on which file system and mount point, and why that matters.
std::string ContentMaySurviveMessage(const std::vector<ContentAtRisk>& atRisk);

}  // namespace corvane

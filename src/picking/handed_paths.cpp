#include "picking/handed_paths.h"

#include <sys/stat.h>

#include "scan/browse_folder_command.h"
#include "shell/form1.h"

namespace corvane {

void AddHandedPaths(Form1& form, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (form.StopRequested || form.CommandRunning()) return;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      form.List1->AddItem(path);
    } else if (ListFolder(form, path) != BrowseOutcome::Completed) {
      return;
    }
  }
}

}  // namespace corvane

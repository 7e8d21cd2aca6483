#include "shell/controls/browse_ff.h"

#include <exception>

namespace corvane {

std::optional<std::string> BrowseFF::Show(const FolderRequest& request) {
  std::optional<std::string> chosen;
  try {
    chosen = CurrentModal().ChooseFolder(request);
  } catch (const std::exception&) {
    return std::nullopt;  // a chooser that cannot be shown is a cancel
  }
  if (!chosen || chosen->empty()) return std::nullopt;
  return chosen;
}

}  // namespace corvane

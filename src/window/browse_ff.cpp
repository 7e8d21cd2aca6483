#include "window/browse_ff.h"

#include <exception>

#include "platform/modal.h"

namespace corvane {

bool BrowseFF::Show() {
  FolderRequest request;
  request.title = title_;
  request.prompt = prompt_;
  request.option = option_;
  request.option1 = option1_;
  request.option2 = option2_;
  std::optional<std::string> chosen;
  try {
    chosen = CurrentModal().ChooseFolder(request);
  } catch (const std::exception&) {
    return false;  // a chooser that cannot be shown is a cancel
  }
  if (!chosen || chosen->empty()) return false;
  result_.setPath(*chosen);
  return true;
}

}  // namespace corvane

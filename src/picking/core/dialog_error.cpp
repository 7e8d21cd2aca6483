#include "picking/core/dialog_error.h"

#include <utility>

#include "platform/path_text.h"
#include "platform/paths.h"

namespace corvane {

DialogError::DialogError(int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

namespace {
std::string DescriptionOf(int32_t number) {
  switch (number) {
    case kErrInvalidArgument:
      return "Invalid procedure call or argument";
    case kErrOverflow:
      return "Overflow";
    case kErrUserCancel:
      return "User selected cancel.";
    default:
      return "Application-defined or object-defined error";
  }
}
}  // namespace

DialogError::DialogError(int32_t number)
    : DialogError(number, DescriptionOf(number), DialogErrorSource()) {}

std::string DialogErrorSource() {
  const std::string exe = ExecutablePath();
  std::string name(SplitAtLastSlash(exe).name);
  // A leading dot starts a hidden name, not an extension.
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + ".cFilenDialog";
}

}  // namespace corvane

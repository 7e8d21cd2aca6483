// What a file dialog hands back, split into a directory and names: any buffer
// either splits into parts that join back into the choice, or is refused with
// one of the class's errors.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "picking/core/c_file_dialog.h"

namespace {

using corvane::cFileDialog;
using corvane::DialogError;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint8_t mode = input.ConsumeIntegral<uint8_t>();
  const int32_t prior = input.ConsumeIntegralInRange<int32_t>(-3, 4);
  const std::string answer = input.ConsumeRemainingBytesAsString();

  // The buffer reaches the class as the open dialog's answer, the save
  // dialog's, or straight as a file name.
  auto dialog = [&](corvane::OPENFILENAME& ofn) -> int32_t {
    ofn.lpstrFile = answer;
    if (mode & 8) ofn.Flags &= ~corvane::kOfnAllowMultiSelect;  // a dialog that drops the flag
    return 1;
  };
  cFileDialog d(dialog, dialog);
  try {
    switch (mode & 3) {
      case 0:
        d.setFlags(static_cast<int32_t>(corvane::kOfnAllowMultiSelect));
        d.ShowOpen();
        break;
      case 1:
        d.ShowOpen();
        break;
      case 2:
        d.ShowSave();
        break;
      default:
        d.setFilename(answer);  // stores the name even when it refuses it
    }
  } catch (const DialogError& e) {
    Check(e.number() == corvane::kErrInvalidArgument, "an unexpected error from a show");
  }
  const std::string& name = d.Filename();
  if ((mode & 3) != 3) {
    // The answer comes back in the buffer the show handed out; a multiple
    // selection keeps all of it, anything else its first name.
    std::string buffer = answer;
    buffer.resize((mode & 3) == 0 ? 8192 : 1024, '\0');
    const bool whole = (mode & 3) == 0 && !(mode & 8);
    Check(name == (whole ? buffer : buffer.substr(0, buffer.find('\0'))),
          "the file name is not the dialog's answer");
  }

  const size_t end = name.find(std::string(2, '\0'));
  const std::string selection = name.substr(0, end);
  const size_t parts = static_cast<size_t>(std::count(selection.begin(), selection.end(), '\0'));
  // Counting on from near the top must be refused, never allocate that much.
  int32_t count = prior;
  if ((mode & 4) && parts > 0)
    count = std::numeric_limits<int32_t>::max() - static_cast<int32_t>(parts - 1);
  const int32_t start = count;
  std::vector<std::string> files(static_cast<size_t>(std::clamp(start, 0, 4)), "earlier");
  std::string dir;
  try {
    d.ParseMultiFileName(dir, files, count);
  } catch (const DialogError& e) {
    const bool refusable =
        end == std::string::npos || selection.empty() || (parts > 0 && (start < 0 || (mode & 4)));
    Check(refusable, "a valid choice refused");
    Check(e.number() == corvane::kErrInvalidArgument || e.number() == corvane::kErrOverflow,
          "an unexpected error number");
    return 0;
  }
  Check(end != std::string::npos && !selection.empty(), "a choice without its end accepted");
  if (parts == 0) {
    Check(count == 1 && files.size() == 1, "one file is not one name");
    Check(files[0].find('/') == std::string::npos, "a name holds a slash");
    Check(dir.empty() || dir.back() == '/', "the directory does not end with a slash");
    Check(dir + files[0] == selection, "directory and name do not make the path");
    return 0;
  }
  Check(start >= 0 && count == start + static_cast<int32_t>(parts), "wrong count");
  Check(files.size() == static_cast<size_t>(count), "names and count disagree");
  std::string joined = dir;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i < static_cast<size_t>(start)) {
      Check(files[i] == "earlier", "an earlier name was changed");
      continue;
    }
    Check(files[i].find('\0') == std::string::npos, "a name holds a NUL");
    joined += '\0' + files[i];
  }
  Check(dir.find('\0') == std::string::npos && joined == selection,
        "the parts do not join back into the choice");
  return 0;
}

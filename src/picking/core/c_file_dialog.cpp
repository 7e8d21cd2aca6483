#include "picking/core/c_file_dialog.h"

#include <limits>
#include <utility>

#include "platform/file_dialogs.h"
#include "platform/path_text.h"

namespace corvane {

namespace {
constexpr uint32_t kMultiSelectBuffer = 8192;
constexpr uint32_t kSingleBuffer = 1024;
constexpr size_t kMaxFilenameLength = 1024;
// A longer filter is stored, then refused as an overflow.
constexpr size_t kMaxFilterLength = 32766;
const std::string kTwoNulls(2, '\0');
}  // namespace

cFileDialog::cFileDialog() : cFileDialog(GetOpenFileNameA, GetSaveFileNameA) {}

cFileDialog::cFileDialog(DialogCall openDialog, DialogCall saveDialog)
    : openDialog_(std::move(openDialog)), saveDialog_(std::move(saveDialog)) {
  ofn_.lStructSize = kOpenFileNameSize;
  ofn_.nFilterIndex = 1;
}

void cFileDialog::setFilename(const std::string& sFilename) {
  filename_ = sFilename;
  if (filename_.size() > kMaxFilenameLength) throw DialogError(kErrInvalidArgument);
}

void cFileDialog::setFilter(const std::string& sFilter) {
  filter_ = sFilter;
  if (sFilter.size() > kMaxFilterLength) throw DialogError(kErrOverflow);
  std::string converted = sFilter;
  for (char& c : converted) {
    if (c == '|' || c == ':') c = '\0';
  }
  ofn_.lpstrFilter = converted + kTwoNulls;
}

void cFileDialog::setDefaultExt(const std::string& sDefaultExt) {
  defaultExt_ = sDefaultExt;
  ofn_.lpstrDefExt = sDefaultExt + kTwoNulls;
}

void cFileDialog::setInitDir(const std::string& vNewValue) {
  initDir_ = vNewValue;
  ofn_.lpstrInitialDir = vNewValue + kTwoNulls;
}

void cFileDialog::PrepareShow(uint32_t flags, uint32_t n) {
  if (filename_.size() > n || fileTitle_.size() > n) throw DialogError(kErrInvalidArgument);
  ofn_.Flags = flags;
  // The current name is the dialog's initial file name.
  ofn_.lpstrFile = filename_;
  ofn_.lpstrFile.resize(n, '\0');
  ofn_.nMaxFile = n;
  ofn_.lpstrFileTitle = fileTitle_;
  ofn_.lpstrFileTitle.resize(n, '\0');
  ofn_.nMaxFileTitle = n;
}

void cFileDialog::ShowOpen() {
  uint32_t flags = static_cast<uint32_t>(flags_);
  uint32_t n = kSingleBuffer;
  if (flags & kOfnAllowMultiSelect) {
    // Explorer style: several names come back NUL-separated.
    flags |= kOfnExplorer;
    n = kMultiSelectBuffer;
  }
  PrepareShow(flags, n);
  if (openDialog_(ofn_) == 0) return;  // cancel is never an error here
  ofn_.lpstrFile.resize(n, '\0');
  if (ofn_.Flags & kOfnAllowMultiSelect) {
    filename_ = ofn_.lpstrFile;
  } else {
    filename_ = TrimAtNull(ofn_.lpstrFile);
  }
}

void cFileDialog::ShowSave() {
  PrepareShow(static_cast<uint32_t>(flags_), kSingleBuffer);
  if (saveDialog_(ofn_) == 0) {
    if (cancelError_) throw DialogError(kErrUserCancel);
    return;
  }
  filename_ = TrimAtNull(ofn_.lpstrFile);
}

std::string cFileDialog::TrimAtNull(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

void cFileDialog::ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles,
                                     int32_t& lFileCount) const {
  size_t end = filename_.find(kTwoNulls);
  if (end == std::string::npos) throw DialogError(kErrInvalidArgument);
  const std::string selection = filename_.substr(0, end);
  // An empty choice would make "/" out of nothing.
  if (selection.empty()) throw DialogError(kErrInvalidArgument);

  size_t firstNull = selection.find('\0');
  if (firstNull == std::string::npos) {
    // One file: its full path.
    const SlashSplit split = SplitAtLastSlash(selection);
    lFileCount = 1;
    sDir = split.folder;
    sFiles.assign(1, std::string(split.name));
    return;
  }

  // Several files: the directory, then the names, each ended by a NUL.
  std::vector<std::string> names;
  for (size_t start = firstNull + 1; start <= selection.size();) {
    size_t next = selection.find('\0', start);
    if (next == std::string::npos) next = selection.size();
    names.push_back(selection.substr(start, next - start));
    start = next + 1;
  }
  // Counting on from the caller's count must stay a valid array size.
  if (lFileCount < 0 || static_cast<int64_t>(lFileCount) + static_cast<int64_t>(names.size()) >
                            std::numeric_limits<int32_t>::max()) {
    throw DialogError(lFileCount < 0 ? kErrInvalidArgument : kErrOverflow);
  }
  sDir = selection.substr(0, firstNull);
  for (std::string& name : names) {
    ++lFileCount;
    sFiles.resize(static_cast<size_t>(lFileCount));
    sFiles[static_cast<size_t>(lFileCount) - 1] = std::move(name);
  }
}

}  // namespace corvane

#include "platform/file_dialogs.h"

#include <string>
#include <vector>

#include "platform/modal.h"
#include "platform/path_text.h"

namespace corvane {

namespace {

std::string UpToNull(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

// "desc NUL patterns NUL ... NUL NUL" into pairs; a description left without
// patterns at the end is dropped.
std::vector<std::pair<std::string, std::string>> ParseFilterList(const std::string& list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<std::string> items;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\0', start);
    if (end == std::string::npos) end = list.size();
    if (end == start) break;  // the empty item that ends the list
    items.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i + 1 < items.size(); i += 2) pairs.emplace_back(items[i], items[i + 1]);
  return pairs;
}

FileRequest RequestFromRecord(const OPENFILENAME& ofn, bool save) {
  FileRequest request;
  request.save = save;
  request.owner = ofn.hwndOwner;
  request.filters = ParseFilterList(ofn.lpstrFilter);
  request.filterIndex = ofn.nFilterIndex == 0 ? 1 : static_cast<int32_t>(ofn.nFilterIndex);
  request.initialDir = UpToNull(ofn.lpstrInitialDir);
  request.initialName = UpToNull(ofn.lpstrFile);
  request.title = UpToNull(ofn.lpstrTitle);
  request.defaultExt = UpToNull(ofn.lpstrDefExt);
  request.multiSelect = !save && (ofn.Flags & kOfnAllowMultiSelect) != 0;
  request.mustExist = (ofn.Flags & kOfnFileMustExist) != 0;
  return request;
}

// The directory of a path ("/" for an entry of the root) and the name in it;
// false for a path with no directory part or no name.
bool SplitPath(const std::string& path, std::string& dir, std::string& name) {
  const SlashSplit split = SplitAtLastSlash(path);
  dir = ParentFolder(path);
  name = split.name;
  return !split.folder.empty() && !split.name.empty();
}

// The text that goes before the padding NULs, or false when the choice cannot
// be written in the record's form.
bool ResultText(const std::vector<std::string>& paths, bool multiSelect, std::string& text) {
  if (paths.empty()) return false;
  if (paths.size() == 1) {
    // A multiple-selection reader finds its end at two NULs in a row.
    text = paths[0];
    if (multiSelect) text += '\0';
    return !paths[0].empty() && paths[0].find('\0') == std::string::npos;
  }
  if (!multiSelect) return false;
  std::string dir;
  std::string name;
  if (!SplitPath(paths[0], dir, name)) return false;
  text = dir;
  text += '\0';
  for (const std::string& path : paths) {
    std::string otherDir;
    // The record can only say "these names in this directory".
    if (!SplitPath(path, otherDir, name) || otherDir != dir) return false;
    text += name;
    text += '\0';
  }
  return true;
}

int32_t ShowFileDialog(OPENFILENAME& ofn, bool save) {
  if (ofn.lStructSize != kOpenFileNameSize || ofn.nMaxFile == 0) return 0;
  FileRequest request = RequestFromRecord(ofn, save);
  FileAnswer answer = CurrentModal().ChooseFiles(request);
  if (!answer.accepted) return 0;
  std::string text;
  if (!ResultText(answer.paths, request.multiSelect, text)) return 0;
  // Room for the closing NUL as well.
  if (text.size() + 1 > ofn.nMaxFile) return 0;
  text.resize(ofn.nMaxFile, '\0');
  ofn.lpstrFile = std::move(text);
  if (answer.filterIndex >= 1) ofn.nFilterIndex = static_cast<uint32_t>(answer.filterIndex);
  return 1;
}

}  // namespace

int32_t GetOpenFileNameA(OPENFILENAME& ofn) {
  return ShowFileDialog(ofn, false);
}

int32_t GetSaveFileNameA(OPENFILENAME& ofn) {
  return ShowFileDialog(ofn, true);
}

}  // namespace corvane

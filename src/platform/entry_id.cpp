#include "platform/entry_id.h"

#include <sys/stat.h>

namespace corvane {

EntryId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

uint32_t ParentLength(std::string_view path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
  if (slash == std::string_view::npos) return 0;
  // Keep the root's own slash; drop the separators between folder and name.
  size_t length = slash;
  while (length > 0 && path[length - 1] == '/') --length;
  return static_cast<uint32_t>(length == 0 ? 1 : length);
}

std::string AnchorPath(const ListedEntry& entry) {
  if (entry.anchor_length == 0) return ".";
  return entry.path.substr(0, entry.anchor_length);
}

std::optional<ListedEntry> IdentifyPath(std::string path) {
  ListedEntry entry;
  entry.path = std::move(path);
  entry.anchor_length = ParentLength(entry.path);
  struct stat st {};
  if (entry.path.empty() || ::lstat(entry.path.c_str(), &st) != 0) return std::nullopt;
  entry.id = IdOf(st);
  if (::stat(AnchorPath(entry).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  entry.anchor_id = IdOf(st);
  return entry;
}

}  // namespace corvane

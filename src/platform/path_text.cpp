#include "platform/path_text.h"

namespace corvane {

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

std::string ParentFolder(std::string_view path) {
  const uint32_t length = ParentLength(path);
  return length == 0 ? "." : std::string(path.substr(0, length));
}

std::string_view LastComponent(std::string_view path) {
  return SplitAtLastSlash(WithoutTrailingSlashes(path)).name;
}

SlashSplit SplitAtLastSlash(std::string_view path) {
  const size_t cut = path.rfind('/') + 1;  // npos + 1 == 0
  return {path.substr(0, cut), path.substr(cut)};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (joined.empty() || joined.back() != '/') joined += '/';
  return joined.append(name);
}

std::vector<std::string> PathComponents(std::string_view path) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= path.size();) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > start) parts.emplace_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

std::string NormalPath(std::string_view path) {
  const bool absolute = IsAbsolutePath(path);
  std::vector<std::string> kept;
  for (std::string& part : PathComponents(path)) {
    if (part == ".") continue;
    if (part != "..") {
      kept.push_back(std::move(part));
    } else if (!kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (!absolute) {
      kept.push_back(std::move(part));
    }
  }
  std::string out = absolute ? "/" : "";
  for (const std::string& part : kept) out += (out.empty() || out == "/" ? "" : "/") + part;
  return out.empty() ? "." : out;
}

std::string_view WithoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

std::string AbsolutePath(std::string_view path, std::string_view cwd) {
  std::string full = IsAbsolutePath(path) ? std::string(path) : JoinPath(cwd, path);
  full.resize(WithoutTrailingSlashes(full).size());
  return full;
}

}  // namespace corvane

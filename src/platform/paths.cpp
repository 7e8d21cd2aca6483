#include "platform/paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/path_text.h"
#include "platform/text.h"

namespace corvane {

namespace {
// Length of the valid UTF-8 sequence starting at s[i], or 0 when invalid: an
// overlong form, a surrogate or a code point past U+10FFFF is invalid too.
size_t ValidUtf8Length(const std::string& s, size_t i) {
  const size_t len = Utf8SequenceLength(s, i);
  if (len <= 1) return len;
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  uint32_t cp = byte(i) & (0x7Fu >> len);  // the lead's payload bits
  for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
  static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}
}  // namespace

std::string DisplayForm(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    size_t len = ValidUtf8Length(bytes, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes, i, len);
      i += len;
    }
  }
  return out;
}

std::string ResolveDisplayPath(const std::string& display) {
  if (display.empty() || Exists(display)) return display;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= display.size()) {
    size_t slash = display.find('/', start);
    if (slash == std::string::npos) slash = display.size();
    parts.push_back(display.substr(start, slash - start));
    start = slash + 1;
  }
  std::string resolved = parts[0];  // "" for an absolute path
  for (size_t k = 1; k < parts.size(); ++k) {
    std::string dir = resolved.empty() ? "/" : resolved;
    std::string candidate = resolved + "/" + parts[k];
    if (!Exists(candidate)) {
      std::string match;
      int matches = 0;
      if (DIR* d = ::opendir(dir.c_str())) {
        while (struct dirent* e = ::readdir(d)) {
          if (DisplayForm(e->d_name) == parts[k]) {
            match = e->d_name;
            ++matches;
          }
        }
        ::closedir(d);
      }
      if (matches != 1) return display;
      candidate = resolved + "/" + match;
    }
    resolved = candidate;
  }
  return resolved;
}

std::optional<std::string> LocalPathOfUri(const std::string& uri) {
  constexpr size_t kSchemeLength = 7;  // "file://"
  if (uri.size() < kSchemeLength || ::strncasecmp(uri.c_str(), "file://", kSchemeLength) != 0)
    return std::nullopt;
  const size_t slash = uri.find('/', kSchemeLength);
  if (slash == std::string::npos) return std::nullopt;
  const std::string host = uri.substr(kSchemeLength, slash - kSchemeLength);
  if (!host.empty() && ::strcasecmp(host.c_str(), "localhost") != 0) return std::nullopt;
  std::string path;
  for (size_t i = slash; i < uri.size() && uri[i] != '?' && uri[i] != '#'; ++i) {
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    if (i + 2 >= uri.size() || !std::isxdigit(static_cast<unsigned char>(uri[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(uri[i + 2])))
      return std::nullopt;
    const char byte = static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
    if (byte == '\0') return std::nullopt;
    path += byte;
    i += 2;
  }
  return path;
}

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  buffer.resize(n > 0 && static_cast<size_t>(n) < buffer.size() ? static_cast<size_t>(n) : 0);
  return buffer;
}

std::string ExecutableDirectory() {
  const std::string exe = ExecutablePath();
  return exe.empty() ? "." : ParentFolder(exe);
}

std::string CurrentDirectory() {
  char* cwd = ::getcwd(nullptr, 0);  // as long as it needs to be
  std::string path = cwd != nullptr ? cwd : "";
  std::free(cwd);
  return path;
}

}  // namespace corvane

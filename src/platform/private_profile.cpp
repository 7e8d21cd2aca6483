#include "platform/private_profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <random>
#include <thread>

#include "platform/entry_id.h"
#include "platform/file_ops.h"
#include "platform/held_fd.h"
#include "platform/path_text.h"
#include "platform/text.h"
#include "platform/trusted_folder.h"

namespace corvane {

namespace {

ProfileRenameHook g_renameHook = nullptr;
ProfileReadHook g_readHook = nullptr;
ProfileSyncCall g_sync = &::fsync;

// Blanks, and the '\r' that a CRLF file leaves at the end of each line.
std::string_view TrimIniBlanks(std::string_view s) {
  auto blank = [](char c) { return IsBlank(c) || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Where a lookup found things, as byte offsets into the file's content.
struct Lookup {
  bool sectionFound = false;
  bool keyFound = false;
  size_t valueBegin = 0;  // the value, blanks around it excluded
  size_t valueEnd = 0;
  size_t lineContentEnd = 0;  // end of the key's line before its line end
  size_t insertAt = 0;        // where a new key line of the section goes
};

// One pass over the lines. The first section with the wanted name counts, and
// within it the first line holding the key.
Lookup Find(std::string_view content, std::string_view section, std::string_view key) {
  Lookup found;
  bool inSection = false;
  size_t pos = 0;
  // A byte order mark is not part of the first line.
  if (content.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < content.size()) {
    size_t newline = content.find('\n', pos);
    size_t end = newline == std::string_view::npos ? content.size() : newline + 1;
    std::string_view raw =
        content.substr(pos, (newline == std::string_view::npos ? end : newline) - pos);
    std::string_view line = TrimIniBlanks(raw);
    size_t lineStart = pos;
    pos = end;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    // A line holding NUL bytes is not text: it names no section and no key,
    // but a header of any kind still ends the section before it.
    bool text = line.find('\0') == std::string_view::npos;
    if (line.front() == '[') {
      if (inSection) break;
      size_t close = line.find(']');
      // A header without its closing bracket starts a section nobody can name.
      if (text && close != std::string_view::npos &&
          SameName(TrimIniBlanks(line.substr(1, close - 1)), section)) {
        inSection = true;
        found.sectionFound = true;
        found.insertAt = end;
      }
      continue;
    }
    if (!inSection || !text) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = TrimIniBlanks(line.substr(0, eq));
    if (name.empty()) continue;
    found.insertAt = end;
    if (found.keyFound || !SameName(name, key)) continue;
    found.keyFound = true;
    size_t lineOffset = static_cast<size_t>(line.data() - content.data());
    std::string_view value = TrimIniBlanks(line.substr(eq + 1));
    found.valueBegin =
        value.empty() ? lineOffset + eq + 1 : static_cast<size_t>(value.data() - content.data());
    found.valueEnd = found.valueBegin + value.size();
    found.lineContentEnd = lineStart + raw.size();
    if (!raw.empty() && raw.back() == '\r') --found.lineContentEnd;
  }
  return found;
}

enum class IniFileState { Missing, Regular, Unusable };

struct FileRead {
  IniFileState state = IniFileState::Unusable;
  std::string content;
  struct stat info {};
  bool tooLarge = false;
};

// The folder that holds the settings file, held open: every step of a write
// goes through it, so whatever happens to the folder's path meanwhile, the
// file is read and replaced in the folder that was opened.
class Folder {
 public:
  // Root takes only a folder no one else can change, so that a co-user's
  // link can never lead what root writes elsewhere.
  explicit Folder(const std::string& path)
      : path_(ParentFolder(path)), base_(SplitAtLastSlash(path).name) {
    if (path.empty() || base_.empty()) return;
    fd_ = HeldFd(::geteuid() == 0 ? OpenTrustedFolder(path_, false).fd
                                  : ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }
  // The file's name in the folder.
  const char* base() const { return base_.c_str(); }

 private:
  std::string path_;
  std::string base_;
  HeldFd fd_;
};

// Reads at most `limit` bytes of the regular file in `folder`. Never follows a
// symbolic link and never opens anything but a regular file, so a FIFO or a
// device at the path cannot block or be disturbed.
FileRead ReadRegularFile(const Folder& folder, size_t limit) {
  FileRead result;
  if (folder.fd() < 0) return result;
  if (::fstatat(folder.fd(), folder.base(), &result.info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) result.state = IniFileState::Missing;
    return result;
  }
  if (!S_ISREG(result.info.st_mode)) return result;
  const HeldFd fd(
      ::openat(folder.fd(), folder.base(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &result.info) != 0 || !S_ISREG(result.info.st_mode))
    return result;
  std::string data;
  char chunk[65536];
  bool failed = false;
  while (data.size() <= limit) {
    ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    data.append(chunk, static_cast<size_t>(n));
  }
  if (failed) return result;
  if (data.size() > limit) {
    result.tooLarge = true;
    data.resize(limit);
  }
  result.state = IniFileState::Regular;
  result.content = std::move(data);
  return result;
}

std::string FileContentForReading(const std::string& path) {
  FileRead file = ReadRegularFile(Folder(path), kProfileSizeLimit);
  if (file.state != IniFileState::Regular) return {};
  // The last line of a cut file may be incomplete: leave it out.
  if (file.tooLarge) file.content.resize(file.content.rfind('\n') + 1);
  return std::move(file.content);
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A name or value that could not be read back as given is refused.
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
    return false;
  if (section.find(']') != std::string_view::npos) return false;
  key = TrimIniBlanks(key);
  return !key.empty() && key.find('=') == std::string_view::npos && key.front() != '[' &&
         key.front() != ';' && key.front() != '#';
}

// True when the last line of `text`, which ends with a line break, is blank.
bool EndsWithBlankLine(std::string_view text) {
  size_t lastBreak = text.size() - 1;
  size_t start = lastBreak == 0 ? std::string_view::npos : text.rfind('\n', lastBreak - 1);
  start = start == std::string_view::npos ? 0 : start + 1;
  return TrimIniBlanks(text.substr(start, lastBreak - start)).empty();
}

std::string NewContent(const std::string& old, std::string_view section, std::string_view key,
                       std::string_view value) {
  Lookup found = Find(old, section, key);
  if (found.keyFound) {
    return old.substr(0, found.valueBegin) + std::string(value) + old.substr(found.lineContentEnd);
  }
  // New lines take the file's own line ends.
  size_t firstBreak = old.find('\n');
  std::string eol = firstBreak != std::string::npos && firstBreak > 0 && old[firstBreak - 1] == '\r'
                        ? "\r\n"
                        : "\n";
  std::string entry = std::string(key) + "=" + std::string(value) + eol;
  if (found.sectionFound) {
    std::string before = old.substr(0, found.insertAt);
    if (!before.empty() && before.back() != '\n') before += eol;
    return before + entry + old.substr(found.insertAt);
  }
  std::string result = old;
  if (!result.empty() && result.back() != '\n') result += eol;
  // A blank line between the last section and the new one.
  if (!result.empty() && !EndsWithBlankLine(result)) result += eol;
  return result + "[" + std::string(section) + "]" + eol + entry;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Creates a new file beside the settings file whose name no one else uses.
int CreateTemporary(const Folder& folder, std::string& tempName) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = "." + std::string(folder.base()) + ".tmp-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + "-" + std::to_string(random() % 1000000);
    int fd = ::openat(folder.fd(), tempName.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// An exclusive lock shared by every writer of the settings file, held while
// this lives, so that two programs writing settings take turns. It is taken on
// the folder that holds the file, which stays the same while the file itself
// is replaced at every write and may not exist yet; only where that folder
// cannot be opened or locked is the file itself locked. Waits while another holds it,
// for a few seconds at most: a write never goes on unlocked.
class FileLock {
 public:
  explicit FileLock(const Folder& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Try(folder) && errno == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return fd_.get() >= 0; }

 private:
  // One attempt; on failure errno is EWOULDBLOCK when another may hold it.
  bool Try(const Folder& folder) {
    if (!onFile_) {
      // Opened afresh, not duplicated: the lock ends when this one closes.
      fd_ = HeldFd(::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (fd_.get() >= 0 && ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) return true;
      // A folder that cannot be opened or locked (NFS locks only what is
      // open for writing): the file itself, created if need be.
      onFile_ = fd_.get() < 0 || errno != EWOULDBLOCK;
      Release();
      if (!onFile_) return false;
    }
    int fd = ::openat(folder.fd(), folder.base(),
                      O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
      fd = ::openat(folder.fd(), folder.base(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    fd_ = HeldFd(fd);
    if (fd < 0) return false;
    struct stat locked {};
    struct stat current {};
    if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) {
      Release();
      errno = EINVAL;
      return false;
    }
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    // A file replaced while we locked it is locked afresh at the next try.
    if (held && !(::fstatat(folder.fd(), folder.base(), &current, AT_SYMLINK_NOFOLLOW) == 0 &&
                  SameEntry(StatIdentity(locked), StatIdentity(current)))) {
      held = false;
      errno = EWOULDBLOCK;
    }
    if (!held) Release();
    return held;
  }

  void Release() {
    const int saved = errno;
    fd_ = HeldFd();
    errno = saved;
  }

  HeldFd fd_;
  bool onFile_ = false;
};

// Rewrites the content of the file `old` describes where it is. This is for a
// folder that refuses new files, where the replacement in one step is
// impossible; it is not atomic: a crash or a full disk in the middle can leave
// the file half written. Other instances of the program are kept out by the
// lock.
bool OverwriteInPlace(const Folder& folder, const std::string& content, const struct stat& old) {
  int fd = ::openat(folder.fd(), folder.base(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat now {};
  bool ok = ::fstat(fd, &now) == 0 && S_ISREG(now.st_mode) &&
            SameEntry(StatIdentity(old), StatIdentity(now));
  ok = ok && WriteAll(fd, content) && ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 &&
       g_sync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  return ok;
}

// Replaces the file in `folder` with `content` in one step. `old` describes
// the file being replaced, when there is one.
bool ReplaceFile(const Folder& folder, const std::string& content, const struct stat* old) {
  std::string tempName;
  int fd = CreateTemporary(folder, tempName);
  if (fd < 0)
    return old != nullptr && (errno == EACCES || errno == EPERM) &&
           OverwriteInPlace(folder, content, *old);
  bool ok = true;
  if (old != nullptr) {
    mode_t mode = old->st_mode & 07777;
    // What root writes stays root's alone: no owner, group or other user is
    // given it or the right to change it.
    if (::geteuid() == 0) mode &= ~(S_ISUID | S_ISGID | S_IWGRP | S_IWOTH);
    ok = ::fchmod(fd, mode) == 0;
    // Keeping the owner works only with the right to; a file we cannot give
    // back to its owner is still ours to write.
    struct stat mine {};
    if (ok && ::geteuid() != 0 && ::fstat(fd, &mine) == 0 &&
        (mine.st_uid != old->st_uid || mine.st_gid != old->st_gid))
      (void)::fchown(fd, old->st_uid, old->st_gid);
  }
  ok = ok && WriteAll(fd, content) && g_sync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && g_renameHook != nullptr) ok = g_renameHook(JoinPath(folder.path(), tempName));
  if (ok) ok = ::renameat(folder.fd(), tempName.c_str(), folder.fd(), folder.base()) == 0;
  if (!ok) {
    ::unlinkat(folder.fd(), tempName.c_str(), 0);
    return false;
  }
  ::fsync(folder.fd());
  return true;
}

// Bytes of the character at `pos`: a whole UTF-8 sequence, or 1 for a byte
// that starts none. Counting and cutting both go by this, so they agree even
// on text that is not UTF-8.
size_t CharLength(std::string_view text, size_t pos) {
  return std::max<size_t>(1, Utf8SequenceLength(text, pos));
}

}  // namespace

size_t Utf8CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) ++count;
  return count;
}

size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& fallback, std::string& out, size_t capacity,
                               const std::string& path) {
  out.clear();
  std::string content = FileContentForReading(path);
  Lookup found = Find(content, TrimIniBlanks(section), TrimIniBlanks(key));
  std::string_view value = fallback;
  if (found.keyFound)
    value = std::string_view(content).substr(found.valueBegin, found.valueEnd - found.valueBegin);
  if (capacity == 0) return 0;
  // Cut before the character that would exceed the capacity, never inside one.
  size_t count = 0;
  size_t end = 0;
  for (; end < value.size() && count + 1 < capacity; ++count) end += CharLength(value, end);
  out.assign(value.substr(0, end));
  return count;
}

int WritePrivateProfileString(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& path) {
  if (path.empty() || !Writable(section, key, value)) return 0;
  Folder folder(path);
  if (folder.fd() < 0) return 0;
  FileLock lock(folder);
  if (!lock.Held()) return 0;
  FileRead file = ReadRegularFile(folder, kProfileSizeLimit);
  if (file.state == IniFileState::Unusable || file.tooLarge) return 0;
  if (g_readHook != nullptr) g_readHook(path);
  bool exists = file.state == IniFileState::Regular;
  // A read-only settings file stays as it is.
  if (exists && IsReadOnly(file.info.st_mode)) return 0;
  std::string updated =
      NewContent(file.content, TrimIniBlanks(section), TrimIniBlanks(key), TrimIniBlanks(value));
  if (exists && updated == file.content) return 1;
  return ReplaceFile(folder, updated, exists ? &file.info : nullptr) ? 1 : 0;
}

void SetProfileRenameHookForTesting(ProfileRenameHook hook) {
  g_renameHook = hook;
}

void SetProfileReadHookForTesting(ProfileReadHook hook) {
  g_readHook = hook;
}

void SetProfileSyncForTesting(ProfileSyncCall sync) {
  g_sync = sync != nullptr ? sync : &::fsync;
}

}  // namespace corvane

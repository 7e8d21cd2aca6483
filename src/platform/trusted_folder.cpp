#include "platform/trusted_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

#include "platform/held_fd.h"
#include "platform/own_links.h"
#include "platform/path_text.h"
#include "platform/paths.h"

namespace corvane {

namespace {

// Why the folder open as `fd` could be changed by someone else, or "" when it
// cannot. A sticky folder still lets others add names, so the folder reached
// must be writable by no one else.
std::string Untrusted(int fd, uid_t user, bool reached) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::strerror(errno);
  if (st.st_uid != 0 && st.st_uid != user) return "owned by user " + std::to_string(st.st_uid);
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (reached || (st.st_mode & S_ISVTX) == 0))
    return "writable by others";
  return "";
}

}  // namespace

TrustedFolder OpenTrustedFolder(const std::string& path, bool create) {
  TrustedFolder result;
  const uid_t user = ::geteuid();
  std::deque<std::string> rest;
  // A relative path with no current folder to take it from names no folder at
  // all: refused, or "/" would be opened in its place.
  const std::string cwd = IsAbsolutePath(path) ? "/" : CurrentDirectory();
  if (cwd.empty()) {
    result.folder = path;
    result.reason = "the current folder cannot be read";
    return result;
  }
  PushComponents(AbsolutePath(path, cwd), rest);
  std::string walked = "/";  // the folder reached, to name it
  HeldFd current(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  std::string why =
      current.get() < 0 ? std::strerror(errno) : Untrusted(current.get(), user, false);
  int links = 0;
  while (why.empty() && !rest.empty()) {
    const std::string name = std::move(rest.front());
    rest.pop_front();
    if (name == ".") continue;
    const std::string shown = name == ".." ? ParentFolder(walked) : JoinPath(walked, name);
    HeldFd next(::openat(current.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    // Made only here, in a folder already found safe; a name someone else
    // put there first is judged like any other.
    if (next.get() < 0 && errno == ENOENT && create &&
        ::mkdirat(current.get(), name.c_str(), 0700) == 0)
      next = HeldFd(::openat(current.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (next.get() < 0 || ::fstat(next.get(), &st) != 0) {
      why = std::strerror(errno);
      walked = shown;
    } else if (S_ISLNK(st.st_mode)) {
      std::string target = LinkTarget(next.get());
      if (st.st_uid != 0 && st.st_uid != user)
        why = "a link owned by user " + std::to_string(st.st_uid);
      else if (++links > kMaxLinks || target.empty())
        why = std::strerror(target.empty() ? ENOENT : ELOOP);
      if (!why.empty()) {
        walked = shown;
      } else if (IsAbsolutePath(target)) {
        current = HeldFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        walked = "/";
        why = current.get() < 0 ? std::strerror(errno) : Untrusted(current.get(), user, false);
      }
      if (why.empty()) PushComponents(target, rest);
    } else if (!S_ISDIR(st.st_mode)) {
      why = "not a folder";
      walked = shown;
    } else {
      current = std::move(next);
      walked = shown;
      why = Untrusted(current.get(), user, false);
    }
  }
  if (why.empty()) why = Untrusted(current.get(), user, true);
  if (why.empty()) {
    result.fd = ::openat(current.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (result.fd < 0) why = std::strerror(errno);
  }
  if (!why.empty()) {
    result.folder = walked;
    result.reason = why;
  }
  return result;
}

}  // namespace corvane

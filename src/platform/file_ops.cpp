#include "platform/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace corvane {

bool EntryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool IsSymbolicLink(const std::string& path) {
  // A trailing "/" would make lstat look through the link.
  std::string own = path;
  while (own.size() > 1 && own.back() == '/') own.pop_back();
  struct stat st {};
  return !own.empty() && ::lstat(own.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

WritableFile WritableFile::OpenExisting(const std::string& path) {
  struct stat st {};
  // Look before opening: opening a FIFO could block and opening a device has
  // side effects of its own.
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return {};
  if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return {};
  int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  // The entry may have been swapped between the look and the open.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
    ::close(fd);
    return {};
  }
  return WritableFile(fd, static_cast<int64_t>(st.st_size));
}

WritableFile::~WritableFile() {
  Close();
}

WritableFile::WritableFile(WritableFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

WritableFile& WritableFile::operator=(WritableFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

bool WritableFile::WriteAt(const void* data, size_t length, int64_t offset) {
  if (fd_ < 0) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    ssize_t n = ::pwrite(fd_, p, length, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool WritableFile::Append(const void* data, size_t length) {
  if (!WriteAt(data, length, size_)) return false;
  size_ += static_cast<int64_t>(length);
  return true;
}

bool WritableFile::Flush() {
  return fd_ >= 0 && ::fdatasync(fd_) == 0;
}

bool WritableFile::Truncate() {
  if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) return false;
  size_ = 0;
  return true;
}

bool WritableFile::Close() {
  if (fd_ < 0) return false;
  int rc = ::close(std::exchange(fd_, -1));
  return rc == 0;
}

bool DeleteEntry(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return false;
  return ::unlink(path.c_str()) == 0;
}

bool RemoveEmptyDirectory(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return ::rmdir(path.c_str()) == 0;
}

}  // namespace corvane

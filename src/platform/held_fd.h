#pragma once
// A descriptor that closes itself. A copy holds a duplicate: the same open
// file, never the same path looked up again.
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace corvane {

class HeldFd {
 public:
  HeldFd() = default;
  explicit HeldFd(int fd) : fd_(fd) {}
  HeldFd(const HeldFd& other) : fd_(other.fd_ < 0 ? -1 : ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0)) {}
  HeldFd(HeldFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  HeldFd& operator=(HeldFd other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~HeldFd() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  // Hands the descriptor over: the caller closes it.
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace corvane

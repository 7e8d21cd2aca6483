#pragma once
// The calls that put new content into a file and wait for it to reach the
// device. The engine makes them through this class so that a test can count,
// slow down or fail them; the defaults are the plain system calls.
#include <sys/types.h>

#include <cstddef>

namespace corvane {

class ShredIo {
 public:
  virtual ~ShredIo() = default;
  // Like pwrite: bytes written, or -1 with errno set.
  virtual ssize_t Write(int fd, const void* data, size_t size, off_t offset);
  // Waits until the file's data is on the device. 0 or errno.
  virtual int SyncFile(int fd);
  // Waits until everything written on the file system holding `fd` is on the
  // device, other file systems untouched. 0 or errno.
  virtual int SyncFileSystem(int fd);
  // Starts writing [offset, offset + size) back; with `wait`, returns once it
  // is written. Only paces a long write: it promises nothing about the device.
  virtual void Writeback(int fd, off_t offset, off_t size, bool wait);
};

}  // namespace corvane

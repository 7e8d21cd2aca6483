#include "shred/core/shred_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {

ssize_t ShredIo::Write(int fd, const void* data, size_t size, off_t offset) {
  return ::pwrite(fd, data, size, offset);
}

int ShredIo::SyncFile(int fd) {
  return ::fdatasync(fd) == 0 ? 0 : errno;
}

int ShredIo::SyncFileSystem(int fd) {
  return ::syncfs(fd) == 0 ? 0 : errno;
}

void ShredIo::Writeback(int fd, off_t offset, off_t size, bool wait) {
  const unsigned flags =
      wait ? SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER
           : SYNC_FILE_RANGE_WRITE;
  ::sync_file_range(fd, offset, size, flags);  // a hint: the sync that follows decides
}

}  // namespace corvane

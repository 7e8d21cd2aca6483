#pragma once
// File operations for the shred engine. Nothing here follows a symbolic link,
// blocks on a FIFO, or writes to anything but a regular file. A read-only entry
// (owner write bit clear) is refused by the overwrite and by the delete, even
// for root, so that it survives.
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

// True when `path` names an entry of any kind (a dangling symlink included).
bool EntryExists(const std::string& path);

// True when `path` itself is a symbolic link.
bool IsSymbolicLink(const std::string& path);

// True when `path` itself (not a link's target) is a regular file.
bool IsRegularFile(const std::string& path);

// A regular file opened for writing in place. Move-only; closes on destruction.
class WritableFile {
 public:
  // Opens an existing regular, writable file without truncating it. Returns an
  // object that is not open() when the entry is missing, is not a regular file
  // (symlink, FIFO, socket, device, directory) or is read-only.
  static WritableFile OpenExisting(const std::string& path);

  WritableFile() = default;
  ~WritableFile();
  WritableFile(WritableFile&& other) noexcept;
  WritableFile& operator=(WritableFile&& other) noexcept;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;

  bool open() const { return fd_ >= 0; }
  int64_t size() const { return size_; }
  // Writes all of `data` at `offset`, retrying short writes.
  bool WriteAt(const void* data, size_t length, int64_t offset);
  // Appends at the current end (after Truncate, at 0).
  bool Append(const void* data, size_t length);
  // Forces the written data to the device.
  bool Flush();
  bool Truncate();
  bool Close();

 private:
  explicit WritableFile(int fd, int64_t size) : fd_(fd), size_(size) {}
  int fd_ = -1;
  int64_t size_ = 0;
};

// Removes a file-system entry that is not a directory; a symbolic link is
// removed as a link and its target is left alone. Refuses read-only entries.
bool DeleteEntry(const std::string& path);

// Removes an empty directory (never a symlink to one).
bool RemoveEmptyDirectory(const std::string& path);

}  // namespace corvane

#pragma once
// Overwrites the free space of one file system: one unnamed file is filled
// with unpredictable data until the disk is full, forced to the device and
// released. The file never has a name that could outlive the process, so an
// abort, a crash or a kill gives the space back and leaves nothing behind.
//
// Where a write goes to a new place (copy-on-write, log-structured), this is
// what reaches the old blocks of destroyed files: they are free space now.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/held_fd.h"

namespace corvane {

// The file system to fill, as the caller found it. The folder stays open from
// the check to the fill: a name swapped meanwhile cannot send the fill, or
// its report, elsewhere.
struct FillTarget {
  HeldFd folder;           // a folder on it that the fill may write in
  dev_t device = 0;        // the device it was checked on
  std::string mountPoint;  // for the report
  std::string fileSystem;  // its type name, "btrfs", "ext4"...; "" when unknown
};

// The space of the file system holding `fd`, whose type name is `fileSystem`:
// what this process may fill, and the part of the rest kept for root.
struct FreeSpace {
  bool known = false;  // the file system could be asked
  bool readOnly = false;
  uint64_t usable = 0;
  uint64_t reserved = 0;
  uint64_t block = 4096;
};
FreeSpace FreeSpaceOf(int fd, const std::string& fileSystem);

// How written data is pushed to the disk while the fill runs, so that the
// page cache never fills up with it.
enum class FlushMode {
  kPeriodicSync,  // fdatasync whenever the disk has a tenth of a second's worth
  kWriteBehind,   // start each chunk's write-back at once, wait for older ones
};

enum class FillEnd {
  kFull,       // written until the disk was full, forced to the device
  kAborted,    // the caller asked to stop
  kEarlyFull,  // the disk filled while much of the free space was never written
  kFailed,     // could not start, or a write failed
  kChanged,    // the folder is not on the device it was checked on: nothing written
};

struct FillReport {
  FillEnd end = FillEnd::kFailed;
  int error = 0;            // errno of the failure, when there was one
  uint64_t freeBefore = 0;  // bytes free to this user when the fill started
  uint64_t written = 0;     // bytes written into the free space
  uint64_t reserved = 0;    // bytes kept for root, out of this user's reach
  uint64_t leftFree = 0;    // bytes still free to this user when the disk was full
  double seconds = 0;       // the fill's duration, release included
  bool trimAsked = false;   // a trim was tried after the release
  bool trimmed = false;     // ... and the device took it
  int trimError = 0;
};

class FreeSpaceFill {
 public:
  struct Options {
    // Measured on ext4 images: the periodic sync is faster and keeps less in
    // the cache (write-behind never flushes a loop device's backing file).
    FlushMode flush = FlushMode::kPeriodicSync;
    // Trim the free space after the release (only root may).
    bool trim = false;
  };

  // `goOn` runs after every chunk with the bytes written so far and the free
  // space at the start; returning false aborts.
  FreeSpaceFill(FillTarget target, Options options,
                std::function<bool(uint64_t written, uint64_t freeBefore)> goOn = {});

  FillReport Run();

  static constexpr size_t kChunkSize = size_t{8} << 20;
  // Write-behind: chunks written but not yet waited for.
  static constexpr int kChunksInFlight = 2;

 private:
  struct Fill;
  FillTarget target_;
  Options options_;
  std::function<bool(uint64_t, uint64_t)> goOn_;
};

// For file systems without unnamed files (ntfs3, hfsplus, jfs): a file made
// in a private folder of its own inside `folder`, its name and the private
// folder removed at once. Only what it made itself is ever removed. Returns
// the file's descriptor, or -1 with `error` set. `step`, for tests, runs once
// the private folder (named `privateName` in `folder`) is made and once the
// file is.
enum class NamedFillStep { kFolderMade, kFileMade };
int OpenNamedThenUnlinked(
    int folder, int& error,
    const std::function<void(NamedFillStep, const std::string& privateName)>& step = {});

}  // namespace corvane

#include "shred/core/free_space_fill.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <utility>

#include "shred/core/pattern_source.h"

namespace corvane {

namespace {

int OpenUnnamed(int dirfd, int& error) {
  int fd = ::openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    error = errno;
    return -1;
  }
  return OpenNamedThenUnlinked(dirfd, error);
}

// Whether `name` in `folder` still names the object open at `fd`.
bool StillNamed(int fd, int folder, const char* name) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Removes the private folder `name` in `folder` when it is still the one open
// at `own`.
void RemoveOwnFolder(int folder, const std::string& name, int own) {
  if (StillNamed(own, folder, name.c_str())) ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
}

std::string RandomName() {
  unsigned char bytes[8] = {};
  if (::getrandom(bytes, sizeof bytes, 0) != sizeof bytes) return {};
  std::string name = ".corvane-free-space-";
  for (unsigned char byte : bytes) {
    name += "0123456789abcdef"[byte >> 4];
    name += "0123456789abcdef"[byte & 15];
  }
  return name;
}

}  // namespace

FreeSpace FreeSpaceOf(int fd, const std::string& fileSystem) {
  struct statvfs fs {};
  FreeSpace space;
  if (::fstatvfs(fd, &fs) != 0) return space;
  // On btrfs the gap between free and available is the file system's own
  // bookkeeping, which root cannot write into either; elsewhere it is root's.
  const bool btrfs = fileSystem == "btrfs";
  const uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
  const uint64_t gap = fs.f_bfree > fs.f_bavail ? fs.f_bfree - fs.f_bavail : 0;
  const bool root = ::geteuid() == 0;
  space.known = true;
  space.readOnly = (fs.f_flag & ST_RDONLY) != 0;
  space.usable = (root && !btrfs ? fs.f_bfree : fs.f_bavail) * unit;
  space.reserved = root || btrfs ? 0 : gap * unit;
  space.block = std::max<uint64_t>(fs.f_bsize, 512);
  return space;
}

// One run: the files holding the fill (more than one only where a file's
// size is limited) and the ranges still being written back.
struct FreeSpaceFill::Fill {
  struct Range {
    int fd;
    off_t offset;
    off_t length;
  };

  ~Fill() { Release(); }

  void Release() {
    fds.clear();
    pending.clear();
  }

  // Pushes a written range towards the disk; 0 or errno.
  int Flush(FlushMode mode, Range range) {
    if (mode == FlushMode::kPeriodicSync) {
      unsynced += static_cast<uint64_t>(range.length);
      if (unsynced < budget) return 0;
      const auto start = std::chrono::steady_clock::now();
      if (::fdatasync(range.fd) != 0) return errno;
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      // What this disk takes in a tenth of a second: an Abort never waits
      // long for the sync under way, and memory stays flat.
      budget = std::clamp<uint64_t>(static_cast<uint64_t>(unsynced / std::max(seconds, 1e-3) / 10),
                                    kMinSyncBytes, kMaxSyncBytes);
      unsynced = 0;
      ::posix_fadvise(range.fd, 0, 0, POSIX_FADV_DONTNEED);
      return 0;
    }
    if (::sync_file_range(range.fd, range.offset, range.length, SYNC_FILE_RANGE_WRITE) != 0)
      return errno;
    pending.push_back(range);
    while (pending.size() > kChunksInFlight) {
      Range old = pending.front();
      pending.pop_front();
      if (::sync_file_range(old.fd, old.offset, old.length,
                            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                SYNC_FILE_RANGE_WAIT_AFTER) != 0)
        return errno;
      // Written and on the disk: the cache need not keep it.
      ::posix_fadvise(old.fd, old.offset, old.length, POSIX_FADV_DONTNEED);
    }
    return 0;
  }

  static constexpr uint64_t kMinSyncBytes = uint64_t{1} << 20;
  static constexpr uint64_t kMaxSyncBytes = uint64_t{64} << 20;

  std::vector<HeldFd> fds;
  std::deque<Range> pending;
  uint64_t unsynced = 0;
  uint64_t budget = uint64_t{16} << 20;  // bytes between two syncs
};

FreeSpaceFill::FreeSpaceFill(FillTarget target, Options options,
                             std::function<bool(uint64_t, uint64_t)> goOn)
    : target_(std::move(target)), options_(options), goOn_(std::move(goOn)) {}

FillReport FreeSpaceFill::Run() {
  FillReport report;
  const auto start = std::chrono::steady_clock::now();
  auto finish = [&](FillEnd end, int error = 0) {
    report.end = end;
    if (error != 0) report.error = error;
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return report;
  };

  // The folder was held open since it was checked; the device it is on now
  // must be the one checked, which the question and the report name.
  const int dirfd = target_.folder.get();
  struct stat st {};
  if (dirfd < 0 || ::fstat(dirfd, &st) != 0) return finish(FillEnd::kFailed, EBADF);
  if (!S_ISDIR(st.st_mode) || st.st_dev != target_.device) return finish(FillEnd::kChanged);

  // The blocks of files deleted a moment ago are free only once the
  // transaction that freed them is on the disk (btrfs, and ext4's journal).
  ::syncfs(dirfd);
  const FreeSpace space = FreeSpaceOf(dirfd, target_.fileSystem);
  report.freeBefore = space.usable;
  report.reserved = space.reserved;

  std::unique_ptr<PatternSource> pattern;
  try {
    pattern = std::make_unique<PatternSource>();
  } catch (const std::exception&) {
    return finish(FillEnd::kFailed, EIO);
  }
  Fill fill;
  int error = 0;
  int fd = OpenUnnamed(dirfd, error);
  if (fd < 0) return finish(FillEnd::kFailed, error);
  fill.fds.emplace_back(fd);

  std::vector<unsigned char> buffer(kChunkSize);
  size_t chunk = kChunkSize;
  off_t offset = 0;
  bool full = false;
  while (!full) {
    const size_t length =
        options_.flush == FlushMode::kPeriodicSync ? std::min<size_t>(chunk, fill.budget) : chunk;
    pattern->Fill(buffer.data(), length);
    ssize_t n = ::pwrite(fd, buffer.data(), length, offset);
    if (n > 0) {
      if (int failure = fill.Flush(options_.flush, {fd, offset, n}); failure != 0)
        return finish(FillEnd::kFailed, failure);
      offset += n;
      report.written += static_cast<uint64_t>(n);
      if (goOn_ && !goOn_(report.written, report.freeBefore)) {
        fill.Release();
        return finish(FillEnd::kAborted);
      }
      continue;
    }
    const int failure = n == 0 ? EIO : errno;
    if (failure == EINTR) continue;
    if (failure == ENOSPC || failure == EDQUOT) {
      // Ever smaller chunks reach the last blocks.
      if (chunk > space.block) {
        chunk = std::max<size_t>(space.block, chunk / 2 / space.block * space.block);
      } else {
        full = true;
        if (failure == EDQUOT) report.error = EDQUOT;
      }
      continue;
    }
    if (failure == EFBIG) {
      // This file system limits a file's size: go on in another one.
      fd = OpenUnnamed(dirfd, error);
      if (fd < 0) return finish(FillEnd::kFailed, error);
      fill.fds.emplace_back(fd);
      offset = 0;
      continue;
    }
    return finish(FillEnd::kFailed, failure);
  }
  for (const HeldFd& held : fill.fds) {
    if (::fdatasync(held.get()) != 0) return finish(FillEnd::kFailed, errno);
  }
  report.leftFree = FreeSpaceOf(dirfd, target_.fileSystem).usable;
  fill.Release();

  if (options_.trim) {
    // The released blocks must be free on the disk before they can be trimmed.
    ::syncfs(dirfd);
    report.trimAsked = true;
    struct fstrim_range range {};
    range.len = UINT64_MAX;
    report.trimmed = ::ioctl(dirfd, FITRIM, &range) == 0;
    if (!report.trimmed) report.trimError = errno;
  }
  // Much left free when the disk said it was full: another program took the
  // space, or a quota ended the fill.
  const uint64_t slack = std::max<uint64_t>(report.freeBefore / 50, uint64_t{32} << 20);
  if (report.error == EDQUOT || report.leftFree > slack) return finish(FillEnd::kEarlyFull);
  return finish(FillEnd::kFull);
}

int OpenNamedThenUnlinked(
    int folder, int& error,
    const std::function<void(NamedFillStep, const std::string& privateName)>& step) {
  // The folder may be writable by others: everything happens in a folder of
  // this process's own, reached through its descriptor, never by a path.
  std::string name;
  for (int tries = 0; tries < 8 && name.empty(); ++tries) {
    name = RandomName();
    if (name.empty() || ::mkdirat(folder, name.c_str(), 0700) != 0) {
      error = name.empty() ? EIO : errno;
      if (error != EEXIST) return -1;
      name.clear();
    }
  }
  if (name.empty()) return -1;
  HeldFd own(::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat made {};
  if (own.get() < 0 || ::fstat(own.get(), &made) != 0 || made.st_uid != ::geteuid() ||
      (made.st_mode & 077) != 0) {
    // Not the folder made a moment ago: leave it.
    error = own.get() < 0 ? errno : EEXIST;
    return -1;
  }
  if (step) step(NamedFillStep::kFolderMade, name);
  HeldFd fd(
      ::openat(own.get(), "fill", O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) {
    error = errno;
    RemoveOwnFolder(folder, name, own.get());
    return -1;
  }
  if (step) step(NamedFillStep::kFileMade, name);
  const bool same = StillNamed(fd.get(), own.get(), "fill");
  if (same && ::unlinkat(own.get(), "fill", 0) == 0) {
    RemoveOwnFolder(folder, name, own.get());
    return fd.release();
  }
  // The file would keep a name past the process: no fill in it.
  error = same ? errno : EEXIST;
  RemoveOwnFolder(folder, name, own.get());
  return -1;
}

}  // namespace corvane

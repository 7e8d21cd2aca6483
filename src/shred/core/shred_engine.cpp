#include "shred/core/shred_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <utility>

namespace corvane {

namespace {
bool ReadOnly(const struct stat& st) {
  return !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

SurvivalReason ReasonOfAccess(int error) {
  return error == EACCES || error == EPERM ? SurvivalReason::kPermissionDenied
                                           : SurvivalReason::kOther;
}
}  // namespace

ShredEngine::ShredEngine(std::function<void()> between_chunks)
    : between_chunks_(std::move(between_chunks)) {}

ShredEngine::~ShredEngine() {
  CloseFile();
}

void ShredEngine::Hook(ShredStep step) {
  if (before_step) before_step(step);
}

void ShredEngine::CloseFile() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

void ShredEngine::Drop() {
  CloseFile();
  state_ = FileState::kGone;
  dirfd_ = -1;
}

FileState ShredEngine::Keep(SurvivalReason reason, int error) {
  CloseFile();
  reason_ = reason;
  error_ = error;
  return state_ = FileState::kKept;
}

void ShredEngine::Begin(int dirfd, std::string name, EntryId id, int64_t passes, bool overwrite) {
  CloseFile();
  dirfd_ = dirfd;
  name_ = std::move(name);
  id_ = id;
  passes_ = passes;
  overwrite_ = overwrite;
  state_ = FileState::kInProgress;
  reason_ = SurvivalReason::kOther;
  error_ = 0;
}

bool ShredEngine::NameStillLeadsToIt(struct stat& st) {
  if (::fstatat(dirfd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    const int failure = errno;
    if (failure == ENOENT) {
      state_ = FileState::kGone;  // nothing left to destroy under this name
    } else {
      Keep(ReasonOfAccess(failure), failure);
    }
    return false;
  }
  if (IdOf(st) != id_) {
    Keep(SurvivalReason::kChanged);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    Keep(SurvivalReason::kOther, EISDIR);
    return false;
  }
  if (ReadOnly(st)) {
    Keep(SurvivalReason::kReadOnly);
    return false;
  }
  return true;
}

FileState ShredEngine::Pass(int64_t pass) {
  if (state_ != FileState::kInProgress) return state_;
  if (pass == 1 && overwrite_) {
    Hook(ShredStep::kOpen);
    struct stat st {};
    if (!NameStillLeadsToIt(st)) return state_;
    if (S_ISREG(st.st_mode)) {
      // Never blocks, never follows a link, never becomes a terminal.
      fd_ = ::openat(dirfd_, name_.c_str(),
                     O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0) {
        const int failure = errno;
        return Keep(ReasonOfAccess(failure), failure);
      }
      // The check that counts is the one on the open descriptor: it cannot be
      // redirected any more.
      if (::fstat(fd_, &st) != 0 || IdOf(st) != id_ || !S_ISREG(st.st_mode))
        return Keep(SurvivalReason::kChanged);
    }
  }
  if (fd_ >= 0 && !OverwritePass()) return state_;
  if (pass < passes_) return state_;
  if (fd_ >= 0) {
    // Release the blocks before the name goes.
    Hook(ShredStep::kTruncate);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_nlink > 1) return Keep(SurvivalReason::kOtherNames);
    if (::ftruncate(fd_, 0) != 0) return Keep(SurvivalReason::kNotOverwritten, errno);
    CloseFile();
  }
  return Unlink();
}

FileState ShredEngine::Unlink() {
  Hook(ShredStep::kUnlink);
  struct stat st {};
  if (!NameStillLeadsToIt(st)) return state_;
  if (::unlinkat(dirfd_, name_.c_str(), 0) != 0) {
    const int failure = errno;
    if (failure == ENOENT) return state_ = FileState::kGone;
    return Keep(ReasonOfAccess(failure), failure);
  }
  return state_ = FileState::kGone;
}

bool ShredEngine::OverwritePass() {
  Hook(ShredStep::kOverwrite);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Keep(SurvivalReason::kNotOverwritten, errno), false;
  // Another name would keep the content reachable after ours is gone.
  if (st.st_nlink > 1) return Keep(SurvivalReason::kOtherNames), false;
  int64_t done = 0;
  int64_t size = st.st_size;
  for (int round = 0; done < size; ++round) {
    if (round > kGrowthRetries) return Keep(SurvivalReason::kChanged), false;
    if (int error = OverwriteRange(done, size); error != 0)
      return Keep(SurvivalReason::kNotOverwritten, error), false;
    // Whatever was appended meanwhile is caught up with before the name goes.
    done = size;
    if (::fstat(fd_, &st) != 0) return Keep(SurvivalReason::kNotOverwritten, errno), false;
    size = st.st_size;
  }
  if (::fdatasync(fd_) != 0) return Keep(SurvivalReason::kNotOverwritten, errno), false;
  return true;
}

int ShredEngine::OverwriteRange(int64_t from, int64_t to) {
  for (int64_t offset = from; offset < to;) {
    off_t data = ::lseek(fd_, offset, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) return 0;  // only holes remain
      if (errno != EINVAL) return errno;
      data = offset;  // no hole support: all of it is data
    }
    if (data >= to) return 0;
    off_t hole = ::lseek(fd_, data, SEEK_HOLE);
    if (hole < 0 || hole > to) hole = to;
    if (int error = WriteRegion(data, hole); error != 0) return error;
    offset = hole;
  }
  return 0;
}

int ShredEngine::WriteRegion(int64_t from, int64_t to) {
  if (!pattern_) {
    try {
      pattern_ = std::make_unique<PatternSource>();
    } catch (const std::exception&) {
      return EIO;  // no random source: nothing can be overwritten
    }
  }
  auto want = static_cast<size_t>(std::clamp<int64_t>(to - from, 4096, kChunkSize));
  if (buffer_.size() < want) buffer_.resize(want);
  for (int64_t offset = from; offset < to;) {
    size_t chunk = static_cast<size_t>(std::min<int64_t>(to - offset, buffer_.size()));
    pattern_->Fill(buffer_.data(), chunk);
    const unsigned char* p = buffer_.data();
    size_t left = chunk;
    while (left > 0) {
      ssize_t n = ::pwrite(fd_, p, left, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return EIO;
      p += n;
      left -= static_cast<size_t>(n);
      offset += n;
    }
    if (offset < to && between_chunks_) between_chunks_();
  }
  return 0;
}

}  // namespace corvane

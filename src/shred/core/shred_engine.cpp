#include "shred/core/shred_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <utility>

#include "platform/dir_cursor.h"
#include "platform/file_ops.h"
#include "platform/file_system_kind.h"

namespace corvane {

namespace {
constexpr int kStopped = -1;
}  // namespace

ShredEngine::ShredEngine(std::function<void()> between_chunks, std::function<bool()> stop)
    : between_chunks_(std::move(between_chunks)), stop_(std::move(stop)) {}

void ShredEngine::Hook(ShredStep step) {
  if (!before_step) return;
  std::lock_guard<std::mutex> lock(hook_mutex_);
  before_step(step);
}

bool ShredEngine::Breathe() {
  if (between_chunks_) between_chunks_();
  return stop_ && stop_();
}

void ShredEngine::Close(ShredFile& file) {
  if (file.fd >= 0) ::close(std::exchange(file.fd, -1));
}

void ShredEngine::Keep(ShredFile& file, SurvivalReason reason, int error) {
  Close(file);
  file.reason = reason;
  file.error = error;
  file.state = FileState::kKept;
}

bool ShredEngine::NameStillLeadsToIt(ShredFile& file, EntryInfo& st) {
  if (int failure = CheckEntry(file.dirfd, file.name.c_str(), file.id, st); failure != 0) {
    // A listing by folder entry knows the file under a mount, not the
    // mounted one its name now leads to.
    if (failure == kIdentityChanged && st.mount_root) {
      Keep(file, SurvivalReason::kOtherFileSystem);
    } else if (failure == kIdentityChanged && file.id.kind == Stamp::kBornBy &&
               st.id.dev == file.id.dev && st.id.ino == file.id.ino) {
      // Born after its listing began: a reused inode number, or the listed
      // file itself, made while its folder was being listed.
      Keep(file, SurvivalReason::kChanged);
    } else {
      Keep(file, ReasonOf(failure), failure);
    }
    return false;
  }
  // From here on the object as read: every later check compares with it.
  file.id = st.id;
  file.read = true;
  if (CrossesMount(st, file.id.dev)) {
    // A file mounted over the listed name: writes would reach the file behind
    // the mount, which was never listed.
    Keep(file, SurvivalReason::kOtherFileSystem);
    return false;
  }
  if (S_ISDIR(st.mode)) {
    Keep(file, SurvivalReason::kOther, EISDIR);
    return false;
  }
  if (IsReadOnly(st.mode)) {
    Keep(file, SurvivalReason::kReadOnly);
    return false;
  }
  return true;
}

bool ShredEngine::Open(ShredFile& file, int64_t max_size) {
  Hook(ShredStep::kOpen);
  EntryInfo st;
  if (!NameStillLeadsToIt(file, st) || !S_ISREG(st.mode)) return true;
  if (st.size > static_cast<uint64_t>(max_size)) return false;
  // A write-open would copy a lower layer's file up and overwrite only that
  // copy; the file is left as it is.
  const OverlayLayer layer = OverlayLayerOf(file.dirfd, file.name.c_str());
  if (layer == OverlayLayer::kLower) {
    Keep(file, SurvivalReason::kLowerLayer);
    return true;
  }
  const EntryId before = st.id;
  Hook(ShredStep::kOpenChecked);
  // Never blocks, never follows a link, never becomes a terminal.
  file.fd = ::openat(file.dirfd, file.name.c_str(),
                     O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file.fd < 0) {
    const int failure = errno;
    Keep(file, ReasonOf(failure, &st), failure);
    return true;
  }
  // The check that counts is the one on the open descriptor: it cannot be
  // redirected any more.
  const int failure = CheckEntry(file.fd, "", file.id, st);
  // Where the overlay could not say, the open itself may have copied the
  // file up: the same inode, born anew in the upper layer.
  if (layer == OverlayLayer::kUnknown && st.id.dev == before.dev && st.id.ino == before.ino &&
      (st.id.kind != before.kind || st.id.stamp != before.stamp)) {
    Keep(file, SurvivalReason::kLowerLayer);
    return true;
  }
  if (failure != 0 || !S_ISREG(st.mode)) {
    Keep(file, SurvivalReason::kNotFound);
    return true;
  }
  file.size = static_cast<int64_t>(st.size);
  return true;
}

bool ShredEngine::Write(ShredFile& file) {
  if (file.state != FileState::kInProgress || file.fd < 0) return true;
  Hook(ShredStep::kOverwrite);
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) return Keep(file, SurvivalReason::kNotOverwritten, errno), true;
  // Another name would keep the content reachable after ours is gone.
  if (st.st_nlink > 1) return Keep(file, SurvivalReason::kOtherNames), true;
  int64_t done = 0;
  int64_t size = st.st_size;
  paced_ = size > kInFlight;
  in_flight_.clear();
  for (int round = 0; done < size; ++round) {
    if (round > kGrowthRetries) return Keep(file, SurvivalReason::kChanged), true;
    if (int error = OverwriteRange(file, done, size); error != 0) {
      if (error == kStopped) return false;
      return Keep(file, SurvivalReason::kNotOverwritten, error), true;
    }
    // Whatever was appended meanwhile is caught up with before the name goes.
    done = size;
    if (::fstat(file.fd, &st) != 0) return Keep(file, SurvivalReason::kNotOverwritten, errno), true;
    size = st.st_size;
  }
  return !paced_ || Drain(file);
}

bool ShredEngine::Drain(ShredFile& file) {
  while (!in_flight_.empty()) {
    if (Breathe()) return false;
    io_->Writeback(file.fd, in_flight_.front().first, in_flight_.front().second, true);
    in_flight_.pop_front();
  }
  return true;
}

void ShredEngine::Finish(ShredFile& file) {
  if (file.state != FileState::kInProgress) return;
  if (file.fd >= 0) {
    // Release the blocks before the name goes.
    Hook(ShredStep::kTruncate);
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || st.st_nlink > 1)
      return Keep(file, SurvivalReason::kOtherNames);
    if (::ftruncate(file.fd, 0) != 0) return Keep(file, SurvivalReason::kNotOverwritten, errno);
    Close(file);
  }
  Hook(ShredStep::kUnlink);
  EntryInfo st;
  if (!NameStillLeadsToIt(file, st)) return;
  if (::unlinkat(file.dirfd, file.name.c_str(), 0) != 0) {
    const int failure = errno;
    return Keep(file, ReasonOf(failure, &st), failure);
  }
  file.state = FileState::kGone;
}

int ShredEngine::OverwriteRange(ShredFile& file, int64_t from, int64_t to) {
  for (int64_t offset = from; offset < to;) {
    off_t data = ::lseek(file.fd, offset, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) return 0;  // only holes remain
      if (errno != EINVAL) return errno;
      data = offset;  // no hole support: all of it is data
    }
    if (data >= to) return 0;
    off_t hole = ::lseek(file.fd, data, SEEK_HOLE);
    if (hole < 0 || hole > to) hole = to;
    if (int error = WriteRegion(file, data, hole); error != 0) return error;
    offset = hole;
  }
  return 0;
}

int ShredEngine::WriteRegion(ShredFile& file, int64_t from, int64_t to) {
  if (!pattern_) {
    try {
      pattern_ = std::make_unique<PatternSource>();
    } catch (const std::exception&) {
      return EIO;  // no random source: nothing can be overwritten
    }
  }
  // One buffer for the whole run: memory stays flat however many files pass.
  auto want = static_cast<size_t>(std::clamp<int64_t>(to - from, 4096, kChunkSize));
  if (buffer_.size() < want) buffer_.resize(want);
  for (int64_t offset = from; offset < to;) {
    const int64_t start = offset;
    size_t chunk = static_cast<size_t>(std::min<int64_t>(to - offset, buffer_.size()));
    pattern_->Fill(buffer_.data(), chunk);
    const unsigned char* p = buffer_.data();
    size_t left = chunk;
    while (left > 0) {
      ssize_t n = io_->Write(file.fd, p, left, offset);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return EIO;
      file.touched = true;
      p += n;
      left -= static_cast<size_t>(n);
      offset += n;
    }
    if (paced_) {
      io_->Writeback(file.fd, start, offset - start, false);
      in_flight_.emplace_back(start, offset - start);
      if (static_cast<int64_t>(in_flight_.size() * kChunkSize) > kInFlight) {
        io_->Writeback(file.fd, in_flight_.front().first, in_flight_.front().second, true);
        in_flight_.pop_front();
      }
    }
    if (offset < to && Breathe()) return kStopped;
  }
  return 0;
}

}  // namespace corvane

#include "shred/core/shred_batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <stop_token>
#include <system_error>
#include <thread>

#include "platform/dir_cursor.h"
#include "platform/file_system_kind.h"

namespace corvane {

namespace {
// How often the run looks up from a wait the device takes its time over.
constexpr std::chrono::milliseconds kBreath{10};

// Files of one file system that a single call of its own sync brings to the
// device, or that are synced one at a time: [begin, end) of the wait's files.
struct SyncGroup {
  size_t begin, end;
  bool whole;
};

// The wait itself, off the run's thread: only calls the device and notes each
// file's error. A stop leaves the files not begun yet.
void SyncGroups(ShredIo& io, const std::vector<int>& fds, const std::vector<SyncGroup>& groups,
                std::vector<int>& errors, const std::stop_token& stop) {
  for (const SyncGroup& group : groups) {
    if (stop.stop_requested()) return;
    if (group.whole && io.SyncFileSystem(fds[group.begin]) == 0) continue;
    // One file at a time: where a file system's own sync is not enough, or
    // to learn which file its failure was about.
    for (size_t i = group.begin; i < group.end && !stop.stop_requested(); ++i)
      errors[i] = io.SyncFile(fds[i]);
  }
}
}  // namespace

ShredBatch::ShredBatch(ShredEngine& engine, const BatchLimits& limits)
    : engine_(engine), limits_(limits), byte_bound_(limits.min_bytes) {}

ShredBatch::~ShredBatch() {
  Clear();
}

bool ShredBatch::Full() const {
  return !files_.empty() && (files_.size() >= limits_.max_files || bytes_ >= byte_bound_ ||
                             descriptors_ + 2 > limits_.descriptors);
}

bool ShredBatch::Add(ShredFile file, int dirfd, const EntryId& dir, bool open) {
  // The folder is held for as long as its file is on its way; files of one
  // folder share it.
  const bool new_dir = dirs_.empty() || dirs_.back().first != dir;
  if (new_dir) {
    HeldFd held(::fcntl(dirfd, F_DUPFD_CLOEXEC, 0));
    if (held.get() < 0) {
      ShredEngine::Keep(file, SurvivalReason::kOther, errno);
      files_.push_back(std::move(file));
      return true;
    }
    dirs_.emplace_back(dir, std::move(held));
    ++descriptors_;
  }
  file.dirfd = dirs_.back().second.get();
  const int64_t room = files_.empty() ? std::numeric_limits<int64_t>::max() : byte_bound_;
  if (open && !engine_.Open(file, room)) {
    if (new_dir) {
      dirs_.pop_back();
      --descriptors_;
    }
    return false;
  }
  if (file.fd >= 0) {
    ++descriptors_;
    bytes_ += file.size;
  }
  files_.push_back(std::move(file));
  return true;
}

bool ShredBatch::Pass(int64_t pass, int64_t passes) {
  bool first = true;
  for (ShredFile& file : files_) {
    if (file.state != FileState::kInProgress || file.fd < 0) continue;
    if (!first && engine_.Breathe()) return false;
    first = false;
    if (!engine_.Write(file)) return false;
  }
  if (!MakeDurable()) return false;
  if (pass >= passes) FinishAll();
  return true;
}

void ShredBatch::FinishAll() {
  // Each file's check and its unlink stay together on one thread, no further
  // apart than on one; the threads only take different files. The kernel's
  // share of a small file's end is most of its cost, and a second core
  // halves it.
  const size_t count = files_.size();
  size_t split = count / 2;
  // At the folder change nearest the middle, so that the two seldom wait for
  // the same folder's lock.
  for (size_t step = 0; step < count / 2; ++step) {
    if (files_[split + step].dirfd != files_[split + step - 1].dirfd) {
      split += step;
      break;
    }
    if (files_[split - step].dirfd != files_[split - step - 1].dirfd) {
      split -= step;
      break;
    }
  }
  auto finish = [this](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) engine_.Finish(files_[i]);
  };
  std::jthread helper;
  size_t here = count;
  if (split > 0) {
    try {
      helper = std::jthread(finish, split, count);
      here = split;
    } catch (const std::system_error&) {
      // no thread to be had: all of it here
    }
  }
  finish(0, here);
}

bool ShredBatch::MakeDurable() {
  std::vector<ShredFile*> open;
  int64_t bytes = 0;
  for (ShredFile& file : files_) {
    if (file.state == FileState::kInProgress && file.fd >= 0) {
      open.push_back(&file);
      bytes += file.size;
    }
  }
  const auto start = std::chrono::steady_clock::now();
  if (!WaitFor(open)) return false;
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (bytes > 0) {
    const double rate = static_cast<double>(bytes) / std::max(took.count(), 1e-3);
    byte_bound_ = std::clamp(static_cast<int64_t>(rate * BatchLimits::kWaitGoal), limits_.min_bytes,
                             limits_.max_bytes);
  }
  return true;
}

bool ShredBatch::WaitFor(std::vector<ShredFile*>& open) {
  if (open.empty()) return true;
  std::stable_sort(open.begin(), open.end(),
                   [](const ShredFile* a, const ShredFile* b) { return a->id.dev < b->id.dev; });
  // The worker gets copies: the files themselves stay with the run.
  std::vector<int> fds;
  std::vector<SyncGroup> groups;
  for (size_t i = 0; i < open.size();) {
    size_t end = i;
    while (end < open.size() && open[end]->id.dev == open[i]->id.dev) ++end;
    // Elsewhere (vfat on a stick, network file systems...) each file is synced
    // on its own.
    groups.push_back({i, end, end - i > 1 && FileSystemKindOf(open[i]->fd).syncsWhole});
    for (; i < end; ++i) fds.push_back(open[i]->fd);
  }
  std::vector<int> errors(open.size(), 0);

  // A device flooded by someone else's writes can take seconds over one
  // wait, so the wait runs on a thread of its own while this one keeps the
  // window alive and hears an Abort at once. Only this thread decides.
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  auto wait = [&](const std::stop_token& stop) {
    SyncGroups(engine_.io(), fds, groups, errors, stop);
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    finished.notify_one();
  };
  std::jthread worker;
  try {
    worker = std::jthread(wait);
  } catch (const std::system_error&) {
    wait(std::stop_token{});  // no thread to be had: wait here
  }
  bool stopped = false;
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, kBreath, [&] { return done; })) {
      lock.unlock();
      // The device's wait cannot be cut short, but the files after it are
      // not begun, and the pass counts as not made durable.
      if (engine_.Breathe() && !stopped) {
        stopped = true;
        worker.request_stop();
      }
      lock.lock();
    }
  }
  if (worker.joinable()) worker.join();
  if (stopped) return false;
  for (size_t i = 0; i < open.size(); ++i) {
    if (errors[i] != 0) ShredEngine::Keep(*open[i], SurvivalReason::kNotOverwritten, errors[i]);
  }
  return true;
}

void ShredBatch::Stop() {
  for (ShredFile& file : files_) {
    if (file.state != FileState::kInProgress) continue;
    if (file.touched) {
      ShredEngine::Keep(file, SurvivalReason::kPartlyOverwritten);
    } else {
      ShredEngine::Close(file);
    }
  }
}

void ShredBatch::Clear() {
  for (ShredFile& file : files_) ShredEngine::Close(file);
  files_.clear();
  dirs_.clear();
  bytes_ = 0;
  descriptors_ = 0;
}

}  // namespace corvane

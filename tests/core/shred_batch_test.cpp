// Batches of files through the engine, with a seam on the writes and waits.
#include "shred/core/shred_batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <map>
#include <set>
#include <thread>

#include "platform/file_ops.h"
#include "shred/core/shred_run.h"
#include "support/run_host.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

std::string PathOf(int fd) {
  char link[64], target[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = ::readlink(link, target, sizeof target);
  return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

// Records the writes and the waits, and fails or slows them where told.
struct SeamIo : ShredIo {
  std::map<std::string, int> fail_write, fail_sync;  // path -> errno
  std::function<void(const std::string&)> on_write;
  std::function<void(const std::string&)> on_wait;  // the file, or "" for all
  int waits = 0;
  ssize_t Write(int fd, const void* data, size_t size, off_t offset) override {
    const std::string path = PathOf(fd);
    if (on_write) on_write(path);
    if (auto f = fail_write.find(path); f != fail_write.end()) return errno = f->second, -1;
    return ShredIo::Write(fd, data, size, offset);
  }
  int SyncFile(int fd) override {
    ++waits;
    if (on_wait) on_wait(PathOf(fd));
    auto f = fail_sync.find(PathOf(fd));
    return f != fail_sync.end() ? f->second : ShredIo::SyncFile(fd);
  }
  int SyncFileSystem(int fd) override {
    ++waits;
    if (on_wait) on_wait("");
    return fail_sync.empty() ? ShredIo::SyncFileSystem(fd) : EIO;
  }
};

// Lists `paths` and destroys them, small enough to go as one batch; `stop`
// is an Abort click. Returns what stayed (after an Abort, what it left partly
// overwritten), by position in `paths`.
struct Batch {
  Batch(int64_t passes, std::function<bool()> stop = {}) : run(passes, true) {
    run.engine().set_io(&io);
    host.check = [stop] { return stop && stop() ? RunCheck::kAbort : RunCheck::kGoOn; };
  }
  std::vector<std::pair<size_t, Survivor>> Destroy(const std::vector<std::string>& paths, int64_t) {
    std::vector<ListedEntry> files;
    for (const std::string& p : paths) files.push_back(*IdentifyPath(p));
    RunOutcome out = testing::Destroy(run, files, {}, &host);
    std::vector<std::pair<size_t, Survivor>> left;
    if (out.end == RunCheck::kAbort) {
      for (Survivor& s : out.partly)
        left.emplace_back(std::find(paths.begin(), paths.end(), s.path) - paths.begin(), s);
    } else {
      for (size_t i = 0; i < out.files.size(); ++i)
        left.emplace_back(out.file_rows[i], out.files[i]);
    }
    return left;
  }
  SeamIo io;
  ShredRun run;
  testing::TestHost host;
};

std::vector<std::string> Files(TempDir& dir, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i)
    paths.push_back(dir.Write("f" + std::to_string(i), std::string(1000 + 5000 * i, 'S')));
  return paths;
}

TEST(ShredBatch, EveryFileGetsEachPassFreshAndOnTheDeviceBeforeTheNext) {
  TempDir dir;
  const std::vector<std::string> paths = Files(dir, 3);
  const int kPasses = 4;
  Batch batch(kPasses);
  std::map<std::string, std::set<std::string>> seen;  // every content each file had
  std::map<std::string, int> writes_since_wait;
  for (const std::string& p : paths) seen[p].insert(ReadFile(p));
  batch.io.on_wait = [&](const std::string& path) {
    for (const std::string& p : paths) {
      if (!path.empty() && p != path) continue;
      EXPECT_EQ(writes_since_wait[p], 1) << p;  // exactly one pass, all of it
      writes_since_wait[p] = 0;
      EXPECT_TRUE(seen[p].insert(ReadFile(p)).second) << "a pass repeated old data in " << p;
    }
  };
  batch.io.on_write = [&](const std::string& path) { ++writes_since_wait[path]; };
  EXPECT_TRUE(batch.Destroy(paths, kPasses).empty());
  for (const std::string& p : paths) {
    EXPECT_EQ(seen[p].size(), kPasses + 1u) << p;
    EXPECT_FALSE(EntryExists(p));
  }
  struct statfs fs {};
  ::statfs(dir.path().c_str(), &fs);
  if (fs.f_type == EXT4_SUPER_MAGIC) {
    EXPECT_EQ(batch.io.waits, kPasses);  // one wait per pass
  }
}

enum class Change { kSwapped, kHardLinked, kImmutable };

TEST(ShredBatch, AFileChangedMidBatchIsKeptAndTheOthersGo) {
  for (Change change : {Change::kSwapped, Change::kHardLinked, Change::kImmutable}) {
    TempDir dir;
    const std::vector<std::string> paths = Files(dir, 3);
    const std::string& b = paths[1];
    Batch batch(3);
    int overwrites = 0, immutable_fd = -1;
    batch.run.engine().before_step = [&](ShredStep step) {
      if (step != ShredStep::kOverwrite || ++overwrites != 5) return;  // pass 2, file b
      if (change == Change::kSwapped) {
        ASSERT_EQ(::rename(b.c_str(), (b + ".moved").c_str()), 0);
        dir.Write("f1", "new file");
      } else if (change == Change::kHardLinked) {
        ASSERT_EQ(::link(b.c_str(), (dir / "other-name").c_str()), 0);
      } else {
        immutable_fd = ::open(b.c_str(), O_RDONLY);
        int flags = 0;
        ::ioctl(immutable_fd, FS_IOC_GETFLAGS, &flags);
        flags |= FS_IMMUTABLE_FL;
        if (::ioctl(immutable_fd, FS_IOC_SETFLAGS, &flags) != 0) {
          ::close(std::exchange(immutable_fd, -1));
        }
      }
    };
    auto left = batch.Destroy(paths, 3);
    if (immutable_fd >= 0) {
      int flags = 0;
      ::ioctl(immutable_fd, FS_IOC_GETFLAGS, &flags);
      flags &= ~FS_IMMUTABLE_FL;
      ::ioctl(immutable_fd, FS_IOC_SETFLAGS, &flags);
      ::close(immutable_fd);
    } else if (change == Change::kImmutable) {
      continue;  // needs root and a file system with inode flags
    }
    const int which = static_cast<int>(change);
    ASSERT_EQ(left.size(), 1u) << which;
    EXPECT_EQ(left[0].first, 1u) << which;
    EXPECT_EQ(left[0].second.path, b);
    EXPECT_FALSE(EntryExists(paths[0])) << which;
    EXPECT_FALSE(EntryExists(paths[2])) << which;
    if (change == Change::kSwapped) {
      EXPECT_EQ(ReadFile(b), "new file");
    }
  }
}

TEST(ShredBatch, AbortMidPassKeepsExactlyThePartlyOverwrittenFiles) {
  TempDir dir;
  const std::vector<std::string> paths = Files(dir, 4);
  const std::string untouched = ReadFile(paths[3]);
  bool stop = false;
  Batch batch(3, [&] { return stop; });
  int overwrites = 0;
  batch.run.engine().before_step = [&](ShredStep step) {
    if (step == ShredStep::kOverwrite && ++overwrites == 3) stop = true;  // pass 1, third file
  };
  auto left = batch.Destroy(paths, 3);
  ASSERT_EQ(left.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(left[i].first, i);
    EXPECT_EQ(DescribeReason(left[i].second), "partly overwritten");
    EXPECT_EQ(ReadFile(paths[i]).find("SSSSSSSS"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(paths[3]), untouched);
}

TEST(ShredBatch, AFailureOnOneFileKeepsThatFileAndGoesOn) {
  for (int error : {ENOSPC, EIO}) {
    TempDir dir;
    const std::vector<std::string> paths = Files(dir, 3);
    Batch batch(2);
    (error == ENOSPC ? batch.io.fail_write : batch.io.fail_sync)[paths[1]] = error;
    auto left = batch.Destroy(paths, 2);
    ASSERT_EQ(left.size(), 1u) << error;
    EXPECT_EQ(left[0].second.path, paths[1]);
    EXPECT_EQ(left[0].second.reason, SurvivalReason::kNotOverwritten);
    EXPECT_EQ(left[0].second.error, error);
    EXPECT_FALSE(EntryExists(paths[0]));
    EXPECT_FALSE(EntryExists(paths[2]));
  }
}

// A pass over a large file on a slow device: the request is seen at the next
// chunk, whatever is left of the pass.
TEST(ShredBatch, AbortStopsALongPassAtTheNextChunk) {
  TempDir dir;
  const std::string big =
      dir.Write("big", std::string(3 * ShredEngine::kInFlight, 'S'));  // 1.2 s a pass here
  bool stop = false;
  Batch batch(2, [&] { return stop; });
  int writes = 0, after_request = 0;
  batch.io.on_write = [&](const std::string&) {
    after_request += stop;
    if (++writes == 3) stop = true;  // the click lands during the third chunk
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  };
  auto left = batch.Destroy({big}, 2);
  EXPECT_EQ(after_request, 0);
  EXPECT_EQ(batch.io.waits, 0);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].second.reason, SurvivalReason::kPartlyOverwritten);
  EXPECT_EQ(ReadFile(big).size(), size_t(3 * ShredEngine::kInFlight));
}

// A device that takes its time over a wait (a co-user floods it): the window
// keeps pumping meanwhile, and an Abort heard then keeps the files partly
// overwritten, for their pass never counted as on the device.
TEST(ShredBatch, TheWindowLivesThroughAWaitAndAnAbortDuringItKeepsTheFiles) {
  TempDir dir;
  const std::vector<std::string> paths = Files(dir, 2);
  const std::thread::id window = std::this_thread::get_id();
  std::atomic<bool> waiting{false};
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  bool abort = false, let_go = false;
  int pumps = 0;
  auto end_wait = [&] {
    if (!std::exchange(let_go, true)) release.set_value();
  };
  Batch batch(1, [&] {
    if (abort) end_wait();  // the wait ends once the run heard the Abort
    return abort;
  });
  batch.run.pump_every = {};
  batch.host.on_pump = [&] {
    if (!waiting) return;
    if (++pumps == 2) abort = true;
    if (pumps == 5) end_wait();  // the run never asked
  };
  batch.io.on_wait = [&](const std::string&) {
    if (std::this_thread::get_id() == window) {
      ADD_FAILURE() << "the window itself waits for the device";
      return;
    }
    waiting = true;
    released.wait();
  };
  auto left = batch.Destroy(paths, 1);
  ASSERT_EQ(left.size(), 2u);
  for (const std::string& p : paths) EXPECT_TRUE(EntryExists(p)) << p;
  for (const auto& [position, survivor] : left)
    EXPECT_EQ(survivor.reason, SurvivalReason::kPartlyOverwritten) << position;
}

}  // namespace
}  // namespace corvane

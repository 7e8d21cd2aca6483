#include "shred/core/shred_engine.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/file_ops.h"
#include "shred/core/shred_count.h"
#include "shred/core/shred_run.h"
#include "support/run_host.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Recognisable content: numbered 16-byte lines.
std::string Secret(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "SECRET-%08zu\n", i);
    s += line;
  }
  s.resize(size);
  return s;
}

// Every line of the secret carries the marker, so any surviving piece shows.
bool HoldsAnyLineOf(const std::string& data) {
  return data.find("SECRET-") != std::string::npos;
}

TEST(ShredCount, ParsesRoundsAndBoundsTheCount) {
  EXPECT_EQ(ParseShredCount("20"), 20.0);
  EXPECT_EQ(ParseShredCount("  -5 "), -5.0);
  EXPECT_EQ(ParseShredCount("+2.5"), 2.5);
  EXPECT_EQ(ParseShredCount("1e3"), 1000.0);
  EXPECT_EQ(ParseShredCount(".5"), 0.5);
  EXPECT_EQ(ParseShredCount("1e-400"), 0.0);
  EXPECT_EQ(ParseShredCount("1e400"), std::numeric_limits<double>::infinity());
  for (const char* bad : {"", " ", "abc", "1,5", "0x10", "inf", "nan", "1e", "--1", "2 0"})
    EXPECT_FALSE(ParseShredCount(bad).has_value()) << bad;

  EXPECT_EQ(PassCount(1), 1);
  EXPECT_EQ(PassCount(2.5), 2);  // halves go to the even neighbour
  EXPECT_EQ(PassCount(3.5), 4);
  EXPECT_EQ(PassCount(0.4), 0);
  EXPECT_EQ(PassCount(0.5), 0);
  EXPECT_EQ(PassCount(-7), 0);
  EXPECT_EQ(PassCount(100000), 100000);  // far beyond 16 bits
  EXPECT_EQ(PassCount(1e300), INT64_MAX);

  EXPECT_EQ(ProgressMaximum(2.5, 4), 10);
  EXPECT_EQ(ProgressMaximum(2.5, 1), 2);
  EXPECT_EQ(ProgressMaximum(100000, 50000), 5'000'000'000);
  EXPECT_FALSE(ProgressMaximum(1e300, 2).has_value());
}

// Lists `path` as Add Files would, then runs `passes` passes over it;
// `after_pass` looks at the file between passes.
std::optional<Survivor> Shred(const std::string& path, int64_t passes, bool overwrite,
                              const std::function<void(int64_t)>& after_pass = {},
                              const std::function<void()>& between_chunks = {},
                              ShredIo* io = nullptr) {
  std::optional<ListedEntry> listed = IdentifyPath(path);
  ListedEntry entry = listed.value_or(ListedEntry{path, {}, ParentLength(path), {}});
  ShredRun run(passes, overwrite);
  run.pump_every = {};
  if (io != nullptr) run.engine().set_io(io);
  testing::TestHost host;
  host.on_pump = between_chunks;
  host.on_pass = after_pass;
  return testing::DestroyOne(run, entry, &host);
}

TEST(ShredEngine, EveryPassOverwritesInPlaceAndOnlyTheLastDeletes) {
  TempDir dir;
  const std::string secret = Secret(3 * ShredEngine::kChunkSize + 12345);
  std::string path = dir.Write("victim", secret);
  struct stat before {};
  ::stat(path.c_str(), &before);
  // A slow wait pumps too: only a pump after new writes counts.
  struct : ShredIo {
    int writes = 0;
    ssize_t Write(int fd, const void* data, size_t size, off_t offset) override {
      ++writes;
      return ShredIo::Write(fd, data, size, offset);
    }
  } io;
  int chunk_breaks = 0, writes_seen = 0;
  std::string previous = secret;
  auto after_pass = [&](int64_t pass) {
    if (pass == 3) return;
    std::string now = ReadFile(path);
    ASSERT_EQ(now.size(), secret.size()) << "pass " << pass << " must keep the length";
    EXPECT_FALSE(HoldsAnyLineOf(now));
    EXPECT_NE(now, previous) << "each pass writes a fresh pattern";
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "written in place, not replaced";
    previous = now;
  };
  EXPECT_FALSE(Shred(
      path, 3, true, after_pass,
      [&] { chunk_breaks += std::exchange(writes_seen, io.writes) != io.writes; }, &io));
  EXPECT_EQ(chunk_breaks, 3 * 4);  // four chunks: three breaks per pass, and the pump after it
  EXPECT_FALSE(EntryExists(path));
}

TEST(ShredEngine, NeverWritesThroughLinksSpecialFilesOrReadOnlyFiles) {
  TempDir outside;
  std::string target = outside.Write("precious", "outside content");
  TempDir dir;
  std::string link = dir / "link";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  std::string fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string readonly = dir.Write("readonly", "kept");
  ::chmod(readonly.c_str(), 0444);

  for (const std::string& entry : {link, fifo, readonly}) {
    auto survivor = Shred(entry, 2, true, [&](int64_t pass) {
      if (pass == 1) {
        EXPECT_TRUE(EntryExists(entry)) << "an intermediate pass leaves " << entry;
      }
    });
    EXPECT_EQ(survivor.has_value(), entry == readonly);
  }
  EXPECT_FALSE(EntryExists(link));
  EXPECT_FALSE(EntryExists(fifo));
  EXPECT_EQ(ReadFile(target), "outside content");
  EXPECT_EQ(ReadFile(readonly), "kept");
}

// A file whose overwrite fails part-way (here: a file-size limit makes every
// write past 4 KiB fail) must not be unlinked with its content still on disk.
TEST(ShredEngine, KeepsAFileWhoseOverwriteFailed) {
  TempDir dir;
  std::string path = dir.Write("stuck", std::string(64 * 1024, 'S'));
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::optional<Survivor> survivor = Shred(path, 2, /*overwrite=*/true);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, old_handler);
  ASSERT_TRUE(survivor);
  EXPECT_EQ(survivor->reason, SurvivalReason::kNotOverwritten);
  ASSERT_TRUE(EntryExists(path));
  EXPECT_EQ(ReadFile(path).size(), 64u * 1024);
}

}  // namespace
}  // namespace corvane

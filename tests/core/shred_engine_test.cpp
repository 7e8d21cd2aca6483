#include "shred/core/shred_engine.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file_ops.h"
#include "shred/core/shred_count.h"
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

TEST(ShredEngine, EveryPassOverwritesInPlaceAndOnlyTheLastDeletes) {
  TempDir dir;
  const std::string secret = Secret(3 * ShredEngine::kChunkSize + 12345);
  std::string path = dir.Write("victim", secret);
  struct stat before {};
  ::stat(path.c_str(), &before);
  int chunk_breaks = 0;
  ShredEngine engine([&] { ++chunk_breaks; });

  std::string previous = secret;
  for (int pass = 1; pass <= 2; ++pass) {
    engine.Pass(path, pass, 3, /*overwrite=*/true);
    std::string now = ReadFile(path);
    ASSERT_EQ(now.size(), secret.size()) << "pass " << pass << " must keep the length";
    EXPECT_FALSE(HoldsAnyLineOf(now));
    EXPECT_NE(now, previous) << "each pass writes a fresh pattern";
    EXPECT_NE(now.find_first_not_of('\0'), std::string::npos);
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "written in place, not replaced";
    previous = now;
  }
  EXPECT_EQ(chunk_breaks, 2 * 3);  // four chunks: three breaks per pass
  engine.Pass(path, 3, 3, true);
  EXPECT_FALSE(EntryExists(path));
}

TEST(ShredEngine, PlainDeleteMissingFilesAndEmptyFiles) {
  TempDir dir;
  std::string path = dir.Write("once", "data");
  ShredEngine engine;
  EXPECT_TRUE(engine.Pass(path, 1, 1, /*overwrite=*/false));
  EXPECT_FALSE(EntryExists(path));

  // A file that no longer exists is not created again by later passes.
  EXPECT_TRUE(engine.Pass(path, 1, 3, true));  // already gone counts as gone
  EXPECT_TRUE(engine.Pass(path, 3, 3, true));
  EXPECT_FALSE(EntryExists(path));

  std::string empty = dir.Write("empty", "");
  engine.Pass(empty, 1, 2, true);
  EXPECT_TRUE(EntryExists(empty));
  engine.Pass(empty, 2, 2, true);
  EXPECT_FALSE(EntryExists(empty));
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

  ShredEngine engine;
  for (const std::string& entry : {link, fifo, readonly}) {
    EXPECT_FALSE(engine.Pass(entry, 1, 2, true));  // an intermediate pass leaves them
    EXPECT_TRUE(EntryExists(entry)) << entry;
    EXPECT_EQ(engine.Pass(entry, 2, 2, true), entry != readonly);
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
  ShredEngine engine;
  bool gone = engine.Pass(path, 1, 1, /*overwrite=*/true);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(gone);
  ASSERT_TRUE(EntryExists(path));
  EXPECT_EQ(ReadFile(path).size(), 64u * 1024);
}

}  // namespace
}  // namespace corvane

#include "scan/core/directory_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;

std::vector<std::string> Items(const ResultList& list) {
  return std::vector<std::string>(list.begin(), list.end());
}

// The names of `dir` in the order the file system enumerates them.
std::vector<std::string> ReaddirOrder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  while (struct dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  return names;
}

// `names` reordered as the file system enumerates them in `dir`.
std::vector<std::string> InFsOrder(const std::string& dir, std::vector<std::string> names) {
  std::vector<std::string> order = ReaddirOrder(dir), result;
  for (const std::string& n : order) {
    if (std::find(names.begin(), names.end(), n) != names.end()) result.push_back(dir + "/" + n);
  }
  return result;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(ResultList, KeysAreExactAndUniqueAndSurviveCopies) {
  ResultList list;
  EXPECT_TRUE(list.Add("A.txt"));
  EXPECT_TRUE(list.Add("a.txt"));
  EXPECT_FALSE(list.Add("A.txt"));
  for (int i = 0; i < 1000; ++i) list.Add(std::to_string(i));  // growth keeps the keys valid
  ResultList copy = list;
  ResultList moved = std::move(list);
  for (const ResultList* l : {&copy, &moved}) {
    EXPECT_EQ(l->Count(), 1002u);
    EXPECT_EQ(l->Item(1), "a.txt");
    EXPECT_TRUE(l->Contains("999"));
    EXPECT_FALSE(l->Contains("1000"));
  }
  EXPECT_FALSE(copy.Add("500"));
  // Items added unchecked are keys as well.
  copy.AddNew("new");
  EXPECT_TRUE(copy.Contains("new"));
  EXPECT_FALSE(copy.Add("new"));
  EXPECT_EQ(copy.Count(), 1003u);
}

TEST(SplitMasks, CutsExactlyAtSemicolons) {
  EXPECT_TRUE(SplitMasks("").empty());
  EXPECT_EQ(SplitMasks("*.*"), (std::vector<std::string>{"*.*"}));
  EXPECT_EQ(SplitMasks("*.txt; *.doc"), (std::vector<std::string>{"*.txt", " *.doc"}));
  EXPECT_EQ(SplitMasks(";a;;"), (std::vector<std::string>{"", "a", "", ""}));
}

TEST(GetAllFiles, MasksGroupFilesInMaskOrderEachOnce) {
  TempDir t;
  for (const char* n : {"a.txt", "b.dat", "c.txt", "d", "A.TXT", " b.dat"}) t.Write(n, "x");
  auto txt = InFsOrder(t.path(), {"a.txt", "c.txt"});
  auto rest = InFsOrder(t.path(), {"b.dat", "d", "A.TXT", " b.dat"});
  EXPECT_EQ(Items(GetAllFiles(t.path(), "*.txt;*.*", false)), Concat({txt, rest}));

  // The second mask keeps its leading blank: only " b.dat" matches it.
  EXPECT_EQ(Items(GetAllFiles(t.path(), "*.txt; b.dat", true)), Concat({txt, {t / " b.dat"}}));
  // Case-sensitive masks.
  EXPECT_EQ(Items(GetAllFiles(t.path(), "*.TXT", false)), (std::vector<std::string>{t / "A.TXT"}));
  // No mask at all, or only empty ones, lists nothing.
  EXPECT_EQ(GetAllFiles(t.path(), "", true).Count(), 0u);
  EXPECT_EQ(GetAllFiles(t.path(), ";", true).Count(), 0u);
  // A trailing separator gives the same paths; a missing folder gives nothing.
  EXPECT_EQ(Items(GetAllFiles(t.path() + "/", "*.txt", false)), txt);
  EXPECT_EQ(GetAllFiles(t / "missing", "*.*", true).Count(), 0u);
}

TEST(GetAllFiles, WalksDepthFirstInEnumerationOrder) {
  TempDir t;
  std::string a = t.Mkdir("A");
  t.Write("A/a1", "");
  t.Write("A/B/b1", "");
  t.Write("A/B/C/c1", "");
  t.Write("A/D/d1", "");
  std::vector<std::string> expected{a + "/a1"};
  for (const std::string& sub : InFsOrder(a, {"B", "D"})) {
    if (sub == a + "/B") {
      expected.insert(expected.end(), {a + "/B/b1", a + "/B/C/c1"});
    } else {
      expected.push_back(a + "/D/d1");
    }
  }
  EXPECT_EQ(Items(GetAllFiles(a, "*.*", true)), expected);
  EXPECT_EQ(Items(GetAllFiles(a, "*.*", false)), (std::vector<std::string>{a + "/a1"}));
}

TEST(GetAllFiles, SkipsHiddenAndSpecialEntriesAndNeverFollowsLinks) {
  TempDir t;
  std::string r = t.Mkdir("R");
  std::string outside = t.Write("outside/target.txt", "keep");
  t.Write("R/plain", "");
  std::string readOnly = t.Write("R/readonly", "");
  ::chmod(readOnly.c_str(), 0400);
  t.Write("R/.hidden", "");
  t.Write("R/.hiddendir/inside", "");
  ASSERT_EQ(::mkfifo((r + "/fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(outside.c_str(), (r + "/filelink").c_str()), 0);
  ASSERT_EQ(::symlink((t / "outside").c_str(), (r + "/dirlink").c_str()), 0);
  t.Mkdir("R/loop");
  ASSERT_EQ(::symlink("../loop", (r + "/loop/back").c_str()), 0);
  ASSERT_EQ(::symlink("a", (r + "/loop/b").c_str()), 0);
  ASSERT_EQ(::symlink("b", (r + "/loop/a").c_str()), 0);
  std::string odd = std::string("R/") + "\xff\xfe name\nline";
  t.Write(odd, "");

  auto files = Items(GetAllFiles(r, "*.*", true));
  std::sort(files.begin(), files.end());
  std::vector<std::string> expected{r + "/dirlink",  r + "/filelink",  r + "/loop/a",
                                    r + "/loop/b",   r + "/loop/back", r + "/plain",
                                    r + "/readonly", t / odd};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);

  // Subdirectories: neither links nor hidden ones, unless asked for.
  auto dirs = Items(GetDirectories(r, 16, true));
  EXPECT_EQ(dirs, (std::vector<std::string>{r + "/loop"}));
  auto withHidden = Items(GetDirectories(r + "/", 16 | 2, false));
  std::sort(withHidden.begin(), withHidden.end());
  EXPECT_EQ(withHidden, (std::vector<std::string>{".hiddendir", "loop"}));
}

TEST(GetDirectories, ListsOneLevelAndPassesFailuresOn) {
  TempDir t;
  t.Write("R/A/A1/f", "");
  t.Mkdir("R/B");
  t.Write("R/file", "");
  std::string r = t / "R";
  auto full = Items(GetDirectories(r, 16, true));
  EXPECT_EQ(full, InFsOrder(r, {"A", "B"}));
  EXPECT_EQ(Items(GetDirectories(r + "/", 16, true)), full);
  EXPECT_EQ(GetDirectories(r + "/A/A1", 16, true).Count(), 0u);  // files only
  EXPECT_EQ(GetDirectories(t / "missing", 16, true).Count(), 0u);
  EXPECT_EQ(GetDirectories(r + "/file", 16, true).Count(), 0u);

  // A directory that cannot be read is a failure for the caller.
  std::string tooLong = t.path() + std::string(PATH_MAX, 'x');
  EXPECT_THROW(GetDirectories(tooLong, 16, true), DirectoryListError);
  if (::geteuid() != 0) {
    ::chmod(r.c_str(), 0);
    EXPECT_THROW(GetDirectories(r, 16, true), DirectoryListError);
    EXPECT_EQ(GetAllFiles(r, "*.*", true).Count(), 0u);
    ::chmod(r.c_str(), 0700);
  }
}

TEST(GetAllFiles, DeepTreeIsWalkedWholeBeyondThePathLimit) {
  TempDir t;
  // 2,100 levels of "d", with a file "f" at every hundredth and at the last
  // one: the deepest levels lie beyond the system's path limit, and are still
  // listed.
  const int levels = 2100;
  int fd = ::open(t.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i <= levels; ++i) {
    if (i % 100 == 0 || i == levels) {
      int file = ::openat(fd, "f", O_CREAT | O_WRONLY, 0600);
      ASSERT_GE(file, 0);
      ::close(file);
    }
    if (i == levels) break;
    ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
  }
  ::close(fd);

  std::vector<std::string> files = Items(GetAllFiles(t.path(), "*.*", true));
  std::vector<std::string> expected;
  std::string path = t.path();
  for (int i = 0; i <= levels; ++i, path += "/d") {
    if (i % 100 == 0 || i == levels) expected.push_back(path + "/f");
  }
  EXPECT_EQ(files, expected);
  EXPECT_GT(expected.back().size(), size_t{PATH_MAX});
  // Under a low limit on open files too: the walk fits the limit.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit low = saved;
  low.rlim_cur = 24;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  files = Items(GetAllFiles(t.path(), "*.*", true));
  ::setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(files, expected);
  // The temporary directory's own cleanup cannot go that deep.
  ASSERT_EQ(std::system(("rm -rf -- '" + t.path() + "/d'").c_str()), 0);
}

}  // namespace
}  // namespace corvane

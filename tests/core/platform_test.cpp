#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <set>

#include "platform/attributes.h"
#include "platform/dir_search.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::ReadFile;
using testing::TempDir;

const std::string kBadName = std::string("bad\xff\xfe") + ".txt";

struct Tree {
  TempDir dir;
  Tree() {
    dir.Write("plain.txt", "plain");
    dir.Write(".hidden", "hidden");
    dir.Write(kBadName, "bad name");
    dir.Mkdir("sub");
    dir.Mkdir(".hiddendir");
    EXPECT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(::symlink((dir / "plain.txt").c_str(), (dir / "link-file").c_str()), 0);
    EXPECT_EQ(::symlink((dir / "sub").c_str(), (dir / "link-dir").c_str()), 0);
    dir.Write("readonly.txt", "keep me");
    ::chmod((dir / "readonly.txt").c_str(), 0444);
  }
};

std::set<std::string> Enumerate(const std::string& pattern, uint32_t attributes) {
  std::set<std::string> names;
  DirSearch search;
  for (std::string n = search.First(pattern, attributes); !n.empty(); n = search.Next())
    names.insert(n);
  return names;
}

TEST(Attributes, FollowTheLinuxRules) {
  Tree t;
  EXPECT_EQ(*GetAttr(t.dir / "plain.txt"), kAttrNormal);
  EXPECT_EQ(*GetAttr(t.dir / ".hidden"), kAttrHidden);
  EXPECT_EQ(*GetAttr(t.dir / "sub"), kAttrDirectory);
  EXPECT_EQ(*GetAttr(t.dir / ".hiddendir"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(*GetAttr(t.dir / "fifo"), kAttrSystem);
  // Links are never followed: a link to a directory is not a directory.
  EXPECT_EQ(*GetAttr(t.dir / "link-dir"), kAttrSymlink);
  EXPECT_EQ(*GetAttr(t.dir / "link-file"), kAttrSymlink);
  EXPECT_EQ(*GetAttr(t.dir / "readonly.txt"), kAttrReadOnly);
  EXPECT_EQ(*GetAttr(t.dir / kBadName), kAttrNormal);
  EXPECT_FALSE(GetAttr(t.dir / "missing").has_value());
}

TEST(DirSearch, FiltersByMaskAndAttributes) {
  Tree t;
  std::string base = t.dir.path() + "/";
  std::set<std::string> plain = {"plain.txt", kBadName, "link-file", "link-dir", "readonly.txt"};
  EXPECT_EQ(Enumerate(base + "*.*", 0), plain);
  auto withDirs = plain;
  withDirs.insert("sub");
  EXPECT_EQ(Enumerate(base + "*.*", kAttrDirectory), withDirs);
  auto withSystem = plain;
  withSystem.insert("fifo");
  EXPECT_EQ(Enumerate(base + "*", kAttrSystem), withSystem);
  EXPECT_EQ(Enumerate(base + "*.txt", 0),
            (std::set<std::string>{"plain.txt", kBadName, "readonly.txt"}));
  EXPECT_EQ(Enumerate(base + "?lain.*", 0), (std::set<std::string>{"plain.txt"}));
  EXPECT_EQ(Enumerate(base + "PLAIN.TXT", 0), std::set<std::string>{});  // case-sensitive
  EXPECT_TRUE(Enumerate(base, kAttrDirectory).empty());                  // empty mask
  EXPECT_TRUE(Enumerate(base + "nothing/*.*", 0).empty());
  EXPECT_TRUE(Enumerate(base + ".h*", kAttrHidden).count(".hidden"));
}

TEST(DirSearch, MaskMatching) {
  EXPECT_TRUE(MatchMask("*.*", "noext"));
  EXPECT_TRUE(MatchMask("*", ""));
  EXPECT_TRUE(MatchMask("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(MatchMask("a*b*c", "aXXbYY"));
  EXPECT_TRUE(MatchMask("*.txt", "x.tar.txt"));
  EXPECT_FALSE(MatchMask("*.txt", "x.txt.gz"));
  EXPECT_FALSE(MatchMask("?", ""));
  EXPECT_TRUE(MatchMask(" x", " x"));
  EXPECT_FALSE(MatchMask(" x", "x"));
  // A pathological mask stays fast (no exponential backtracking).
  EXPECT_FALSE(MatchMask("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

// A '*' or '?' in a name is a plain character; only the mask's are wildcards.
TEST(DirSearch, WildcardCharactersInNames) {
  const struct {
    const char* mask;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "**x", true},   {"*.txt", "*secret.txt", true},
      {"*.*", "*", true},   {"?", "*", true},
      {"??", "?", false},   {"a*", "*a", false},
      {"*x", "x*", false},  {"*?", "?", true},
      {"a?c", "a*c", true}, {"*b*", "*?*b?*", true},
      {"**", "?*", true},   {"*.t?t", "**.t*t", true},
      {"x*", "x", true},    {"*a", "*", false},
      {"", "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchMask(c.mask, c.name), c.matches) << c.mask << " " << c.name;
}

TEST(Paths, DisplayFormAndBackToBytes) {
  EXPECT_EQ(DisplayForm("plain/é"), "plain/é");
  EXPECT_EQ(DisplayForm("a\xff"), "a\xEF\xBF\xBD");
  EXPECT_EQ(DisplayForm("\xC0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
  TempDir dir;
  std::string bad = dir.Write("sub/" + kBadName, "x");
  EXPECT_EQ(ResolveDisplayPath(DisplayForm(bad)), bad);
  EXPECT_EQ(ResolveDisplayPath(dir / "sub"), dir / "sub");
  EXPECT_EQ(ResolveDisplayPath(dir / "none"), dir / "none");
  EXPECT_NE(ExecutableDirectory().find('/'), std::string::npos);
}

}  // namespace
}  // namespace corvane

#include "platform/path_text.h"

namespace corvane {
namespace {
TEST(PathText, JoinsWithOneSeparatorAtMost) {
  for (auto [folder, joined] : std::vector<std::pair<std::string, std::string>>{
           {"/tmp", "/tmp/x"}, {"/tmp/", "/tmp/x"}, {"/", "/x"}, {"", "/x"}})
    EXPECT_EQ(JoinPath(folder, "x"), joined) << folder;
}

TEST(PathText, NormalisesBySpellingAlone) {
  for (auto [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"/a//b/./c/", "/a/b/c"}, {"/a/b/../../..", "/"}, {"a/../../b", "../b"}, {"./", "."}})
    EXPECT_EQ(NormalPath(in), out) << in;
}
}  // namespace
}  // namespace corvane

// Every claim a run's report makes holds on the disk, over random ordinary
// lists: an entry counted destroyed is gone and, with a count above one,
// received every pass in full, each on the device before the next, before
// its name went; whatever is still there is named with a reason; a duplicate
// counts once; and after an Abort the next run never calls what the first
// one destroyed "not found". A failing seed is printed; CORVANE_REPORT_SEEDS
// and CORVANE_REPORT_FIRST_SEED choose how many and from where.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "platform/file_ops.h"
#include "scan/core/tree_walk.h"
#include "shred/core/shred_run.h"
#include "support/run_host.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;
using Range = std::pair<off_t, off_t>;
using Inode = std::pair<dev_t, ino_t>;

Inode InodeOf(int fd) {
  struct stat st {};
  ::fstat(fd, &st);
  return {st.st_dev, st.st_ino};
}

// Every write each file received, and each time its data reached the device.
struct RecordingIo : ShredIo {
  struct Event {
    Range range;
    bool durable;
  };
  std::map<Inode, std::vector<Event>> log;

  ssize_t Write(int fd, const void* data, size_t size, off_t offset) override {
    const ssize_t n = ShredIo::Write(fd, data, size, offset);
    if (n > 0) log[InodeOf(fd)].push_back({{offset, offset + n}, false});
    return n;
  }
  int SyncFile(int fd) override {
    const int error = ShredIo::SyncFile(fd);
    if (error == 0) log[InodeOf(fd)].push_back({{}, true});
    return error;
  }
  int SyncFileSystem(int fd) override {
    const int error = ShredIo::SyncFileSystem(fd);
    for (auto& [inode, events] : log) {
      if (error == 0 && inode.first == InodeOf(fd).first) events.push_back({{}, true});
    }
    return error;
  }
};

// Why `events` do not show `passes` whole passes over `data`, each made
// durable before the next began; "" when they do.
std::string PassesMissing(const std::vector<RecordingIo::Event>& events,
                          const std::vector<Range>& data, int64_t passes) {
  if (data.empty()) return "";
  std::vector<std::vector<Range>> rounds(1);
  for (const RecordingIo::Event& e : events) {
    if (!e.durable) {
      rounds.back().push_back(e.range);
    } else if (!rounds.back().empty()) {
      rounds.emplace_back();
    }
  }
  if (!rounds.back().empty()) return "the last pass never reached the device";
  rounds.pop_back();
  if (static_cast<int64_t>(rounds.size()) != passes)
    return std::to_string(rounds.size()) + " durable passes of " + std::to_string(passes);
  for (std::vector<Range>& round : rounds) {
    std::sort(round.begin(), round.end());
    for (const Range& want : data) {
      off_t reached = want.first;
      for (const Range& r : round) {
        if (r.first <= reached) reached = std::max(reached, r.second);
      }
      if (reached < want.second) return "a pass left bytes at " + std::to_string(reached);
    }
  }
  return "";
}

enum class Kind { kPlain, kSparse, kReadOnly, kLinked, kMissing };

struct Planted {
  std::string path;
  Kind kind;
  std::vector<Range> data;
  Inode inode;
};

struct Scenario {
  int64_t passes;
  BatchLimits limits;
  std::vector<Planted> planted;
  std::vector<size_t> rows;  // the file list, as indexes into `planted`
  std::vector<ListedEntry> files, folders;
  std::vector<std::string> folder_paths;
  int64_t abort_at = 0;  // the pump an Abort click lands on; 0 for none
};

void WriteAt(const std::string& path, off_t offset, off_t size, mode_t mode = 0600) {
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!out) out.open(path, std::ios::out | std::ios::binary);
  out.seekp(offset);
  const std::string marker(static_cast<size_t>(size), 'M');
  out.write(marker.data(), static_cast<std::streamsize>(size));
  out.close();
  ::chmod(path.c_str(), mode);
}

template <typename T>
T Pick(std::mt19937_64& rng, std::initializer_list<T> choices) {
  return choices.begin()[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(rng)];
}

Scenario Plant(const std::string& base, std::mt19937_64& rng) {
  auto pick = [&](auto first, auto... rest) {
    return Pick<decltype(first)>(rng, {first, static_cast<decltype(first)>(rest)...});
  };
  auto upto = [&](int64_t n) { return std::uniform_int_distribution<int64_t>(0, n)(rng); };
  Scenario s;
  s.passes = pick(1, 2, 3, 20);
  s.limits.max_files = pick(size_t{1}, 2, 3, 7, BatchLimits::kMaxFiles);
  s.limits.min_bytes = pick(int64_t{4096}, 16384, 65536);
  s.limits.max_bytes = s.limits.min_bytes * pick(1, 2, 4);
  s.limits.descriptors = pick(size_t{2}, 3, 4, 8, 2048);

  const std::string outside = base + "/outside";
  ::mkdir(outside.c_str(), 0700);
  s.folder_paths = {base + "/list", base + "/list/a", base + "/list/a/b"};
  for (const std::string& folder : s.folder_paths) ::mkdir(folder.c_str(), 0700);
  const int64_t count = 1 + upto(9);
  for (int64_t i = 0; i < count; ++i) {
    Planted p;
    p.path = s.folder_paths[static_cast<size_t>(upto(2))] + "/f" + std::to_string(i);
    p.kind = pick(Kind::kPlain, Kind::kPlain, Kind::kPlain, Kind::kPlain, Kind::kSparse,
                  Kind::kReadOnly, Kind::kLinked, Kind::kMissing);
    const off_t size = pick(0, 1, 2) == 0 ? upto(4096) : upto(3 * s.limits.max_bytes);
    if (p.kind == Kind::kSparse) {
      const off_t far = 4096 * (2 + upto(3 * s.limits.max_bytes / 4096));
      WriteAt(p.path, 0, 4096);
      WriteAt(p.path, far, 4096);
      p.data = {{0, 4096}, {far, far + 4096}};
    } else {
      WriteAt(p.path, 0, size, p.kind == Kind::kReadOnly ? 0400 : 0600);
      if (size > 0) p.data = {{0, size}};
    }
    if (p.kind == Kind::kLinked)
      ::link(p.path.c_str(), (outside + "/f" + std::to_string(i)).c_str());
    s.planted.push_back(p);
  }
  for (size_t i = 0; i < s.planted.size(); ++i) s.rows.push_back(i);
  std::shuffle(s.rows.begin(), s.rows.end(), rng);
  // The same file listed twice: next to itself or far from it.
  for (int64_t twice = upto(2); twice > 0; --twice) {
    const size_t at = static_cast<size_t>(upto(static_cast<int64_t>(s.rows.size()) - 1));
    const size_t to = pick(0, 1) ? at + 1 : static_cast<size_t>(upto(int64_t(s.rows.size())));
    s.rows.insert(s.rows.begin() + static_cast<std::ptrdiff_t>(to), s.rows[at]);
  }
  // Each row as a picked file is listed, or as one of two Browse listings of
  // the folder lists it (where the file system allows, by folder entry).
  WalkOptions all;
  all.masks = {"*"};
  const TreeListing walks[] = {WalkTree(base + "/list", all), WalkTree(base + "/list", all)};
  for (size_t row : s.rows) {
    const int64_t how = upto(2);
    std::optional<ListedEntry> entry;
    for (const ListedEntry& e : how < 2 ? walks[how].files : std::deque<ListedEntry>{})
      if (e.path == s.planted[row].path) entry = e;
    s.files.push_back(entry ? *entry : IdentifyPath(s.planted[row].path).value());
  }
  for (Planted& p : s.planted) {
    struct stat st {};
    ::stat(p.path.c_str(), &st);
    p.inode = {st.st_dev, st.st_ino};
    if (p.kind == Kind::kMissing) ::unlink(p.path.c_str());
  }
  if (pick(0, 1) == 0) {
    for (const std::string& folder : s.folder_paths) s.folders.push_back(*IdentifyPath(folder));
    if (pick(0, 1) == 0) s.folders.push_back(s.folders[static_cast<size_t>(upto(2))]);
  }
  if (pick(0, 1, 2) == 0) s.abort_at = 1 + upto(3 * count * s.passes);
  return s;
}

// What a completed run must have left, and what its report must say of it.
void CheckReport(const Scenario& s, const RunOutcome& out,
                 const std::map<size_t, const std::vector<RecordingIo::Event>*>& passesOf) {
  ASSERT_EQ(out.end, RunCheck::kGoOn);
  ASSERT_EQ(out.files.size(), out.file_rows.size());
  std::map<size_t, const Survivor*> survivors;  // by row
  for (size_t i = 0; i < out.files.size(); ++i)
    survivors[static_cast<size_t>(out.file_rows[i])] = &out.files[i];
  std::set<size_t> seen;
  for (size_t row = 0; row < s.rows.size(); ++row) {
    const Planted& p = s.planted[s.rows[row]];
    SCOPED_TRACE(p.path + " at row " + std::to_string(row));
    const bool present = EntryExists(p.path);
    const auto survivor = survivors.find(row);
    if (!seen.insert(s.rows[row]).second) {
      EXPECT_EQ(survivor, survivors.end()) << "a duplicate is named on its own";
      continue;
    }
    if (survivor != survivors.end()) {
      EXPECT_EQ(present, survivor->second->reason != SurvivalReason::kNotFound)
          << DescribeReason(*survivor->second);
      EXPECT_FALSE(DescribeReason(*survivor->second).empty());
    } else {
      ASSERT_FALSE(present) << "counted destroyed, still there";
      if (s.passes > 1) {
        auto events = passesOf.find(s.rows[row]);
        ASSERT_NE(events, passesOf.end());
        EXPECT_EQ(PassesMissing(*events->second, p.data, s.passes), "");
      }
    }
    // What an ordinary file or a missing one must come to.
    const bool kept = p.kind == Kind::kReadOnly || p.kind == Kind::kMissing ||
                      (p.kind == Kind::kLinked && s.passes > 1);
    EXPECT_EQ(survivor != survivors.end(), kept);
    if (p.kind == Kind::kMissing && survivor != survivors.end()) {
      EXPECT_EQ(survivor->second->reason, SurvivalReason::kNotFound);
    }
  }
  EXPECT_EQ(out.files_listed, static_cast<int64_t>(seen.size())) << "each file counts once";
  ASSERT_EQ(out.folders.size(), out.folder_rows.size());
  std::set<int64_t> folders_left(out.folder_rows.begin(), out.folder_rows.end());
  std::set<std::string> named;  // removed last first: a duplicate listed later speaks
  for (size_t row = s.folders.size(); row-- > 0;) {
    const std::string& path = s.folders[row].path;
    if (!named.insert(path).second) {
      EXPECT_EQ(folders_left.count(int64_t(row)), 0u) << "a duplicate is named on its own";
      continue;
    }
    EXPECT_EQ(EntryExists(path), folders_left.count(int64_t(row)) > 0) << path;
  }
  EXPECT_EQ(out.folders_listed, static_cast<int64_t>(named.size())) << "each folder counts once";
}

// One seed: a run, and after an Abort a second one over the same lists.
void RunSeed(const std::string& base, uint64_t seed) {
  std::mt19937_64 rng(seed);
  Scenario s = Plant(base, rng);
  RunLedger ledger;
  RecordingIo io;
  std::map<size_t, const std::vector<RecordingIo::Event>*> passesOf;
  std::vector<std::map<Inode, std::vector<RecordingIo::Event>>> logs;
  logs.reserve(2);
  RunOutcome out;
  for (int round = 0; round < 2; ++round) {
    ShredRun run(s.passes, s.passes > 1, &ledger, s.limits);
    run.pump_every = {};
    run.engine().set_io(&io);
    testing::TestHost host;
    if (round == 0 && s.abort_at > 0)
      host.check = [&] { return host.pumps >= s.abort_at ? RunCheck::kAbort : RunCheck::kGoOn; };
    std::set<size_t> before;
    for (size_t i = 0; i < s.planted.size(); ++i)
      if (EntryExists(s.planted[i].path)) before.insert(i);
    out = run.Destroy(s.files, s.folders, host);
    logs.push_back(std::move(io.log));
    io.log.clear();
    // Each file's passes are those of the run that took its name away.
    for (size_t i : before) {
      if (!EntryExists(s.planted[i].path)) passesOf[i] = &logs.back()[s.planted[i].inode];
    }
    if (out.end != RunCheck::kAbort) break;
    for (const Survivor& partly : out.partly) {
      EXPECT_TRUE(EntryExists(partly.path)) << "kept partly overwritten: " << partly.path;
    }
  }
  CheckReport(s, out, passesOf);
}

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

TEST(ReportAgainstDisk, EveryClaimHoldsOverRandomLists) {
  TempDir t;
  // A file system of its own where root may mount one: fast, and nothing
  // else on it.
  const bool own = ::geteuid() == 0 &&
                   ::mount("tmpfs", t.path().c_str(), "tmpfs", 0, "size=256m,mode=0700") == 0;
  const uint64_t first = FromEnvironment("CORVANE_REPORT_FIRST_SEED", 1);
  const uint64_t seeds = FromEnvironment("CORVANE_REPORT_SEEDS", 300);
  for (uint64_t seed = first; seed < first + seeds && !HasFailure(); ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string base = t / std::to_string(seed);
    ::mkdir(base.c_str(), 0700);
    RunSeed(base, seed);
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
  }
  if (own) ::umount2(t.path().c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace corvane

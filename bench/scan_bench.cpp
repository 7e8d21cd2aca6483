// Measures the folder scan: the directory walk alone against `find -type f`,
// the Browse command through the window against the walk alone, both on the
// same tree, then Browse & Delete against `rm -rf` on an identical tree, and
// on a chain of 3,000 nested folders. Also reports the memory the listing of
// the tree takes.
// Usage: corvane_scan_bench [work-directory [folders]]
#include <fcntl.h>

#include <QApplication>
#include <algorithm>

#include "bench_support.h"
#include "platform/dir_cursor.h"
#include "platform/vector_state.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan/core/tree_walk.h"
#include "shell/form1.h"

using namespace corvane;
using namespace corvane::bench;

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;
constexpr int kChainLevels = 3000;

// The fastest of a few rounds: the tree is in the cache after the first.
double Best(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRounds; ++i) best = std::min(best, Seconds(work));
  return best;
}

// Peak resident memory since the last reset, in MiB.
long PeakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
  }
  return -1;
}

void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// A folder in a folder, `levels` deep, with one file at every level; built
// through descriptors, since its paths outgrow what the system accepts.
void MakeChain(const std::string& root, int levels) {
  std::filesystem::create_directories(root);
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < levels; ++i) {
    ::close(::openat(fd, "f", O_CREAT | O_WRONLY, 0600));
    ::mkdirat(fd, "d", 0700);
    int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ::close(fd);
}

double BrowseAndDelete(AnsweringModal& modal, const std::string& folder) {
  Form1 form;
  form.show();
  form.ShredsAmount->setText(QStringLiteral("1"));
  QCoreApplication::processEvents();
  modal.folder = folder;
  double seconds = Seconds([&] { BrowseDeleteClick(form.Runs); });
  if (std::filesystem::exists(folder)) std::printf("warning: %s was not removed\n", folder.c_str());
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RaiseOpenFileLimit();  // as the program does at start-up
  ClearUpperVectorState();
  AnsweringModal modal;
  SetCurrentModal(&modal);
  std::string work =
      argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/scan-bench-work";
  const int folders = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const int count = folders * kFilesPerFolder;
  std::filesystem::remove_all(work);
  const std::string tree = work + "/tree", copy = work + "/copy";
  std::printf("Work directory: %s\n\n", work.c_str());

  // First, while the process is fresh: the big tree's million entries leave a
  // heap that would slow down what comes after it.
  const std::string chain = work + "/chain", chainCopy = work + "/chain-copy";
  MakeChain(chain, kChainLevels);
  MakeChain(chainCopy, kChainLevels);
  double rmChain = Seconds([&] { Shell("rm -rf " + Quote(chainCopy)); });
  double deleteChain = BrowseAndDelete(modal, chain);
  PrintRatio("3,000 nested folders: Browse & Delete, count 1 / rm -rf", deleteChain, rmChain,
             "<= 2.0");

  std::printf("\nTree: %d files in %d folders\n\n", count, folders);
  MakeTree(tree, folders, count, 0);  // empty files: a million of them fit any tmpfs

  const std::string find = "find " + Quote(tree) + " -type f > /dev/null";
  Shell(find);  // warm the cache
  double findTime = Best([&] { Shell(find); });
  size_t walked = 0;
  double walkTime = 1e300;
  for (int i = 0; i < kRounds; ++i) {
    TreeListing listing;      // freed after the clock stops, as the program keeps it
    ClearUpperVectorState();  // as the program's event pump does before every walk
    walkTime = std::min(walkTime, Seconds([&] {
                          listing = WalkTree(tree, {{"*.*"}, true, {}, {}});
                        }));
    walked = listing.files.size();
  }
  int64_t listed = 0;
  double browseTime = 1e300;
  long peak = 0;
  for (int i = 0; i < kRounds; ++i) {
    ResetPeak();
    Form1 form;
    form.show();
    QCoreApplication::processEvents();
    modal.folder = tree;
    modal.pumps = 0;
    browseTime = std::min(browseTime, Seconds([&] { BrowseFolderClick(form.Runs); }));
    listed = form.List1->ListCount();
    peak = std::max(peak, PeakMiB());
  }
  std::printf("The walk listed %zu files; Browse listed %lld files with %lld pumps.\n\n", walked,
              static_cast<long long>(listed), static_cast<long long>(modal.pumps));
  PrintRatio("Walk alone / find -type f", walkTime, findTime, "<= 1.0");
  PrintRatio("Browse command / walk alone", browseTime, walkTime, "<= 1.5");
  std::printf("%-58s %8ld MiB resident at most  (target < 300 MiB for 1,000,000 files)\n",
              "Browse command, whole process", peak);

  Shell("cp -a " + Quote(tree) + " " + Quote(copy));
  double rmTime = Seconds([&] { Shell("rm -rf " + Quote(copy)); });
  double deleteTime = BrowseAndDelete(modal, tree);
  PrintRatio("Browse & Delete, count 1 / rm -rf", deleteTime, rmTime,
             "<= 1.2 on a disk, 1.3 on tmpfs");

  std::filesystem::remove_all(work);
  SetCurrentModal(nullptr);
  return 0;
}

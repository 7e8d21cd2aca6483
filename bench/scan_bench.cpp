// Measures the folder scan: the directory walk alone against `find -type f`,
// the Browse command through the window against the walk alone, both on the
// same tree, then Browse & Delete against `rm -rf` on an identical tree.
// Usage: corvane_scan_bench [work-directory [folders]]
#include <QApplication>
#include <algorithm>

#include "bench_support.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan/core/directory_walk.h"
#include "shell/form1.h"

using namespace corvane;
using namespace corvane::bench;

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

// The fastest of a few rounds: the tree is in the cache after the first.
double Best(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRounds; ++i) best = std::min(best, Seconds(work));
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  AnsweringModal modal;
  SetCurrentModal(&modal);
  std::string work =
      argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/scan-bench-work";
  const int folders = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const int count = folders * kFilesPerFolder;
  std::filesystem::remove_all(work);
  const std::string tree = work + "/tree", copy = work + "/copy";
  std::printf("Work directory: %s\nTree: %d files in %d folders\n\n", work.c_str(), count, folders);
  MakeTree(tree, folders, count, 1);

  const std::string find = "find " + Quote(tree) + " -type f > /dev/null";
  Shell(find);  // warm the cache
  double findTime = Best([&] { Shell(find); });
  size_t walked = 0;
  double walkTime = Best([&] { walked = GetAllFiles(tree, "*.*", true).Count(); });
  int64_t listed = 0;
  double browseTime = 1e300;
  for (int i = 0; i < kRounds; ++i) {
    Form1 form;
    form.show();
    QCoreApplication::processEvents();
    modal.folder = tree;
    modal.pumps = 0;
    browseTime = std::min(browseTime, Seconds([&] { BrowseFolderClick(form); }));
    listed = form.List1->ListCount();
  }
  std::printf("The walk listed %zu files; Browse listed %lld files with %lld pumps.\n\n", walked,
              static_cast<long long>(listed), static_cast<long long>(modal.pumps));
  PrintRatio("Walk alone / find -type f", walkTime, findTime, "<= 2.0");
  PrintRatio("Browse command / walk alone", browseTime, walkTime, "<= 1.5");

  Shell("cp -a " + Quote(tree) + " " + Quote(copy));
  double rmTime = Seconds([&] { Shell("rm -rf " + Quote(copy)); });
  double deleteTime = 0;
  {
    Form1 form;
    form.show();
    form.ShredsAmount->setText(QStringLiteral("1"));
    QCoreApplication::processEvents();
    modal.folder = tree;
    deleteTime = Seconds([&] { BrowseDeleteClick(form); });
  }
  if (std::filesystem::exists(tree)) std::printf("warning: the tree was not removed\n");
  PrintRatio("Browse & Delete, count 1 / rm -rf", deleteTime, rmTime, "<= 1.5");
  std::filesystem::remove_all(work);
  SetCurrentModal(nullptr);
  return 0;
}

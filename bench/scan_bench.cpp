// Measures the folder scan: the directory walk alone and the Browse command
// through the window, both against `find -type f` on the same tree, then
// Browse & Delete against `rm -rf` on an identical tree.
// Usage: corvane_scan_bench [work-directory [folders]]
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/modal.h"
#include "scan/browse_delete_command.h"
#include "scan/browse_folder_command.h"
#include "scan/core/directory_walk.h"
#include "shell/form1.h"
#include "shell/qt_modal.h"

using namespace corvane;

namespace {

int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of a few rounds: the tree is in the cache after the first.
double Best(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRounds; ++i) best = std::min(best, Seconds(work));
  return best;
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "command failed: %s\n", command.c_str());
    std::exit(1);
  }
}

void MakeTree(const std::string& root) {
  for (int d = 0; d < kFolders; ++d) {
    std::string dir = root + "/d" + std::to_string(d);
    std::filesystem::create_directories(dir);
    for (int f = 0; f < kFilesPerFolder; ++f)
      std::ofstream(dir + "/f" + std::to_string(f) + ".dat") << "x";
  }
}

// The program's own event pump, with the folder choice scripted and every
// message box answered at once.
class BenchModal : public QtModal {
 public:
  int MessageBox(const std::string&, int style, const std::string&) override {
    return (style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
  }
  std::optional<std::string> ChooseFolder(const FolderRequest&) override { return folder; }
  void PumpEvents() override {
    ++pumps;
    QtModal::PumpEvents();
  }
  std::optional<std::string> folder;
  int64_t pumps = 0;
};

void Ratio(const char* what, double ours, double theirs, double target) {
  std::printf("%-44s %8.3f s vs %8.3f s  ratio %5.2f  (target <= %.1f)\n", what, ours, theirs,
              ours / theirs, target);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  BenchModal modal;
  SetCurrentModal(&modal);
  std::string work =
      argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/scan-bench-work";
  if (argc > 2) kFolders = std::max(1, std::atoi(argv[2]));
  std::filesystem::remove_all(work);
  const std::string tree = work + "/tree", copy = work + "/copy";
  std::printf("Work directory: %s\n", work.c_str());
  std::printf("Tree: %d files in %d folders\n\n", kFolders * kFilesPerFolder, kFolders);
  MakeTree(tree);

  const std::string find = "find '" + tree + "' -type f > /dev/null";
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
  std::printf("walk listed %zu files; Browse listed %lld files with %lld pumps\n\n", walked,
              static_cast<long long>(listed), static_cast<long long>(modal.pumps));
  Ratio("GetAllFiles alone vs find -type f", walkTime, findTime, 2.0);
  Ratio("Browse command vs GetAllFiles alone", browseTime, walkTime, 1.5);

  Shell("cp -a '" + tree + "' '" + copy + "'");
  Shell("sync");
  double rmTime = Seconds([&] { Shell("rm -rf '" + copy + "'"); });
  Shell("sync");
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
  Ratio("Browse & Delete (count 1) vs rm -rf", deleteTime, rmTime, 1.5);
  std::filesystem::remove_all(work);
  return 0;
}

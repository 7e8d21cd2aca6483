// Measures the Delete command against GNU shred, rm and the raw write speed of
// the same disk, in one run. Usage: corvane_shred_bench [work-directory]
#include <QApplication>

#include "bench_support.h"
#include "platform/file_ops.h"
#include "shell/form1.h"
#include "shred/core/pattern_source.h"
#include "shred/core/shred_engine.h"
#include "shred/core/shred_run.h"

using namespace corvane;
using namespace corvane::bench;

namespace {

void WriteRandom(const std::string& path, size_t size) {
  PatternSource pattern;
  std::vector<unsigned char> chunk(size_t{4} << 20);
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < size; done += chunk.size()) {
    pattern.Fill(chunk.data(), chunk.size());
    out.write(reinterpret_cast<const char*>(chunk.data()),
              static_cast<std::streamsize>(std::min(chunk.size(), size - done)));
  }
}

// The real command through the window, with both lists filled and no question.
double RunThroughWindow(const std::vector<std::string>& files, const std::vector<std::string>& dirs,
                        const char* count) {
  Form1 form;
  form.show();
  form.ShredsAmount->setText(QString::fromLatin1(count));
  for (const std::string& f : files) form.List1->AddItem(f);
  for (const std::string& d : dirs) form.List2->AddItem(d);
  QCoreApplication::processEvents();
  form.AutoMode = true;
  return Seconds([&] { form.DeleteFiles_Click(); });
}

// The same work done by the engine alone, without a window.
double RunEngineAlone(const std::vector<std::string>& files, const std::vector<std::string>& dirs,
                      int passes) {
  std::vector<ListedEntry> file_entries, dir_entries;
  for (const std::string& f : files) file_entries.push_back(*IdentifyPath(f));
  for (const std::string& d : dirs) dir_entries.push_back(*IdentifyPath(d));
  return Seconds([&] {
    ShredRun run(passes, passes > 1);
    for (const ListedEntry& d : dir_entries) run.ExpectFolder(d);
    for (const ListedEntry& f : file_entries) {
      run.StartFile(f);
      for (int p = 1; p <= passes; ++p) run.FilePass(p);
    }
    for (auto it = dir_entries.rbegin(); it != dir_entries.rend(); ++it) run.RemoveFolder(*it);
  });
}

std::vector<std::string> TreeDirs(const std::string& root, int folders) {
  std::vector<std::string> dirs{root};
  for (int d = 0; d < folders; ++d) dirs.push_back(root + "/d" + std::to_string(d));
  return dirs;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  AnsweringModal modal;
  SetCurrentModal(&modal);
  std::string work = argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/bench-work";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::printf("Work directory: %s\n\n", work.c_str());

  // One 256 MiB file, three passes.
  const size_t big = size_t{256} << 20;
  std::string file = work + "/big";
  WriteRandom(file, big);
  double ours = RunThroughWindow({file}, {}, "3");
  WriteRandom(file, big);
  double shred = Seconds([&] { Shell("shred -n 3 -u " + Quote(file)); });
  double raw = Seconds([&] {
    for (int pass = 0; pass < 3; ++pass)
      Shell("dd if=/dev/zero of=" + Quote(file) +
            " bs=4M count=64 conv=fdatasync,notrunc status=none");
  });
  std::filesystem::remove(file);
  PrintRatio("256 MiB, 3 passes: Corvane / shred -n 3 -u", ours, shred, "<= 0.5");
  std::printf("%-58s %8.3f s vs %8.3f s  share %5.2f  (target >= 0.8)\n",
              "256 MiB, 3 passes: raw dd write speed / Corvane speed", ours, raw, raw / ours);

  // 20,000 files of 4 KiB.
  const int kFiles = 20000, kFolders = 100;
  std::string tree = work + "/tree";
  auto files = MakeTree(tree, kFolders, kFiles, 4096);
  ours = RunThroughWindow(files, TreeDirs(tree, kFolders), "1");
  MakeTree(tree, kFolders, kFiles, 4096);
  double rm = Seconds([&] { Shell("rm -rf " + Quote(tree)); });
  PrintRatio("20,000 x 4 KiB, 1 pass: Corvane / rm -rf", ours, rm, "<= 1.2");

  MakeTree(tree, kFolders, kFiles, 4096);
  double window3 = RunThroughWindow(files, TreeDirs(tree, kFolders), "3");
  MakeTree(tree, kFolders, kFiles, 4096);
  shred = Seconds([&] {
    Shell("find " + Quote(tree) + " -type f -print0 | xargs -0 shred -n 3 -u && rm -rf " +
          Quote(tree));
  });
  PrintRatio("20,000 x 4 KiB, 3 passes: Corvane / shred -n 3 -u", window3, shred, "<= 1.0");

  MakeTree(tree, kFolders, kFiles, 4096);
  double engine3 = RunEngineAlone(files, TreeDirs(tree, kFolders), 3);
  PrintRatio("20,000 x 4 KiB, 3 passes: window / engine alone", window3, engine3, "<= 1.1");
  MakeTree(tree, kFolders, kFiles, 4096);
  double engine1 = RunEngineAlone(files, TreeDirs(tree, kFolders), 1);
  PrintRatio("20,000 x 4 KiB, 1 pass: window / engine alone", ours, engine1, "<= 1.1");

  std::filesystem::remove_all(work);
  SetCurrentModal(nullptr);
  return 0;
}

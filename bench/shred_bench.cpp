// Measures the Delete command against GNU shred, rm, the raw write speed of
// the same disk and a plain script that writes a pass into every file and then
// syncs once, in one run.
// Usage: corvane_shred_bench [work-directory [loop-mounted-directory loopN]]
// With a loop device, the sectors it wrote during the 20-pass run are counted;
// otherwise this process's write_bytes are. BENCH_ONLY=large-file, many-files
// or small-files runs only that workload.
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
  form.Runs.SetAutoMode(true);
  return Seconds([&] { form.DeleteFiles_Click(); });
}

// The same work done by the run alone, without a window.
double RunEngineAlone(const std::vector<std::string>& files, const std::vector<std::string>& dirs,
                      int passes) {
  std::vector<ListedEntry> file_entries, dir_entries;
  for (const std::string& f : files) file_entries.push_back(*IdentifyPath(f));
  for (const std::string& d : dirs) dir_entries.push_back(*IdentifyPath(d));
  // The run the window drives, with a window that does nothing.
  struct NoWindow : RunHost {
    void Advance(int64_t) override {}
    void BeginFolders(int64_t) override {}
    void Pump() override {}
    RunCheck Check() override { return RunCheck::kGoOn; }
  } host;
  return Seconds([&] {
    ShredRun run(passes, passes > 1);
    run.Destroy(file_entries, dir_entries, host);
  });
}

// Bytes written to the device so far: the loop device's sector count, or this
// process's own write_bytes.
int64_t BytesWritten(const std::string& loop) {
  std::string name = "write_bytes:";
  int64_t value = 0;
  if (!loop.empty()) {
    std::ifstream stat("/sys/block/" + loop + "/stat");
    for (int field = 0; field < 7; ++field) stat >> value;  // the 7th: sectors written
    return value * 512;
  }
  std::ifstream io("/proc/self/io");
  for (std::string key; io >> key >> value;) {
    if (key == name) return value;
  }
  return 0;
}

// Pass k into every file, then one syncfs, for each pass: what the device allows.
const char kWriteThenSync[] = R"(python3 -c '
import ctypes, os, sys
libc = ctypes.CDLL(None, use_errno=True)
files = sys.argv[2:]
for k in range(int(sys.argv[1])):
    for f in files:
        fd = os.open(f, os.O_WRONLY)
        os.pwrite(fd, os.urandom(os.fstat(fd).st_size), 0)
        os.close(fd)
    fd = os.open(files[0], os.O_RDONLY)
    libc.syncfs(fd)
    os.close(fd)
for f in files:
    os.unlink(f)
' )";

std::vector<std::string> TreeDirs(const std::string& root, int folders) {
  std::vector<std::string> dirs{root};
  for (int d = 0; d < folders; ++d) dirs.push_back(root + "/d" + std::to_string(d));
  return dirs;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is measured
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  AnsweringModal modal;
  SetCurrentModal(&modal);
  std::string work = argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/bench-work";
  const std::string loop_dir = argc > 3 ? argv[2] : work + "/small";
  const std::string loop = argc > 3 ? argv[3] : "";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  std::filesystem::create_directories(loop_dir);
  std::printf("Work directory: %s\n\n", work.c_str());

  const char* only = std::getenv("BENCH_ONLY");
  auto want = [only](const char* workload) {
    return only == nullptr || std::string(only) == workload;
  };
  if (want("large-file")) {
    // One 256 MiB file, three passes.
    const size_t big = size_t{256} << 20;
    std::string file = work + "/big";
    WriteRandom(file, big);
    const double ours = RunThroughWindow({file}, {}, "3");
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
  }
  if (want("many-files")) {
    // 20,000 files of 4 KiB.
    const int kFiles = 20000, kFolders = 100;
    std::string tree = work + "/tree";
    auto files = MakeTree(tree, kFolders, kFiles, 4096);
    const double ours = RunThroughWindow(files, TreeDirs(tree, kFolders), "1");
    MakeTree(tree, kFolders, kFiles, 4096);
    double rm = Seconds([&] { Shell("rm -rf " + Quote(tree)); });
    PrintRatio("20,000 x 4 KiB, 1 pass: Corvane / rm -rf", ours, rm, "<= 1.2");

    MakeTree(tree, kFolders, kFiles, 4096);
    double window3 = RunThroughWindow(files, TreeDirs(tree, kFolders), "3");
    MakeTree(tree, kFolders, kFiles, 4096);
    const double shred = Seconds([&] {
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

    std::filesystem::remove_all(tree);
  }

  if (want("small-files")) {
    // 2,000 files of 4 KiB, 20 passes, the most common case at the default count.
    const int kSmall = 2000, kPasses = 20;
    const std::string small = loop_dir + "/tree";
    std::vector<std::string> files = MakeTree(small, 20, kSmall, 4096);
    ::sync();  // the files' creation is not billed to the run
    const int64_t before = BytesWritten(loop);
    const double ours20 = RunThroughWindow(files, TreeDirs(small, 20), "20");
    const int64_t after = BytesWritten(loop);
    MakeTree(small, 20, kSmall, 4096);
    const double shred20 = Seconds([&] {
      Shell("find " + Quote(small) + " -type f -print0 | xargs -0 shred -n 20 -u && rm -rf " +
            Quote(small));
    });
    MakeTree(small, 20, kSmall, 4096);
    std::string script = std::string(kWriteThenSync) + " " + std::to_string(kPasses);
    for (const std::string& f : files) script += " " + Quote(f);
    const double plain20 = Seconds([&] { Shell(script + " && rm -rf " + Quote(small)); });
    PrintRatio("2,000 x 4 KiB, 20 passes: Corvane / shred -n 20 -u", ours20, shred20, "<= 0.1");
    PrintRatio("2,000 x 4 KiB, 20 passes: Corvane / write-then-sync script", ours20, plain20,
               "<= 2.0");
    const double data = double(kSmall) * 4096 * kPasses;
    std::printf("%-58s %8.1f MiB of %6.1f MiB  share %5.2f  (target >= 1.0)\n",
                loop.empty() ? "2,000 x 4 KiB, 20 passes: write_bytes / passes x data"
                             : "2,000 x 4 KiB, 20 passes: sectors written / passes x data",
                double(after - before) / (1 << 20), data / (1 << 20),
                double(after - before) / data);
  }

  std::filesystem::remove_all(work);
  SetCurrentModal(nullptr);
  return 0;
}

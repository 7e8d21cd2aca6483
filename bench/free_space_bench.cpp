// Measures the free-space overwrite against dd's sequential write on the same
// file system, a loop-mounted ext4 image on the work directory's disk, with
// both ways of pushing the data to the disk, and the most data left dirty in
// the page cache meanwhile. Needs root. Usage: corvane_free_space_bench [work]
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "shred/core/free_space_fill.h"
#include "shred/core/free_space_place.h"

using namespace corvane;

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// Dirty and write-back pages, in MiB.
double DirtyMiB() {
  std::ifstream in("/proc/meminfo");
  double kib = 0;
  for (std::string key; in >> key;) {
    double value = 0;
    std::string unit;
    in >> value >> unit;
    if (key == "Dirty:" || key == "Writeback:") kib += value;
  }
  return kib / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (::geteuid() != 0) {
    std::printf("skipped: needs root to mount an image\n");
    return 0;
  }
  const std::string work =
      argc > 1 ? argv[1] : std::filesystem::current_path().string() + "/bench-work";
  const std::string image = work + "/fill.img", mnt = work + "/fill-mnt";
  std::filesystem::create_directories(mnt);
  if (!Shell("truncate -s 2G '" + image +
             "' && mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 '" + image +
             "' && mount -o loop '" + image + "' '" + mnt + "'")) {
    std::printf("skipped: no loop mount here\n");
    return 0;
  }
  const FillTarget target = PlaceOf(mnt).target;

  // dd first, over nearly all the free space, on a disk nothing was written to.
  struct statvfs fs {};
  ::statvfs(mnt.c_str(), &fs);
  const uint64_t ddMiB = fs.f_bavail * fs.f_frsize / 100 * 95 >> 20;
  const std::string file = mnt + "/dd";
  ::sync();
  double start = Now();
  Shell("dd if=/dev/zero of='" + file + "' bs=1M count=" + std::to_string(ddMiB) +
        " conv=fdatasync status=none");
  const double ddSpeed = double(ddMiB << 20) / (Now() - start);
  std::filesystem::remove(file);

  for (FlushMode mode : {FlushMode::kPeriodicSync, FlushMode::kWriteBehind}) {
    double dirty = 0;
    FreeSpaceFill fill(target, {mode, false}, [&](uint64_t, uint64_t) {
      dirty = std::max(dirty, DirtyMiB());
      return true;
    });
    ::sync();
    FillReport report = fill.Run();
    const double speed = report.written / report.seconds;
    std::printf(
        "%-46s %6.1f MiB/s vs dd %6.1f MiB/s  share %5.2f  (target >= 0.8)  "
        "dirty at most %6.1f MiB\n",
        mode == FlushMode::kWriteBehind ? "Free space, write-behind (sync_file_range)"
                                        : "Free space, fdatasync every tenth of a second",
        speed / (1 << 20), ddSpeed / (1 << 20), speed / ddSpeed, dirty);
  }
  ::umount(mnt.c_str());
  std::filesystem::remove(image);
  return 0;
}

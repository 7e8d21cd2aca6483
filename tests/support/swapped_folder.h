#pragma once
// A folder named below another user's folder, who may swap it for a link to
// a small tmpfs beside it: under/pub/drop, pub belonging to nobody.
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace corvane::testing {

struct SwappedFolder {
  SwappedFolder(const TempDir& t, const std::string& under)
      : pub(under + "/pub"), drop(pub + "/drop"), other(t.Mkdir("other")) {
    std::filesystem::create_directories(drop);
    ready = ::chown(pub.c_str(), 65534, 65534) == 0 &&
            std::system(("mount -t tmpfs -o size=8M none " + other).c_str()) == 0;
  }
  ~SwappedFolder() { ::umount2(other.c_str(), MNT_DETACH); }

  // Puts nobody's link to the tmpfs where drop was.
  void Swap() const {
    std::filesystem::rename(drop, pub + "/was-drop");
    ForeignSymlink(other, drop);
  }
  void Undo() const {
    if (!std::filesystem::is_symlink(drop)) return;
    std::filesystem::remove(drop);
    std::filesystem::rename(pub + "/was-drop", drop);
  }
  // Blocks in use on the tmpfs.
  uint64_t OtherUsed() const {
    struct statvfs fs {};
    ::statvfs(other.c_str(), &fs);
    return fs.f_blocks - fs.f_bfree;
  }

  std::string pub, drop, other;
  bool ready = false;
};

}  // namespace corvane::testing

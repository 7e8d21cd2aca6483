#pragma once
// A small file system of its own, in an image file loop-mounted inside a
// temporary folder for as long as the object lives. Needs root, the mkfs tool
// and loop devices; `skip` says which was missing.
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace corvane::testing {

class LoopMount {
 public:
  LoopMount(const TempDir& t, const std::string& type, const std::string& options = "")
      : image(t / (type + ".img")), mnt(t.Mkdir(type + "-mnt")) {
    const std::string mkfs = type == "ext4" ? "mkfs.ext4 -q -F -b 4096" : "mkfs." + type + " -q -f";
    if (::geteuid() != 0) {
      skip = "needs root";
    } else if (std::system(("command -v mkfs." + type + " >/dev/null 2>&1").c_str()) != 0) {
      skip = "needs mkfs." + type;
    } else if (std::system(("truncate -s 300M " + image + " && " + mkfs + " " + image +
                            " >/dev/null 2>&1 && mount -o loop" +
                            (options.empty() ? "" : "," + options) + " " + image + " " + mnt +
                            " 2>/dev/null")
                               .c_str()) != 0) {
      skip = "no loop mount here";
    } else {
      mounted = true;
    }
  }
  ~LoopMount() {
    if (mounted && ::umount(mnt.c_str()) != 0) ::umount2(mnt.c_str(), MNT_DETACH);
  }
  LoopMount(const LoopMount&) = delete;
  LoopMount& operator=(const LoopMount&) = delete;

  // Bytes free to root.
  uint64_t Free() const {
    ::sync();
    struct statvfs fs {};
    ::statvfs(mnt.c_str(), &fs);
    return fs.f_bfree * fs.f_frsize;
  }

  // How often `needle` occurs in the raw image.
  int CountInImage(const std::string& needle) const {
    ::sync();
    std::ifstream in(image, std::ios::binary);
    std::string window, block(size_t{1} << 20, '\0');
    int count = 0;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
      window += block.substr(0, static_cast<size_t>(in.gcount()));
      for (size_t at = window.find(needle); at != std::string::npos;
           at = window.find(needle, at + 1))
        ++count;
      window.erase(0, window.size() - std::min(window.size(), needle.size() - 1));
    }
    return count;
  }

  std::string image, mnt, skip;
  bool mounted = false;
};

}  // namespace corvane::testing

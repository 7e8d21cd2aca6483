#pragma once
// The kind of file system an open descriptor lies on, by name.
#include <string>

namespace corvane {

// The type name ("ext4", "proc", "devtmpfs"...) of the file system holding
// `fd`, from the mount table; where that cannot be read, from the statfs
// type, which names fewer kinds. "" when unknown.
std::string FileSystemNameOf(int fd);

// True for a file system the kernel makes up (proc, sysfs, cgroup...), which
// holds no files with content of their own.
bool IsPseudoFileSystem(const std::string& name);

}  // namespace corvane

#pragma once
// A private temporary directory, removed with everything in it (read-only
// entries included) when the test ends.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace corvane::testing {

class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/corvane-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    // Restore write permission so that read-only entries can go too.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  // Creates a file (and its directories) holding `content`; returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::string full = *this / name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  // The same in any directory.
  static std::string WriteAt(const std::string& dir, const std::string& name,
                             const std::string& content) {
    std::string full = dir + "/" + name;
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  std::string Mkdir(const std::string& name) const {
    std::string full = *this / name;
    std::filesystem::create_directories(full);
    return full;
  }

 private:
  std::string path_;
};

// Points HOME somewhere else for as long as it lives.
struct HomeAt {
  std::string saved;
  explicit HomeAt(const std::string& home) : saved(std::getenv("HOME") ? std::getenv("HOME") : "") {
    ::setenv("HOME", home.c_str(), 1);
  }
  ~HomeAt() { ::setenv("HOME", saved.c_str(), 1); }
};

// Makes the symbolic link `link` -> `target` belong to another user (nobody).
// False when that needs root and the tests do not run as root; the link is
// then the caller's own.
inline bool ForeignSymlink(const std::string& target, const std::string& link) {
  if (::symlink(target.c_str(), link.c_str()) != 0) std::abort();
  return ::geteuid() == 0 && ::lchown(link.c_str(), 65534, 65534) == 0;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace corvane::testing

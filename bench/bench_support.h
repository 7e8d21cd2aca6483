#pragma once
// Shared pieces of the benchmarks: a clock, shell commands, file trees, and a
// modal handler that answers every box at once while letting Qt run its events.
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/modal.h"
#include "shell/qt_modal.h"

namespace corvane::bench {

inline double Seconds(const std::function<void()>& work) {
  ::sync();  // no earlier writes may be billed to this measurement
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "command failed: %s\n", command.c_str());
    std::exit(1);
  }
}

inline std::string Quote(const std::string& path) {
  return "'" + path + "'";
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// `count` files of `size` bytes spread over `folders` folders under `root`.
inline std::vector<std::string> MakeTree(const std::string& root, int folders, int count,
                                         size_t size) {
  std::vector<std::string> files;
  std::string content(size, 'x');
  for (int d = 0; d < folders; ++d) {
    std::string dir = root + "/d" + std::to_string(d);
    std::filesystem::create_directories(dir);
    for (int f = d; f < count; f += folders) {
      files.push_back(dir + "/f" + std::to_string(f));
      WriteFile(files.back(), content);
    }
  }
  return files;
}

// The program's own event pump, with the folder choice scripted and every
// message box answered at once.
class AnsweringModal : public QtModal {
 public:
  int MessageBox(const std::string&, int style, const std::string&) override {
    return (style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
  }
  std::optional<std::string> ChooseFolder(const FolderRequest&) override { return folder; }
  FileAnswer ChooseFiles(const FileRequest&) override { return {}; }
  void PumpEvents() override {
    ++pumps;
    QtModal::PumpEvents();
  }
  std::optional<std::string> folder;
  int64_t pumps = 0;
};

inline void PrintRatio(const char* what, double ours, double theirs, const char* target) {
  std::printf("%-58s %8.3f s vs %8.3f s  ratio %5.2f  (target %s)\n", what, ours, theirs,
              ours / theirs, target);
}

}  // namespace corvane::bench

#pragma once
// A window for a run to talk to in tests: it counts the bar's steps and the
// pumps, and says stop or abort where a test tells it to.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "shred/core/shred_run.h"

namespace corvane::testing {

struct TestHost : RunHost {
  int64_t steps = 0;  // since the phase began
  int64_t pumps = 0;
  int64_t passes = 0;              // whole passes of a batch seen so far
  std::optional<int64_t> folders;  // set once the folder phase began
  std::function<void()> on_pump;
  std::function<void(int64_t pass)> on_pass;  // after each whole pass, before its pump
  std::function<RunCheck()> check;

  void Advance(int64_t by) override {
    steps += by;
    if (!folders) pass_ended = true;
  }
  void BeginFolders(int64_t count) override {
    folders = count;
    steps = 0;
  }
  void Pump() override {
    ++pumps;
    if (pass_ended && on_pass) on_pass(++passes);
    pass_ended = false;
    if (on_pump) on_pump();
  }
  RunCheck Check() override { return check ? check() : RunCheck::kGoOn; }

 private:
  bool pass_ended = false;
};

// Runs `files` and `folders` through `run` with `host`, as the Delete command
// does.
inline RunOutcome Destroy(ShredRun& run, const std::vector<ListedEntry>& files,
                          const std::vector<ListedEntry>& folders = {}, RunHost* host = nullptr) {
  TestHost quiet;
  return run.Destroy(files, folders, host != nullptr ? *host : quiet);
}

// One file on its own; nothing when it is gone, else why it stayed.
inline std::optional<Survivor> DestroyOne(ShredRun& run, const ListedEntry& file,
                                          RunHost* host = nullptr) {
  RunOutcome out = Destroy(run, {file}, {}, host);
  if (out.files.empty()) return std::nullopt;
  return out.files.front();
}

}  // namespace corvane::testing

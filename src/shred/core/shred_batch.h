#pragma once
// Files destroyed together, pass by pass: pass k goes into every file of the
// batch, then one wait brings the whole pass to the device, then pass k + 1.
// Waiting once per pass instead of once per file and pass is what makes many
// small files fast; waiting at all is what keeps two passes from merging
// into one write while they are still in memory.
#include <cstdint>
#include <vector>

#include "platform/dir_cursor.h"
#include "platform/held_fd.h"
#include "shred/core/shred_engine.h"

namespace corvane {

// How much one batch may take. A batch takes up to `max_files` files and
// stops taking more once it holds as many bytes as the device took about
// kWaitGoal to sync in the last wait, between `min_bytes` and `max_bytes`, so
// that an Abort is never kept waiting long even on a slow stick; a file
// larger than that goes alone. It holds at most `descriptors` descriptors.
struct BatchLimits {
  static constexpr size_t kMaxFiles = 1024;
  static constexpr int64_t kMinBytes = int64_t{1} << 20;
  static constexpr int64_t kMaxBytes = int64_t{16} << 20;
  static constexpr double kWaitGoal = 0.1;  // seconds

  size_t max_files = kMaxFiles;
  int64_t min_bytes = kMinBytes;
  int64_t max_bytes = kMaxBytes;
  // The folders' chain holds as many again.
  size_t descriptors = DescriptorBudget(2 * kMaxFiles);
};

class ShredBatch {
 public:
  explicit ShredBatch(ShredEngine& engine, const BatchLimits& limits = {});
  ~ShredBatch();
  ShredBatch(const ShredBatch&) = delete;
  ShredBatch& operator=(const ShredBatch&) = delete;

  // True when no further file may join; an empty batch always takes one.
  bool Full() const;
  // Takes `file`, found as `file.name` in `dirfd` (a directory of identity
  // `dir`, borrowed for this call only), and opens it when `open`. False,
  // with nothing kept, when the file is too large to join the files already
  // here: it must start the next batch.
  bool Add(ShredFile file, int dirfd, const EntryId& dir, bool open);
  // A file that is settled before it starts (it could not be reached).
  void AddSettled(ShredFile file) { files_.push_back(std::move(file)); }

  // Pass `pass` of `passes` over every file; after the last one the files are
  // truncated and unlinked. False when the engine was told to stop: the pass
  // ends where it stands.
  bool Pass(int64_t pass, int64_t passes);

  const std::vector<ShredFile>& files() const { return files_; }
  ShredFile& last() { return files_.back(); }
  // After a stop: every file still on its way is closed; those partly
  // overwritten are kept as such, the others were never touched.
  void Stop();
  // Closes everything and forgets the files.
  void Clear();

 private:
  // One wait for the pass just written, on a thread of its own while the
  // window breathes; false when told to stop meanwhile.
  bool MakeDurable();
  // Every file's last checks and unlink, the batch shared between two threads.
  void FinishAll();
  bool WaitFor(std::vector<ShredFile*>& open);

  ShredEngine& engine_;
  std::vector<ShredFile> files_;
  std::vector<std::pair<EntryId, HeldFd>> dirs_;  // held directories
  BatchLimits limits_;
  int64_t bytes_ = 0;
  int64_t byte_bound_;  // learnt from the waits, kept across batches
  size_t descriptors_ = 0;
};

}  // namespace corvane

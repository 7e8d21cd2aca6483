#pragma once
// Destroys one listed file, pass by pass, acting only on the very object that
// was listed.
//
// The file is reached as a name inside an open directory and checked against
// the identity it had when it was listed, right before each step. With a
// count above one it is opened once (never through a link, never anything
// but a regular file) and every pass overwrites, through that one
// descriptor, every region that holds data with an unpredictable pattern and
// forces it to the device; holes are left alone, so a sparse file never
// fills a disk. The last pass truncates the file and removes its name. With
// a count of one a pass is a plain unlink of the name.
//
// A file is kept, with its reason, when it is read-only, is no longer the
// listed object, has other hard links (its content would live on under them),
// could not be overwritten, or keeps growing while it is overwritten.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/entry_id.h"
#include "shred/core/pattern_source.h"
#include "shred/core/survivor.h"

namespace corvane {

enum class FileState { kInProgress, kGone, kKept };

// The steps that touch the file system, for a test to act just before one.
enum class ShredStep { kOpen, kOverwrite, kTruncate, kUnlink, kRemoveFolder };

class ShredEngine {
 public:
  // `between_chunks` runs between two chunks of a long overwrite, so that a
  // window stays alive while a large file is written.
  explicit ShredEngine(std::function<void()> between_chunks = {});
  ~ShredEngine();
  ShredEngine(const ShredEngine&) = delete;
  ShredEngine& operator=(const ShredEngine&) = delete;

  // Runs just before each step; only tests set it.
  std::function<void(ShredStep)> before_step;

  // Starts on the entry `name` of the open directory `dirfd` (which must stay
  // open until the file is finished). It must be the object `id`.
  void Begin(int dirfd, std::string name, EntryId id, int64_t passes, bool overwrite);
  // Pass `pass`, from 1 to `passes`. Does nothing once the file is finished.
  FileState Pass(int64_t pass);
  // Forgets the current file without touching it: later passes do nothing.
  void Drop();

  FileState state() const { return state_; }
  // Why the file was kept.
  SurvivalReason reason() const { return reason_; }
  int error() const { return error_; }

  static constexpr size_t kChunkSize = size_t{4} << 20;
  // How often a file that grows while it is overwritten is caught up with.
  static constexpr int kGrowthRetries = 3;

 private:
  FileState Keep(SurvivalReason reason, int error = 0);
  // Checks that the name still leads to the listed object; sets the reason.
  bool NameStillLeadsToIt(struct stat& st);
  bool OverwritePass();
  // Overwrites the regions holding data in [from, to). 0 or errno.
  int OverwriteRange(int64_t from, int64_t to);
  int WriteRegion(int64_t from, int64_t to);
  FileState Unlink();
  void CloseFile();
  void Hook(ShredStep step);

  std::function<void()> between_chunks_;
  std::unique_ptr<PatternSource> pattern_;
  std::vector<unsigned char> buffer_;

  int dirfd_ = -1;
  std::string name_;
  EntryId id_;
  int64_t passes_ = 0;
  bool overwrite_ = false;
  int fd_ = -1;
  FileState state_ = FileState::kGone;
  SurvivalReason reason_ = SurvivalReason::kOther;
  int error_ = 0;
};

}  // namespace corvane

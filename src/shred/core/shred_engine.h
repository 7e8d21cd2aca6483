#pragma once
// Destroys listed files, acting only on the very objects that were listed.
//
// A file is reached as a name inside an open directory and checked against
// the identity it had when it was listed, right before each step. With a
// count above one it is opened once (never through a link, never anything
// but a regular file) and every pass overwrites, through that one
// descriptor, every region that holds data with an unpredictable pattern;
// holes are left alone, so a sparse file never fills a disk. After the last
// pass the file is truncated and its name removed. With a count of one the
// only step is a plain unlink of the name.
//
// The engine writes one pass into one file; making the pass durable is left
// to the caller (ShredBatch), which waits once for a whole batch of files.
//
// A file is kept, with its reason, when it is read-only, is no longer the
// listed object, is a mount point of its own (a bind-mounted file), has other
// hard links (its content would live on under them), could not be
// overwritten, keeps growing while it is overwritten, or lies in an
// overlay's lower layer (no write through the overlay reaches it).
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/entry_id.h"
#include "shred/core/pattern_source.h"
#include "shred/core/shred_io.h"
#include "shred/core/survivor.h"

namespace corvane {

enum class FileState { kInProgress, kGone, kKept };

// The steps that touch the file system, for a test to act just before one.
// kOpenChecked comes between the name's check and the open itself.
enum class ShredStep { kOpen, kOpenChecked, kOverwrite, kTruncate, kUnlink, kRemoveFolder };

// One file on its way: where it is, what it must be, how far it got.
struct ShredFile {
  std::string path;  // as listed, for the report
  int dirfd = -1;    // the open directory holding `name`; not owned
  std::string name;
  EntryId id;         // as listed, then as the run last read it
  bool read = false;  // `id` comes from this run's own read
  int fd = -1;
  int64_t size = 0;  // when it was opened
  FileState state = FileState::kInProgress;
  SurvivalReason reason = SurvivalReason::kOther;
  int error = 0;
  bool touched = false;  // some of its content was overwritten already
  // Where its old content may survive once it is gone (FileSystemTally).
  std::optional<size_t> risk_place;
};

class ShredEngine {
 public:
  // `between_chunks` runs between two chunks of a long write and between two
  // files of a batch, so that a window stays alive; `stop` is asked right
  // after it, and a true answer ends the pass where it stands.
  explicit ShredEngine(std::function<void()> between_chunks = {}, std::function<bool()> stop = {});
  ShredEngine(const ShredEngine&) = delete;
  ShredEngine& operator=(const ShredEngine&) = delete;

  // Runs just before each step; only tests set it.
  std::function<void(ShredStep)> before_step;
  // Where writes and waits go; only tests change it.
  void set_io(ShredIo* io) { io_ = io; }
  ShredIo& io() { return *io_; }

  // Checks `file` and opens it for overwriting (a regular file only: anything
  // else is left closed and just unlinked at the end). A file larger than
  // `max_size` is neither opened nor changed; false then, true otherwise.
  bool Open(ShredFile& file, int64_t max_size);
  // Overwrites the open file once, without waiting for the device. False
  // when `stop` ended the pass with the file partly overwritten.
  bool Write(ShredFile& file);
  // After the last pass: truncates the file and removes its name. Two files
  // may be finished at once on two threads.
  void Finish(ShredFile& file);
  // Lets the window breathe; true when the caller must stop.
  bool Breathe();

  static void Close(ShredFile& file);
  static void Keep(ShredFile& file, SurvivalReason reason, int error = 0);

  static constexpr size_t kChunkSize = size_t{1} << 20;
  // A longer write is paced: at most this much of it waits in memory for the
  // device, so that the wait at the end of a pass stays short.
  static constexpr int64_t kInFlight = int64_t{8} << 20;
  // How often a file that grows while it is overwritten is caught up with.
  static constexpr int kGrowthRetries = 3;

 private:
  // Checks that the name still leads to the listed object; sets the reason.
  bool NameStillLeadsToIt(ShredFile& file, EntryInfo& st);
  // Overwrites the regions holding data in [from, to). 0, errno, or -1 when
  // stopped.
  int OverwriteRange(ShredFile& file, int64_t from, int64_t to);
  int WriteRegion(ShredFile& file, int64_t from, int64_t to);
  // Waits for the paced write's last chunks; false when stopped.
  bool Drain(ShredFile& file);
  void Hook(ShredStep step);

  std::mutex hook_mutex_;  // Finish runs on two threads; a test's hook on one at a time
  std::function<void()> between_chunks_;
  std::function<bool()> stop_;
  std::unique_ptr<PatternSource> pattern_;
  std::vector<unsigned char> buffer_;
  ShredIo own_io_;
  ShredIo* io_ = &own_io_;
  bool paced_ = false;  // the current write is paced
  // The paced write's chunks not yet known to be written back, oldest first.
  std::deque<std::pair<int64_t, int64_t>> in_flight_;
};

}  // namespace corvane

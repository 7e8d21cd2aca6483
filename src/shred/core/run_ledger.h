#pragma once
// What Corvane itself destroyed, by identity, kept by the window until the
// lists are emptied. An entry that is no longer at its place is counted as
// destroyed only when it is in here (destroyed earlier in this run, as a
// duplicate, or by a run that was aborted); otherwise it was moved, renamed
// or deleted by something else. The same entry taken twice in one run is a
// duplicate: destroyed once, counted once. An entry is taken only once the
// run really has it (a file that did not fit a batch is offered again and
// must not be mistaken for its own duplicate).
#include <cstdint>
#include <vector>

#include "platform/entry_id.h"

namespace corvane {

class RunLedger {
 public:
  // A new run begins: nothing has been met in it yet.
  void BeginRun() { ++run_; }
  // True when `id` was taken already in this run.
  bool TakenInRun(const EntryId& id) const;
  // Notes that the run has taken `id`: it settles or destroys it. `read`:
  // the run read `id` from the object itself, rather than from a listing.
  void Take(const EntryId& id, bool read);
  // Notes that this run has come to an end with the object `id`; false when
  // it had already, under another listing.
  bool SettleOnce(const EntryId& id, bool read);
  // `id` is the object as the run read it, never a listing's kBornBy.
  void MarkDestroyed(const EntryId& id);
  // True when Corvane destroyed the object listed as `id`.
  bool Destroyed(const EntryId& id) const;
  void Clear();

 private:
  static constexpr uint32_t kNoMark = UINT32_MAX;
  struct Mark {
    EntryId id;
    uint32_t takenIn = 0;  // runs
    uint32_t settledIn = 0;
    uint32_t next = kNoMark;  // the next mark of the same bucket, in the order taken
    bool read = false;
    bool destroyed = false;
    uint64_t destroyedAt = 0;  // real-time nanoseconds
  };
  enum class Sought { kTaken, kSettled, kDestroyed };
  const Mark* Find(const EntryId& id, Sought sought) const;
  Mark& MarkOf(const EntryId& id, bool read);
  size_t BucketOf(const EntryId& id) const;
  void Grow();
  // By device and inode number: a listing by folder entry is matched by the
  // object's birth, which only the run reads. A million files make two
  // million marks, so they lie in one array chained by index, without a
  // node of their own.
  std::vector<Mark> marks_;
  std::vector<uint32_t> buckets_;  // the first mark of each bucket
  uint32_t run_ = 0;
};

}  // namespace corvane

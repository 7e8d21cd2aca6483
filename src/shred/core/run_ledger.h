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
#include <unordered_map>

#include "platform/entry_id.h"

namespace corvane {

class RunLedger {
 public:
  // A new run begins: nothing has been met in it yet.
  void BeginRun() { ++run_; }
  // True when `id` was taken already in this run.
  bool TakenInRun(const EntryId& id) const;
  // Notes that the run has taken `id`: it settles or destroys it.
  void Take(const EntryId& id);
  void MarkDestroyed(const EntryId& id) { marks_[id].destroyed = true; }
  bool Destroyed(const EntryId& id) const;
  void Clear() { marks_.clear(); }

 private:
  struct Hash {
    size_t operator()(const EntryId& id) const {
      return std::hash<uint64_t>{}(id.ino ^ (id.stamp * 0x9E3779B97F4A7C15ULL) ^
                                   (uint64_t{id.dev} << 40));
    }
  };
  struct Mark {
    uint32_t run = 0;
    bool destroyed = false;
  };
  std::unordered_map<EntryId, Mark, Hash> marks_;
  uint32_t run_ = 0;
};

}  // namespace corvane

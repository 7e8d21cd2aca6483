#include "shred/core/run_ledger.h"

#include <time.h>

namespace corvane {

namespace {

// True when the object a listing knows as `listed` may be taken for the one
// a mark knows as `marked`. Two listings by entry are one object only when
// one walk made both. A listing by entry stands for an object the run read
// when that was born by its stamp: every listing is older than the run's
// reads, and an inode number reused since the listing is born after it.
bool SameObject(const EntryId& listed, const EntryId& marked, bool markedRead) {
  if (marked.kind == Stamp::kBornBy) return listed == marked;
  if (listed.kind == Stamp::kBornBy) return markedRead && SameEntry(listed, marked);
  return listed == marked;
}

uint64_t Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(now.tv_nsec);
}

}  // namespace

const RunLedger::Mark* RunLedger::Find(const EntryId& id, Sought sought) const {
  if (id == EntryId{}) return nullptr;  // listed without an identity: never merged
  auto found = marks_.find({id.dev, id.ino});
  if (found == marks_.end()) return nullptr;
  for (const Mark& mark : found->second) {
    switch (sought) {
      case Sought::kTaken:
        if (mark.takenIn != run_) continue;
        break;
      case Sought::kSettled:
        if (mark.settledIn != run_) continue;
        break;
      case Sought::kDestroyed:
        // A listing by entry was made after its walk began; an object
        // destroyed before then was not the one it saw. Within one run every
        // listing is older than every read, so no such test is needed there.
        if (!mark.destroyed || (id.kind == Stamp::kBornBy && mark.destroyedAt <= id.stamp))
          continue;
        break;
    }
    if (SameObject(id, mark.id, mark.read)) return &mark;
  }
  return nullptr;
}

RunLedger::Mark& RunLedger::MarkOf(const EntryId& id, bool read) {
  std::vector<Mark>& marks = marks_[{id.dev, id.ino}];
  for (Mark& mark : marks) {
    if (mark.id == id) {
      mark.read = mark.read || read;
      return mark;
    }
  }
  return marks.emplace_back(Mark{id, read});
}

bool RunLedger::TakenInRun(const EntryId& id) const {
  return Find(id, Sought::kTaken) != nullptr;
}

void RunLedger::Take(const EntryId& id, bool read) {
  if (id != EntryId{}) MarkOf(id, read).takenIn = run_;
}

bool RunLedger::SettleOnce(const EntryId& id, bool read) {
  if (id == EntryId{}) return true;
  if (Find(id, Sought::kSettled) != nullptr) return false;
  MarkOf(id, read).settledIn = run_;
  return true;
}

void RunLedger::MarkDestroyed(const EntryId& id) {
  Mark& mark = MarkOf(id, true);
  mark.takenIn = mark.settledIn = run_;
  mark.destroyed = true;
  mark.destroyedAt = Now();
}

bool RunLedger::Destroyed(const EntryId& id) const {
  return Find(id, Sought::kDestroyed) != nullptr;
}

}  // namespace corvane

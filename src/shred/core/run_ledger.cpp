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

size_t RunLedger::BucketOf(const EntryId& id) const {
  // Files listed together mostly have neighbouring inode numbers: keeping
  // those in neighbouring buckets keeps a million lookups in the cache.
  const uint64_t key = id.ino ^ (uint64_t{id.dev} << 40);
  return static_cast<size_t>(key ^ (key >> 23) ^ (key >> 47)) & (buckets_.size() - 1);
}

void RunLedger::Grow() {
  buckets_.assign(buckets_.empty() ? 1024 : 2 * buckets_.size(), kNoMark);
  // Linked from the last to the first, so that each chain keeps the order in
  // which its marks were taken.
  for (size_t i = marks_.size(); i-- > 0;) {
    const size_t bucket = BucketOf(marks_[i].id);
    marks_[i].next = buckets_[bucket];
    buckets_[bucket] = static_cast<uint32_t>(i);
  }
}

const RunLedger::Mark* RunLedger::Find(const EntryId& id, Sought sought) const {
  if (id == EntryId{} || buckets_.empty()) return nullptr;  // no identity: never merged
  for (uint32_t i = buckets_[BucketOf(id)]; i != kNoMark; i = marks_[i].next) {
    const Mark& mark = marks_[i];
    if (mark.id.dev != id.dev || mark.id.ino != id.ino) continue;
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
  if (marks_.size() >= buckets_.size()) Grow();
  uint32_t* link = &buckets_[BucketOf(id)];
  for (; *link != kNoMark; link = &marks_[*link].next) {
    Mark& mark = marks_[*link];
    if (mark.id == id) {
      mark.read = mark.read || read;
      return mark;
    }
  }
  *link = static_cast<uint32_t>(marks_.size());
  Mark& added = marks_.emplace_back();
  added.id = id;
  added.read = read;
  return added;
}

void RunLedger::Clear() {
  // The memory goes too: the lists it served may have held millions.
  std::vector<Mark>().swap(marks_);
  std::vector<uint32_t>().swap(buckets_);
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

#include "shred/core/run_ledger.h"

namespace corvane {

bool RunLedger::MetBefore(const EntryId& id) {
  if (id == EntryId{}) return false;  // listed without an identity: never merged
  Mark& mark = marks_[id];
  if (mark.run == run_) return true;
  mark.run = run_;
  return false;
}

bool RunLedger::Destroyed(const EntryId& id) const {
  auto found = marks_.find(id);
  return found != marks_.end() && found->second.destroyed;
}

}  // namespace corvane

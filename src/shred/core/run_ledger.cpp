#include "shred/core/run_ledger.h"

namespace corvane {

bool RunLedger::TakenInRun(const EntryId& id) const {
  if (id == EntryId{}) return false;  // listed without an identity: never merged
  auto found = marks_.find(id);
  return found != marks_.end() && found->second.run == run_;
}

void RunLedger::Take(const EntryId& id) {
  if (id != EntryId{}) marks_[id].run = run_;
}

bool RunLedger::Destroyed(const EntryId& id) const {
  auto found = marks_.find(id);
  return found != marks_.end() && found->second.destroyed;
}

}  // namespace corvane

#include "platform/modal.h"

#include <stdexcept>

namespace corvane {
namespace {
Modal* g_modal = nullptr;
}

Modal& CurrentModal() {
  if (g_modal == nullptr) throw std::logic_error("no modal interaction handler installed");
  return *g_modal;
}

void SetCurrentModal(Modal* modal) {
  g_modal = modal;
}

}  // namespace corvane

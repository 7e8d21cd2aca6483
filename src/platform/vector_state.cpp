#include "platform/vector_state.h"

namespace corvane {

#if defined(__x86_64__) || defined(__i386__)
namespace {
__attribute__((target("avx"))) void ZeroUpper() {
  __builtin_ia32_vzeroupper();
}
}  // namespace

void ClearUpperVectorState() {
  static const bool has_avx = __builtin_cpu_supports("avx");
  if (has_avx) ZeroUpper();
}
#else
void ClearUpperVectorState() {}
#endif

}  // namespace corvane

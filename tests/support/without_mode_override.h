#pragma once
// While it lives, the calling thread gives up root's power to open what the
// modes forbid (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH), so that a test run as
// root meets a folder without read permission the way any user does.
// Capabilities belong to the thread, so nothing else in the process changes;
// without those capabilities it changes nothing.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace corvane::testing {

class WithoutModeOverride {
 public:
  WithoutModeOverride() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    held_ = ::syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutModeOverride() {
    if (held_) ::syscall(SYS_capset, &header_, saved_);
  }
  WithoutModeOverride(const WithoutModeOverride&) = delete;
  WithoutModeOverride& operator=(const WithoutModeOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool held_ = false;
};

}  // namespace corvane::testing

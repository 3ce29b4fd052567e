#include "support/permissions.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace brannoc::test {
namespace {

bool GetCaps(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capget, &header, data) == 0;
}

bool SetCaps(__user_cap_data_struct (&data)[2]) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  return ::syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

ScopedObeyPermissions::ScopedObeyPermissions() {
  __user_cap_data_struct data[2] = {};
  if (!GetCaps(data)) return;
  effective_[0] = data[0].effective;
  effective_[1] = data[1].effective;
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  dropped_ = SetCaps(data);
}

ScopedObeyPermissions::~ScopedObeyPermissions() {
  if (!dropped_) return;
  __user_cap_data_struct data[2] = {};
  if (!GetCaps(data)) return;
  data[0].effective = effective_[0];
  data[1].effective = effective_[1];
  SetCaps(data);
}

}  // namespace brannoc::test

#pragma once
// Read-only folders and files only stop a process that obeys permissions. Tests
// run as root on the build machines, and root ignores them; while an instance of
// this class lives, the process gives up that power (CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH) and obeys permissions like any user.

namespace brannoc::test {

class ScopedObeyPermissions {
 public:
  ScopedObeyPermissions();
  ~ScopedObeyPermissions();
  ScopedObeyPermissions(const ScopedObeyPermissions&) = delete;
  ScopedObeyPermissions& operator=(const ScopedObeyPermissions&) = delete;

 private:
  bool dropped_ = false;
  unsigned effective_[2] = {0, 0};
};

}  // namespace brannoc::test

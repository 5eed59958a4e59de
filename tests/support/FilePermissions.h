#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace testsupport {

// While it lives, the calling thread is held to the permissions of files and folders as any
// user is. A process running as root (a container, a build machine) reads every file, whatever
// its mode, through two capabilities of its threads; this thread lets them go, so that a file
// of mode 000 is refused to it with the system's own "Permission denied". Without them to
// begin with, nothing changes. Capabilities belong to each thread: the others keep theirs.
class FilePermissionsEnforced {
  public:
    FilePermissionsEnforced() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
        dropped[0].effective &= ~(bit(CAP_DAC_OVERRIDE) | bit(CAP_DAC_READ_SEARCH));
        changed_ = ::syscall(SYS_capset, &header_, dropped) == 0;
    }
    ~FilePermissionsEnforced() {
        // What was let go comes back: it was kept among the thread's permitted capabilities.
        if (changed_) ::syscall(SYS_capset, &header_, saved_);
    }
    FilePermissionsEnforced(const FilePermissionsEnforced&) = delete;
    FilePermissionsEnforced& operator=(const FilePermissionsEnforced&) = delete;

  private:
    static uint32_t bit(int capability) { return uint32_t(1) << capability; }

    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

}  // namespace testsupport

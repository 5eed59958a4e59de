#pragma once

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

// While it lives, the calling thread's file accesses obey the permission bits, as a user's
// do, even when the tests run as the superuser: the two capabilities that pass over them are
// left out of the thread's effective set (they stay permitted and come back at the end).
class PermissionBitsHold {
  public:
    PermissionBitsHold() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        EXPECT_EQ(::syscall(SYS_capget, &header_, before_), 0);
        __user_cap_data_struct data[2] = {before_[0], before_[1]};
        data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        EXPECT_EQ(::syscall(SYS_capset, &header_, data), 0);
    }
    ~PermissionBitsHold() { ::syscall(SYS_capset, &header_, before_); }
    PermissionBitsHold(const PermissionBitsHold&) = delete;
    PermissionBitsHold& operator=(const PermissionBitsHold&) = delete;

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct before_[2]{};
};

}  // namespace testsupport

// The calling thread's kernel id, as traces name threads, asked of the kernel once per thread:
// every traced record names its thread and a system call each time costs more than the record.
#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace tevra::platform {

inline pid_t ThisThreadId() {
  thread_local const pid_t id = gettid();
  return id;
}

}  // namespace tevra::platform

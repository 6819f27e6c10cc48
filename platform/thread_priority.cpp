#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace brambel {

namespace {

id_t currentThreadId() { return static_cast<id_t>(syscall(SYS_gettid)); }

}  // namespace

bool setCurrentThreadPriority(ThreadPriority priority) {
  int nice = priority == ThreadPriority::kLowest ? 19 : 0;
  // Raising a thread back to 0 needs privileges once it was lowered; a thread
  // that is already as low as asked has nothing to do.
  if (currentThreadNiceValue() == nice) return true;
  return setpriority(PRIO_PROCESS, currentThreadId(), nice) == 0;
}

int currentThreadNiceValue() {
  errno = 0;
  return getpriority(PRIO_PROCESS, currentThreadId());
}

}  // namespace brambel

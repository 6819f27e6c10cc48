#pragma once

namespace brambel {

enum class ThreadPriority {
  kNormal,
  // The lowest priority an unprivileged thread can take: nice 19. Chosen over
  // SCHED_IDLE so that background work still advances on a busy machine
  // instead of starving behind every other process.
  kLowest,
};

// Sets the calling thread's priority (Linux keeps a nice value per thread).
// False when the system refused; the thread then runs as it was.
bool setCurrentThreadPriority(ThreadPriority priority);

// The calling thread's nice value.
int currentThreadNiceValue();

}  // namespace brambel

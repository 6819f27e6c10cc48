#include "ui/main/process_priority.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace brambel {
namespace {

constexpr int kIdleNice = 19;

int startingNice() {
  static const int nice = [] {
    errno = 0;
    int value = ::getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? value : 0;
  }();
  return nice;
}

bool mayRaiseTo(int nice) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NICE, &limit) != 0) return false;
  // RLIMIT_NICE allows nice values down to 20 − limit; privileged processes ignore it.
  const long lowest = limit.rlim_cur == RLIM_INFINITY ? -20 : 20 - static_cast<long>(limit.rlim_cur);
  return nice >= lowest || ::geteuid() == 0;
}

}  // namespace

void setBackgroundPriority(bool background) {
  static const bool permitted = mayRaiseTo(startingNice());
  if (!permitted) return;
  ::setpriority(PRIO_PROCESS, 0, background ? kIdleNice : startingNice());
}

}  // namespace brambel

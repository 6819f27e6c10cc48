#include "platform/process_identity.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace brambel {

ProcessIdentity currentProcessIdentity() {
  ProcessIdentity identity;
  std::array<char, 256> host{};
  if (gethostname(host.data(), host.size() - 1) == 0) identity.computer = host.data();
  if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name) identity.user = entry->pw_name;
  if (identity.computer.size() > kIdentityNameLimit) identity.computer.resize(kIdentityNameLimit);
  if (identity.user.size() > kIdentityNameLimit) identity.user.resize(kIdentityNameLimit);
  identity.processId = static_cast<long>(getpid());
  return identity;
}

bool isProcessRunning(long processId) {
  if (processId <= 0) return false;
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

}  // namespace brambel

#pragma once

#include <string>

namespace brambel {

// Who this process is, as another process on the same library sees it.
struct ProcessIdentity {
  std::string computer;  // host name, at most 15 bytes
  std::string user;      // login name, at most 15 bytes
  long processId = 0;

  // Same computer and same user: the other process's window may be raised.
  bool sameSeatAs(const ProcessIdentity& other) const {
    return computer == other.computer && user == other.user;
  }
  bool operator==(const ProcessIdentity&) const = default;
};

// Names are cut to 15 bytes, as they are kept in 16-byte buffers.
inline constexpr size_t kIdentityNameLimit = 15;

ProcessIdentity currentProcessIdentity();

// Whether a process with that id is alive on this computer.
bool isProcessRunning(long processId);

}  // namespace brambel

#pragma once

#include <string>
#include <vector>

namespace brambel {

// The process-wide connect-to table: entries "HOST:PORT:HOST2:PORT2" send
// every request for HOST:PORT to HOST2:PORT2 instead, while the request still
// names HOST (Host header, TLS server name). An empty HOST or PORT matches any;
// an empty HOST2 or PORT2 keeps the request's own.
// Tests use it to reach loopback servers under real host names; brambel-cli
// fills it from its --connect-to options.

// Adds an entry; false when it is not of the form above. Later entries are
// consulted after earlier ones.
bool addConnectTo(const std::string& entry);
// Removes one occurrence of an entry added before.
void removeConnectTo(const std::string& entry);
// A copy of the table, in order, taken under its lock.
std::vector<std::string> connectToEntries();

}  // namespace brambel

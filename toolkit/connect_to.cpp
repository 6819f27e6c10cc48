#include "toolkit/connect_to.h"

#include <algorithm>
#include <mutex>

namespace brambel {
namespace {

std::mutex tableMutex;
std::vector<std::string>& table() {
  static std::vector<std::string> entries;
  return entries;
}

// HOST:PORT:HOST2:PORT2 where both ports are empty or decimal (an empty
// HOST2 or PORT2 keeps the request's own). A host may be
// an IPv6 address in brackets, so the fields are found from the brackets out.
bool isWellFormed(const std::string& entry) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() < 4) {
    size_t end = start;
    if (end < entry.size() && entry[end] == '[') {
      end = entry.find(']', end);
      if (end == std::string::npos) return false;
    }
    end = entry.find(':', end);
    if (fields.size() == 3) {
      if (end != std::string::npos) return false;
      fields.push_back(entry.substr(start));
      break;
    }
    if (end == std::string::npos) return false;
    fields.push_back(entry.substr(start, end - start));
    start = end + 1;
  }
  auto isPort = [](const std::string& port) {
    return port.size() <= 5 && std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return isPort(fields[1]) && isPort(fields[3]);
}

}  // namespace

bool addConnectTo(const std::string& entry) {
  if (!isWellFormed(entry)) return false;
  std::lock_guard lock(tableMutex);
  table().push_back(entry);
  return true;
}

void removeConnectTo(const std::string& entry) {
  std::lock_guard lock(tableMutex);
  auto& entries = table();
  auto found = std::find(entries.begin(), entries.end(), entry);
  if (found != entries.end()) entries.erase(found);
}

std::vector<std::string> connectToEntries() {
  std::lock_guard lock(tableMutex);
  return table();
}

}  // namespace brambel

#pragma once

#include <string>
#include <thread>

namespace brambel::cli {

// Serves one saved page to whatever asks, on an ephemeral loopback port, so a
// source can read it through its ordinary request cycle without the network.
// Every request, whatever its path or method, gets the page with status 200
// and `contentType` (no Content-Type header when empty).
class SavedPageServer {
 public:
  SavedPageServer(std::string page, std::string contentType);
  ~SavedPageServer();
  SavedPageServer(const SavedPageServer&) = delete;
  SavedPageServer& operator=(const SavedPageServer&) = delete;

  // False when no port could be opened.
  bool listening() const { return listener_ >= 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT/".
  std::string url() const;

 private:
  void serve();
  void answer(int connection) const;

  const std::string page_;
  const std::string contentType_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace brambel::cli

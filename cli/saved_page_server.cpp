#include "cli/saved_page_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "toolkit/ascii_case.h"

namespace brambel::cli {
namespace {

constexpr size_t kMaxRequestBytes = 1 << 20;

// Reads the request head and as much body as its Content-Length announces,
// so the client never sees its request cut off.
void drainRequest(int connection) {
  std::string request;
  char buffer[4096];
  size_t headEnd = std::string::npos;
  size_t wanted = 0;
  while (request.size() < kMaxRequestBytes) {
    if (headEnd != std::string::npos && request.size() >= headEnd + 4 + wanted) return;
    ssize_t got = recv(connection, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    request.append(buffer, static_cast<size_t>(got));
    if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
      std::string head = lowerAscii(std::string_view(request).substr(0, headEnd));
      if (size_t at = head.find("\ncontent-length:"); at != std::string::npos)
        wanted = std::strtoull(head.c_str() + at + 16, nullptr, 10);
    }
  }
}

}  // namespace

SavedPageServer::SavedPageServer(std::string page, std::string contentType)
    : page_(std::move(page)), contentType_(std::move(contentType)) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return;
  }
  listener_ = fd;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { serve(); });
}

SavedPageServer::~SavedPageServer() {
  if (listener_ < 0) return;
  // Wakes the blocked accept.
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

std::string SavedPageServer::url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

void SavedPageServer::serve() {
  for (;;) {
    int connection = accept(listener_, nullptr, nullptr);
    if (connection < 0) return;
    answer(connection);
    close(connection);
  }
}

void SavedPageServer::answer(int connection) const {
  drainRequest(connection);
  std::string reply = "HTTP/1.1 200 OK\r\n";
  if (!contentType_.empty()) reply += "Content-Type: " + contentType_ + "\r\n";
  reply += "Content-Length: " + std::to_string(page_.size()) + "\r\nConnection: close\r\n\r\n";
  reply += page_;
  for (size_t sent = 0; sent < reply.size();) {
    ssize_t wrote = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) return;
    sent += static_cast<size_t>(wrote);
  }
}

}  // namespace brambel::cli

#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"

namespace brambel::testing {

// A web site of real pages on a loopback server: the Python documentation
// installed under /usr/share/doc/python3.11/html (pages, style sheets that
// import each other, images), served with ETags and "304 Not Modified" to a
// matching If-None-Match, plus a few trick pages:
//   /moved            301 to a relative location, the first page
//   /refresh          a meta refresh (delay 0) to the first page
//   /refresh-self     a meta refresh to itself
//   /refresh-slow     a meta refresh of 60 s, not followed
//   /image.png        an image
class DocSite {
 public:
  static std::filesystem::path root();
  static bool available();

  explicit DocSite(LoopbackServer& server);

  // The URLs of the first `count` pages (by path order); a page may be
  // listed again under "?copy=N" when more are asked for than the site has.
  std::vector<std::string> pageUrls(size_t count) const;
  size_t pageCount() const { return pages_.size(); }
  LoopbackServer& server() { return server_; }

 private:
  void serveFile(const std::string& path, const std::filesystem::path& file, const std::string& type);

  LoopbackServer& server_;
  std::vector<std::string> pages_;
};

}  // namespace brambel::testing

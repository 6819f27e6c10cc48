#include "tests/support/doc_site.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

namespace brambel::testing {

namespace {

std::string contentTypeOf(const std::filesystem::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".html") return "text/html; charset=utf-8";
  if (extension == ".css") return "text/css";
  if (extension == ".png") return "image/png";
  if (extension == ".svg") return "image/svg+xml";
  if (extension == ".js") return "application/javascript";
  return "";
}

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::filesystem::path DocSite::root() { return "/usr/share/doc/python3.11/html"; }

bool DocSite::available() { return std::filesystem::exists(root() / "index.html"); }

DocSite::DocSite(LoopbackServer& server) : server_(server) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
    if (!entry.is_regular_file()) continue;
    const std::filesystem::path relative = entry.path().lexically_relative(root());
    if (*relative.begin() == "_sources" || contentTypeOf(relative).empty()) continue;
    files.push_back(relative);
  }
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& relative : files) {
    const std::string path = "/" + relative.generic_string();
    serveFile(path, root() / relative, contentTypeOf(relative));
    if (relative.extension() == ".html") pages_.push_back(path);
  }
  const std::string first = pages_.empty() ? "/" : pages_.front();
  server_.get("/moved", [first](const httplib::Request&, httplib::Response& response) {
    response.status = 301;
    response.set_header("Location", first.substr(1));  // relative to "/"
  });
  auto refreshPage = [](const std::string& delay, const std::string& target) {
    return "<html><head><meta http-equiv=\"refresh\" content=\"" + delay + "; url=" + target +
           "\"><title>Refresh</title></head><body>refreshing</body></html>";
  };
  server_.serve("/refresh", refreshPage("0", first));
  server_.serve("/refresh-self", refreshPage("0", "/refresh-self"));
  server_.serve("/refresh-slow", refreshPage("60", first));
  serveFile("/image.png", root() / "_static" / "py.png", "image/png");
}

void DocSite::serveFile(const std::string& path, const std::filesystem::path& file, const std::string& type) {
  const std::string etag = "\"" + std::to_string(std::hash<std::string>{}(path)) + "\"";
  server_.get(path, [file, type, etag](const httplib::Request& request, httplib::Response& response) {
    response.set_header("ETag", etag);
    if (request.get_header_value("If-None-Match") == etag) {
      response.status = 304;
      return;
    }
    response.set_content(readFile(file), type.c_str());
  });
}

std::vector<std::string> DocSite::pageUrls(size_t count) const {
  std::vector<std::string> urls;
  for (size_t i = 0; i < count && !pages_.empty(); ++i) {
    const std::string& page = pages_[i % pages_.size()];
    const size_t copy = i / pages_.size();
    urls.push_back(server_.url(page) + (copy == 0 ? "" : "?copy=" + std::to_string(copy)));
  }
  return urls;
}

}  // namespace brambel::testing

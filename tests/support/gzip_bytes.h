#pragma once

#include <string>

namespace brambel::testing {

// `text` compressed as one gzip member, the way a web server sends a
// "Content-Encoding: gzip" body.
std::string gzipBytes(const std::string& text);

}  // namespace brambel::testing

#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace brambel {

// Fetches a style sheet; nothing when it cannot be had.
using SheetFetcher = std::function<std::optional<std::string>(const std::u16string& url)>;

// Limits that keep a hostile page from making the inliner work without end.
struct InlineLimits {
  size_t maxSheets = 64;   // sheets fetched for one page, imports included
  int maxImportDepth = 8;  // imports inside imports
};

// Embeds the page's external style sheets: each <link rel="stylesheet">
// becomes a <style> element holding the sheet with its @import rules
// replaced by the imported sheets (recursively). A sheet that cannot be
// fetched keeps its link; an import that would repeat a sheet already on the
// way in (a sheet importing itself, or a cycle) is dropped.
std::string inlineStyleSheets(const std::string& page, const std::u16string& pageUrl, const SheetFetcher& fetch,
                              const InlineLimits& limits = {});

// Adds a base address after the page's head (or html) tag, or completes a
// base tag without href. The URL is written in UTF-8.
std::string insertBaseHref(const std::u16string& url, const std::string& page);

// Adds a content-type declaration after the head (or html) tag unless one follows it.
std::string insertContentTypeMeta(const std::u16string& contentType, const std::string& page);

// Puts the "saved from" comment before the page's <html tag (or at the start).
std::string insertSavedFromMarker(const std::u16string& url, const std::string& page);

}  // namespace brambel

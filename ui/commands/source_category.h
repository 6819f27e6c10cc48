#pragma once

#include <optional>
#include <string>

namespace brambel {

struct CategorySet;
class LibrarySession;

// The category a source's name leads to: the one bearing the source's
// name (any case), made when missing, holding the source. Returns its
// index in `set`, or nothing when the source has no name.
std::optional<size_t> addSourceCategory(CategorySet& set, const std::u16string& name,
                                        const std::u16string& instanceId);

// A source name pressed in the results: its category becomes the current
// one (stored in the library when it changed). False when the source is
// unknown.
bool showSourceCategory(LibrarySession& session, const std::u16string& instanceId);

}  // namespace brambel

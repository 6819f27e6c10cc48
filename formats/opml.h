#pragma once

#include <string>

#include "formats/category_set.h"

namespace brambel {

class SourceTable;

// The category that receives feeds found outside any folder of an OPML file.
inline constexpr char16_t kAllCategoryName[] = u"All";

// The categories' feed sources ("rss" and "atom" sources with a "url") as an
// OPML 1.0 outline, CR LF line ends: one folder outline per category that has
// feeds, one feed outline per feed, titled with the source's display name.
// Every attribute value is escaped for markup, the category names too, so
// that any XML reader accepts the file.
std::u16string writeOpml(const CategorySet& set, const SourceTable& table, const std::u16string& title);

// Reads the outlines of an OPML text into `set` and `table`. A named outline
// without "xmlUrl" is a folder: its feeds go to the category of its name;
// feeds outside any folder go to "All" (which is removed again when it gets
// none). A feed outline makes an "atom" source when its type says so, else an
// "rss" source, named after the outline unless a source with the same
// identity exists already; its category lists it once. False, with nothing
// changed, when the text holds no "/opml/body". A relative "xmlUrl" is read
// against `baseUrl`, the address the outline came from, when there is one.
bool readOpml(CategorySet& set, SourceTable& table, const std::u16string& text, const std::u16string& baseUrl = {});

}  // namespace brambel

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "formats/category_set.h"

namespace brambel {

class SourceTable;

enum class FeedAddStatus { Nothing, FetchFailed, Unrecognized, AlreadyExists, Cancelled, Added };

// What adding a feed did, with the message to show the user (empty when the
// user is to be told nothing).
struct FeedAddOutcome {
  FeedAddStatus status = FeedAddStatus::Nothing;
  std::u16string message;
  std::u16string identity;  // of the added or already present source
  std::u16string name;      // of the added source
};

struct FeedAddOptions {
  // The category the new source joins; none when empty.
  std::u16string category;
  // Asked with the proposed name, answers the name entered or nothing on
  // Cancel. Without it the proposed name is taken as it stands.
  std::function<std::optional<std::u16string>(const std::u16string& proposed)> askName;
  // The open path (a feed URL handed to the program): RDF is not recognised
  // and an unrecognised answer is dropped without a word.
  bool fromOutside = false;
  // Where the source definitions are saved after a feed was added; nowhere when empty.
  std::filesystem::path sourcesDirectory;
};

// "feed://host/path" as "http://host/path", and "feed:http..." without "feed:";
// other URLs unchanged.
std::u16string feedSchemeToHttp(const std::u16string& url);

// Adds the feed at `url` as an "rss" or "atom" source: fetches its first 1024
// bytes, recognises the feed by its root element, names the source after the
// feed's title (unique in `table`) and files it, unless a source with the
// same identity exists. Nothing happens for an empty URL.
FeedAddOutcome addFeed(const std::u16string& url, SourceTable& table, CategorySet& set, const FeedAddOptions& options);

// A feed address handed to the program from outside (its command line, the
// shell): added to the user-defined sources kept in `sourcesDirectory`
// beside the built-in ones; no category changes.
FeedAddOutcome addFeedFromOutside(const std::u16string& url, const std::filesystem::path& sourcesDirectory);

}  // namespace brambel

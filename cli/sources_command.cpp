// brambel-cli sources list: every source of a library's source table (the
// built-in types and the user-defined sources), with its identity, names,
// endpoint and parameters.
#include <iostream>
#include <memory>

#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/result_json.h"
#include "sources/http_search_source.h"
#include "toolkit/json_writer.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kSourcesList;

struct SourceListing {
  std::u16string id;
  std::u16string key;
  SourceInfo info;
  std::u16string host;  // empty for sources that choose their own endpoint
  int port = 0;
};

SourceListing describe(const SearchSource& source) {
  SourceListing listing{source.GetInstanceId(), source.GetKey(), source.GetInfo(), {}, 0};
  if (auto* http = dynamic_cast<const HttpSearchSource*>(&source)) {
    listing.host = http->defaultHost();
    listing.port = http->defaultPort();
  }
  return listing;
}

void printJson(const SourceListing& listing, std::ostream& out) {
  JsonObjectWriter parameters;
  for (const auto& [name, description] : listing.info.parameterDescriptions)
    parameters.add(utf8(name), std::u16string_view(description));
  JsonObjectWriter writer;
  writer.add("id", std::u16string_view(listing.id))
      .add("key", std::u16string_view(listing.key))
      .add("displayName", std::u16string_view(listing.info.displayName))
      .add("description", std::u16string_view(listing.info.description))
      .add("homeUrl", std::u16string_view(listing.info.homeUrl))
      .add("host", std::u16string_view(listing.host))
      .add("port", listing.port)
      .addRaw("parameters", parameters.str());
  out << writer.str() << "\n";
}

void printText(const SourceListing& listing, std::ostream& out) {
  out << utf8(listing.id) << "\n  key: " << utf8(listing.key) << "\n  name: " << utf8(listing.info.displayName)
      << "\n";
  if (!listing.info.description.empty()) out << "  description: " << utf8(listing.info.description) << "\n";
  if (!listing.info.homeUrl.empty()) out << "  home: " << utf8(listing.info.homeUrl) << "\n";
  if (!listing.host.empty()) out << "  host: " << utf8(listing.host) << " port " << listing.port << "\n";
  for (const auto& [name, description] : listing.info.parameterDescriptions)
    out << "  " << utf8(name) << ": " << utf8(description) << "\n";
}

int runSourcesList(CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(context.args, context.err);
  bool json = context.args.flag("json");
  std::vector<std::string> words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kSourcesList, context.err, context.args.error());
  if (!words.empty()) return usageError(kSourcesList, context.err, "unexpected argument \"" + words[0] + "\"");
  if (!loaded) return 1;
  for (const std::u16string& id : loaded->table->identities()) {
    SourceListing listing = describe(*loaded->table->find(id));
    listing.id = id;
    listing.info.displayName = loaded->table->nameOf(id);
    if (json)
      printJson(listing, context.out);
    else
      printText(listing, context.out);
  }
  return 0;
}

const CommandRegistration kSourcesList{"sources", "list", "[--json] [--library DIR] [--set FILE]",
                                       "every source of the table: id, key, names, host and port, parameters",
                                       &runSourcesList};

}  // namespace
}  // namespace brambel::cli

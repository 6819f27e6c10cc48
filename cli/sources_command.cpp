// brambel-cli sources list: every source of a library's source table (the
// built-in types and the user-defined sources), with its identity, names,
// endpoint and parameters.
#include <iostream>
#include <memory>

#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/result_json.h"
#include "sources/http_search_source.h"

namespace brambel::cli {
namespace {

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
  Json parameters = Json::object();
  for (const auto& [name, description] : listing.info.parameterDescriptions) parameters[utf8(name)] = utf8(description);
  out << jsonText(Json{{"id", utf8(listing.id)},
                       {"key", utf8(listing.key)},
                       {"displayName", utf8(listing.info.displayName)},
                       {"description", utf8(listing.info.description)},
                       {"homeUrl", utf8(listing.info.homeUrl)},
                       {"host", utf8(listing.host)},
                       {"port", listing.port},
                       {"parameters", parameters}})
      << "\n";
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

struct ListArguments {
  CategorySetChoice choice;
  bool json = false;
};

int runSourcesList(const ListArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> loaded = loadCategories(args.choice, context.err);
  if (!loaded) return 1;
  for (const std::u16string& id : loaded->table->identities()) {
    SourceListing listing = describe(*loaded->table->find(id));
    listing.id = id;
    listing.info.displayName = loaded->table->nameOf(id);
    if (args.json)
      printJson(listing, context.out);
    else
      printText(listing, context.out);
  }
  return 0;
}

const CommandRegistration kSourcesList([](CommandLine& line) {
  auto args = std::make_shared<ListArguments>();
  CLI::App& list =
      line.command(line.group("sources", "the sources a search can use"), "list",
                   "every source of the table: id, key, names, host and port, parameters",
                   [args](CommandContext& context) { return runSourcesList(*args, context); });
  list.add_flag("--json", args->json, "one JSON object per source instead of text");
  args->choice.addOptions(list);
});

}  // namespace
}  // namespace brambel::cli

// brambel-cli inspect source: runs one source's page parser on a saved page,
// without the network, and prints what the search run would make of it.
#include <iostream>
#include <memory>

#include "app/source_types.h"
#include "cli/command.h"
#include "cli/result_json.h"
#include "cli/saved_page_server.h"
#include "search/item_to_result.h"
#include "sources/http_search_source.h"
#include "toolkit/code_pages.h"
#include "toolkit/connect_to.h"

namespace brambel::cli {
namespace {

struct InspectSourceArguments {
  std::string key;
  std::vector<std::string> parameters;
  std::optional<std::string> contentType;
  std::optional<std::string> pageUrl;
  std::optional<std::string> file;
};

Json itemJson(const std::u16string& groupName, const ResultItem& item, int position) {
  Json attributes = Json::array();
  for (const ResultAttribute& attribute : item.attributes) {
    Json object{{"name", utf8(attribute.name)}, {"value", utf8(attribute.value)}};
    if (!attribute.data.empty()) object["dataBytes"] = attribute.data.size();
    attributes.push_back(std::move(object));
  }
  return {{"group", utf8(groupName)},
          {"attributes", std::move(attributes)},
          {"result", resultJson(ItemToResult(item, position))}};
}

// One page of `source` read from `server`: an HTTP source takes the server's
// answer directly; any other source runs its own first request, which the
// connect-to table sends to the server.
bool readPage(SearchSource& source, SearchCursor& cursor, const SavedPageServer& server, ResultGroups& groups) {
  if (auto* httpSource = dynamic_cast<HttpSearchSource*>(&source)) {
    HttpRequest request;
    request.url = server.url();
    return httpSource->TakeAnswer(static_cast<HttpSearchCursor&>(cursor), sendHttpRequest(request), groups);
  }
  std::string route = "::127.0.0.1:" + std::to_string(server.port());
  addConnectTo(route);
  // An engine answers false for a page without results; only the error flag
  // tells a failed read.
  source.NextPage(cursor, groups);
  removeConnectTo(route);
  return cursor.errorFlag == 0;
}

int runInspectSource(const InspectSourceArguments& args, CommandContext& context) {
  ParameterMap parameters;
  for (const std::string& word : args.parameters) {
    size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
      return context.usageError("--param needs NAME=VALUE, got \"" + word + "\"");
    parameters[toWide(word.substr(0, equals), kCodePageUtf8)] = toWide(word.substr(equals + 1), kCodePageUtf8);
  }
  if (args.pageUrl) parameters.try_emplace(u"url", toWide(*args.pageUrl, kCodePageUtf8));

  std::unique_ptr<SearchSource> source = builtInSourceTypes().Create(toWide(args.key, kCodePageUtf8));
  if (!source) {
    context.err << "brambel-cli: no source type \"" << args.key << "\" (see brambel-cli sources list)\n";
    return 1;
  }
  source->parameters() = parameters;
  std::optional<std::string> page = readInput(args.file, context.err);
  if (!page) return 1;

  SavedPageServer server(*page, args.contentType.value_or(""));
  if (!server.listening()) {
    context.err << "brambel-cli: cannot open a loopback port to serve the page\n";
    return 1;
  }
  std::unique_ptr<SearchCursor> cursor = source->BeginSearch(u"", 1 << 30, {}, false);
  if (!cursor) {
    context.err << "brambel-cli: source \"" << args.key << "\" cannot start (missing --param or --url?)\n";
    return 1;
  }
  ResultGroups groups;
  bool read = readPage(*source, *cursor, server, groups);
  std::u16string nextLink;
  if (auto* httpCursor = dynamic_cast<HttpSearchCursor*>(cursor.get())) nextLink = httpCursor->nextLink;
  source->EndSearch(std::move(cursor));
  if (!read) {
    context.err << "brambel-cli: the page could not be read\n";
    return 1;
  }
  for (const ResultGroup& group : groups) {
    int position = 0;
    for (const ResultItem& item : group.items) context.out << jsonText(itemJson(group.name, item, position++)) << "\n";
  }
  context.out << jsonText(Json{{"nextLink", utf8(nextLink)}}) << "\n";
  return 0;
}

const CommandRegistration kInspectSource([](CommandLine& line) {
  auto source = line.command(line.group("inspect", ""), "source",
                             "parse a saved page with one source type: one JSON line per item, then the next link",
                             &runInspectSource);
  source.command.add_option("--param", source.args->parameters, "a parameter of the source (repeatable)")
      ->type_name("NAME=VALUE");
  source.command.add_option("--content-type", source.args->contentType, "the Content-Type the page is served with")
      ->type_name("TYPE");
  source.command.add_option("--url", source.args->pageUrl, "the source's url parameter, when --param does not give it")
      ->type_name("URL");
  source.command.add_option("KEY", source.args->key, "the source type (see sources list)")->required();
  source.command.add_option("FILE", source.args->file, "the saved page (default: standard input)");
});

}  // namespace
}  // namespace brambel::cli

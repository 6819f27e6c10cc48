// brambel-cli inspect source: runs one source's page parser on a saved page,
// without the network, and prints what the search run would make of it.
#include <iostream>
#include <memory>

#include "cli/command.h"
#include "cli/result_json.h"
#include "cli/saved_page_server.h"
#include "cli/source_catalog.h"
#include "search/item_to_result.h"
#include "sources/http_search_source.h"
#include "toolkit/code_pages.h"
#include "toolkit/connect_to.h"
#include "toolkit/json_writer.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kInspectSource;

std::string itemJson(const std::u16string& groupName, const ResultItem& item, int position) {
  std::string attributes = "[";
  for (const ResultAttribute& attribute : item.attributes) {
    if (attributes.size() > 1) attributes += ',';
    JsonObjectWriter writer;
    writer.add("name", std::u16string_view(attribute.name)).add("value", std::u16string_view(attribute.value));
    if (!attribute.data.empty()) writer.add("dataBytes", attribute.data.size());
    attributes += writer.str();
  }
  attributes += "]";
  return JsonObjectWriter()
      .add("group", std::u16string_view(groupName))
      .addRaw("attributes", attributes)
      .addRaw("result", resultJson(ItemToResult(item, position)))
      .str();
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

int runInspectSource(CommandContext& context) {
  std::vector<std::string> parameterWords = context.args.options("param");
  std::optional<std::string> contentType = context.args.option("content-type");
  std::optional<std::string> pageUrl = context.args.option("url");
  std::vector<std::string> words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kInspectSource, context.err, context.args.error());
  if (words.empty() || words.size() > 2)
    return usageError(kInspectSource, context.err, "expected KEY and at most one FILE");

  ParameterMap parameters;
  for (const std::string& word : parameterWords) {
    size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
      return usageError(kInspectSource, context.err, "--param needs NAME=VALUE, got \"" + word + "\"");
    parameters[toWide(word.substr(0, equals), kCodePageUtf8)] = toWide(word.substr(equals + 1), kCodePageUtf8);
  }
  if (pageUrl) parameters.try_emplace(u"url", toWide(*pageUrl, kCodePageUtf8));

  std::unique_ptr<SearchSource> source = sourceRegistry().Create(toWide(words[0], kCodePageUtf8));
  if (!source) {
    context.err << "brambel-cli: no source type \"" << words[0] << "\" (see brambel-cli sources list)\n";
    return 1;
  }
  source->parameters() = parameters;
  std::optional<std::string> page = readInput(words.size() == 2 ? std::optional(words[1]) : std::nullopt, context.err);
  if (!page) return 1;

  SavedPageServer server(*page, contentType.value_or(""));
  if (!server.listening()) {
    context.err << "brambel-cli: cannot open a loopback port to serve the page\n";
    return 1;
  }
  std::unique_ptr<SearchCursor> cursor = source->BeginSearch(u"", 1 << 30, {}, false);
  if (!cursor) {
    context.err << "brambel-cli: source \"" << words[0] << "\" cannot start (missing --param or --url?)\n";
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
    for (const ResultItem& item : group.items) context.out << itemJson(group.name, item, position++) << "\n";
  }
  context.out << JsonObjectWriter().add("nextLink", std::u16string_view(nextLink)).str() << "\n";
  return 0;
}

const CommandRegistration kInspectSource{
    "inspect", "source", "KEY [--param NAME=VALUE ...] [--content-type TYPE] [--url URL] [FILE]",
    "parse a saved page with one source type: one JSON line per item, then the next link",
    &runInspectSource};

}  // namespace
}  // namespace brambel::cli

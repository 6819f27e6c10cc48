// brambel-cli inspect text|path|feed|links: the page-reading operations of
// the sources, run over a saved page or feed to see what they make of it.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json_output.h"
#include "toolkit/feed_scanner.h"
#include "toolkit/html_to_text.h"
#include "toolkit/link_scanner.h"
#include "toolkit/path_query.h"

namespace brambel::cli {
namespace {

// The page a command reads: FILE, or standard input without it.
struct PageArguments {
  std::optional<std::string> file;

  void addOption(CLI::App& command) {
    command.add_option("FILE", file, "the saved page (default: standard input)");
  }
};

int runText(const PageArguments& page, CommandContext& context) {
  auto input = readInput(page.file, context.err);
  if (!input) return 1;
  context.out << htmlToText(*input) << "\n";
  return 0;
}

struct PathArguments {
  std::string path;
  bool nested = false;
  bool rest = false;
  bool attributes = false;
  std::string endName;
  PageArguments page;
};

int runPath(const PathArguments& args, CommandContext& context) {
  auto input = readInput(args.page.file, context.err);
  if (!input) return 1;
  AttributeMap attributes;
  std::string_view rest;
  std::string answer = findPath(*input, args.path, args.endName, args.nested, &attributes, &rest);
  if (args.attributes) {
    for (const auto& [name, value] : attributes) context.out << name << '=' << value << "\n";
  } else {
    context.out << (args.rest ? std::string(rest) : answer) << "\n";
  }
  return 0;
}

struct FeedArguments {
  bool sponsors = false;
  PageArguments page;
};

int runFeed(const FeedArguments& args, CommandContext& context) {
  auto input = readInput(args.page.file, context.err);
  if (!input) return 1;
  std::vector<FeedItem> items, sponsors;
  extractFeedItems(*input, items, &sponsors);
  for (const FeedItem& item : args.sponsors ? sponsors : items) {
    context.out << jsonText(Json{{"title", item.title},
                                 {"link", item.link},
                                 {"description", item.description},
                                 {"guid", item.guid},
                                 {"mediaUrl", item.mediaUrl},
                                 {"thumbnailUrl", item.thumbnailUrl},
                                 {"image", item.image},
                                 {"enclosureUrl", item.enclosureUrl},
                                 {"pubDate", item.pubDate},
                                 {"sources", item.sources}})
                << "\n";
  }
  return 0;
}

int runLinks(const PageArguments& page, CommandContext& context) {
  auto input = readInput(page.file, context.err);
  if (!input) return 1;
  std::vector<PageLink> links;
  extractLinks(*input, links);
  for (const PageLink& link : links) context.out << jsonText(Json{{"href", link.href}, {"text", link.text}}) << "\n";
  return 0;
}

const CommandRegistration kInspectPage([](CommandLine& line) {
  CLI::App& inspect = line.group("inspect", "what the sources and text helpers make of saved pages and text");

  auto text = std::make_shared<PageArguments>();
  text->addOption(line.command(inspect, "text",
                               "the plain text of a page: tags become spaces, scripts, styles and comments vanish",
                               [text](CommandContext& context) { return runText(*text, context); }));

  auto path = std::make_shared<PathArguments>();
  CLI::App& pathCommand = line.command(
      inspect, "path",
      "the inner text of the element at PATH (such as /html/body/table(2)), or the text after it, or the "
      "attributes of the tags met on the way as name=value lines",
      [path](CommandContext& context) { return runPath(*path, context); });
  pathCommand.add_flag("--nested", path->nested, "count nested elements of the same name");
  pathCommand.add_option("--end", path->endName, "end the text at this element instead")->type_name("NAME");
  CLI::Option* rest = pathCommand.add_flag("--rest", path->rest, "print the text after the element");
  pathCommand.add_flag("--attributes", path->attributes, "print the attributes met on the way")->excludes(rest);
  pathCommand.add_option("PATH", path->path, "the element path")->required();
  path->page.addOption(pathCommand);

  auto feed = std::make_shared<FeedArguments>();
  CLI::App& feedCommand = line.command(
      inspect, "feed",
      "the items of an RSS or RDF feed as JSON lines (with --sponsors the items of the sponsor extension instead)",
      [feed](CommandContext& context) { return runFeed(*feed, context); });
  feedCommand.add_flag("--sponsors", feed->sponsors, "the sponsor items instead");
  feed->page.addOption(feedCommand);

  auto links = std::make_shared<PageArguments>();
  links->addOption(line.command(inspect, "links", "the anchors of a page as JSON lines of href and text",
                                [links](CommandContext& context) { return runLinks(*links, context); }));
});

}  // namespace
}  // namespace brambel::cli

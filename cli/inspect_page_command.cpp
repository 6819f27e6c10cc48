// brambel-cli inspect text|path|feed|links: the page-reading operations of
// the sources, run over a saved page or feed to see what they make of it.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "toolkit/feed_scanner.h"
#include "toolkit/html_to_text.h"
#include "toolkit/json_writer.h"
#include "toolkit/link_scanner.h"
#include "toolkit/path_query.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kInspectText;
extern const CommandRegistration kInspectPath;
extern const CommandRegistration kInspectFeed;
extern const CommandRegistration kInspectLinks;

// Reads the command's input after its options are taken: the positional
// arguments are the one named `required` when it is not empty, then at most
// one FILE (standard input without it). On failure `status` holds the exit
// status.
std::optional<std::string> takeInput(CommandContext& context, const CommandRegistration& command,
                                     std::string_view required, std::vector<std::string>& words,
                                     int& status) {
  size_t leading = required.empty() ? 0 : 1;
  words = context.args.positionals();
  if (!context.args.error().empty()) {
    status = usageError(command, context.err, context.args.error());
    return std::nullopt;
  }
  if (words.size() < leading || words.size() > leading + 1) {
    status = usageError(command, context.err,
                        words.size() < leading ? "missing " + std::string(required) : "too many arguments");
    return std::nullopt;
  }
  std::optional<std::string> file;
  if (words.size() > leading) file = words[leading];
  auto input = readInput(file, context.err);
  if (!input) status = 1;
  return input;
}

int runText(CommandContext& context) {
  std::vector<std::string> words;
  int status = 0;
  auto input = takeInput(context, kInspectText, "", words, status);
  if (!input) return status;
  context.out << htmlToText(*input) << "\n";
  return 0;
}

int runPath(CommandContext& context) {
  bool nested = context.args.flag("nested");
  bool wantRest = context.args.flag("rest");
  bool wantAttributes = context.args.flag("attributes");
  std::string endName = context.args.option("end").value_or("");
  if (wantRest && wantAttributes)
    return usageError(kInspectPath, context.err, "--rest and --attributes exclude each other");
  std::vector<std::string> words;
  int status = 0;
  auto input = takeInput(context, kInspectPath, "PATH", words, status);
  if (!input) return status;

  AttributeMap attributes;
  std::string_view rest;
  std::string answer = findPath(*input, words[0], endName, nested, &attributes, &rest);
  if (wantAttributes) {
    for (const auto& [name, value] : attributes) context.out << name << '=' << value << "\n";
  } else {
    context.out << (wantRest ? std::string(rest) : answer) << "\n";
  }
  return 0;
}

int runFeed(CommandContext& context) {
  bool wantSponsors = context.args.flag("sponsors");
  std::vector<std::string> words;
  int status = 0;
  auto input = takeInput(context, kInspectFeed, "", words, status);
  if (!input) return status;

  std::vector<FeedItem> items, sponsors;
  extractFeedItems(*input, items, &sponsors);
  for (const FeedItem& item : wantSponsors ? sponsors : items) {
    context.out << JsonObjectWriter()
                       .add("title", item.title)
                       .add("link", item.link)
                       .add("description", item.description)
                       .add("guid", item.guid)
                       .add("mediaUrl", item.mediaUrl)
                       .add("thumbnailUrl", item.thumbnailUrl)
                       .add("image", item.image)
                       .add("enclosureUrl", item.enclosureUrl)
                       .add("pubDate", item.pubDate)
                       .add("sources", item.sources)
                       .str()
                << "\n";
  }
  return 0;
}

int runLinks(CommandContext& context) {
  std::vector<std::string> words;
  int status = 0;
  auto input = takeInput(context, kInspectLinks, "", words, status);
  if (!input) return status;

  std::vector<PageLink> links;
  extractLinks(*input, links);
  for (const PageLink& link : links)
    context.out << JsonObjectWriter().add("href", link.href).add("text", link.text).str() << "\n";
  return 0;
}

const CommandRegistration kInspectText{"inspect", "text", "[FILE]",
                                       "the plain text of a page: tags become spaces, scripts, styles "
                                       "and comments vanish",
                                       &runText};
const CommandRegistration kInspectPath{
    "inspect", "path", "PATH [--nested] [--end NAME] [--rest | --attributes] [FILE]",
    "the inner text of the element at PATH (such as /html/body/table(2)), or the text after it, "
    "or the attributes of the tags met on the way as name=value lines",
    &runPath};
const CommandRegistration kInspectFeed{"inspect", "feed", "[--sponsors] [FILE]",
                                       "the items of an RSS or RDF feed as JSON lines (with --sponsors "
                                       "the items of the sponsor extension instead)",
                                       &runFeed};
const CommandRegistration kInspectLinks{"inspect", "links", "[FILE]",
                                        "the anchors of a page as JSON lines of href and text", &runLinks};

}  // namespace
}  // namespace brambel::cli

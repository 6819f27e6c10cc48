// brambel-cli library ...: one library as the desktop opens it — create or
// open it, list and query what it holds, show one stored page, mark URLs,
// read the history and saved terms, and keep it in shape.
#include <filesystem>
#include <ostream>

#include "app/library_statistics.h"
#include "cli/command.h"
#include "cli/entry_json.h"
#include "cli/library_command_host.h"
#include "cli/library_session.h"
#include "cli/pool_rows.h"
#include "cli/result_json.h"
#include "index/library_listing.h"
#include "store/content_file.h"
#include "store/source_index_text.h"
#include "store/source_list.h"
#include "toolkit/code_pages.h"
#include "toolkit/http_date.h"

namespace brambel::cli {
namespace {

// Options of the group, given before the command ("library --library DIR list").
struct LibraryArguments {
  std::optional<std::string> library;
  bool yes = false;

  SessionOptions session(bool readOnly) const {
    SessionOptions options;
    options.library = library;
    options.readOnly = readOnly;
    options.answerYes = yes;
    return options;
  }
};

std::shared_ptr<LibraryArguments> groupArguments() {
  static auto arguments = std::make_shared<LibraryArguments>();
  return arguments;
}

std::u16string wideText(const std::string& text) { return toWide(text, kCodePageUtf8); }

// Reading commands open the library read-only and never write to it.
std::unique_ptr<LibrarySession> openForReading(std::ostream& err) {
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(groupArguments()->session(true), err);
  if (session && !session->document().library()->isOpen()) {
    err << "brambel-cli: no library in " << session->document().libraryDirectory().string() << "\n";
    return nullptr;
  }
  return session;
}

// Writing commands take the lock; a library another process holds is refused.
std::unique_ptr<LibrarySession> openForWriting(std::string_view what, std::ostream& err) {
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(groupArguments()->session(false), err);
  if (!session || !session->RequireWritable(what, err)) return nullptr;
  return session;
}

ResultEntry storedEntry(const CTesserin2Doc& document, const std::u16string& url, int32_t score) {
  ResultEntry entry;
  entry.record = document.library()->readRecord(url).value_or(SourceResult{});
  entry.record.url = url;
  entry.marks = document.Marks(url);
  entry.pinned = document.IsPinned(url);
  entry.score = score;
  return entry;
}

void printList(const std::vector<ResultEntry>& entries, bool json, std::ostream& out) {
  if (json) {
    Json array = Json::array();
    for (const ResultEntry& entry : entries) array.push_back(entryJson(entry));
    out << jsonText(array) << "\n";
    return;
  }
  printEntries(entries, out);
  if (entries.empty()) out << "No Results!\n";
}

// ---- open ------------------------------------------------------------------

struct OpenArguments {
  std::optional<std::string> setFile;
  bool blank = false;
  bool defaults = false;
};

int runOpen(const OpenArguments& args, CommandContext& context) {
  SessionOptions options = groupArguments()->session(false);
  if (args.setFile) options.newLibrary = {NewLibraryChoice::Kind::SetFile, *args.setFile};
  if (args.blank) options.newLibrary = {NewLibraryChoice::Kind::Blank, {}};
  if (args.setFile && !std::filesystem::is_regular_file(*args.setFile)) {
    context.err << "brambel-cli: cannot read category set " << *args.setFile << "\n";
    return 1;
  }
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(options, context.err);
  if (!session) return 1;
  const CTesserin2Doc& document = session->document();
  context.out << "library " << document.libraryDirectory().string() << "\n"
              << "title " << utf8(document.Title()) << "\n"
              << (document.isReadOnly() ? "read-only\n" : "writable\n");
  for (const Category& category : document.categories().categories)
    context.out << "category " << utf8(category.name) << " (" << category.references.size() << " sources)\n";
  return 0;
}

// ---- list and query ----------------------------------------------------------

struct ListArguments {
  std::string select = "permanent";
  uint32_t days = 7;
  std::string stem;
  size_t max = 5000;
  bool json = false;
};

int runList(const ListArguments& args, CommandContext& context) {
  static const std::map<std::string, uint32_t> kMasks{{"permanent", kSelectPermanent}, {"ignored", kSelectIgnored},
                                                      {"hovered", kSelectHovered},     {"clicked", kSelectClicked},
                                                      {"all", kSelectAll}};
  std::unique_ptr<LibrarySession> session = openForReading(context.err);
  if (!session) return 1;
  const CTesserin2Doc& document = session->document();
  LibraryCriteria criteria;
  criteria.mask = kMasks.at(args.select);
  criteria.days = args.days;
  criteria.urlStem = wideText(args.stem);
  criteria.maximum = args.max;
  std::vector<ResultEntry> entries;
  for (const LibraryEntry& listed : ListLibrary(*document.library(), criteria))
    entries.push_back(storedEntry(document, listed.url, listed.score));
  printList(entries, args.json, context.out);
  return 0;
}

struct QueryArguments {
  std::vector<std::string> terms;
  std::string mode = "permanent";
  bool json = false;
};

int runQuery(const QueryArguments& args, CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForReading(context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();
  std::string terms;
  for (const std::string& word : args.terms) terms += (terms.empty() ? "" : " ") + word;
  document.SetResultMode(args.mode == "recent" ? SearchMode::kRecent : SearchMode::kPermanent, wideText(terms));
  document.WaitForResults(std::chrono::hours(1));
  printList(document.DisplayedResults(), args.json, context.out);
  const std::u16string caption = document.CountCaption();
  if (args.json || caption.empty()) return 0;
  // The caption and the counts the desktop shows on the category tabs.
  context.out << "\n" << utf8(caption) << "\n";
  const std::vector<size_t> counts = document.CategoryCounts();
  const std::vector<Category>& categories = document.categories().categories;
  for (size_t i = 0; i < counts.size() && i < categories.size(); ++i)
    context.out << "  " << utf8(categories[i].name) << ": " << counts[i] << "\n";
  return 0;
}

// ---- show --------------------------------------------------------------------

struct ShowArguments {
  std::string url;
  bool json = false;
};

int runShow(const ShowArguments& args, CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForReading(context.err);
  if (!session) return 1;
  const CTesserin2Doc& document = session->document();
  const std::u16string url = wideText(args.url);
  const UrlMarks marks = document.Marks(url);
  std::optional<SourceResult> record = document.library()->readRecord(url);
  if (!record) {
    context.err << "brambel-cli: the library holds no page of " << args.url << "\n";
    return 1;
  }
  const std::filesystem::path content = document.library()->contentPath(marks.recordId);
  const ContentFile file = ContentFile::openForReading(content);
  SourceIndexText text;
  text.ReadFrom(file);
  SourceList sources;
  sources.ReadFrom(file);
  ResultEntry entry = storedEntry(document, url, 0);
  entry.record.sources = sources.ids;
  if (args.json) {
    Json object = entryJson(entry);
    object.erase("score");
    object["recordId"] = marks.recordId;
    object["clickDate"] = marks.clickDate;
    object["hoverDate"] = marks.hoverDate;
    object["indexed"] = marks.isIndexed();
    object["contentFile"] = content.string();
    object["text"] = utf8(text.text);
    context.out << jsonText(object) << "\n";
    return 0;
  }
  context.out << utf8(record->title) << "\n" << args.url << "\nrecord " << marks.recordId << ", content file "
              << content.string() << "\nloaded " << (record->loadDate ? formatHttpDate(record->loadDate) : "-")
              << ", permanent " << marks.isPermanent() << ", indexed " << marks.isIndexed() << ", ignored "
              << marks.isIgnored() << ", read " << marks.isRead() << "\nsources";
  for (const std::u16string& id : sources.ids) context.out << " " << utf8(id);
  context.out << "\n\n" << utf8(text.text) << "\n";
  return 0;
}

// ---- mark --------------------------------------------------------------------

struct MarkArguments {
  std::string url;
  bool permanent = false;
  bool pin = false;
  bool ignore = false;
  bool read = false;
  bool off = false;
};

int runMark(const MarkArguments& args, CommandContext& context) {
  if (args.permanent + args.pin + args.ignore + args.read != 1)
    return context.usageError("give one of --permanent, --pin, --ignore, --read");
  if (args.pin) {
    // The pinned list belongs to an open library and is never stored.
    context.err << "brambel-cli: pins last only while a library stays open; nothing is stored\n";
    return 1;
  }
  std::unique_ptr<LibrarySession> session = openForWriting("mark a URL", context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();
  const std::u16string url = wideText(args.url);
  bool done = false;
  if (args.permanent) done = document.SetPermanent(url, !args.off);
  if (args.ignore) done = document.SetIgnored(url, !args.off, true);
  if (args.read) done = document.SetRead(url, !args.off);
  if (!done) {
    context.err << "brambel-cli: cannot write the marks of " << args.url << "\n";
    return 1;
  }
  // A page made permanent is indexed before the library closes.
  document.WaitForContent(std::chrono::hours(1));
  return 0;
}

// ---- history and saved terms --------------------------------------------------

struct ListFileArguments {
  bool json = false;
  bool clear = false;
  std::vector<std::string> add;
  std::vector<std::string> remove;
};

void printStrings(const std::vector<std::u16string>& values, bool json, std::ostream& out) {
  if (json) {
    out << jsonText(jsonStrings(values)) << "\n";
    return;
  }
  for (const std::u16string& value : values) out << utf8(value) << "\n";
}

int runHistory(const ListFileArguments& args, CommandContext& context) {
  std::unique_ptr<LibrarySession> session =
      args.clear ? openForWriting("clear the history", context.err) : openForReading(context.err);
  if (!session) return 1;
  if (args.clear) session->document().ClearHistory(true);
  printStrings(session->document().history(), args.json, context.out);
  return 0;
}

int runSavedTerms(const ListFileArguments& args, CommandContext& context) {
  const bool writes = !args.add.empty() || !args.remove.empty();
  std::unique_ptr<LibrarySession> session =
      writes ? openForWriting("change the saved terms", context.err) : openForReading(context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();
  for (const std::string& term : args.add) document.AddSavedTerm(wideText(term));
  for (const std::string& term : args.remove) document.RemoveSavedTerm(wideText(term));
  printStrings(document.savedTerms(), args.json, context.out);
  return 0;
}

// ---- stats, optimize, evict -----------------------------------------------------

struct StatsArguments {
  bool json = false;
};

int runStats(const StatsArguments& args, CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForReading(context.err);
  if (!session) return 1;
  const CTesserin2Doc& document = session->document();
  const LibraryCounts counts = CountLibrary(*document.library());
  const Json stats{{"library", document.libraryDirectory().string()},
                   {"documents", counts.documents},
                   {"permanent", counts.permanent},
                   {"indexed", counts.indexed},
                   {"ignored", counts.ignored},
                   {"contentBytes", counts.contentBytes},
                   {"history", document.history().size()},
                   {"savedTerms", document.savedTerms().size()}};
  // Pools run only in the process that holds the library open for writing;
  // a read-only look has none, and says so.
  const std::vector<PoolStatistics> pools = document.PoolRows();
  if (args.json) {
    Json withPools = stats;
    withPools["pools"] = poolsJson(pools);
    context.out << jsonText(withPools) << "\n";
    return 0;
  }
  for (const auto& [key, value] : stats.items()) context.out << key << " " << (value.is_string() ? value.get<std::string>() : value.dump()) << "\n";
  printPools(pools, context.out);
  return 0;
}

int runOptimize(CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForWriting("optimise the index", context.err);
  if (!session) return 1;
  // The question and the messages go through the prompter, on standard error.
  std::optional<OptimiseResult> result = session->document().OptimizeIndexAsking();
  if (!result) {
    context.err << "brambel-cli: not optimised\n";
    return 1;
  }
  switch (result->status) {
    case OptimiseStatus::Done:
      context.out << result->termsCopied << " terms, " << result->postingsCopied << " postings kept, "
                  << result->postingsDropped << " dropped\n";
      return 0;
    case OptimiseStatus::NoSpace:
    case OptimiseStatus::Missing:
      return 1;
    default:
      context.err << "brambel-cli: the index could not be optimised; it is unchanged\n";
      return 1;
  }
}

int runRebuildSourceIndex(CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForWriting("rebuild the source index", context.err);
  if (!session) return 1;
  const std::optional<SourceIndexRebuild> outcome = session->document().RebuildSourceIndex();
  if (!outcome) return 1;
  context.out << outcome->summary() << "\n";
  return 0;
}

int runEvict(CommandContext& context) {
  std::unique_ptr<LibrarySession> session = openForWriting("evict content", context.err);
  if (!session) return 1;
  ContentPipeline* pipeline = session->document().pipeline();
  const size_t evicted = pipeline ? pipeline->contentCache().evict() : 0;
  context.out << evicted << " documents evicted\n";
  return 0;
}

const CommandRegistration kLibrary([](CommandLine& line) {
  CLI::App& group = line.group("library", "one library as the desktop opens it");
  std::shared_ptr<LibraryArguments> shared = groupArguments();
  group.add_option("--library", shared->library, "the library folder (default: the start-up library)")
      ->type_name("DIR");
  group.add_flag("--yes", shared->yes, "answer Yes to the library's questions");

  auto open = std::make_shared<OpenArguments>();
  CLI::App& openCommand = line.command(group, "open", "create (when missing) or open the library and show it",
                                       [open](CommandContext& context) { return runOpen(*open, context); });
  CLI::Option* set =
      openCommand.add_option("--set", open->setFile, "a new library starts from this category set")->type_name("FILE");
  CLI::Option* blank = openCommand.add_flag("--blank", open->blank, "a new library starts with one empty category");
  openCommand.add_flag("--default", open->defaults, "a new library starts from the default set (the default)")
      ->excludes(set)
      ->excludes(blank);
  blank->excludes(set);

  auto list = std::make_shared<ListArguments>();
  CLI::App& listCommand = line.command(group, "list", "list the stored pages selected by their marks",
                                       [list](CommandContext& context) { return runList(*list, context); });
  listCommand.add_option("--select", list->select, "permanent (default), ignored, hovered, clicked or all")
      ->type_name("WHICH")
      ->check(CLI::IsMember({"permanent", "ignored", "hovered", "clicked", "all"}));
  listCommand.add_option("--days", list->days, "hovered or clicked within N days (default 7)")->type_name("N");
  listCommand.add_option("--stem", list->stem, "only URLs beginning with this")->type_name("URL");
  listCommand.add_option("--max", list->max, "at most N pages (default 5000)")->type_name("N");
  listCommand.add_flag("--json", list->json, "print a JSON array");

  auto query = std::make_shared<QueryArguments>();
  CLI::App& queryCommand =
      line.command(group, "query", "search the library offline: the permanent pages' index, scored",
                   [query](CommandContext& context) { return runQuery(*query, context); });
  queryCommand.add_option("TERMS", query->terms, "the terms (none: every permanent page)");
  queryCommand.add_option("--mode", query->mode, "permanent (default) or recent")
      ->type_name("MODE")
      ->check(CLI::IsMember({"permanent", "recent"}));
  queryCommand.add_flag("--json", query->json, "print a JSON array");

  auto show = std::make_shared<ShowArguments>();
  CLI::App& showCommand = line.command(group, "show", "the stored record, marks, text and content file of a URL",
                                       [show](CommandContext& context) { return runShow(*show, context); });
  showCommand.add_option("URL", show->url, "the page")->required();
  showCommand.add_flag("--json", show->json, "print a JSON object");

  auto mark = std::make_shared<MarkArguments>();
  CLI::App& markCommand = line.command(group, "mark", "mark a URL permanent, ignored or read (--off: take the mark away)",
                                       [mark](CommandContext& context) { return runMark(*mark, context); });
  markCommand.add_option("URL", mark->url, "the page")->required();
  markCommand.add_flag("--permanent", mark->permanent, "keep it in the library and index it");
  markCommand.add_flag("--pin", mark->pin, "pin it (pins are not stored: refused here)");
  markCommand.add_flag("--ignore", mark->ignore, "never show it in a result list");
  markCommand.add_flag("--read", mark->read, "mark it read");
  markCommand.add_flag("--off", mark->off, "take the mark away instead");

  auto history = std::make_shared<ListFileArguments>();
  CLI::App& historyCommand = line.command(group, "history", "the searches recorded in the library",
                                          [history](CommandContext& context) { return runHistory(*history, context); });
  historyCommand.add_flag("--clear", history->clear, "empty the history first");
  historyCommand.add_flag("--json", history->json, "print a JSON array");

  auto saved = std::make_shared<ListFileArguments>();
  CLI::App& savedCommand = line.command(group, "saved-terms", "the library's saved terms",
                                        [saved](CommandContext& context) { return runSavedTerms(*saved, context); });
  savedCommand.add_option("--add", saved->add, "add a term")->type_name("TERM");
  savedCommand.add_option("--remove", saved->remove, "remove a term")->type_name("TERM");
  savedCommand.add_flag("--json", saved->json, "print a JSON array");

  auto stats = std::make_shared<StatsArguments>();
  CLI::App& statsCommand = line.command(group, "stats", "counts of what the library holds and the content pools' rows",
                                        [stats](CommandContext& context) { return runStats(*stats, context); });
  statsCommand.add_flag("--json", stats->json, "print a JSON object");

  line.command(group, "optimize", "rewrite the main index compactly, without removed documents", &runOptimize);
  line.command(group, "rebuild-source-index", "build the source index anew from the source list each saved page keeps",
               &runRebuildSourceIndex);
  line.command(group, "evict", "remove the oldest non-permanent pages beyond the content cache limit", &runEvict);
});

}  // namespace
}  // namespace brambel::cli

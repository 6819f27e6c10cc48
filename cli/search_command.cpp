// brambel-cli search: runs a search over the sources of a category of the
// library, as the desktop does: every result page is handed to the content
// pipeline and saved into the library (unless --no-save), and the results
// are printed merged and scored, with sponsored results and failed sources
// after them.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <iostream>

#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/entry_json.h"
#include "cli/library_session.h"
#include "cli/pool_rows.h"
#include "cli/result_json.h"
#include "formats/category_set_file.h"
#include "formats/result_export.h"
#include "formats/text_lines.h"
#include "search/result_order.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"

namespace brambel::cli {
namespace {

using namespace std::chrono_literals;

struct SearchArguments {
  CategorySetChoice choice;
  std::optional<std::string> category;
  bool all = false;
  std::optional<int> max;
  int more = 0;
  std::optional<long long> timeout;
  bool json = false;
  bool noSave = false;
  bool wait = false;
  bool yes = false;
  std::string mode = "load";
  std::string sort = "score";
  std::vector<std::string> exports;
  std::vector<std::string> selection;
  std::vector<std::string> terms;
};

const std::map<std::string, SearchMode> kModes{{"load", SearchMode::kLoad},
                                               {"filter", SearchMode::kFilter},
                                               {"permanent", SearchMode::kPermanent},
                                               {"recent", SearchMode::kRecent}};
const std::map<std::string, SortOrder> kOrders{{"score", SortOrder::kByScore},
                                               {"content", SortOrder::kByContentDate},
                                               {"load", SortOrder::kByLoadDate},
                                               {"unread", SortOrder::kByLastViewedUnread},
                                               {"read", SortOrder::kByLastViewedRead}};

void printText(const std::vector<ResultEntry>& results, const std::vector<SourceResult>& sponsors,
               const std::vector<FailedSource>& failed, std::ostream& out) {
  printEntries(results, out);
  if (results.empty()) out << "No Results!\n";
  if (!sponsors.empty()) {
    out << "\nsponsored:\n";
    for (const SourceResult& sponsor : sponsors)
      out << "  " << utf8(sponsor.title) << "\n   " << utf8(sponsor.url) << "\n";
  }
  if (!failed.empty()) {
    out << "\nfailed sources:\n";
    for (const FailedSource& source : failed) out << "  " << utf8(source.instanceId) << ": " << source.reason << "\n";
  }
}

// Writes the displayed results into each --export file in the form its
// extension names, as the results view's export does; with --selection only
// the results named. False when a file could not be written.
bool writeExports(const SearchArguments& args, const std::vector<ResultEntry>& results, const SourceTable& table,
                  std::ostream& err) {
  ExportRequest request;
  for (const ResultEntry& entry : results) request.results.push_back(entry.record);
  for (const std::string& word : args.terms) request.terms.push_back(toWide(word, kCodePageUtf8));
  for (const std::string& url : args.selection) {
    std::u16string wanted = toWide(url, kCodePageUtf8);
    const bool listed = std::any_of(results.begin(), results.end(),
                                    [&](const ResultEntry& entry) { return entry.record.url == wanted; });
    if (!listed) err << "brambel-cli: not among the results, not exported: " << url << "\n";
    request.selection.insert(std::move(wanted));
  }
  request.now = std::time(nullptr);
  bool written = true;
  for (const std::string& file : args.exports) {
    if (!ExportResults(file, request, table)) {
      err << "brambel-cli: cannot write " << file << "\n";
      written = false;
    }
  }
  return written;
}

// The categories of --set, used for this search only.
bool useSetFile(const std::string& path, CTesserin2Doc& document, std::ostream& err) {
  std::optional<std::string> text = path == "-" ? readInput(path, err) : readTextFile(path);
  if (!text) {
    err << "brambel-cli: cannot read category set " << path << "\n";
    return false;
  }
  text->resize(std::min(text->size(), text->find('\0')));
  CategorySet set;
  SourceDefinitions definitions;
  ReadCategorySet(toWide(*text, kCodePageUtf8), set, definitions);
  if (set.categories.empty()) {
    err << "brambel-cli: no category in " << path << "\n";
    return false;
  }
  document.SetCategories(std::move(set), std::move(definitions), false);
  return true;
}

int runSearch(const SearchArguments& args, CommandContext& context) {
  std::string terms;
  for (const std::string& word : args.terms) terms += (terms.empty() ? "" : " ") + word;
  const std::u16string wideTerms = toWide(terms, kCodePageUtf8);
  const SearchMode mode = kModes.at(args.mode);

  SessionOptions options;
  options.library = args.choice.library;
  options.readOnly = args.noSave;
  options.answerYes = args.yes;
  std::unique_ptr<LibrarySession> session = LibrarySession::Open(options, context.err);
  if (!session) return 1;
  CTesserin2Doc& document = session->document();
  if (args.choice.setFile && !useSetFile(*args.choice.setFile, document, context.err)) return 1;
  const std::vector<Category>& categoryList = document.categories().categories;
  if (categoryList.empty()) {
    context.err << "brambel-cli: the library has no category\n";
    return 1;
  }
  if (args.category) {
    const std::u16string wanted = toWide(*args.category, kCodePageUtf8);
    size_t found = categoryList.size();
    for (size_t i = 0; i < categoryList.size() && found == categoryList.size(); ++i)
      if (equalsIgnoringAsciiCase(categoryList[i].name, wanted)) found = i;
    if (found == categoryList.size()) {
      context.err << "brambel-cli: no category \"" << *args.category << "\" in the set\n";
      return 1;
    }
    document.SelectCategory(found);
  }
  if (args.max) document.SetMaxSourceResults(static_cast<uint32_t>(*args.max));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(args.timeout.value_or(0));
  auto timeLeft = [&]() -> std::chrono::milliseconds {
    if (!args.timeout) return std::chrono::hours(24 * 365);
    return std::max(0ms, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
  };
  bool stopped = false;
  auto waitForSources = [&] {
    if (!document.WaitForSearch(timeLeft())) {
      document.StopSearch();
      stopped = true;
    }
  };

  // "Permanent" and Recent ask the library only; "Load" and "Filter" search first.
  if (mode == SearchMode::kLoad || mode == SearchMode::kFilter) {
    // A press of the search command, as the desktop's; --more presses again with Ctrl held.
    if (args.all) {
      document.SearchAllCategories(wideTerms);
      if (!document.isReadOnly()) document.AddHistory(wideTerms);
    } else {
      document.PressSearch(wideTerms);
    }
    waitForSources();
    for (int round = 0; round < args.more && !stopped; ++round) {
      document.PressSearch(wideTerms, true);
      waitForSources();
    }
  }
  // "Filter" scores the saved pages, so it waits for them as --wait does.
  if ((args.wait || mode == SearchMode::kFilter) && !stopped && !document.WaitForContent(timeLeft())) {
    stopped = true;
    context.err << "brambel-cli: stopped waiting for the pages to be saved\n";
  }
  if (mode != SearchMode::kLoad) document.SetResultMode(mode, wideTerms);
  else document.RebuildResults();
  document.WaitForResults(std::chrono::hours(1));
  document.SortResults(static_cast<int>(kOrders.at(args.sort)));
  session->progress().clear();

  const std::vector<ResultEntry> results = document.DisplayedResults();
  const std::vector<SourceResult> sponsors = document.searchRun().Sponsors();
  const std::vector<FailedSource> failed = document.searchRun().FailedSources();
  const std::string shownCategory = args.all ? std::string() : utf8(categoryList[document.currentCategory()].name);
  if (args.json) {
    Json resultArray = Json::array(), sponsorArray = Json::array(), failedSources = Json::array();
    for (const ResultEntry& entry : results) resultArray.push_back(entryJson(entry));
    for (const SourceResult& sponsor : sponsors) sponsorArray.push_back(resultJson(sponsor));
    for (const FailedSource& source : failed)
      failedSources.push_back({{"id", utf8(source.instanceId)}, {"reason", source.reason}});
    context.out << jsonText(Json{{"terms", terms},
                                 {"category", shownCategory},
                                 {"results", resultArray},
                                 {"sponsors", sponsorArray},
                                 {"failed", failedSources},
                                 {"pools", poolsJson(document.PoolRows())}})
                << "\n";
  } else {
    printText(results, sponsors, failed, context.out);
  }
  const bool exported = writeExports(args, results, document.sourceTable(), context.err);
  if (stopped && args.timeout)
    context.err << "brambel-cli: stopped after " << *args.timeout << " s; sources still running were left out\n";
  context.out.flush();
  context.err.flush();
  if (document.searchRun().runningSourceCount() > 0) {
    // Threads still waiting on the network are not waited for. The library
    // stays sound: every store write is whole or absent when a process ends.
    std::fflush(nullptr);
    std::_Exit(exported ? 0 : 1);
  }
  return exported ? 0 : 1;
}

const CommandRegistration kSearch([](CommandLine& line) {
  auto args = std::make_shared<SearchArguments>();
  CLI::App& search = line.command(
      line.program(), "search",
      "search the sources of a category, save every result page into the library and print the results, best first",
      [args](CommandContext& context) { return runSearch(*args, context); });
  args->choice.addOptions(search);
  CLI::Option* category =
      search.add_option("--category", args->category, "the category to search (default: the first)")
          ->type_name("NAME");
  CLI::Option* all =
      search.add_flag("--all", args->all, "search every category at once (a batch load)")->excludes(category);
  search.add_option("--max", args->max, "results asked of each source (1 to 100000; default: the library's)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000));
  search.add_option("--more", args->more, "ask for more results K times after the first round (at most 100)")
      ->type_name("K")
      ->check(CLI::Range(0, 100))
      ->excludes(all);
  search.add_option("--timeout", args->timeout, "stop after S seconds, leaving out sources still running")
      ->type_name("S")
      ->check(nonNegativeNumber());
  CLI::Option* noSave =
      search.add_flag("--no-save", args->noSave, "save nothing: open the library read-only, hand no page over");
  search.add_flag("--wait", args->wait, "return only when every result page is saved and indexed")->excludes(noSave);
  search.add_option("--mode", args->mode,
                    "load (default: the search's results), filter (those saved, scored against the terms), "
                    "permanent (the library's permanent pages) or recent")
      ->type_name("MODE")
      ->check(CLI::IsMember({"load", "filter", "permanent", "recent"}));
  search.add_option("--sort", args->sort, "score (default), content, load, unread or read")
      ->type_name("ORDER")
      ->check(CLI::IsMember({"score", "content", "load", "unread", "read"}));
  CLI::Option* exportOption =
      search.add_option("--export", args->exports,
                        "also write the results into FILE: .zset a result set, .html/.htm a page, else an RSS feed "
                        "(repeatable)")
          ->type_name("FILE");
  search.add_option("--selection", args->selection, "export only the result with this URL (repeatable)")
      ->type_name("URL")
      ->needs(exportOption);
  search.add_flag("--yes", args->yes, "answer Yes to the library's questions");
  search.add_flag("--json", args->json, "print one JSON object instead of text");
  search.add_option("TERMS", args->terms, "the search terms");
});

}  // namespace
}  // namespace brambel::cli

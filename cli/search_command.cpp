// brambel-cli search: runs a search over the sources of a category set and
// prints the merged results, best first, with sponsored results and failed
// sources after them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>

#include "cli/category_sources.h"
#include "cli/command.h"
#include "cli/result_json.h"
#include "search/result_merge.h"
#include "search/search_run.h"
#include "toolkit/code_pages.h"
#include "toolkit/http_date.h"

namespace brambel::cli {
namespace {

struct SearchArguments {
  CategorySetChoice choice;
  std::optional<std::string> category;
  bool all = false;
  std::optional<int> max;
  int more = 0;
  std::optional<long long> timeout;
  bool json = false;
  std::vector<std::string> terms;
};

using namespace std::chrono_literals;

// The live progress line on a terminal.
class ProgressLine : public SearchListener {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err), enabled_(isatty(STDERR_FILENO)) {}
  void attach(const SearchRun* run) { run_ = run; }
  void ResultsChanged() override { show(); }
  void SourceFinished(const std::u16string&) override { show(); }
  void clear() {
    std::lock_guard lock(mutex_);
    if (enabled_ && shown_) err_ << "\r\033[K" << std::flush;
  }

 private:
  void show() {
    if (!enabled_ || !run_) return;
    std::lock_guard lock(mutex_);
    shown_ = true;
    err_ << "\r\033[Ksearching: " << run_->runningSourceCount() << " sources running, "
         << run_->RawResults().size() << " results, " << run_->FailedSources().size() << " failed" << std::flush;
  }

  std::ostream& err_;
  const bool enabled_;
  const SearchRun* run_ = nullptr;
  std::mutex mutex_;
  bool shown_ = false;
};

std::string dateText(uint32_t seconds) { return seconds ? formatHttpDate(seconds) : "-"; }

std::string joined(const std::vector<std::u16string>& values) {
  std::string text;
  for (const std::u16string& value : values) text += (text.empty() ? "" : ", ") + utf8(value);
  return text;
}

void printText(const std::vector<ResultEntry>& results, const std::vector<SourceResult>& sponsors,
               const std::vector<FailedSource>& failed, std::ostream& out) {
  int rank = 0;
  for (const ResultEntry& entry : results) {
    const SourceResult& record = entry.record;
    out << ++rank << ". " << utf8(record.title) << "\n   " << utf8(record.url) << "\n   sources: "
        << joined(record.sources) << "\n   position " << record.position << ", score " << entry.score
        << ", content date " << dateText(record.contentDate) << ", load date " << dateText(record.loadDate)
        << "\n";
  }
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

Json resultsJson(const std::vector<ResultEntry>& results) {
  Json array = Json::array();
  for (const ResultEntry& entry : results) {
    Json object = resultJson(entry.record);
    object["position"] = entry.record.position;
    object["score"] = entry.score;
    array.push_back(std::move(object));
  }
  return array;
}

Json sponsorsJson(const std::vector<SourceResult>& sponsors) {
  Json array = Json::array();
  for (const SourceResult& sponsor : sponsors) array.push_back(resultJson(sponsor));
  return array;
}

int runSearch(const SearchArguments& args, CommandContext& context) {
  std::optional<LoadedCategories> categories = loadCategories(args.choice, context.err);
  const std::optional<std::string>& categoryName = args.category;
  const bool all = args.all;
  const std::optional<long long>& timeout = args.timeout;

  std::string terms;
  for (const std::string& word : args.terms) terms += (terms.empty() ? "" : " ") + word;
  std::u16string wideTerms = toWide(terms, kCodePageUtf8);

  if (!categories) return 1;
  size_t categoryIndex = 0;
  if (categoryName) {
    std::optional<size_t> found = categories->find(*categoryName);
    if (!found) {
      context.err << "brambel-cli: no category \"" << *categoryName << "\" in the set\n";
      return 1;
    }
    categoryIndex = *found;
  }

  SearchRunOptions options;
  if (args.max) options.maxSourceResults = *args.max;
  ProgressLine progress(context.err);
  // Threads still waiting on the network when the time-out stops the search
  // are not waited for; the process leaves them behind when it exits.
  auto run = std::make_unique<SearchRun>(options, &progress);
  progress.attach(run.get());
  run->SetSources(categories->sources());

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout.value_or(0));
  bool stopped = false;
  auto waitForSources = [&] {
    if (!timeout) {
      while (!run->WaitUntilIdle(1h)) {}
      return;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!run->WaitUntilIdle(std::max(left, 0ms))) {
      run->StopSearch();
      stopped = true;
    }
  };

  const std::vector<Category>& categoryList = categories->set.categories;
  const std::vector<std::u16string>& ids = categoryList[categoryIndex].references;
  if (all) {
    std::vector<std::vector<std::u16string>> lists;
    for (const Category& category : categoryList) lists.push_back(category.references);
    run->SearchAllCategories(wideTerms, lists);
  } else {
    run->RunSearch(wideTerms, true, 1, ids);
  }
  waitForSources();
  for (int round = 0; round < args.more && !stopped; ++round) {
    run->RunSearch(wideTerms, false, std::min(round + 2, 5), ids);
    waitForSources();
  }
  progress.clear();

  LoadMergeOptions merge;
  if (!all && categoryIndex != 0) merge.categorySources = std::set<std::u16string>(ids.begin(), ids.end());
  if (categories->library) {
    merge.storedDates = [library = categories->library](const std::u16string& url) -> std::optional<StoredDates> {
      std::optional<SourceResult> stored = library->readRecord(url);
      if (!stored) return std::nullopt;
      return StoredDates{stored->contentDate, stored->loadDate};
    };
  }
  std::vector<ResultEntry> results = MergeLoadedResults(run->RawResults(), merge);
  SortByScore(results);
  std::vector<SourceResult> sponsors = run->Sponsors();
  std::vector<FailedSource> failed = run->FailedSources();
  const std::string shownCategory = all ? std::string() : utf8(categoryList[categoryIndex].name);

  if (args.json) {
    Json failedSources = Json::array();
    for (const FailedSource& source : failed)
      failedSources.push_back({{"id", utf8(source.instanceId)}, {"reason", source.reason}});
    context.out << jsonText(Json{{"terms", terms},
                                 {"category", shownCategory},
                                 {"results", resultsJson(results)},
                                 {"sponsors", sponsorsJson(sponsors)},
                                 {"failed", failedSources}})
                << "\n";
  } else {
    printText(results, sponsors, failed, context.out);
  }
  if (stopped) context.err << "brambel-cli: stopped after " << *timeout << " s; sources still running were left out\n";
  context.out.flush();
  context.err.flush();
  if (run->runningSourceCount() > 0) {
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}

const CommandRegistration kSearch([](CommandLine& line) {
  auto args = std::make_shared<SearchArguments>();
  CLI::App& search = line.command(line.program(), "search",
                                  "search the sources of a category and print the merged results, best first",
                                  [args](CommandContext& context) { return runSearch(*args, context); });
  args->choice.addOptions(search);
  CLI::Option* category =
      search.add_option("--category", args->category, "the category to search (default: the first)")
          ->type_name("NAME");
  search.add_flag("--all", args->all, "search every category at once")->excludes(category);
  search.add_option("--max", args->max, "results asked of each source (1 to 100000)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000));
  search.add_option("--more", args->more, "ask for more results K times after the first round (at most 100)")
      ->type_name("K")
      ->check(CLI::Range(0, 100));
  search.add_option("--timeout", args->timeout, "stop after S seconds, leaving out sources still running")
      ->type_name("S")
      ->check(nonNegativeNumber());
  search.add_flag("--json", args->json, "print one JSON object instead of text");
  search.add_option("TERMS", args->terms, "the search terms");
});

}  // namespace
}  // namespace brambel::cli

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
#include "toolkit/json_writer.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kSearch;

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
               const std::vector<std::u16string>& failed, std::ostream& out) {
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
    for (const std::u16string& id : failed) out << "  " << utf8(id) << "\n";
  }
}

std::string resultsJson(const std::vector<ResultEntry>& results) {
  std::string json = "[";
  for (const ResultEntry& entry : results) {
    if (json.size() > 1) json += ',';
    std::string object = resultJson(entry.record);
    object.pop_back();
    object += ",\"position\":" + std::to_string(entry.record.position) + ",\"score\":" + std::to_string(entry.score) + "}";
    json += object;
  }
  return json + "]";
}

std::string sponsorsJson(const std::vector<SourceResult>& sponsors) {
  std::string json = "[";
  for (const SourceResult& sponsor : sponsors) {
    if (json.size() > 1) json += ',';
    json += resultJson(sponsor);
  }
  return json + "]";
}

int runSearch(CommandContext& context) {
  std::optional<LoadedCategories> categories = loadCategories(context.args, context.err);
  std::optional<std::string> categoryName = context.args.option("category");
  bool all = context.args.flag("all");
  std::optional<long long> max = context.args.number("max");
  std::optional<long long> more = context.args.number("more");
  std::optional<long long> timeout = context.args.number("timeout");
  bool json = context.args.flag("json");
  std::vector<std::string> words = context.args.positionals();
  if (!context.args.error().empty()) return usageError(kSearch, context.err, context.args.error());
  if (all && categoryName) return usageError(kSearch, context.err, "--category and --all exclude each other");
  if (max && (*max < 1 || *max > 100000)) return usageError(kSearch, context.err, "--max must be 1 to 100000");
  if (more && *more > 100) return usageError(kSearch, context.err, "--more must be at most 100");

  std::string terms;
  for (const std::string& word : words) terms += (terms.empty() ? "" : " ") + word;
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
  if (max) options.maxSourceResults = static_cast<int>(*max);
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
  for (long long round = 0; round < more.value_or(0) && !stopped; ++round) {
    run->RunSearch(wideTerms, false, static_cast<int>(std::min<long long>(round + 2, 5)), ids);
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
  std::vector<std::u16string> failed = run->FailedSources();
  const std::string shownCategory = all ? std::string() : utf8(categoryList[categoryIndex].name);

  if (json) {
    std::vector<std::string> failedText;
    for (const std::u16string& id : failed) failedText.push_back(utf8(id));
    context.out << JsonObjectWriter()
                       .add("terms", std::string_view(terms))
                       .add("category", std::string_view(shownCategory))
                       .addRaw("results", resultsJson(results))
                       .addRaw("sponsors", sponsorsJson(sponsors))
                       .add("failed", failedText)
                       .str()
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

const CommandRegistration kSearch{
    "search", "",
    "[--library DIR] [--set FILE] [--category NAME | --all] [--max N] [--more K] [--timeout S] [--json] TERMS...",
    "search the sources of a category and print the merged results, best first", &runSearch};

}  // namespace
}  // namespace brambel::cli

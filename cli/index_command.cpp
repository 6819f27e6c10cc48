// brambel-cli index ...: builds, queries, checks and optimises a main index
// file (such as a library's "main__index.zidx") from plain UTF-8 texts.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "index/document_removal.h"
#include "index/index_optimiser.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "index/query_parser.h"
#include "index/term_extractor.h"
#include "index/term_table.h"
#include "store/index_file_checker.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_normalize.h"

namespace brambel::cli {
namespace {

// The words and options of every index command; each command declares the ones it takes.
struct IndexArguments {
  std::string index;
  std::optional<std::string> file;
  std::vector<std::string> words;
  std::string term;
  std::optional<uint32_t> id;
  std::optional<size_t> max;
  bool complete = false;
  bool counts = false;
  std::optional<std::string> batch;
  std::optional<std::string> prefix;
  std::string ids;
};

using Clock = std::chrono::steady_clock;

std::string utf8(std::u16string_view text) { return toNarrow(std::u16string(text), kCodePageUtf8); }

std::string formatFloat(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

std::optional<uint32_t> documentId(long long value) {
  if (value < 1 || value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// "ID,ID,..." as a set; nothing when an entry is not a document id.
std::optional<DocumentIdSet> parseIdList(std::string_view text) {
  DocumentIdSet ids;
  while (!text.empty()) {
    const size_t comma = std::min(text.find(','), text.size());
    const std::string_view piece = text.substr(0, comma);
    long long value = 0;
    auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (error != std::errc() || end != piece.data() + piece.size()) return std::nullopt;
    std::optional<uint32_t> id = documentId(value);
    if (!id) return std::nullopt;
    ids.insert(*id);
    text.remove_prefix(std::min(comma + 1, text.size()));
  }
  return ids;
}

// Opens an existing index (never creating one); nothing, with a message,
// when the file is missing or not a valid index.
std::unique_ptr<IndexFile> openExisting(CommandContext& context, const std::string& path, bool writable) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    context.err << "brambel-cli: " << path << ": no such index file\n";
    return nullptr;
  }
  auto index = std::make_unique<IndexFile>(path, 0, mainIndexOptions(!writable, 0));
  if (!index->isValid()) {
    context.err << "brambel-cli: " << path << ": not a valid index file\n";
    return nullptr;
  }
  if (writable && index->isReadOnly()) {
    context.err << "brambel-cli: " << path << ": cannot be written\n";
    return nullptr;
  }
  return index;
}

// Opens the index for adding, creating it when it does not exist yet.
std::unique_ptr<IndexFile> openForAdding(CommandContext& context, const std::string& path) {
  std::error_code error;
  if (std::filesystem::exists(path, error)) return openExisting(context, path, true);
  auto index = std::make_unique<IndexFile>(path, 0, mainIndexOptions(false, 0));
  if (!index->isValid()) {
    context.err << "brambel-cli: " << path << ": cannot create the index file\n";
    return nullptr;
  }
  return index;
}

// Documents (or bytes of text) a batch load adds per write session.
constexpr size_t kBatchDocuments = 2048;
constexpr size_t kBatchBytes = 16 << 20;

// The weighted terms of a UTF-8 text, folded as the library folds page text.
std::vector<WeightedTerm> termsOfText(const TermFilter& filter, const std::string& text) {
  const std::u16string folded = normalizeText(toWide(text, kCodePageUtf8), true);
  ExtractedTerms extracted = ExtractTerms(folded, &filter);
  return DocumentTermTable(extracted.terms).WeightedTerms();
}

int runAdd(const IndexArguments& args, CommandContext& context) {
  std::optional<std::string> text = readInput(args.file, context.err);
  if (!text) return 1;
  auto index = openForAdding(context, args.index);
  if (!index) return 1;
  if (!AddDocument(*index, termsOfText(TermFilter(), *text), *args.id)) {
    context.err << "brambel-cli: " << args.index << ": the document could not be added\n";
    return 1;
  }
  return 0;
}

int runAddBatch(const IndexArguments& args, CommandContext& context) {
  std::optional<std::string> list = readInput(args.file, context.err);
  if (!list) return 1;
  auto index = openForAdding(context, args.index);
  if (!index) return 1;

  const TermFilter filter;
  std::istringstream lines(*list);
  std::string line;
  size_t added = 0, lineNumber = 0, failed = 0, batches = 0;
  std::array<double, 3> rateSums{};
  std::vector<DocumentTerms> batch;
  size_t batchBytes = 0;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastReport = start;
  auto flush = [&] {
    if (batch.empty()) return true;
    const size_t documents = batch.size();
    if (!AddDocuments(*index, std::exchange(batch, {}))) return false;
    added += documents;
    ++batches;
    batchBytes = 0;
    for (size_t i = 0; i < 3; ++i) rateSums[i] += index->rates()[i];
    if (Clock::now() - lastReport > std::chrono::seconds(1)) {
      context.err << "indexed " << added << " documents\n";
      lastReport = Clock::now();
    }
    return true;
  };
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    long long value = 0;
    auto [end, error] = std::from_chars(line.data(), line.data() + std::min(tab, line.size()), value);
    if (tab == std::string::npos || error != std::errc() || end != line.data() + tab || !documentId(value)) {
      context.err << "brambel-cli: " << *args.file << ":" << lineNumber << ": expected ID<TAB>PATH\n";
      return 1;
    }
    std::ifstream in(line.substr(tab + 1), std::ios::binary);
    if (!in) {
      context.err << "brambel-cli: cannot read " << line.substr(tab + 1) << "\n";
      ++failed;
      continue;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    batch.push_back({*documentId(value), termsOfText(filter, text)});
    batchBytes += text.size();
    if ((batch.size() >= kBatchDocuments || batchBytes >= kBatchBytes) && !flush()) {
      context.err << "brambel-cli: " << args.index << ": documents could not be added\n";
      return 1;
    }
  }
  if (!flush()) {
    context.err << "brambel-cli: " << args.index << ": documents could not be added\n";
    return 1;
  }
  const double seconds = std::max(std::chrono::duration<double>(Clock::now() - start).count(), 1e-9);
  context.out << "documents\t" << added << "\n"
              << "documents_per_second\t" << formatFloat(added / seconds) << "\n";
  const char* names[3] = {"terms_per_second_collected", "terms_per_second_looked_up", "terms_per_second_stored"};
  for (size_t i = 0; i < 3; ++i)
    context.out << names[i] << "\t" << formatFloat(batches ? rateSums[i] / batches : 0.0) << "\n";
  if (failed) {
    context.err << "brambel-cli: " << failed << " listed files could not be read\n";
    return 1;
  }
  return 0;
}

std::u16string joinWords(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
  return toWide(joined, kCodePageUtf8);
}

double percentile(std::vector<double> sorted, double fraction) {
  if (sorted.empty()) return 0.0;
  const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(fraction * (sorted.size() - 1) + 0.5));
  return sorted[at];
}

int runQueryBatch(CommandContext& context, IndexFile& index, const std::string& file, size_t maximum,
                  bool complete) {
  std::optional<std::string> text = readInput(file, context.err);
  if (!text) return 1;
  const TermFilter filter;
  std::istringstream lines(*text);
  std::string line;
  std::vector<double> micros;
  size_t hitsTotal = 0;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<ScoredHit> hits;
    std::u16string completed;
    const Clock::time_point start = Clock::now();
    const bool ran = QueryIndex(index, ParseQuery(toWide(line, kCodePageUtf8), filter), hits, maximum,
                                complete ? &completed : nullptr);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!ran) {
      context.err << "brambel-cli: the index cannot be read\n";
      return 1;
    }
    hitsTotal += hits.size();
  }
  std::sort(micros.begin(), micros.end());
  context.out << "queries\t" << micros.size() << "\n"
              << "hits\t" << hitsTotal << "\n"
              << "median_us\t" << formatFloat(percentile(micros, 0.5)) << "\n"
              << "p95_us\t" << formatFloat(percentile(micros, 0.95)) << "\n";
  return 0;
}

int runQuery(const IndexArguments& args, CommandContext& context) {
  if (args.batch.has_value() == !args.words.empty()) return context.usageError("give TERMS or --batch FILE");
  auto index = openExisting(context, args.index, false);
  if (!index) return 1;
  const bool complete = args.complete;
  const size_t limit = args.max.value_or(5000);
  if (args.batch) return runQueryBatch(context, *index, *args.batch, limit, complete);

  std::vector<std::u16string> terms = ParseQuery(joinWords(args.words), TermFilter());
  std::vector<ScoredHit> hits;
  std::u16string completed;
  if (!QueryIndex(*index, terms, hits, limit, complete ? &completed : nullptr)) {
    context.err << "brambel-cli: " << args.index << ": the index cannot be read\n";
    return 1;
  }
  if (complete) {
    // The completed last term, or the last term itself when it needed none.
    std::u16string last = terms.empty() ? u"" : terms.back();
    std::erase_if(last, [](char16_t c) { return c == u'"' || c == u'-' || c == u'+'; });
    context.out << utf8(completed.empty() ? last : completed) << "\n";
  }
  for (const ScoredHit& hit : hits) context.out << hit.id << "\t" << formatFloat(hit.score) << "\n";
  return 0;
}

int runTerms(const IndexArguments& args, CommandContext& context) {
  auto index = openExisting(context, args.index, false);
  if (!index) return 1;
  const bool counts = args.counts;
  const std::u16string start = args.prefix ? toWide(*args.prefix, kCodePageUtf8) : u"";
  const size_t limit = args.max.value_or(SIZE_MAX);
  for (const StoredTerm& term : ListStoredTerms(*index, start, limit, counts)) {
    context.out << utf8(term.term);
    if (counts) context.out << "\t" << term.count;
    context.out << "\n";
  }
  return 0;
}

int runPostings(const IndexArguments& args, CommandContext& context) {
  auto index = openExisting(context, args.index, false);
  if (!index) return 1;
  for (const Posting& posting : PostingsOf(*index, toWide(args.term, kCodePageUtf8)))
    context.out << posting.id << "\t" << formatFloat(posting.weight) << "\n";
  return 0;
}

int runCheck(const IndexArguments& args, CommandContext& context) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(args.index, error)) {
    context.err << "brambel-cli: " << args.index << ": no such index file\n";
    return 1;
  }
  IndexCheckReport report = checkIndexFile(args.index, 0, true);
  context.out << "valid\t" << (report.valid ? "yes" : "no") << "\n"
              << "nodes\t" << report.nodes << "\n"
              << "keys\t" << report.keys << "\n"
              << "terms\t" << report.terms << "\n"
              << "term_records\t" << report.termRecords << "\n"
              << "id_blocks\t" << report.idBlocks << "\n"
              << "postings\t" << report.postings << "\n"
              << "depth\t" << report.depth << "\n";
  for (const std::string& note : report.notes) context.out << "note\t" << note << "\n";
  for (const std::string& damage : report.damage) context.out << "damage\t" << damage << "\n";
  if (!report.sound()) {
    context.err << "brambel-cli: " << args.index << ": "
                << (report.valid ? "the index is damaged" : "not a valid index file") << "\n";
    return 1;
  }
  return 0;
}

int runOptimize(const IndexArguments& args, CommandContext& context) {
  std::optional<DocumentIdSet> removed = parseIdList(args.ids);
  if (!removed) return context.usageError("--removed takes document ids separated by commas");
  OptimiseResult result = Optimise(args.index, mainIndexOptions(false, 0), *removed);
  switch (result.status) {
    case OptimiseStatus::Done:
      context.out << "terms\t" << result.termsCopied << "\n"
                  << "postings\t" << result.postingsCopied << "\n"
                  << "postings_dropped\t" << result.postingsDropped << "\n";
      return 0;
    case OptimiseStatus::Missing:
      context.err << "brambel-cli: " << args.index << ": no valid index file to optimise\n";
      return 1;
    case OptimiseStatus::NoSpace:
      context.err << "brambel-cli: " << args.index << ": " << result.shortfallBytes / 1048576
                  << "MB more free space is needed to optimise\n";
      return 1;
    case OptimiseStatus::Failed:
      break;
  }
  context.err << "brambel-cli: " << args.index << ": the optimised copy could not be made; index unchanged\n";
  return 1;
}

int runRemove(const IndexArguments& args, CommandContext& context) {
  std::optional<DocumentIdSet> ids = parseIdList(args.ids);
  if (!ids || ids->empty()) return context.usageError("--ids takes document ids separated by commas");
  auto index = openExisting(context, args.index, true);
  if (!index) return 1;
  std::optional<uint64_t> cleared = RemoveDocuments(*index, *ids);
  if (!cleared) {
    context.err << "brambel-cli: " << args.index << ": the documents could not be removed\n";
    return 1;
  }
  context.out << "postings_cleared\t" << *cleared << "\n";
  return 0;
}

// Adds the command `name` of the index group, on arguments of its own, with INDEX declared.
std::pair<CLI::App*, std::shared_ptr<IndexArguments>> addIndexCommand(
    CommandLine& line, const std::string& name, const std::string& description,
    int (*run)(const IndexArguments&, CommandContext&)) {
  auto args = std::make_shared<IndexArguments>();
  CLI::App& command = line.command(line.group("index", "full-text index files"), name, description,
                                   [args, run](CommandContext& context) { return run(*args, context); });
  command.add_option("INDEX", args->index, "the index file")->required();
  return {&command, args};
}

const CommandRegistration kIndex([](CommandLine& line) {
  auto [add, addArgs] = addIndexCommand(
      line, "add",
      "adds the terms of a UTF-8 text (FILE or standard input) as document N, creating the index if needed", &runAdd);
  add->add_option("--id", addArgs->id, "the document id, 1 to 4294967295")
      ->type_name("N")
      ->required()
      ->check(CLI::Range(1u, UINT32_MAX));
  add->add_option("FILE", addArgs->file, "the text (default: standard input)");

  auto [batch, batchArgs] = addIndexCommand(
      line, "add-batch",
      "adds every document of LIST (lines of ID, a tab and PATH) in batches of 2048; prints documents per second and the "
      "three rate figures (mean over the batches)",
      &runAddBatch);
  batch->add_option("LIST", batchArgs->file, "the list of documents")->required();

  auto [query, queryArgs] = addIndexCommand(
      line, "query",
      "documents holding the terms, best first, as lines of ID, a tab and SCORE (the completed last term first with "
      "--complete); --batch runs one query per line and prints the median and 95th-percentile latency",
      &runQuery);
  query->add_option("--max", queryArgs->max, "at most N documents (default 5000)")->type_name("N");
  query->add_flag("--complete", queryArgs->complete, "complete the last term as typed");
  query->add_option("--batch", queryArgs->batch, "one query per line of FILE, timed")->type_name("FILE");
  query->add_option("TERMS", queryArgs->words, "the query");

  auto [terms, termsArgs] = addIndexCommand(
      line, "terms", "stored terms in key order (with --counts only those with documents, and how many)", &runTerms);
  terms->add_option("--prefix", termsArgs->prefix, "start at P")->type_name("P");
  terms->add_option("--max", termsArgs->max, "at most N terms")->type_name("N");
  terms->add_flag("--counts", termsArgs->counts, "print how many documents hold each term");

  auto [postings, postingsArgs] =
      addIndexCommand(line, "postings", "the postings of TERM as lines of ID, a tab and WEIGHT", &runPostings);
  postings->add_option("TERM", postingsArgs->term, "the term")->required();

  addIndexCommand(line, "check", "checks the structure of the index and prints its totals; fails on damage",
                  &runCheck);

  auto [optimize, optimizeArgs] =
      addIndexCommand(line, "optimize", "rewrites the index compactly, dropping removed documents", &runOptimize);
  optimize->add_option("--removed", optimizeArgs->ids, "the removed documents")->type_name("ID,ID...");

  auto [remove, removeArgs] = addIndexCommand(
      line, "remove",
      "takes documents out of the index in place (their postings are skipped until the next optimize drops them)",
      &runRemove);
  remove->add_option("--ids", removeArgs->ids, "the documents to remove")->type_name("ID,ID...")->required();
});

}  // namespace
}  // namespace brambel::cli

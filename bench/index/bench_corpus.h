#pragma once
// The document sets the index benchmarks share, so that every engine indexes
// and queries exactly the same texts: the HTML pages of the Python 3.11
// documentation turned into folded plain text, and a generated corpus of
// Zipf-distributed words.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>

#include "toolkit/code_pages.h"
#include "toolkit/text_normalize.h"

namespace brambel::bench {

struct Corpus {
  std::string name;
  std::vector<std::u16string> documents;  // folded text, as the library indexes it
  std::vector<std::string> utf8;          // the same texts for the other engines
  std::vector<std::pair<std::string, std::string>> andQueries;  // two-term AND queries
  std::vector<std::string> prefixes;                            // completion prefixes
  uint64_t bytes = 0;
};

inline constexpr size_t kQueryCount = 300;

// Plain text of a page: tags become blanks, script and style bodies go.
inline std::string pageText(const std::string& html) {
  std::string text;
  text.reserve(html.size());
  size_t at = 0;
  while (at < html.size()) {
    if (html[at] != '<') {
      text += html[at++];
      continue;
    }
    for (const char* element : {"<script", "<style"}) {
      if (html.compare(at, std::char_traits<char>::length(element), element) == 0) {
        const std::string close = std::string("</") + (element + 1);
        const size_t end = html.find(close, at);
        at = end == std::string::npos ? html.size() : end;
      }
    }
    const size_t end = html.find('>', at);
    at = end == std::string::npos ? html.size() : end + 1;
    text += ' ';
  }
  return text;
}

// Picks queries and prefixes from words of middling document frequency, so
// that AND queries intersect real posting lists.
inline void chooseQueries(Corpus& corpus, uint32_t seed) {
  std::unordered_map<std::string, uint32_t> frequency;
  for (const std::string& text : corpus.utf8) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      if (end - start >= 3) words.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    for (const std::string& word : words) ++frequency[word];
  }
  const uint32_t documents = static_cast<uint32_t>(corpus.utf8.size());
  std::vector<std::string> middling;
  for (const auto& [word, count] : frequency) {
    const bool ascii = std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    if (ascii && count >= std::max(2u, documents / 200) && count <= documents / 5) middling.push_back(word);
  }
  std::sort(middling.begin(), middling.end());
  std::mt19937 random(seed);
  if (middling.size() < 2) return;
  for (size_t i = 0; i < kQueryCount; ++i) {
    corpus.andQueries.emplace_back(middling[random() % middling.size()], middling[random() % middling.size()]);
    corpus.prefixes.push_back(middling[random() % middling.size()].substr(0, 3));
  }
}

inline void addDocument(Corpus& corpus, const std::string& text) {
  std::u16string folded = normalizeText(toWide(text, kCodePageUtf8), true);
  // Lower case for every engine alike (the others fold case themselves).
  for (char16_t& unit : folded)
    if (unit >= u'A' && unit <= u'Z') unit += 32;
  corpus.bytes += text.size();
  corpus.utf8.push_back(toNarrow(folded, kCodePageUtf8));
  corpus.documents.push_back(std::move(folded));
}

inline const Corpus& pythonDocs() {
  static const Corpus corpus = [] {
    Corpus c;
    c.name = "python-docs";
    std::vector<std::filesystem::path> pages;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc/python3.11/html", error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
      if (it->path().extension() == ".html") pages.push_back(it->path());
    std::sort(pages.begin(), pages.end());
    for (const auto& page : pages) {
      std::ifstream in(page, std::ios::binary);
      addDocument(c, pageText(std::string(std::istreambuf_iterator<char>(in), {})));
    }
    chooseQueries(c, 11);
    return c;
  }();
  return corpus;
}

// 100 000 documents of 20 to 180 words drawn from a Zipf-distributed
// vocabulary of 60 000 made-up words.
inline const Corpus& generated() {
  static const Corpus corpus = [] {
    Corpus c;
    c.name = "generated";
    constexpr size_t kVocabulary = 60000;
    std::mt19937 random(7);
    std::vector<std::string> words;
    for (size_t i = 0; i < kVocabulary; ++i) {
      std::string word;
      const size_t length = 3 + random() % 8;
      for (size_t k = 0; k < length; ++k) word += static_cast<char>('a' + random() % 26);
      words.push_back(word);
    }
    std::vector<double> cumulative(kVocabulary);
    double sum = 0;
    for (size_t i = 0; i < kVocabulary; ++i) cumulative[i] = sum += 1.0 / std::pow(i + 1.0, 1.05);
    std::uniform_real_distribution<double> draw(0.0, sum);
    for (size_t d = 0; d < 100000; ++d) {
      std::string text;
      const size_t length = 20 + random() % 161;
      for (size_t k = 0; k < length; ++k) {
        const size_t rank = std::lower_bound(cumulative.begin(), cumulative.end(), draw(random)) - cumulative.begin();
        text += words[std::min(rank, kVocabulary - 1)];
        text += ' ';
      }
      addDocument(c, text);
    }
    chooseQueries(c, 13);
    return c;
  }();
  return corpus;
}

// Median and 95th percentile of a set of latencies, in microseconds.
struct Latency {
  double median = 0, p95 = 0;
};

inline Latency latencyOf(std::vector<double> micros) {
  Latency latency;
  if (micros.empty()) return latency;
  std::sort(micros.begin(), micros.end());
  latency.median = micros[micros.size() / 2];
  latency.p95 = micros[std::min(micros.size() - 1, micros.size() * 95 / 100)];
  return latency;
}

template <typename Run>
double microsecondsOf(Run&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// Records median and 95th-percentile latency as the benchmark's counters.
inline void reportLatency(benchmark::State& state, const std::vector<double>& micros) {
  const Latency latency = latencyOf(micros);
  state.counters["median_us"] = latency.median;
  state.counters["p95_us"] = latency.p95;
}

using CorpusBenchmark = void (*)(benchmark::State&, const Corpus&);

// Registers one engine's three measurements on both corpora: indexing once,
// and three passes over the queries and the prefixes.
inline bool registerIndexBenchmarks(CorpusBenchmark indexing, CorpusBenchmark andQuery,
                                    CorpusBenchmark prefixCompletion) {
  for (auto corpus : {&pythonDocs, &generated}) {
    const std::string name = corpus == &pythonDocs ? "python_docs" : "generated";
    benchmark::RegisterBenchmark(("indexing/" + name).c_str(), [=](benchmark::State& s) { indexing(s, corpus()); })
        ->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("andQuery/" + name).c_str(), [=](benchmark::State& s) { andQuery(s, corpus()); })
        ->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("prefixCompletion/" + name).c_str(),
                                 [=](benchmark::State& s) { prefixCompletion(s, corpus()); })
        ->Iterations(3)->Unit(benchmark::kMillisecond);
  }
  return true;
}

inline uint64_t sizeOnDisk(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) return std::filesystem::file_size(path, error);
  uint64_t total = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(path, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error))
    if (it->is_regular_file(error)) total += it->file_size(error);
  return total;
}

}  // namespace brambel::bench

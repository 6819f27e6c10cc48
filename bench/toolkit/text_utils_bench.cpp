// Throughput of the hot text helpers on generated pages, and their linearity
// on degenerate input ("<" or "&" repeated, unclosed scripts and comments),
// where a lazy ".*?" expression retried at every "<" would be quadratic. The
// expression-based strip is measured on a smaller page for comparison.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "tests/support/strip_markup_expression.h"
#include "toolkit/code_pages.h"
#include "toolkit/entities.h"
#include "toolkit/markup.h"
#include "toolkit/text_normalize.h"

namespace brambel {
namespace {

constexpr size_t kPageBytes = 4 << 20;

// A page of `bytes` bytes: paragraphs of words with tags, references,
// comments, inline scripts and styles in realistic proportions.
std::string generatedPage(size_t bytes) {
  static const char* const kPieces[] = {
      "the ",  "quick ", "brown ", "caf&#233; ", "fox&rsquo;s ", "&amp; ", "<b>", "</b>", "<a href=\"/x?a=1&amp;b=2\">",
      "</a> ", "jumps ", "over ",  "&nbsp;",     "lazy ",        "dog. ",  "\n",  "<p class=\"text\">", "</p>\n",
      "&lt;tag&gt; ", "<!-- note --> ", "<script type=\"text/javascript\">if (a < b) { go(); }</script>",
      "<style>p { margin: 0 }</style>", "&#x263A; ", "&quot;quoted&quot; "};
  std::mt19937 random(42);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::string page;
  page.reserve(bytes + 128);
  while (page.size() < bytes) page += kPieces[pick(random)];
  page.resize(bytes);
  return page;
}

std::u16string widened(const std::string& bytes) { return std::u16string(bytes.begin(), bytes.end()); }

void BM_DecodeEntities(benchmark::State& state) {
  std::string page = generatedPage(kPageBytes);
  for (auto _ : state) benchmark::DoNotOptimize(decodeEntities(page));
  state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_DecodeEntities)->Unit(benchmark::kMillisecond);

void BM_DecodeEntitiesRepeated(benchmark::State& state) {
  std::string text(state.range(0), static_cast<char>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(decodeEntities(text));
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_DecodeEntitiesRepeated)
    ->ArgNames({"bytes", "char"})
    ->Args({1 << 20, '&'})
    ->Args({10 << 20, '&'})
    ->Unit(benchmark::kMillisecond);

void BM_StripMarkup(benchmark::State& state) {
  std::u16string page = widened(generatedPage(kPageBytes));
  for (auto _ : state) benchmark::DoNotOptimize(stripMarkup(page));
  state.SetBytesProcessed(state.iterations() * page.size() * sizeof(char16_t));
}
BENCHMARK(BM_StripMarkup)->Unit(benchmark::kMillisecond);

// Degenerate input of `bytes` units made of one repeated piece.
void BM_StripMarkupRepeated(benchmark::State& state, const char* piece) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += piece;
  std::u16string wide = widened(text);
  for (auto _ : state) benchmark::DoNotOptimize(stripMarkup(wide));
  state.SetBytesProcessed(state.iterations() * wide.size() * sizeof(char16_t));
}
BENCHMARK_CAPTURE(BM_StripMarkupRepeated, open_brackets, "<")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StripMarkupRepeated, ampersands, "&")->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StripMarkupRepeated, unclosed_scripts, "<script>")
    ->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StripMarkupRepeated, unclosed_comments, "<!--")
    ->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The same work done with the one regular expression the scanner replaces.
void BM_StripMarkupExpression(benchmark::State& state) {
  std::u16string page = widened(generatedPage(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(testing::stripMarkupWithExpression(page));
  state.SetBytesProcessed(state.iterations() * page.size() * sizeof(char16_t));
}
BENCHMARK(BM_StripMarkupExpression)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_RemoveScripts(benchmark::State& state) {
  std::string page = generatedPage(kPageBytes);
  for (auto _ : state) benchmark::DoNotOptimize(removeScripts(page));
  state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_RemoveScripts)->Unit(benchmark::kMillisecond);

void BM_NormalizeText(benchmark::State& state) {
  std::u16string text = stripMarkup(widened(generatedPage(kPageBytes)));
  for (auto _ : state) benchmark::DoNotOptimize(normalizeText(text, true));
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}
BENCHMARK(BM_NormalizeText)->Unit(benchmark::kMillisecond);

void BM_ToWide(benchmark::State& state) {
  std::u16string japanese = u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002 Text <b>mixed</b> in. ";
  std::u16string text;
  while (text.size() < (1 << 20)) text += japanese;
  std::string bytes = toNarrow(text, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(toWide(bytes, static_cast<int>(state.range(0))));
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ToWide)->ArgName("codepage")->Arg(65001)->Arg(932)->Unit(benchmark::kMillisecond);

void BM_DetectCodePage(benchmark::State& state) {
  std::u16string japanese = u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002 Text <b>mixed</b> in. ";
  std::u16string text;
  while (text.size() < (256 << 10)) text += japanese;
  std::string bytes = toNarrow(text, 932);
  for (auto _ : state) benchmark::DoNotOptimize(detectCodePage(bytes));
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DetectCodePage)->Unit(benchmark::kMillisecond);

// Short strings, as settings, keys and titles are converted: the fixed cost per call.
void BM_ToWideShort(benchmark::State& state) {
  std::string bytes = "caf\xc3\xa9 title of a page";
  std::u16string wide = toWide(bytes, kCodePageUtf8);
  int codePage = static_cast<int>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(toWide(bytes, codePage));
    benchmark::DoNotOptimize(toNarrow(wide, codePage));
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ToWideShort)->ArgName("codepage")->Arg(65001)->Arg(1252);

}  // namespace
}  // namespace brambel

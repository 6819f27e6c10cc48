// The helpers are called from the interface thread, the search threads and
// the content workers at once; first use included, they must agree with a
// single-threaded run. (Most telling in the thread-sanitizer build.)
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "toolkit/text_utils.h"

namespace brambel {
namespace {

struct Answers {
  std::u16string shiftJis;
  std::u16string detected;
  std::u16string encoded;
  std::uint32_t date = 0;
  std::u16string stripped;
  std::u16string normalized;
  std::string decoded;
  int codePage = 0;

  bool operator==(const Answers&) const = default;
};

Answers compute() {
  const std::u16string japanese = u"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3067\u3059\u3002";
  std::string sjis;
  for (int i = 0; i < 10; ++i) sjis += toNarrow(japanese, 932);
  Answers answers;
  answers.shiftJis = toWide(sjis, 932);
  answers.detected = toWide(sjis, kCodePageDetect);
  answers.encoded = encodeUrl(japanese + u" & caf\u00E9", 51932);
  answers.date = parseHttpDate(u"Sun Nov  6 08:49:37 1994");
  answers.stripped = stripMarkup(u"<p>a &amp; b<script>x</script> &ldquo;c&rdquo;</p>");
  answers.normalized = normalizeText(u"  Don't\u00A0stop,  \"now\"!", true);
  answers.decoded = decodeEntities("caf&#233; &mdash; &#x263A;");
  answers.codePage = codePageForCharset("iso-8859-2");
  return answers;
}

TEST(TextUtilsConcurrency, ThreadsStartingTogetherAgreeWithOneThread) {
  constexpr int kThreads = 4;
  std::atomic<int> ready = 0;
  std::vector<Answers> results(kThreads);
  std::vector<int> changedAnswers(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ++ready;
      while (ready < kThreads) std::this_thread::yield();
      results[t] = compute();
      for (int round = 1; round < 50; ++round) {
        if (!(compute() == results[t])) ++changedAnswers[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  Answers expected = compute();
  EXPECT_EQ(expected.date, 784111777u);
  EXPECT_EQ(expected.codePage, 28592);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(results[t] == expected) << "thread " << t;
    EXPECT_EQ(changedAnswers[t], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace brambel

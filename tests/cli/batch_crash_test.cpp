// A batch load killed at random moments leaves a library that opens, whose
// index checks clean and whose stored records are whole or absent; a run
// after the last kill completes the work.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "index/main_index.h"
#include "store/index_file_checker.h"
#include "store/library_store.h"
#include "tests/support/doc_site.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

constexpr int kRounds = 20;
// More pages than the kills leave time for: every round interrupts work.
constexpr size_t kPages = 240;

// Starts brambel-cli with its output thrown away; answers its process id.
pid_t startCli(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    for (const auto& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv{const_cast<char*>(BRAMBEL_CLI_PATH)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(BRAMBEL_CLI_PATH, argv.data());
    _exit(127);
  }
  return pid;
}

// A stored record is whole or not there: one that reads belongs to the URL
// whose marks name it, and a URL marked indexed has a record that reads.
// (A content file cut short before its record was written reads as no
// record; the next load of the URL writes it again.)
std::vector<std::string> halfVisibleRecords(const std::filesystem::path& library) {
  std::vector<std::string> faults;
  LibraryStore store(library, true);
  if (!store.isOpen()) return {"the marks file does not open"};
  store.marksFile().Walk([&](std::string_view key, std::string_view value) {
    std::optional<UrlMarks> marks = UrlMarks::decode(value);
    if (!marks) {
      faults.push_back("undecodable marks of " + std::string(key));
    } else if (marks->recordId != 0) {
      std::optional<SourceResult> record = store.readRecord(marks->recordId);
      if (record && record->url != LibraryStore::urlOfMarkKey(key))
        faults.push_back("record " + std::to_string(marks->recordId) + " holds another URL");
      if (!record && marks->isIndexed())
        faults.push_back("record " + std::to_string(marks->recordId) + " is indexed but does not read");
    }
    return true;
  });
  return faults;
}

TEST(BatchLoadCrash, KilledAtRandomTheLibraryStaysSoundAndTheNextRunCompletes) {
  if (!testing::DocSite::available()) GTEST_SKIP() << "the documentation pages are not installed";
  testing::LoopbackServer server;
  testing::DocSite site(server);
  const std::vector<std::string> pages = site.pageUrls(kPages);
  std::string feed = "<?xml version=\"1.0\"?><rss><channel><title>Docs</title>";
  for (const std::string& page : pages) feed += "<item><title>Doc</title><link>" + page + "</link></item>";
  server.serve("/feed.xml", feed + "</channel></rss>", "text/xml");
  testing::TempDir dir;
  const auto setFile = dir.write("docs.zcat", "[settings]\r\nnoMainIndexing=0\r\nmaxSourceResults=" +
                                                  std::to_string(kPages) + "\r\n[source]=Docs\r\nrss\r\n\r\nurl=" +
                                                  server.url("/feed.xml") + "\r\n[category]=Docs\r\nrss/" +
                                                  server.url("/feed.xml") + "/\r\n");
  const std::filesystem::path library = dir.path() / "Lib";
  const std::vector<std::string> environment{"XDG_DATA_HOME=" + (dir.path() / "data").string(),
                                             "XDG_CONFIG_HOME=" + (dir.path() / "config").string()};
  ASSERT_EQ(testing::runCli({"library", "--library", library.string(), "open", "--set", setFile.string()}, "",
                            environment)
                .status,
            0);
  const std::vector<std::string> batch{"search", "--library", library.string(), "--all", "--wait", "x"};

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delay(30, 1500);
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    pid_t pid = startCli(batch, environment);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);

    // The killed process's lock is taken again at once.
    testing::ProcessResult opened = testing::runCli({"library", "--library", library.string(), "open"}, "", environment);
    ASSERT_EQ(opened.status, 0) << opened.err;
    EXPECT_NE(opened.out.find("writable"), std::string::npos) << opened.out;
    IndexCheckReport report = checkIndexFile(library / kMainIndexFileName, 0, true);
    EXPECT_TRUE(report.sound()) << (report.damage.empty() ? "invalid header" : report.damage.front());
    EXPECT_EQ(halfVisibleRecords(library), std::vector<std::string>{});
  }

  testing::ProcessResult finished = testing::runCli(batch, "", environment);
  ASSERT_EQ(finished.status, 0) << finished.err;
  LibraryStore store(library, true);
  size_t stored = 0;
  size_t indexed = 0;
  for (const std::string& page : pages) {
    stored += store.holdsRecord(toWide(page, kCodePageUtf8));
    indexed += store.readMarks(toWide(page, kCodePageUtf8)).isIndexed();
  }
  EXPECT_EQ(stored, pages.size());
  // Pages saved by a killed run whose index batch was lost are indexed by the next one.
  EXPECT_EQ(indexed, pages.size());
  EXPECT_TRUE(checkIndexFile(library / kMainIndexFileName, 0, true).sound());
}

}  // namespace
}  // namespace brambel

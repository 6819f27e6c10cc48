#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "app/shell_integration.h"
#include "app/update_check.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

using testing::TempDir;

class Answers : public DefaultAnswers {
 public:
  Answer Ask(const MessageText& message, std::u16string_view, Answer, std::string_view key) override {
    asked.push_back(message.id);
    keys.emplace_back(key);
    return answer;
  }
  void Tell(const MessageText& message, std::u16string_view) override { told.push_back(message.id); }
  Answer answer = Answer::Yes;
  std::vector<int> asked, told;
  std::vector<std::string> keys;
};

class Shell : public ::testing::Test {
 protected:
  Shell() {
    // Nothing here may reach the real user's desktop.
    setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (home.path() / "desk").c_str(), 1);
    paths = shellPathsFromEnvironment();
  }
  TempDir home;
  ShellPaths paths;
  Answers answers;
};

TEST_F(Shell, RegistersEntryAndTypesAndAsksBeforeTakingOverAType) {
  EXPECT_EQ(paths.dataHome, home.path() / "data");
  EXPECT_EQ(paths.desktop, home.path() / "desk");
  home.write("config/mimeapps.list", "[Added Associations]\ntext/plain=gedit.desktop;\n"
                                     "[Default Applications]\napplication/brambel-categories=other.desktop;\n");
  answers.answer = Prompter::Answer::No;
  ASSERT_TRUE(RegisterFileTypes(paths, "/opt/brambel/brambel", answers));
  EXPECT_EQ(answers.asked, (std::vector<int>{2038}));
  EXPECT_EQ(answers.keys, (std::vector<std::string>{"override_ext"}));
  EXPECT_EQ(defaultApplicationFor(paths, "application/brambel-categories"), "other.desktop");
  EXPECT_EQ(defaultApplicationFor(paths, "application/brambel-source"), "") << "No leaves every type as it was";

  std::string entry = testing::readFileBytes(paths.dataHome / "applications/brambel.desktop");
  EXPECT_NE(entry.find("Exec=\"/opt/brambel/brambel\" %U\n"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/brambel-source;application/brambel-categories;"
                       "application/brambel-resultset;application/x-brambel-library;x-scheme-handler/feed;"),
            std::string::npos);
  auto parsed = testing::runProcess(
      "/usr/bin/python3",
      {"-c",
       "import sys, xml.etree.ElementTree as E\n"
       "ns = '{http://www.freedesktop.org/standards/shared-mime-info}'\n"
       "for t in E.parse(sys.argv[1]).getroot().findall(ns + 'mime-type'):\n"
       "  print(t.get('type'), *[g.get('pattern') for g in t.findall(ns + 'glob')])\n",
       (paths.dataHome / "mime/packages/brambel.xml").string()});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out,
            "application/brambel-categories *.zcat\napplication/brambel-resultset *.zset\n"
            "application/brambel-source *.zsrc\napplication/x-brambel-library *.zidx *.zurl\n");

  answers.answer = Prompter::Answer::Yes;
  ASSERT_TRUE(RegisterFileTypes(paths, "/opt/brambel/brambel", answers));
  for (const ShellFileType& type : shellFileTypes()) EXPECT_EQ(defaultApplicationFor(paths, type.mimeType), kDesktopEntryName);
  // Registering again (every start) leaves installed files that are current alone.
  const std::filesystem::path entryFile = paths.dataHome / "applications" / kDesktopEntryName;
  const auto past = std::filesystem::last_write_time(entryFile) - std::chrono::hours(1);
  std::filesystem::last_write_time(entryFile, past);
  ASSERT_TRUE(RegisterFileTypes(paths, "/opt/brambel/brambel", answers));
  EXPECT_EQ(answers.asked.size(), 2u) << "once the program owns its types nothing is asked";
  EXPECT_EQ(std::filesystem::last_write_time(entryFile), past);
  // A moved program rewrites its entry.
  ASSERT_TRUE(RegisterFileTypes(paths, "/usr/local/bin/brambel", answers));
  EXPECT_NE(testing::readFileBytes(entryFile).find("/usr/local/bin/brambel"), std::string::npos);
  EXPECT_NE(testing::readFileBytes(paths.configHome / "mimeapps.list").find("text/plain=gedit.desktop;"),
            std::string::npos);
}

TEST_F(Shell, ShortcutAndUninstall) {
  std::filesystem::path launcher = CreateLibraryShortcut(paths, home.path() / "My Library/", "/usr/bin/brambel", answers);
  EXPECT_EQ(launcher, home.path() / "desk/My Library.desktop");
  EXPECT_NE(testing::readFileBytes(launcher).find("My Library/main__index.zidx\""), std::string::npos);

  TempDir settings, data;
  settings.write("prefs.ini", "x=1");
  data.write("Default Library/categories.zcat", "x");
  ASSERT_TRUE(RegisterFileTypes(paths, "/usr/bin/brambel", answers));
  answers.answer = Prompter::Answer::No;
  EXPECT_FALSE(Uninstall(paths, settings.path(), data.path(), answers));
  EXPECT_TRUE(std::filesystem::exists(data.path() / "Default Library"));
  answers.answer = Prompter::Answer::Yes;
  EXPECT_TRUE(Uninstall(paths, settings.path(), data.path(), answers));
  EXPECT_FALSE(std::filesystem::exists(data.path()));
  EXPECT_FALSE(std::filesystem::exists(paths.dataHome / "applications/brambel.desktop"));
  EXPECT_EQ(defaultApplicationFor(paths, "application/brambel-resultset"), "");
  EXPECT_EQ(answers.told, (std::vector<int>{2044}));
}

struct Dialog : UpdateDialog {
  Choice ShowNewVersion(const PublishedVersion& version, bool& dontRemind) override {
    shown.push_back(version.number);
    dontRemind = tick;
    return choice;
  }
  void OpenInBrowser(const std::u16string& url) override { opened.push_back(url); }
  Choice choice = Choice::Ignore;
  bool tick = true;
  std::vector<uint32_t> shown;
  std::vector<std::u16string> opened;
};

TEST(UpdateCheck, OffersNewerVersionsOnceAutomatically) {
  testing::LoopbackServer server;
  server.serve("/v30", "30,Same,http://get.test/30\n", "text/plain");
  server.serve("/v31", "31,Faster searches,http://get.test/31\r\n", "text/plain");
  ProgramSettings settings;
  Answers answers;
  Dialog dialog;
  std::atomic<bool> quitting{false};
  int saves = 0;
  auto check = [&](bool manual, const std::string& path) {
    return CheckForUpdates(manual, toWide(server.url(path), 65001), settings, answers, dialog, quitting,
                           [&] { ++saves; }, 1800000000);
  };
  EXPECT_EQ(check(true, "/v30"), UpdateOutcome::NoUpdate);
  EXPECT_EQ(answers.told, (std::vector<int>{2049}));
  EXPECT_EQ(settings.lastVersionCheck, 1800000000u);
  EXPECT_EQ(check(false, "/v31"), UpdateOutcome::Offered);
  EXPECT_EQ(settings.lastVersionReminded, 31u) << "Ignore with the box ticked";
  EXPECT_EQ(check(false, "/v31"), UpdateOutcome::NoUpdate);
  EXPECT_EQ(answers.told.size(), 1u) << "automatic checks are silent";
  dialog.choice = UpdateDialog::Choice::GoToWebsite;
  EXPECT_EQ(check(true, "/v31"), UpdateOutcome::Offered);
  EXPECT_EQ(dialog.opened, (std::vector<std::u16string>{u"http://get.test/31"}));
  EXPECT_EQ(check(true, "/missing"), UpdateOutcome::FetchFailed);
  EXPECT_EQ(saves, 4);

  VersionCheck thread;
  EXPECT_FALSE(thread.StartIfDue([](const std::atomic<bool>&) {}, 1800000000 - 100, 1800000000)) << "not a day yet";
  std::atomic<bool> ran{false};
  EXPECT_TRUE(thread.StartIfDue([&](const std::atomic<bool>&) { ran = true; }, 0, 1800000000));
  thread.Finish();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace brambel

#pragma once

// Shared set-up of the desktop tests: a private home for settings and
// libraries, a prompter that answers for the user, and result records.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "app/application.h"
#include "pipeline/stored_page_fields.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"
#include "store/source_text.h"

namespace brambel::testing {

// Answers every question with `answer` and remembers what was asked.
class FakePrompter : public DesktopPrompter {
 public:
  explicit FakePrompter(std::filesystem::path settingsFile = {}) : DesktopPrompter(std::move(settingsFile)) {}
  Answer Ask(const MessageText&, std::u16string_view text, Answer, std::string_view key) override {
    asked.append(key.empty() ? QString::fromStdU16String(std::u16string(text)) : QString::fromStdString(std::string(key)));
    return answer ? Answer::Yes : Answer::No;
  }
  void Tell(const MessageText&, std::u16string_view text) override {
    notified.append(QString::fromStdU16String(std::u16string(text)));
  }
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>&) override {
    return NewLibraryChoice{};
  }
  bool Confirm(QWidget*, const QString& key, const QString& text) override {
    asked.append(key.isEmpty() ? text : key);
    return answer;
  }
  void Notify(QWidget*, const QString& key, const QString& text) override {
    notified.append(key.isEmpty() ? text : key);
  }

  bool answer = true;
  QStringList asked;
  QStringList notified;
};

// A library open the way the program opens one, with its own events and prompter.
struct UiTestLibrary {
  explicit UiTestLibrary(const std::filesystem::path& executableDirectory)
      : application(Application::Options{executableDirectory}), session(application, events, prompter) {}
  Application application;
  SessionEvents events;
  FakePrompter prompter;
  LibrarySession session;
};

// Settings, data and libraries in a temporary home.
class UiTestHome {
 public:
  UiTestHome() {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root() / "data").string()));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((root() / "cache").string()));
    std::filesystem::create_directories(root() / "bin");
  }
  std::filesystem::path root() const { return dir_.path().toStdString(); }
  std::filesystem::path library(const std::string& name = "Library") const { return root() / name; }
  ProgramSettingsFile settingsFile() const { return programSettingsFile(false); }

  // A program's state before its library opens.
  std::unique_ptr<UiTestLibrary> make(std::function<void(ProgramSettings&)> configure = {}) const {
    auto made = std::make_unique<UiTestLibrary>(root() / "bin");
    if (configure) configure(made->application.settings());
    return made;
  }
  std::unique_ptr<UiTestLibrary> open(std::function<void(ProgramSettings&)> configure = {},
                                      const std::string& name = "Library") const {
    auto opened = make(std::move(configure));
    std::filesystem::create_directories(library(name));
    if (!opened->session.Open(library(name), false)) return nullptr;
    return opened;
  }

 private:
  QTemporaryDir dir_;
};

// Saves `html` as the library's page of `url` the way the save step leaves
// it; answers the page's document id (0 on failure).
inline uint32_t storePage(LibrarySession& session, const std::u16string& url, const std::string& html,
                          bool possibleCrash = false) {
  std::shared_ptr<LibraryStore> store = session.document().library();
  std::optional<uint32_t> id = store ? store->recordIdFor(url) : std::nullopt;
  std::optional<std::filesystem::path> path = id ? store->prepareContentPath(*id) : std::nullopt;
  if (!path) return 0;
  SourceResult record;
  record.url = url;
  StoredPageFields::setPossibleCrash(record, possibleCrash);
  ContentFile file = ContentFile::openForWriting(*path);
  if (!SourceResultRecord(record).WriteTo(file) || !SourceText(html).WriteTo(file)) return 0;
  return *id;
}

inline DisplayedResult result(const std::string& url, const std::string& title, int score = 100) {
  DisplayedResult shown;
  shown.record.url = std::u16string(url.begin(), url.end());
  shown.record.title = std::u16string(title.begin(), title.end());
  shown.record.description = u"A snippet of the page";
  shown.record.sources = {u"rss/http://feeds.example.test/a/"};
  shown.record.loadDate = 1700000000;
  shown.score = score;
  return shown;
}

}  // namespace brambel::testing

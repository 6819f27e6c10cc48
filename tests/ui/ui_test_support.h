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

namespace brambel::testing {

class UiTestHome {
 public:
  UiTestHome() {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root() / "data").string()));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((root() / "cache").string()));
  }
  std::filesystem::path root() const { return dir_.path().toStdString(); }
  std::filesystem::path library(const std::string& name = "Library") const { return root() / name; }
  ProgramSettingsFile settingsFile() const { return {root() / "config" / "prefs.ini", false}; }

  std::unique_ptr<LibrarySession> open(SearchListener* listener, ProgramSettings settings = {},
                                       const std::string& name = "Library", bool forceReadOnly = false) const {
    auto session = std::make_unique<LibrarySession>(
        LibrarySession::Options{settingsFile(), library(name), forceReadOnly}, settings, listener);
    if (!session->Open()) return nullptr;
    return session;
  }

 private:
  QTemporaryDir dir_;
};

// Answers every question with `answer` and remembers what was asked.
class FakePrompter : public Prompter {
 public:
  bool Ask(QWidget*, const QString& key, const QString& text) override {
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

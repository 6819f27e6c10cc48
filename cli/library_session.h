#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/document.h"

namespace brambel::cli {

// The command line's prompter: prints each message on standard error and
// takes the suggested answer, or Yes with --yes. The command line never
// switches to another instance: the library is then used read-only, which
// the session reports once.
class CliPrompter : public Prompter {
 public:
  CliPrompter(std::ostream& err, bool answerYes, NewLibraryChoice choice);
  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested,
             std::string_view dontAskKey) override;
  void Tell(const MessageText& message, std::u16string_view text) override;
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>& offered) override;
  // On a terminal: the title, then the percentage on one line.
  void BeginProgress(std::u16string_view title, std::u16string_view text) override;
  void Progress(int percent) override;
  void EndProgress() override;

 private:
  std::ostream& err_;
  bool answerYes_;
  bool terminal_;
  NewLibraryChoice choice_;
};

// Progress of a search and of the content pipeline, on one line of a terminal.
class CliProgress : public DocumentListener {
 public:
  explicit CliProgress(std::ostream& err);
  void attach(const CTesserin2Doc* document) { document_ = document; }
  void ResultsChanged() override { show(); }
  void SourceFinished(const std::u16string&) override { show(); }
  void ResultUpdated(const std::u16string&) override { show(); }
  void ItemIndexed(const std::u16string&) override { show(); }
  // Shows the line now (while waiting for the pipeline).
  void show();
  void clear();

 private:
  std::ostream& err_;
  const bool enabled_;
  const CTesserin2Doc* document_ = nullptr;
  std::mutex mutex_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_{};
};

struct SessionOptions {
  std::optional<std::string> library;  // --library DIR; the start-up library when empty
  bool readOnly = false;               // open without the lock, writing nothing
  bool answerYes = false;              // --yes
  NewLibraryChoice newLibrary;         // the set a library that does not exist yet starts from
};

// One library opened the way the desktop opens it: the application's
// start-up (settings, User-Agent), then the document's OpenLibrary.
class LibrarySession {
 public:
  // Nothing, with a message on `err`, when the library cannot be opened.
  static std::unique_ptr<LibrarySession> Open(const SessionOptions& options, std::ostream& err);
  ~LibrarySession();

  CTesserin2Doc& document() { return *document_; }
  CliProgress& progress() { return progress_; }
  // For commands that write: false, with a message naming `what`, when the
  // library is read-only.
  bool RequireWritable(std::string_view what, std::ostream& err) const;

 private:
  LibrarySession(const SessionOptions& options, std::ostream& err);

  Application application_;
  CliPrompter prompter_;
  CliProgress progress_;
  std::unique_ptr<CTesserin2Doc> document_;
};

}  // namespace brambel::cli

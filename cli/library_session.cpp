#include "cli/library_session.h"

#include <unistd.h>

#include <ostream>

#include "toolkit/code_pages.h"

namespace brambel::cli {

namespace {

std::string utf8Text(std::u16string_view text) { return toNarrow(std::u16string(text), kCodePageUtf8); }

// The other instance's own messages: the session reports read-only mode itself, once.
bool isReadOnlyNotice(const MessageText& message) {
  return message.id == messages::kBringOtherInstance.id || message.id == messages::kOtherProcessWriting.id;
}

constexpr std::chrono::milliseconds kProgressInterval{200};

}  // namespace

CliPrompter::CliPrompter(std::ostream& err, bool answerYes, NewLibraryChoice choice)
    : err_(err), answerYes_(answerYes), terminal_(isatty(STDERR_FILENO) != 0), choice_(std::move(choice)) {}

Prompter::Answer CliPrompter::Ask(const MessageText& message, std::u16string_view text, Answer suggested,
                                  std::string_view) {
  if (isReadOnlyNotice(message)) return Answer::No;
  const Answer answer = answerYes_ ? Answer::Yes : suggested;
  err_ << "brambel-cli: " << utf8Text(text) << " [" << (answer == Answer::Yes ? "yes" : "no") << "]\n";
  return answer;
}

void CliPrompter::Tell(const MessageText& message, std::u16string_view text) {
  if (!isReadOnlyNotice(message)) err_ << "brambel-cli: " << utf8Text(text) << "\n";
}

std::optional<NewLibraryChoice> CliPrompter::ChooseCategorySet(const std::vector<std::filesystem::path>&) {
  return choice_;
}

void CliPrompter::BeginProgress(std::u16string_view title, std::u16string_view text) {
  if (terminal_) err_ << utf8Text(title) << ": " << utf8Text(text) << "\n";
}

void CliPrompter::Progress(int percent) {
  if (terminal_) err_ << "\r\033[K" << percent << "%" << std::flush;
}

void CliPrompter::EndProgress() {
  if (terminal_) err_ << "\r\033[K" << std::flush;
}

CliProgress::CliProgress(std::ostream& err) : err_(err), enabled_(isatty(STDERR_FILENO)) {}

void CliProgress::show() {
  if (!enabled_ || !document_) return;
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < kProgressInterval) return;
  last_ = now;
  shown_ = true;
  const SearchRun& run = document_->searchRun();
  err_ << "\r\033[K" << run.runningSourceCount() << " sources running, " << run.RawResults().size() << " results";
  if (ContentPipeline* pipeline = document_->pipeline())
    for (const PoolStatistics& pool : pipeline->statistics())
      if (pool.name == "load" || pool.name == "save" || pool.name == "index")
        err_ << ", " << pool.name << " " << pool.handled << " done " << pool.queued + pool.processing << " left";
  err_ << std::flush;
}

void CliProgress::clear() {
  std::lock_guard lock(mutex_);
  if (enabled_ && shown_) err_ << "\r\033[K" << std::flush;
  shown_ = false;
}

LibrarySession::LibrarySession(const SessionOptions& options, std::ostream& err)
    : prompter_(err, options.answerYes, options.newLibrary), progress_(err) {
  document_ = std::make_unique<CTesserin2Doc>(application_, progress_, prompter_);
  progress_.attach(document_.get());
}

LibrarySession::~LibrarySession() {
  progress_.attach(nullptr);
  document_.reset();
}

std::unique_ptr<LibrarySession> LibrarySession::Open(const SessionOptions& options, std::ostream& err) {
  std::unique_ptr<LibrarySession> session(new LibrarySession(options, err));
  const std::filesystem::path directory =
      options.library ? std::filesystem::path(*options.library) : session->application_.startupLibrary();
  std::error_code error;
  const bool exists = std::filesystem::is_directory(directory, error);
  if (!exists && options.readOnly) {
    err << "brambel-cli: no library in " << directory.string() << "\n";
    return nullptr;
  }
  CTesserin2Doc& document = session->document();
  const auto access = options.readOnly ? CTesserin2Doc::Access::ReadOnly : CTesserin2Doc::Access::Normal;
  if (!document.OpenLibrary(directory, !exists, access)) {
    err << "brambel-cli: cannot open the library in " << directory.string() << "\n";
    return nullptr;
  }
  if (document.isReadOnly() && !options.readOnly)
    err << "brambel-cli: " << utf8Text(document.readOnlyReason()) << " (" << directory.string() << ")\n";
  return session;
}

bool LibrarySession::RequireWritable(std::string_view what, std::ostream& err) const {
  if (!document_->isReadOnly()) return true;
  err << "brambel-cli: cannot " << what << ": the library is read-only ("
      << utf8Text(document_->readOnlyReason()) << ")\n";
  return false;
}

}  // namespace brambel::cli

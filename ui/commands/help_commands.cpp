#include "ui/commands/help_commands.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSemaphore>
#include <QTimer>
#include <QUrl>

#include "app/exchange_messages.h"
#include "app/shell_integration.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/dialogs/new_version_dialog.h"

namespace brambel {
namespace {

// Runs `call` on `context`'s (the GUI) thread and waits for it; gives up
// when the program quits, whose end drops the call with its context.
bool waitOnGuiThread(QObject* context, std::function<void()> call, const std::atomic<bool>& quitting) {
  auto done = std::make_shared<QSemaphore>();
  QMetaObject::invokeMethod(context, [call = std::move(call), done] {
    call();
    done->release();
  }, Qt::QueuedConnection);
  while (!done->tryAcquire(1, 50))
    if (quitting.load()) return false;
  return true;
}

// The check's dialog and messages, asked from its thread.
class CheckDialogs : public UpdateDialog, public Prompter {
 public:
  CheckDialogs(QObject* context, QWidget* window, DesktopPrompter& prompter, const std::atomic<bool>& quitting)
      : context_(context), window_(window), prompter_(prompter), quitting_(quitting) {}

  Choice ShowNewVersion(const PublishedVersion& version, bool& dontRemind) override {
    auto answer = std::make_shared<std::pair<Choice, bool>>(Choice::Ignore, false);
    waitOnGuiThread(context_, [answer, version, window = window_] {
      NewVersionDialog dialog(version, window);
      dialog.exec();
      *answer = {dialog.choice(), dialog.dontRemind()};
    }, quitting_);
    dontRemind = answer->second;
    return answer->first;
  }
  void OpenInBrowser(const std::u16string& url) override {
    QMetaObject::invokeMethod(context_, [url = QString::fromStdU16String(url)] {
      QDesktopServices::openUrl(QUrl(url));
    }, Qt::QueuedConnection);
  }
  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested, std::string_view key) override {
    auto answer = std::make_shared<Answer>(suggested);
    waitOnGuiThread(context_, [=, this, text = std::u16string(text), key = std::string(key)] {
      *answer = prompter_.Ask(message, text, suggested, key);
    }, quitting_);
    return *answer;
  }
  void Tell(const MessageText& message, std::u16string_view text) override {
    waitOnGuiThread(context_, [=, this, text = std::u16string(text)] { prompter_.Tell(message, text); }, quitting_);
  }
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>&) override {
    return std::nullopt;
  }

 private:
  QObject* context_;
  QWidget* window_;
  DesktopPrompter& prompter_;
  const std::atomic<bool>& quitting_;
};

// Uninstall's question, answered by the user; a Yes lets the library go
// before its files are removed.
class UninstallPrompter : public Prompter {
 public:
  UninstallPrompter(Prompter& prompter, std::function<void()> onYes) : prompter_(prompter), onYes_(std::move(onYes)) {}
  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested, std::string_view key) override {
    const Answer answer = prompter_.Ask(message, text, suggested, key);
    if (answer == Answer::Yes && onYes_) std::exchange(onYes_, nullptr)();
    return answer;
  }
  void Tell(const MessageText& message, std::u16string_view text) override { prompter_.Tell(message, text); }
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>&) override {
    return std::nullopt;
  }

 private:
  Prompter& prompter_;
  std::function<void()> onYes_;
};

}  // namespace

HelpCommands::HelpCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window,
                           std::function<void()> releaseLibrary)
    : QObject(window), session_(session), prompter_(prompter), window_(window),
      releaseLibrary_(std::move(releaseLibrary)) {}

HelpCommands::~HelpCommands() { versionCheck_.Finish(); }

bool HelpCommands::startAutomaticCheck() { return startCheck(false, session_.settings().lastVersionCheck); }

// A manual check is always due.
bool HelpCommands::checkForUpdates() { return startCheck(true, 0); }

bool HelpCommands::startCheck(bool manual, uint32_t lastVersionCheck) {
  const std::u16string url = versionFileUrl(programSettingsFile(session_.isPortable()).path);
  // The check works on its own copy of the settings; what it learnt comes
  // back to the program's settings on the GUI thread.
  auto check = [this, manual, url, settings = session_.settings()](const std::atomic<bool>& quitting) mutable {
    CheckDialogs dialogs(this, window_, prompter_, quitting);
    auto settled = [this, &settings] {
      QMetaObject::invokeMethod(this, [this, checked = settings.lastVersionCheck,
                                       reminded = settings.lastVersionReminded] {
        session_.settings().lastVersionCheck = checked;
        session_.settings().lastVersionReminded = reminded;
        session_.SaveSettings();
      }, Qt::QueuedConnection);
    };
    const UpdateOutcome outcome =
        CheckForUpdates(manual, url, settings, dialogs, dialogs, quitting, settled, std::time(nullptr));
    QMetaObject::invokeMethod(this, [this, outcome] { emit checkFinished(static_cast<int>(outcome)); },
                              Qt::QueuedConnection);
  };
  return versionCheck_.StartIfDue(std::move(check), lastVersionCheck, std::time(nullptr));
}

void HelpCommands::uninstall() {
  if (session_.isPortable()) {
    // The settings and the data sit beside the program: removing them
    // would remove the program's own folder.
    prompter_.Notify(window_, QString(),
                     tr("This copy of Brambel runs in portable mode: it registered nothing and keeps its settings "
                        "and data in its own folder. Delete that folder to remove it."));
    return;
  }
  UninstallPrompter prompter(prompter_, [this] {
    versionCheck_.Finish();
    if (releaseLibrary_) releaseLibrary_();
  });
  const std::filesystem::path settingsDirectory = programSettingsFile(false).path.parent_path();
  const bool complete =
      Uninstall(shellPathsFromEnvironment(), settingsDirectory, session_.application().paths().programData, prompter);
  if (!session_.document().isOpen()) {
    emit uninstalled(complete);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }
}

}  // namespace brambel

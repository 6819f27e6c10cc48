#include "ui/commands/maintenance_commands.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <QtConcurrent>
#include <memory>

#include "platform/maintenance_prompter.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"

namespace brambel {
namespace {

// The work's side of the dialog: it runs on the worker; questions wait
// for the GUI thread's answer, progress is posted and never waits.
class ProgressPrompter : public MaintenancePrompter {
 public:
  ProgressPrompter(DesktopPrompter& prompter, QProgressDialog* dialog) : prompter_(prompter), dialog_(dialog) {}

  void inform(std::string_view message) override {
    onGuiThread([&] { prompter_.Notify(dialog_, QString(), fromUtf8(message)); });
  }
  bool confirm(std::string_view question) override {
    bool answer = false;
    onGuiThread([&] { answer = prompter_.Confirm(dialog_, QString(), fromUtf8(question)); });
    return answer;
  }
  void beginProgress(std::string_view title, std::string_view text) override {
    post([title = fromUtf8(title), text = fromUtf8(text)](QProgressDialog& dialog) {
      dialog.setWindowTitle(title);
      dialog.setLabelText(text);
      dialog.setRange(0, 100);
      dialog.setValue(0);
    });
  }
  void progress(int percent) override {
    post([percent](QProgressDialog& dialog) { dialog.setValue(percent); });
  }
  void endProgress() override {
    post([](QProgressDialog& dialog) { dialog.setValue(100); });
  }

 private:
  static QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
  void onGuiThread(const std::function<void()>& call) {
    QMetaObject::invokeMethod(qApp, call, Qt::BlockingQueuedConnection);
  }
  void post(std::function<void(QProgressDialog&)> change) {
    QPointer<QProgressDialog> dialog = dialog_;
    QMetaObject::invokeMethod(dialog_, [dialog, change = std::move(change)] {
      if (dialog) change(*dialog);
    }, Qt::QueuedConnection);
  }

  DesktopPrompter& prompter_;
  QProgressDialog* dialog_;
};

}  // namespace

MaintenanceCommands::MaintenanceCommands(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter,
                                         QWidget* window)
    : QObject(window), session_(session), events_(events), prompter_(prompter), window_(window) {}

bool MaintenanceCommands::optimize() {
  CTesserin2Doc& document = session_.document();
  return start(tr("Optimize"), QStringLiteral("optimizeProgress"),
               tr("The library is open read-only: it cannot be optimized."),
               [this, &document](MaintenancePrompter& prompter) -> std::function<void()> {
                 const std::optional<OptimiseResult> result = document.OptimizeIndex(prompter);
                 return [this, result] {
                   if (result && result->status == OptimiseStatus::Failed)
                     prompter_.Notify(window_, QString(), tr("The library could not be optimized; its index is unchanged."));
                   emit optimized(result && result->status == OptimiseStatus::Done);
                 };
               });
}

bool MaintenanceCommands::rebuildSourceIndex() {
  CTesserin2Doc& document = session_.document();
  return start(tr("Rebuild Source Index"), QStringLiteral("sourceIndexRebuildProgress"),
               tr("The library is open read-only: its source index cannot be rebuilt."),
               [this, &document](MaintenancePrompter& prompter) -> std::function<void()> {
                 const std::optional<SourceIndexRebuild> outcome = document.RebuildSourceIndex(prompter);
                 return [this, outcome] {
                   if (outcome) prompter_.Notify(window_, QString(), QString::fromStdString(outcome->summary()));
                   emit sourceIndexRebuilt(outcome ? static_cast<int>(outcome->filed) : 0);
                 };
               });
}

bool MaintenanceCommands::start(const QString& title, const QString& dialogName, const QString& readOnlyRefusal,
                                Work work) {
  if (running_) return false;
  if (session_.isReadOnly()) {
    prompter_.Notify(window_, QString(), readOnlyRefusal);
    return false;
  }
  running_ = true;
  // Modal from the start: nothing may reach the library while its work stops.
  auto* dialog = new QProgressDialog(tr("Stopping the library's work..."), QString(), 0, 0, window_);
  dialog->setObjectName(dialogName);
  dialog->setWindowTitle(title);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setMinimumDuration(0);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  dialog->show();
  // The status bar and the views read the pipeline the worker replaces:
  // they hear nothing until it runs again, then refresh once.
  events_.blockSignals(true);
  auto prompter = std::make_shared<ProgressPrompter>(prompter_, dialog);
  auto* watcher = new QFutureWatcher<std::function<void()>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, dialog, prompter] {
    const std::function<void()> report = watcher->result();
    watcher->deleteLater();
    dialog->deleteLater();
    events_.blockSignals(false);
    running_ = false;
    session_.RebuildResults();
    emit events_.displayedResultsChanged();
    emit events_.contentProgress();
    if (report) report();
  });
  watcher->setFuture(QtConcurrent::run([this, work = std::move(work), prompter]() -> std::function<void()> {
    try {
      return work(*prompter);
    } catch (const std::exception&) {
      return [this] { prompter_.Notify(window_, QString(), tr("The library's maintenance failed.")); };
    }
  }));
  return true;
}

}  // namespace brambel

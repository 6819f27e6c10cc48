#include "ui/commands/optimize_command.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QThread>
#include <QtConcurrent>

#include "platform/maintenance_prompter.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"

namespace brambel {
namespace {

// The optimiser's side of the dialog: it runs on the worker; questions wait
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

OptimizeCommand::OptimizeCommand(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter,
                                 QWidget* window)
    : QObject(window), session_(session), events_(events), prompter_(prompter), window_(window) {}

bool OptimizeCommand::run() {
  if (running_) return false;
  if (session_.isReadOnly()) {
    prompter_.Notify(window_, QString(), tr("The library is open read-only: it cannot be optimized."));
    return false;
  }
  running_ = true;
  // Modal from the start: nothing may reach the library while its work stops.
  auto* dialog = new QProgressDialog(tr("Stopping the library's work..."), QString(), 0, 0, window_);
  dialog->setObjectName(QStringLiteral("optimizeProgress"));
  dialog->setWindowTitle(tr("Optimize"));
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setMinimumDuration(0);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  dialog->show();
  // The status bar and the views read the pipeline the worker replaces:
  // they hear nothing until it runs again, then refresh once.
  events_.blockSignals(true);
  auto prompter = std::make_shared<ProgressPrompter>(prompter_, dialog);
  auto* watcher = new QFutureWatcher<std::optional<OptimiseResult>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, dialog, prompter] {
    const std::optional<OptimiseResult> result = watcher->result();
    watcher->deleteLater();
    dialog->deleteLater();
    events_.blockSignals(false);
    running_ = false;
    session_.RebuildResults();
    emit events_.displayedResultsChanged();
    emit events_.contentProgress();
    const bool done = result && result->status == OptimiseStatus::Done;
    if (result && result->status == OptimiseStatus::Failed)
      prompter_.Notify(window_, QString(), tr("The library could not be optimized; its index is unchanged."));
    emit finished(done);
  });
  CTesserin2Doc& document = session_.document();
  watcher->setFuture(QtConcurrent::run([&document, prompter] { return document.OptimizeIndex(*prompter); }));
  return true;
}

}  // namespace brambel

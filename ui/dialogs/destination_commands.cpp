#include "ui/dialogs/destination_commands.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include "app/destination_logins.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/dialogs/destinations_dialog.h"
#include "ui/dialogs/send_dialog.h"

namespace brambel {
namespace {

QString qt(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

DestinationCommands::DestinationCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window,
                                         std::filesystem::path settingsFile)
    : QObject(window),
      session_(session),
      prompter_(prompter),
      window_(window),
      settingsFile_(std::move(settingsFile)),
      destinations_(LoadDestinations(settingsFile_)),
      openBrowser_([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); }) {}

DestinationCommands::~DestinationCommands() {
  closing_->store(true);
  sends_.wait();
}

QStringList DestinationCommands::names() const {
  QStringList names;
  for (const Destination& destination : destinations_) names.append(qt(destination.name));
  return names;
}

bool DestinationCommands::saveLogins() {
  if (SaveDestinations(destinations_, settingsFile_)) return true;
  prompter_.Notify(window_, QString(), tr("The logins could not be saved in %1.")
                                           .arg(QString::fromStdString(settingsFile_.string())));
  return false;
}

void DestinationCommands::configure() {
  DestinationsDialog dialog(destinations_, window_);
  if (dialog.exec() != QDialog::Accepted) return;
  destinations_ = dialog.destinations();
  saveLogins();
}

DestinationVariables DestinationCommands::startingVariables(int index) const {
  std::vector<std::u16string> terms;
  for (const QString& term : qt(session_.terms()).split(QLatin1Char(' '), Qt::SkipEmptyParts))
    terms.push_back(term.toStdU16String());
  const auto& categories = session_.categories().categories;
  const size_t current = session_.currentCategory();
  const std::u16string category = current < categories.size() ? categories[current].name : std::u16string();
  return sendVariables(destinations_.at(index), terms, category);
}

void DestinationCommands::sendTo(int index, const QStringList& urls) {
  if (index < 0 || index >= static_cast<int>(destinations_.size()) || urls.isEmpty()) return;
  DestinationVariables variables = startingVariables(index);
  if (destinations_[index].kind != DestinationKind::External) {
    SendDialog dialog(destinations_[index], std::move(variables), static_cast<int>(urls.size()), window_);
    if (dialog.exec() != QDialog::Accepted) return;
    variables = dialog.variables();
  }
  startSend(index, std::move(variables), urls);
}

SendContext DestinationCommands::sendContext() {
  SendContext context;
  std::shared_ptr<LibraryStore> library = session_.document().library();
  context.readRecord = [library](const std::u16string& url) -> std::optional<SourceResult> {
    return library ? library->readRecord(url) : std::nullopt;
  };
  if (session_.settings().autoPermanent && !session_.isReadOnly()) {
    CTesserin2Doc* document = &session_.document();
    context.markPermanent = [document](const std::u16string& url) { document->SetPermanent(url, true); };
  }
  context.closing = [closing = closing_] { return closing->load(); };
  // The send's thread reports through queued calls: windows live on this
  // thread, and this object outlives every send (its destructor waits).
  context.report = [this](const std::u16string& message) {
    QMetaObject::invokeMethod(this, [this, text = qt(message)] {
      emit reported(text);
      prompter_.Notify(window_, QString(), text);
    }, Qt::QueuedConnection);
  };
  context.openInBrowser = [this](const std::u16string& url) {
    QMetaObject::invokeMethod(this, [this, page = qt(url)] { openBrowser_(page); }, Qt::QueuedConnection);
  };
  context.requestDone = [this](const std::u16string& url, bool succeeded, const std::string&) {
    QString text = (succeeded ? tr("Sent: %1") : tr("Failed: %1")).arg(qt(url));
    QMetaObject::invokeMethod(this, [this, text] { emit progress(text); }, Qt::QueuedConnection);
  };
  return context;
}

void DestinationCommands::startSend(int index, DestinationVariables variables, const QStringList& urls) {
  std::vector<std::u16string> list;
  for (const QString& url : urls) list.push_back(url.toStdU16String());
  sends_.SendToDestination(destinations_.at(index), std::move(variables), std::move(list), sendContext(),
                           [this] { saveLogins(); });
}

}  // namespace brambel

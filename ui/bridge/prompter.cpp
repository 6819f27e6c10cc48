#include "ui/bridge/prompter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "app/settings_text.h"
#include "toolkit/text_file.h"
#include "ui/dialogs/category_chooser_dialog.h"

namespace brambel {
namespace {

struct BoxAnswer {
  bool yes = false;
  bool dontAskAgain = false;
};

// Message boxes live on the GUI thread; a worker (an optimise stopping the
// pools, the version check) waits there for the answer.
BoxAnswer showBox(QWidget* parent, const QString& key, const QString& text, bool question, bool suggestYes) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() != app->thread()) {
    BoxAnswer answer;
    QMetaObject::invokeMethod(
        app, [&] { answer = showBox(parent, key, text, question, suggestYes); }, Qt::BlockingQueuedConnection);
    return answer;
  }
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Information, QStringLiteral("Brambel"), text,
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  box.setDefaultButton(question ? (suggestYes ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok);
  QCheckBox* check = nullptr;
  if (!key.isEmpty()) {
    check = new QCheckBox(QObject::tr("Don't ask again"), &box);
    check->setObjectName(QStringLiteral("dontAskAgain"));
    box.setCheckBox(check);
  }
  const int answer = box.exec();
  return {answer == QMessageBox::Yes || answer == QMessageBox::Ok, check && check->isChecked()};
}

}  // namespace

bool DesktopPrompter::isSilenced(const std::string& key) const {
  std::optional<std::string> text = readTextFile(settingsFile_);
  if (!text) return false;
  text->resize(std::min(text->size(), text->find('\0')));
  return settingBool(parseSettingsLines(*text), "dontask." + key, false);
}

void DesktopPrompter::setSilenced(const std::string& key, bool silenced) {
  std::string existing = readTextFile(settingsFile_).value_or(std::string());
  existing.resize(std::min(existing.size(), existing.find('\0')));
  std::error_code ignored;
  std::filesystem::create_directories(settingsFile_.parent_path(), ignored);
  writeTextFile(settingsFile_, updateSettingsLines(existing, {{"dontask." + key, silenced ? "1" : "0"}}));
}

Prompter::Answer DesktopPrompter::Ask(const MessageText&, std::u16string_view text, Answer suggested,
                                      std::string_view dontAskKey) {
  const std::string key(dontAskKey);
  if (!key.empty() && isSilenced(key)) return suggested;
  BoxAnswer answer = showBox(parent_, QString::fromStdString(key), QString::fromStdU16String(std::u16string(text)),
                             true, suggested == Answer::Yes);
  const Answer given = answer.yes ? Answer::Yes : Answer::No;
  if (answer.dontAskAgain && given == suggested) setSilenced(key, true);
  return given;
}

void DesktopPrompter::Tell(const MessageText&, std::u16string_view text) {
  showBox(parent_, QString(), QString::fromStdU16String(std::u16string(text)), false, true);
}

std::optional<NewLibraryChoice> DesktopPrompter::ChooseCategorySet(const std::vector<std::filesystem::path>& offered) {
  CategoryChooserDialog dialog(offered, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.choice();
}

bool DesktopPrompter::Confirm(QWidget* parent, const QString& key, const QString& text) {
  if (!key.isEmpty() && isSilenced(key.toStdString())) return true;
  BoxAnswer answer = showBox(parent, key, text, true, true);
  if (answer.yes && answer.dontAskAgain) setSilenced(key.toStdString(), true);
  return answer.yes;
}

void DesktopPrompter::Notify(QWidget* parent, const QString& key, const QString& text) {
  if (!key.isEmpty() && isSilenced(key.toStdString())) return;
  if (showBox(parent, key, text, false, true).dontAskAgain) setSilenced(key.toStdString(), true);
}

}  // namespace brambel

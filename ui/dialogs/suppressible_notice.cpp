#include "ui/dialogs/suppressible_notice.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "app/program_settings.h"
#include "app/settings_text.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

std::string settingKey(const std::string& key) { return "dontask." + key; }

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
  box.setObjectName(QStringLiteral("notice"));
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

bool SuppressibleNotices::isSilenced(const std::string& key) const {
  return settingBool(parseSettingsLines(readTextFile(settingsFile_).value_or(std::string())), settingKey(key), false);
}

bool SuppressibleNotices::setSilenced(const std::map<std::string, bool>& keys) {
  if (settingsFile_.empty()) return false;  // nowhere to keep them (a stand-in prompter)
  std::vector<std::pair<std::string, std::string>> lines;
  for (const auto& [key, silenced] : keys) lines.emplace_back(settingKey(key), silenced ? "1" : "0");
  return WriteProgramSettingLines(ProgramSettingsFile{settingsFile_}, lines);
}

bool SuppressibleNotices::ask(QWidget* parent, const QString& key, const QString& text, bool suggestYes) {
  if (!key.isEmpty() && isSilenced(key.toStdString())) return suggestYes;
  const BoxAnswer answer = showBox(parent, key, text, true, suggestYes);
  if (answer.dontAskAgain && answer.yes == suggestYes) setSilenced({{key.toStdString(), true}});
  return answer.yes;
}

void SuppressibleNotices::tell(QWidget* parent, const QString& key, const QString& text) {
  if (!key.isEmpty() && isSilenced(key.toStdString())) return;
  if (showBox(parent, key, text, false, true).dontAskAgain) setSilenced({{key.toStdString(), true}});
}

}  // namespace brambel

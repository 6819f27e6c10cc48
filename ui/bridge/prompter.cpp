#include "ui/bridge/prompter.h"

#include <QCheckBox>
#include <QMessageBox>

#include "ui/bridge/library_session.h"

namespace brambel {
namespace {

bool showBox(QWidget* parent, const QString& key, const QString& text, bool question, bool* dontAskAgain) {
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Information, QStringLiteral("Brambel"), text,
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
  QCheckBox* check = nullptr;
  if (!key.isEmpty()) {
    check = new QCheckBox(QObject::tr("Don't ask again"), &box);
    check->setObjectName(QStringLiteral("dontAskAgain"));
    box.setCheckBox(check);
  }
  int answer = box.exec();
  *dontAskAgain = check && check->isChecked();
  return answer == QMessageBox::Yes || answer == QMessageBox::Ok;
}

}  // namespace

bool MessageBoxPrompter::Ask(QWidget* parent, const QString& key, const QString& text) {
  if (!key.isEmpty() && session_.isNoticeSuppressed(key.toStdString())) return true;
  bool dontAskAgain = false;
  bool yes = showBox(parent, key, text, true, &dontAskAgain);
  if (yes && dontAskAgain) session_.SuppressNotice(key.toStdString(), true);
  return yes;
}

void MessageBoxPrompter::Notify(QWidget* parent, const QString& key, const QString& text) {
  if (!key.isEmpty() && session_.isNoticeSuppressed(key.toStdString())) return;
  bool dontAskAgain = false;
  showBox(parent, key, text, false, &dontAskAgain);
  if (dontAskAgain) session_.SuppressNotice(key.toStdString(), true);
}

}  // namespace brambel

#include "ui/commands/saved_terms_menu.h"

#include <QMenu>

#include "ui/bridge/library_session.h"
#include "ui/dialogs/saved_terms_dialog.h"

namespace brambel {

SavedTermsMenu::SavedTermsMenu(QMenu* menu, LibrarySession& session, std::function<QString()> currentTerms,
                               QWidget* window)
    : QObject(menu), menu_(menu), session_(session), currentTerms_(std::move(currentTerms)), window_(window) {
  connect(menu_, &QMenu::aboutToShow, this, &SavedTermsMenu::rebuild);
  rebuild();
}

void SavedTermsMenu::rebuild() {
  menu_->clear();
  QAction* organize = menu_->addAction(tr("Organize..."), this, &SavedTermsMenu::organize);
  organize->setObjectName(QStringLiteral("organizeSavedTerms"));
  QAction* add = menu_->addAction(tr("Add"), this, &SavedTermsMenu::addCurrent);
  add->setObjectName(QStringLiteral("addSavedTerm"));
  add->setEnabled(!session_.isReadOnly() && !currentTerms_().trimmed().isEmpty());
  menu_->addSeparator();
  const std::vector<std::u16string>& terms = session_.document().savedTerms();
  if (terms.empty()) menu_->addAction(tr("None"))->setEnabled(false);
  for (const std::u16string& term : terms) {
    const QString text = QString::fromStdU16String(term);
    // "&" would turn the next letter into a mnemonic.
    QAction* item = menu_->addAction(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setData(text);
    connect(item, &QAction::triggered, this, [this, text] { emit termChosen(text); });
  }
}

bool SavedTermsMenu::addCurrent() {
  const QString terms = currentTerms_().trimmed();
  if (terms.isEmpty() || session_.isReadOnly()) return false;
  const bool added = session_.document().AddSavedTerm(terms.toStdU16String());
  rebuild();
  return added;
}

void SavedTermsMenu::organize() {
  SavedTermsDialog dialog(session_.document(), window_);
  dialog.exec();
  rebuild();
}

}  // namespace brambel

#include "ui/dialogs/preferences_dialog.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/bridge/library_session.h"
#include "ui/dialogs/notices_settings_page.h"
#include "ui/dialogs/results_settings_page.h"
#include "ui/dialogs/work_settings_page.h"

namespace brambel {

PreferencesDialog::PreferencesDialog(LibrarySession& session, SuppressibleNotices& notices,
                                     std::function<std::u16string()> currentWindowRect, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("preferences"));
  setWindowTitle(tr("Preferences"));
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("preferencePages"));
  addPage(new ResultsSettingsPage(std::move(currentWindowRect)));
  addPage(new WorkSettingsPage);
  addPage(new NoticesSettingsPage(notices));

  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (apply()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &PreferencesDialog::apply);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

void PreferencesDialog::addPage(SettingsPage* page) {
  page->load(session_.settings());
  pages_.append(page);
  tabs_->addTab(page, page->title());
}

bool PreferencesDialog::apply() {
  ProgramSettings edited = session_.settings();
  bool saved = true;
  for (SettingsPage* page : pages_) saved = page->save(edited) && saved;
  session_.settings() = edited;
  saved = session_.SaveSettings() && saved;
  // The pages show what is now stored, so that a later change is told from it.
  for (SettingsPage* page : pages_) page->load(session_.settings());
  emit applied();
  if (!saved) {
    QMessageBox::warning(this, windowTitle(),
                         tr("The settings could not be written. They apply until the program ends."));
    return false;
  }
  return true;
}

}  // namespace brambel

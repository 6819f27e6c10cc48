#include "ui/dialogs/saved_terms_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/document.h"

namespace brambel {

SavedTermsDialog::SavedTermsDialog(CTesserin2Doc& document, QWidget* parent) : QDialog(parent), document_(document) {
  setObjectName(QStringLiteral("savedTermsDialog"));
  setWindowTitle(tr("Saved Terms"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("savedTerms"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  remove_ = buttons->addButton(tr("&Remove"), QDialogButtonBox::ActionRole);
  remove_->setObjectName(QStringLiteral("removeSavedTerms"));
  remove_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(remove_, &QPushButton::clicked, this, &SavedTermsDialog::removeSelected);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    remove_->setEnabled(!document_.isReadOnly() && !list_->selectedItems().isEmpty());
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  fill();
}

void SavedTermsDialog::fill() {
  list_->clear();
  for (const std::u16string& term : document_.savedTerms()) list_->addItem(QString::fromStdU16String(term));
}

void SavedTermsDialog::removeSelected() {
  for (QListWidgetItem* item : list_->selectedItems()) document_.RemoveSavedTerm(item->text().toStdU16String());
  fill();
}

}  // namespace brambel

#include "ui/dialogs/add_feed_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace brambel {

AddFeedDialog::AddFeedDialog(const QStringList& categories, int chosen, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("addFeedDialog"));
  setWindowTitle(tr("Add Rss/Atom Feed"));
  url_ = new QLineEdit(this);
  url_->setObjectName(QStringLiteral("feedUrl"));
  url_->setPlaceholderText(QStringLiteral("http://"));
  url_->setMinimumWidth(360);
  category_ = new QComboBox(this);
  category_->setObjectName(QStringLiteral("feedCategory"));
  category_->addItem(tr("(No Category)"));
  category_->addItems(categories);
  category_->setCurrentIndex(chosen + 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setEnabled(false);
  connect(url_, &QLineEdit::textChanged, ok, [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QFormLayout(this);
  layout->addRow(tr("Feed &URL:"), url_);
  layout->addRow(tr("&Category:"), category_);
  layout->addRow(buttons);
}

QString AddFeedDialog::url() const { return url_->text().trimmed(); }

QString AddFeedDialog::category() const { return category_->currentIndex() > 0 ? category_->currentText() : QString(); }

}  // namespace brambel

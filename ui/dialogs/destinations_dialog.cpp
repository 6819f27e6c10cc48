#include "ui/dialogs/destinations_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace brambel {

DestinationsDialog::DestinationsDialog(std::vector<Destination> destinations, QWidget* parent)
    : QDialog(parent), destinations_(std::move(destinations)) {
  setObjectName(QStringLiteral("destinationsDialog"));
  setWindowTitle(tr("Destinations"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("destinationList"));
  for (size_t i = 0; i < destinations_.size(); ++i) {
    if (destinations_[i].kind == DestinationKind::External) continue;
    listed_.push_back(i);
    list_->addItem(QString::fromStdU16String(destinations_[i].name));
  }
  username_ = new QLineEdit(this);
  username_->setObjectName(QStringLiteral("destUsername"));
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("destPassword"));
  password_->setEchoMode(QLineEdit::Password);
  additional_ = new QLineEdit(this);
  additional_->setObjectName(QStringLiteral("destAdditional"));
  additional_->setToolTip(tr("Terms added to the tags of everything sent to this destination"));

  auto field = [this](QLineEdit* edit, std::u16string Destination::*member) {
    connect(edit, &QLineEdit::textEdited, this, [this, member](const QString& text) {
      if (Destination* destination = current()) destination->*member = text.toStdU16String();
    });
  };
  field(username_, &Destination::username);
  field(password_, &Destination::password);
  field(additional_, &Destination::additional);
  connect(list_, &QListWidget::currentRowChanged, this, &DestinationsDialog::showDestination);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout;
  form->addRow(tr("&Username:"), username_);
  form->addRow(tr("&Password:"), password_);
  form->addRow(tr("&Additional terms:"), additional_);
  auto* columns = new QHBoxLayout;
  columns->addWidget(list_);
  columns->addLayout(form, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(buttons);
  list_->setCurrentRow(0);
}

Destination* DestinationsDialog::current() {
  const int row = list_->currentRow();
  return row >= 0 && row < static_cast<int>(listed_.size()) ? &destinations_[listed_[row]] : nullptr;
}

void DestinationsDialog::showDestination(int) {
  const Destination* destination = current();
  for (QLineEdit* edit : {username_, password_, additional_}) edit->setEnabled(destination != nullptr);
  username_->setText(destination ? QString::fromStdU16String(destination->username) : QString());
  password_->setText(destination ? QString::fromStdU16String(destination->password) : QString());
  additional_->setText(destination ? QString::fromStdU16String(destination->additional) : QString());
}

}  // namespace brambel

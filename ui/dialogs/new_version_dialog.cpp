#include "ui/dialogs/new_version_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace brambel {

NewVersionDialog::NewVersionDialog(const PublishedVersion& version, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("newVersionDialog"));
  setWindowTitle(tr("New Version"));
  auto* headline = new QLabel(tr("Version %1 is available!").arg(version.number), this);
  QFont bold = headline->font();
  bold.setBold(true);
  headline->setFont(bold);
  auto* message = new QLabel(QString::fromStdU16String(version.message), this);
  message->setWordWrap(true);
  message->setTextFormat(Qt::PlainText);
  dontRemind_ = new QCheckBox(tr("Don't remind me about this version again"), this);
  dontRemind_->setObjectName(QStringLiteral("dontRemind"));
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* website = buttons->addButton(tr("Go To Update Website"), QDialogButtonBox::AcceptRole);
  website->setObjectName(QStringLiteral("goToWebsite"));
  QPushButton* ignore = buttons->addButton(tr("Ignore"), QDialogButtonBox::RejectRole);
  ignore->setObjectName(QStringLiteral("ignore"));
  website->setDefault(true);
  connect(website, &QPushButton::clicked, this, [this] {
    choice_ = UpdateDialog::Choice::GoToWebsite;
    accept();
  });
  connect(ignore, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(headline);
  layout->addWidget(message);
  layout->addWidget(dontRemind_);
  layout->addWidget(buttons);
}

bool NewVersionDialog::dontRemind() const { return dontRemind_->isChecked(); }

}  // namespace brambel

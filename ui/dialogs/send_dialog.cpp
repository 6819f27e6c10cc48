#include "ui/dialogs/send_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace brambel {
namespace {

QString valueOf(const DestinationVariables& variables, const char16_t* name) {
  auto found = variables.find(name);
  return found == variables.end() ? QString() : QString::fromStdU16String(found->second);
}

}  // namespace

QLineEdit* SendDialog::line(const char* name, const char16_t* variable) {
  auto* edit = new QLineEdit(valueOf(variables_, variable), this);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

SendDialog::SendDialog(const Destination& destination, DestinationVariables variables, int urlCount, QWidget* parent)
    : QDialog(parent), variables_(std::move(variables)) {
  setObjectName(QStringLiteral("sendDialog"));
  setWindowTitle(tr("Sending to %1").arg(QString::fromStdU16String(destination.name)));
  auto* layout = new QFormLayout(this);
  layout->addRow(new QLabel(tr("You have selected %1 Url(s)").arg(urlCount), this));
  if (destination.kind == DestinationKind::TagsBlog) {
    title_ = line("sendTitle", u"title");
    text_ = new QPlainTextEdit(valueOf(variables_, u"text"), this);
    text_->setObjectName(QStringLiteral("sendText"));
    action_ = new QComboBox(this);
    action_->setObjectName(QStringLiteral("sendAction"));
    action_->addItems({QStringLiteral("Save"), QStringLiteral("Publish")});
    layout->addRow(tr("&Title:"), title_);
    layout->addRow(tr("&Preceding text:"), text_);
    layout->addRow(tr("&Action:"), action_);
  } else {
    tags_ = line("sendTags", u"terms");
    notes_ = line("sendNotes", u"notes");
    layout->addRow(tr("&Tags:"), tags_);
    layout->addRow(tr("&Notes:"), notes_);
    if (destination.kind == DestinationKind::TagsCategory) {
      category_ = line("sendCategory", u"category");
      layout->addRow(tr("&Category:"), category_);
    }
  }
  username_ = line("sendUsername", u"username");
  password_ = line("sendPassword", u"password");
  password_->setEchoMode(QLineEdit::Password);
  saveLogin_ = new QCheckBox(tr("&Save Login"), this);
  saveLogin_->setObjectName(QStringLiteral("sendSaveLogin"));
  layout->addRow(tr("&Username:"), username_);
  layout->addRow(tr("&Password:"), password_);
  layout->addRow(saveLogin_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addRow(buttons);
  setMinimumWidth(420);
}

DestinationVariables SendDialog::variables() const {
  DestinationVariables variables = variables_;
  auto set = [&](const char16_t* name, const QString& value) { variables[name] = value.toStdU16String(); };
  set(u"username", username_->text());
  set(u"password", password_->text());
  if (tags_) set(u"terms", tags_->text());
  if (notes_) set(u"notes", notes_->text());
  if (category_) set(u"category", category_->text());
  if (title_) set(u"title", title_->text());
  if (text_) set(u"text", text_->toPlainText());
  if (action_) set(u"action", action_->currentText());
  if (saveLogin_->isChecked()) variables[u"save"] = u"";
  else variables.erase(u"save");
  return variables;
}

}  // namespace brambel

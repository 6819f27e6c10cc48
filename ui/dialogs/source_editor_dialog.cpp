#include "ui/dialogs/source_editor_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "sources/source_registry.h"
#include "ui/bridge/prompter.h"

namespace brambel {
namespace {

enum Column { kName, kValue, kDescription };

QString qt(const std::u16string& text) { return QString::fromStdU16String(text); }

std::map<std::u16string, std::u16string> describedParameters(const QString& baseKey) {
  std::unique_ptr<SearchSource> source = SourceRegistry::global().Create(baseKey.toStdU16String());
  return source ? source->GetInfo().parameterDescriptions : std::map<std::u16string, std::u16string>{};
}

}  // namespace

SourceEditorDialog::SourceEditorDialog(const SourceDefinition& definition, Save save, DesktopPrompter& prompter,
                                       QWidget* parent)
    : QDialog(parent), save_(std::move(save)), prompter_(prompter), original_(definition.parameters) {
  setObjectName(QStringLiteral("sourceEditor"));
  setWindowTitle(tr("Edit Source"));
  name_ = new QLineEdit(qt(definition.name), this);
  name_->setObjectName(QStringLiteral("sourceName"));
  base_ = new QComboBox(this);
  base_->setObjectName(QStringLiteral("sourceBase"));
  base_->addItem(QString());
  std::vector<std::u16string> keys = SourceRegistry::global().Keys();
  std::sort(keys.begin(), keys.end());
  for (const std::u16string& key : keys) base_->addItem(qt(key));
  base_->setCurrentIndex(std::max(0, base_->findText(qt(definition.baseKey))));
  description_ = new QLineEdit(qt(definition.description), this);
  description_->setObjectName(QStringLiteral("sourceDescription"));

  parameters_ = new QTableWidget(0, 3, this);
  parameters_->setObjectName(QStringLiteral("sourceParameters"));
  parameters_->setHorizontalHeaderLabels({tr("Parameter"), tr("Value"), tr("Description")});
  parameters_->horizontalHeader()->setStretchLastSection(true);
  parameters_->verticalHeader()->hide();
  for (const auto& [name, value] : definition.parameters) addParameterRow(qt(name), qt(value));

  auto* addParameter = new QPushButton(tr("Add Parameter"), this);
  addParameter->setObjectName(QStringLiteral("parameterAdd"));
  auto* removeParameter = new QPushButton(tr("Remove Parameter"), this);
  removeParameter->setObjectName(QStringLiteral("parameterRemove"));
  connect(addParameter, &QPushButton::clicked, this, [this] {
    addParameterRow(QString(), QString());
    parameters_->editItem(parameters_->item(parameters_->rowCount() - 1, kName));
  });
  connect(removeParameter, &QPushButton::clicked, this, [this] {
    if (parameters_->currentRow() >= 0) parameters_->removeRow(parameters_->currentRow());
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &SourceEditorDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(tr("&Name:"), name_);
  form->addRow(tr("&Base Source:"), base_);
  form->addRow(tr("&Description:"), description_);
  auto* parameterButtons = new QHBoxLayout;
  parameterButtons->addWidget(addParameter);
  parameterButtons->addWidget(removeParameter);
  parameterButtons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(parameters_, 1);
  layout->addLayout(parameterButtons);
  layout->addWidget(buttons);
  resize(560, 420);

  connect(base_, &QComboBox::currentIndexChanged, this, &SourceEditorDialog::baseChanged);
  baseChanged();
}

void SourceEditorDialog::addParameterRow(const QString& name, const QString& value) {
  const int row = parameters_->rowCount();
  parameters_->insertRow(row);
  parameters_->setItem(row, kName, new QTableWidgetItem(name));
  parameters_->setItem(row, kValue, new QTableWidgetItem(value));
  auto* description = new QTableWidgetItem;
  description->setFlags(Qt::ItemIsEnabled);
  parameters_->setItem(row, kDescription, description);
}

void SourceEditorDialog::baseChanged() {
  // The base source's own parameters are offered, each with what it means.
  const auto described = describedParameters(base_->currentText());
  for (const auto& [name, meaning] : described) {
    if (parameters_->findItems(qt(name), Qt::MatchExactly).isEmpty()) addParameterRow(qt(name), QString());
  }
  for (int row = 0; row < parameters_->rowCount(); ++row) {
    auto found = described.find(parameters_->item(row, kName)->text().toStdU16String());
    parameters_->item(row, kDescription)->setText(found == described.end() ? QString() : qt(found->second));
  }
}

SourceDefinition SourceEditorDialog::definition() const {
  SourceDefinition definition;
  definition.name = name_->text().toStdU16String();
  definition.baseKey = base_->currentText().toStdU16String();
  definition.description = description_->text().simplified().toStdU16String();
  for (int row = 0; row < parameters_->rowCount(); ++row) {
    const std::u16string name = parameters_->item(row, kName)->text().trimmed().toStdU16String();
    const std::u16string value = parameters_->item(row, kValue)->text().toStdU16String();
    if (name.empty()) continue;
    // An offered parameter left empty is not written; one the source had stays.
    if (value.empty() && !original_.count(name)) continue;
    definition.parameters[name] = value;
  }
  return definition;
}

void SourceEditorDialog::accept() {
  if (EditRefusal refusal = save_(definition())) {
    prompter_.Notify(this, QString(), qt(*refusal));
    return;
  }
  QDialog::accept();
}

}  // namespace brambel

#include "ui/dialogs/category_chooser_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace brambel {
namespace {

enum Role { kKindRole = Qt::UserRole, kPathRole };

std::filesystem::path commonFolder(const std::vector<std::filesystem::path>& files) {
  if (files.empty()) return {};
  std::filesystem::path common = files.front().parent_path();
  for (const auto& file : files)
    while (!common.empty() && file.parent_path().string().rfind(common.string(), 0) != 0) common = common.parent_path();
  return common;
}

}  // namespace

CategoryChooserDialog::CategoryChooserDialog(const std::vector<std::filesystem::path>& offered, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("categoryChooser"));
  setWindowTitle(tr("Import categories into new library"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("categorySets"));
  tree_->setHeaderHidden(true);
  auto addChoice = [this](QTreeWidgetItem* parentItem, const QString& text, int kind, const QString& path) {
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(tree_);
    item->setText(0, text);
    item->setData(0, kKindRole, kind);
    item->setData(0, kPathRole, path);
    return item;
  };
  addChoice(nullptr, QStringLiteral("<Blank>"), static_cast<int>(NewLibraryChoice::Kind::Blank), {});
  QTreeWidgetItem* fallback =
      addChoice(nullptr, QStringLiteral("<Default>"), static_cast<int>(NewLibraryChoice::Kind::Default), {});
  const std::filesystem::path root = commonFolder(offered);
  QMap<QString, QTreeWidgetItem*> folders;
  for (const auto& file : offered) {
    QTreeWidgetItem* folder = nullptr;
    const std::filesystem::path relative = file.parent_path().lexically_relative(root);
    if (!relative.empty() && relative != ".") {
      const QString key = QString::fromStdString(relative.string());
      folder = folders.value(key);
      if (!folder) {
        folder = new QTreeWidgetItem(tree_, {key});
        folder->setFlags(Qt::ItemIsEnabled);
        folders.insert(key, folder);
      }
    }
    addChoice(folder, QString::fromStdString(file.stem().string()), static_cast<int>(NewLibraryChoice::Kind::SetFile),
              QString::fromStdString(file.string()));
  }
  tree_->expandAll();
  tree_->setCurrentItem(fallback);
  store_ = new QCheckBox(tr("Store this set for future new libraries"), this);
  store_->setObjectName(QStringLiteral("storeSet"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [buttons](QTreeWidgetItem* item) {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(item && item->data(0, kKindRole).isValid());
  });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (item->data(0, kKindRole).isValid()) accept();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_);
  layout->addWidget(store_);
  layout->addWidget(buttons);
  resize(420, 360);
}

NewLibraryChoice CategoryChooserDialog::choice() const {
  NewLibraryChoice chosen;
  QTreeWidgetItem* item = tree_->currentItem();
  if (!item || !item->data(0, kKindRole).isValid()) return chosen;
  chosen.kind = static_cast<NewLibraryChoice::Kind>(item->data(0, kKindRole).toInt());
  chosen.setFile = item->data(0, kPathRole).toString().toStdString();
  return chosen;
}

}  // namespace brambel

#pragma once

#include <QDialog>

#include "ui/dialogs/category_draft.h"

class QBoxLayout;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace brambel {

class DesktopPrompter;

// "Categories": the categories added, renamed, removed and reordered, each
// with its view mode and the sources it searches (ticked in the source
// list); sources created, edited, duplicated, deleted and saved to files.
// Works on a draft: the caller applies draft() after OK.
class CategoriesDialog : public QDialog {
  Q_OBJECT

 public:
  CategoriesDialog(CategoryDraft draft, size_t currentCategory, DesktopPrompter& prompter, QWidget* parent = nullptr);

  const CategoryDraft& draft() const { return draft_; }

  // The source editor for the selected source, or for the waiting new one.
  void editSelectedSource();
  // Writes the selected source as a ".zsrc" file at `path`.
  bool saveSelectedSource(const QString& path);

 private:
  void buildCategoryColumn(QBoxLayout* into);
  void buildSourceColumn(QBoxLayout* into);
  void refreshCategories(int select);
  void refreshSources();
  void categorySelected();
  void sourceToggled(QListWidgetItem* item);
  bool refused(const EditRefusal& refusal);
  int currentCategory() const;
  QString selectedIdentity() const;

  CategoryDraft draft_;
  DesktopPrompter& prompter_;
  QListWidget* categories_;
  QLineEdit* categoryName_;
  QComboBox* viewMode_;
  QListWidget* sources_;
  bool refreshing_ = false;
};

}  // namespace brambel

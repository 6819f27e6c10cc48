#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "app/prompter.h"

class QCheckBox;
class QTreeWidget;

namespace brambel {

// "Import categories into new library": the set a new library starts from,
// "<Blank>", "<Default>" or one of the offered set files (folders become
// tree nodes, names shown without their extension).
class CategoryChooserDialog : public QDialog {
  Q_OBJECT

 public:
  CategoryChooserDialog(const std::vector<std::filesystem::path>& offered, QWidget* parent = nullptr);
  NewLibraryChoice choice() const;

 private:
  QTreeWidget* tree_;
  QCheckBox* store_;
};

}  // namespace brambel

#pragma once

#include <QDialog>
#include <functional>

#include "formats/source_definition.h"
#include "ui/dialogs/category_draft.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace brambel {

class DesktopPrompter;

// Edits one source definition: its name, base source, description and
// parameters (the base source's described parameters are offered with their
// descriptions). OK passes the definition to `save`; a refusal is shown and
// the dialog stays open with everything typed kept.
class SourceEditorDialog : public QDialog {
  Q_OBJECT

 public:
  using Save = std::function<EditRefusal(const SourceDefinition&)>;

  SourceEditorDialog(const SourceDefinition& definition, Save save, DesktopPrompter& prompter,
                     QWidget* parent = nullptr);

  // The definition as the fields hold it.
  SourceDefinition definition() const;

  void accept() override;

 private:
  void baseChanged();
  void addParameterRow(const QString& name, const QString& value);

  Save save_;
  DesktopPrompter& prompter_;
  ParameterMap original_;
  QLineEdit* name_;
  QComboBox* base_;
  QLineEdit* description_;
  QTableWidget* parameters_;
};

}  // namespace brambel

#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace brambel {

class CTesserin2Doc;

// "Organize..." of the Saved Terms menu: the saved terms in their order,
// the selected ones removed with "Remove" (stored at once).
class SavedTermsDialog : public QDialog {
  Q_OBJECT

 public:
  SavedTermsDialog(CTesserin2Doc& document, QWidget* parent = nullptr);

  void removeSelected();

 private:
  void fill();

  CTesserin2Doc& document_;
  QListWidget* list_;
  QPushButton* remove_;
};

}  // namespace brambel

#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace brambel {

// "Add Rss/Atom Feed": the feed's address and the category it joins.
class AddFeedDialog : public QDialog {
  Q_OBJECT

 public:
  // `categories`: the names offered; `chosen`: the one selected (-1: none).
  AddFeedDialog(const QStringList& categories, int chosen, QWidget* parent = nullptr);

  QString url() const;
  // The chosen category's name; empty for none.
  QString category() const;

 private:
  QLineEdit* url_;
  QComboBox* category_;
};

}  // namespace brambel

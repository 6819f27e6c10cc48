#pragma once

#include <QDialog>

#include "destinations/destination.h"
#include "destinations/destination_template.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace brambel {

// "Sending to NAME": what a send asks before it starts. Bookmark services
// ask for tags, notes (and a category), a blog for the text, title and
// action; all for the login, with "Save Login". variables() holds the
// answers under the names the destination's templates use.
class SendDialog : public QDialog {
  Q_OBJECT

 public:
  SendDialog(const Destination& destination, DestinationVariables variables, int urlCount, QWidget* parent = nullptr);

  DestinationVariables variables() const;

 private:
  QLineEdit* line(const char* name, const char16_t* variable);

  DestinationVariables variables_;
  QLineEdit* username_;
  QLineEdit* password_;
  QLineEdit* tags_ = nullptr;
  QLineEdit* notes_ = nullptr;
  QLineEdit* category_ = nullptr;
  QLineEdit* title_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QComboBox* action_ = nullptr;
  QCheckBox* saveLogin_;
};

}  // namespace brambel

#pragma once

#include <QDialog>

#include "app/update_check.h"

class QCheckBox;

namespace brambel {

// "New Version": "Version N is available!", the published message, the
// buttons "Go To Update Website" and "Ignore" and the box "Don't remind me
// about this version again".
class NewVersionDialog : public QDialog {
  Q_OBJECT

 public:
  NewVersionDialog(const PublishedVersion& version, QWidget* parent = nullptr);

  UpdateDialog::Choice choice() const { return choice_; }
  bool dontRemind() const;

 private:
  QCheckBox* dontRemind_;
  UpdateDialog::Choice choice_ = UpdateDialog::Choice::Ignore;
};

}  // namespace brambel

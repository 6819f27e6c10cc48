#pragma once

#include <QList>

#include "ui/dialogs/settings_page.h"

class QCheckBox;

namespace brambel {

class SuppressibleNotices;

// The notices and questions the user silenced with "Don't ask again": a
// check box per notice, checked while it is shown, to turn them back on.
class NoticesSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  explicit NoticesSettingsPage(SuppressibleNotices& notices, QWidget* parent = nullptr);

  QString title() const override { return tr("Notices"); }
  void load(const ProgramSettings& settings) override;
  bool save(ProgramSettings& settings) override;

 private:
  SuppressibleNotices& notices_;
  QList<QCheckBox*> boxes_;
};

}  // namespace brambel

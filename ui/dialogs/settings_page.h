#pragma once

#include <QString>
#include <QWidget>

#include "app/program_settings.h"

namespace brambel {

// One tab of the Preferences dialog. The dialog hands every page a copy of
// the program settings to show and, on OK or Apply, to fill; the copy is
// written once when every page had its turn.
class SettingsPage : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  ~SettingsPage() override;

  virtual QString title() const = 0;
  virtual void load(const ProgramSettings& settings) = 0;
  // Puts the page's values into `settings`; a page whose values live
  // elsewhere (the silenced notices) writes them now and answers false when
  // it cannot.
  virtual bool save(ProgramSettings& settings) = 0;
};

}  // namespace brambel

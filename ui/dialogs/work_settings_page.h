#pragma once

#include "ui/dialogs/setting_bindings.h"
#include "ui/dialogs/settings_page.h"

namespace brambel {

// The background work: threads of the five content pools, the index queue
// and caches, the disk-space floor, the result limits and the page requests.
class WorkSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  explicit WorkSettingsPage(QWidget* parent = nullptr);

  QString title() const override { return tr("Background Work"); }
  void load(const ProgramSettings& settings) override { bindings_.load(settings); }
  bool save(ProgramSettings& settings) override {
    bindings_.save(settings);
    return true;
  }

 private:
  SettingBindings<ProgramSettings> bindings_;
};

}  // namespace brambel

#pragma once

#include <functional>
#include <optional>

#include "ui/dialogs/setting_bindings.h"
#include "ui/dialogs/settings_page.h"

class QComboBox;
class QPushButton;

namespace brambel {

// How results are scored and shown: term scoring, summaries, the result
// views' titles, sources, snippets and date line, the sponsored links and
// the category counts, and the stored main window position.
class ResultsSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  // `currentWindowRect`: the main window's rectangle as `mainPosition` stores it.
  explicit ResultsSettingsPage(std::function<std::u16string()> currentWindowRect, QWidget* parent = nullptr);

  QString title() const override { return tr("Results"); }
  void load(const ProgramSettings& settings) override;
  bool save(ProgramSettings& settings) override;

 private:
  SettingBindings<ProgramSettings> bindings_;
  QComboBox* displayDate_;
  QPushButton* storePosition_;
  std::function<std::u16string()> currentWindowRect_;
  std::optional<std::u16string> storedPosition_;  // set by the button
};

}  // namespace brambel

#pragma once

#include <QDialog>

#include "app/program_settings.h"
#include "ui/dialogs/setting_bindings.h"

namespace brambel {

class LibrarySession;

// Preview Preferences: the hover preview (delays, animation, window size,
// loading in advance), what the mini-browser may load and run, and what the
// preview renderer may run and draw.
class PreviewPreferencesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PreviewPreferencesDialog(LibrarySession& session, QWidget* parent = nullptr);

  // Writes the values; false (and told) when the settings file cannot be written.
  bool apply();

 signals:
  void applied();

 private:
  LibrarySession& session_;
  SettingBindings<ProgramSettings> bindings_;
};

}  // namespace brambel

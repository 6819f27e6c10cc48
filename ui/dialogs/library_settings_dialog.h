#pragma once

#include <QDialog>
#include <QString>

#include "app/library_settings.h"
#include "ui/dialogs/setting_bindings.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class QTabWidget;

namespace brambel {

class LibrarySession;

// Library Settings: the open library's "settings.dat" as stored — indexing,
// content and preview limits, start-up and category addresses, stop words,
// and the per-source indexing overrides. OK writes the file; the document
// says which settings the open library uses at once. A read-only library's
// settings are shown, not changed.
class LibrarySettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit LibrarySettingsDialog(LibrarySession& session, QWidget* parent = nullptr);

  // Why the values cannot be saved; empty when they can.
  QString problem() const;
  // Writes and applies the settings; false (and told) when refused or not written.
  bool apply();

 signals:
  void applied();

 private:
  LibrarySettings storedSettings() const;
  QWidget* buildGeneralPage();
  QWidget* buildContentPage();
  QWidget* buildIndexingPage();
  QWidget* buildSourcesPage();

  LibrarySession& session_;
  SettingBindings<LibrarySettings> bindings_;
  QTabWidget* tabs_;
  QLineEdit* startupUrl_;
  QComboBox* previewCodec_;
  QPlainTextEdit* stopWords_;
  QTableWidget* sourceFlags_;
};

}  // namespace brambel

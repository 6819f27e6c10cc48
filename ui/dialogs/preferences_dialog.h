#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <string>

class QDialogButtonBox;
class QTabWidget;

namespace brambel {

class LibrarySession;
class SettingsPage;
class SuppressibleNotices;

// Preferences: a tab per settings page over the program settings, written
// once on OK or Apply. A failed write keeps the dialog open and says so.
class PreferencesDialog : public QDialog {
  Q_OBJECT

 public:
  // `currentWindowRect`: the main window's rectangle as `mainPosition` stores it.
  PreferencesDialog(LibrarySession& session, SuppressibleNotices& notices,
                    std::function<std::u16string()> currentWindowRect, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  // Writes every page's values; false (and told) when they cannot be written.
  bool apply();

 signals:
  // The settings were written; the windows show them now.
  void applied();

 private:
  void addPage(SettingsPage* page);

  LibrarySession& session_;
  QTabWidget* tabs_;
  QList<SettingsPage*> pages_;
};

}  // namespace brambel

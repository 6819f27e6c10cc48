#pragma once

#include <QString>
#include <filesystem>
#include <map>
#include <string>

class QWidget;

namespace brambel {

// A notice or question the user can silence, and what it is about (for the
// Preferences page that turns them back on).
struct SuppressibleNoticeKey {
  const char* key;
  const char* description;
};

inline constexpr SuppressibleNoticeKey kSuppressibleNotices[] = {
    {"readonly", "Offer to switch to the window that already has the library open"},
    {"opencategories", "Confirm before loaded categories replace the current ones"},
    {"batchrestore", "Confirm before a batch load overwrites the previous one"},
    {"minibrowser", "Explain the mini-browser before its first use"},
    {"minibrowserPin", "Confirm before Ctrl+click in the mini-browser pins a page"},
    {"minibrowserJavascript", "Tell when the mini-browser refuses to run JavaScript"},
    {"override_ext", "Ask before taking over the library file types from another program"},
};

// The desktop's message boxes with a "Don't ask again" check box. A silenced
// key is kept in the program settings file as "dontask.KEY=1". A silenced
// question answers its suggested answer without asking, and the check is
// kept only when the user gave that answer, so a silenced question never
// stands for the other one.
class SuppressibleNotices {
 public:
  // `settingsFile`: the program settings file.
  explicit SuppressibleNotices(std::filesystem::path settingsFile) : settingsFile_(std::move(settingsFile)) {}

  bool isSilenced(const std::string& key) const;
  // Silences or restores keys; false when the settings file cannot be written.
  bool setSilenced(const std::map<std::string, bool>& keys);

  // A Yes/No question; true for Yes. An empty key shows no check box.
  bool ask(QWidget* parent, const QString& key, const QString& text, bool suggestYes);
  // A notice with OK; a silenced one is not shown.
  void tell(QWidget* parent, const QString& key, const QString& text);

 private:
  std::filesystem::path settingsFile_;
};

}  // namespace brambel

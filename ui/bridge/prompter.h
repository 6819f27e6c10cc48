#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>

#include "app/prompter.h"

namespace brambel {

// The desktop's prompter: message boxes with a "Don't ask again" check box,
// remembered in the settings file under the question's key. A silenced
// question answers its suggested answer without asking, and the check
// counts only when the user gave that answer, so a silenced question never
// stands for the other one. The document asks through the Prompter
// interface; windows use Confirm and Notify. Tests replace both.
class DesktopPrompter : public Prompter {
 public:
  // `settingsFile`: where silenced keys are kept (the program settings file).
  explicit DesktopPrompter(std::filesystem::path settingsFile) : settingsFile_(std::move(settingsFile)) {}

  void setParentWindow(QWidget* window) { parent_ = window; }

  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested,
             std::string_view dontAskKey) override;
  void Tell(const MessageText& message, std::u16string_view text) override;
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>& offered) override;

  // A Yes/No question whose suggested answer is Yes; true for Yes.
  virtual bool Confirm(QWidget* parent, const QString& key, const QString& text);
  // A notice with OK; a silenced one is not shown.
  virtual void Notify(QWidget* parent, const QString& key, const QString& text);

  bool isSilenced(const std::string& key) const;
  void setSilenced(const std::string& key, bool silenced);

 private:
  std::filesystem::path settingsFile_;
  QPointer<QWidget> parent_;
};

}  // namespace brambel

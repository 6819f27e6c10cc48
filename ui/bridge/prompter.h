#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>

#include "app/prompter.h"
#include "ui/dialogs/suppressible_notice.h"

namespace brambel {

// The desktop's prompter: the suppressible message boxes, remembered in the
// settings file under the question's key. The document asks through the
// Prompter interface; windows use Confirm and Notify. Tests replace both.
class DesktopPrompter : public Prompter {
 public:
  // `settingsFile`: where silenced keys are kept (the program settings file).
  explicit DesktopPrompter(std::filesystem::path settingsFile) : notices_(std::move(settingsFile)) {}

  void setParentWindow(QWidget* window) { parent_ = window; }

  Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested,
             std::string_view dontAskKey) override;
  void Tell(const MessageText& message, std::u16string_view text) override;
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>& offered) override;

  // A Yes/No question whose suggested answer is Yes; true for Yes.
  virtual bool Confirm(QWidget* parent, const QString& key, const QString& text);
  // A notice with OK; a silenced one is not shown.
  virtual void Notify(QWidget* parent, const QString& key, const QString& text);

  SuppressibleNotices& notices() { return notices_; }

 private:
  SuppressibleNotices notices_;
  QPointer<QWidget> parent_;
};

}  // namespace brambel

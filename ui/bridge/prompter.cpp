#include "ui/bridge/prompter.h"

#include "ui/dialogs/category_chooser_dialog.h"

namespace brambel {

Prompter::Answer DesktopPrompter::Ask(const MessageText&, std::u16string_view text, Answer suggested,
                                      std::string_view dontAskKey) {
  const bool yes = notices_.ask(parent_, QString::fromUtf8(dontAskKey.data(), static_cast<qsizetype>(dontAskKey.size())),
                                QString::fromStdU16String(std::u16string(text)), suggested == Answer::Yes);
  return yes ? Answer::Yes : Answer::No;
}

void DesktopPrompter::Tell(const MessageText&, std::u16string_view text) {
  notices_.tell(parent_, QString(), QString::fromStdU16String(std::u16string(text)));
}

std::optional<NewLibraryChoice> DesktopPrompter::ChooseCategorySet(const std::vector<std::filesystem::path>& offered) {
  CategoryChooserDialog dialog(offered, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.choice();
}

bool DesktopPrompter::Confirm(QWidget* parent, const QString& key, const QString& text) {
  return notices_.ask(parent, key, text, true);
}

void DesktopPrompter::Notify(QWidget* parent, const QString& key, const QString& text) {
  notices_.tell(parent, key, text);
}

}  // namespace brambel

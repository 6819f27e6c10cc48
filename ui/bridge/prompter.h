#pragma once

#include <QString>

class QWidget;

namespace brambel {

class LibrarySession;

// Questions and notices the user can silence for good under a key. Windows
// ask through this interface, so tests answer with a prompter of their own.
class Prompter {
 public:
  virtual ~Prompter() = default;
  // A yes/no question; a silenced one answers Yes without asking. An empty
  // key cannot be silenced.
  virtual bool Ask(QWidget* parent, const QString& key, const QString& text) = 0;
  // A notice with an OK button; a silenced one is not shown.
  virtual void Notify(QWidget* parent, const QString& key, const QString& text) = 0;
};

// The prompter of the program: a message box with a "Don't ask again" check
// box, remembered in the settings file. The check counts only when the
// answer was Yes, so a silenced question never stands for No.
class MessageBoxPrompter : public Prompter {
 public:
  explicit MessageBoxPrompter(LibrarySession& session) : session_(session) {}
  bool Ask(QWidget* parent, const QString& key, const QString& text) override;
  void Notify(QWidget* parent, const QString& key, const QString& text) override;

 private:
  LibrarySession& session_;
};

}  // namespace brambel

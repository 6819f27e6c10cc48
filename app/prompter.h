#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/message_texts.h"

namespace brambel {

// The category set a new library starts from, as the chooser decides it.
struct NewLibraryChoice {
  enum class Kind { Blank, Default, SetFile };
  Kind kind = Kind::Default;
  std::filesystem::path setFile;  // Kind::SetFile only
};

// How the document asks the user. The desktop shows dialogs (a question with
// a check box remembered under its key); the command line prints the text on
// standard error and answers from its flags. Calls come from the thread that
// called the document.
class Prompter {
 public:
  enum class Answer { Yes, No };

  virtual ~Prompter() = default;

  // A Yes/No question. `dontAskKey`, when not empty, names the "don't ask
  // again" choice the answer may be remembered under; `suggested` is the
  // answer of a user who just confirms.
  virtual Answer Ask(const MessageText& message, std::u16string_view text, Answer suggested,
                     std::string_view dontAskKey) = 0;
  // A message with OK only.
  virtual void Tell(const MessageText& message, std::u16string_view text) = 0;
  // The category set of a library about to be created; `offered` are the
  // set files of the program data directory. Nothing cancels (the program
  // then ends without creating the library).
  virtual std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>& offered) = 0;
  // A progress window for long work (an index optimise): a title and a line
  // of text, then 0 … 100, then its end. A view without one shows nothing.
  virtual void BeginProgress(std::u16string_view title, std::u16string_view text) {}
  virtual void Progress(int percent) {}
  virtual void EndProgress() {}
};

// Answers every question with its suggested answer (or Yes when told so),
// tells nothing, and chooses `choice` for a new library: the prompter of
// programs that cannot ask.
class DefaultAnswers : public Prompter {
 public:
  explicit DefaultAnswers(bool answerYes = false, NewLibraryChoice choice = {})
      : answerYes_(answerYes), choice_(std::move(choice)) {}
  Answer Ask(const MessageText&, std::u16string_view, Answer suggested, std::string_view) override {
    return answerYes_ ? Answer::Yes : suggested;
  }
  void Tell(const MessageText&, std::u16string_view) override {}
  std::optional<NewLibraryChoice> ChooseCategorySet(const std::vector<std::filesystem::path>&) override {
    return choice_;
  }

 private:
  bool answerYes_;
  NewLibraryChoice choice_;
};

}  // namespace brambel

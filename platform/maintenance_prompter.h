#pragma once

#include <string_view>

namespace brambel {

// How long maintenance work (an optimise) talks to the user without knowing
// the front end: messages, OK/Cancel questions and a progress window. The
// document bridges it to its own prompter. Texts are UTF-8.
class MaintenancePrompter {
 public:
  virtual ~MaintenancePrompter() = default;

  // A message the user acknowledges.
  virtual void inform(std::string_view message) = 0;
  // An OK/Cancel question; true for OK.
  virtual bool confirm(std::string_view question) = 0;
  // A progress window with a title and a line of text, then 0 … 100, then done.
  virtual void beginProgress(std::string_view title, std::string_view text) = 0;
  virtual void progress(int percent) = 0;
  virtual void endProgress() = 0;
};

}  // namespace brambel

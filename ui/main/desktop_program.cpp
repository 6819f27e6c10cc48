#include "ui/main/desktop_program.h"

#include "app/program_settings.h"
#include "ui/main/main_window.h"

namespace brambel {

DesktopProgram::DesktopProgram()
    : prompter(programSettingsFile(application.portable()).path),
      session(application, events, prompter),
      previews(session, static_cast<int>(application.settings().imageThreads)) {
  session.document().SetPreviewSteps(&previews);
}

void DesktopProgram::showWindow(MainWindow& window) {
  prompter.setParentWindow(&window);
  window.placeWindow();
  window.show();
  window.applyFrameLayout();
}

void DesktopProgram::shutDown(MainWindow& window) {
  window.saveWindowState();
  previews.shutdown();
  session.Close();
}

}  // namespace brambel

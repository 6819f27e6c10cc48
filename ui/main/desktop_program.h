#pragma once

#include "app/application.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/render/preview_steps.h"

namespace brambel {

class MainWindow;

// What one running desktop program is made of, built in the order the
// parts need each other: the application (settings), the prompter, the
// session's events, the library session and the render steps it hands
// pages to. The window comes after the library opens.
struct DesktopProgram {
  DesktopProgram();

  // Places and shows the main window, the prompter's parent from now on.
  void showWindow(MainWindow& window);
  // Shutdown after the event loop: the window's rectangle is kept, render
  // workers waiting for a page are let go, then the library closes (pools
  // stopped, lock and PID file removed).
  void shutDown(MainWindow& window);

  Application application;
  DesktopPrompter prompter;
  SessionEvents events;
  LibrarySession session;
  QtPreviewSteps previews;
};

}  // namespace brambel

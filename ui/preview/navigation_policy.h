#pragma once

#include <QUrl>
#include <functional>

namespace brambel {

// What the mini-browser does with a navigation it is asked about.
enum class NavigationDecision {
  Allow,             // let it happen (frames, saved files, blank pages, our own loads)
  ShowLibraryCopy,   // cancel it and show the library's saved copy instead
  AskToPin,          // cancel it; ask whether to pin the URL
  Refuse,            // cancel it silently (a page the library does not hold)
  RefuseJavascript,  // cancel it with the javascript notice
};

struct NavigationRequest {
  QUrl url;
  bool mainFrame = true;
  bool ctrlHeld = false;
  // Loads the window starts itself (showing a result or its saved copy).
  bool fromProgram = false;
};

// The mini-browser's rules, decided before every navigation: inner frames
// and the window's own loads pass; an "http" URL is pinned with Ctrl, else
// answered from the library or refused; anything else passes unless it
// begins with "javascript" or contains "window.open".
class NavigationPolicy {
 public:
  explicit NavigationPolicy(std::function<bool(const QUrl&)> libraryHolds) : libraryHolds_(std::move(libraryHolds)) {}
  NavigationDecision decide(const NavigationRequest& request) const;

 private:
  std::function<bool(const QUrl&)> libraryHolds_;
};

}  // namespace brambel

#pragma once

#include <QWebEnginePage>

#include "ui/preview/navigation_policy.h"

namespace brambel {

// The mini-browser's page: every navigation goes through the navigation
// policy; new windows (window.open, target links) are refused.
class PreviewPage : public QWebEnginePage {
  Q_OBJECT

 public:
  PreviewPage(QWebEngineProfile* profile, NavigationPolicy policy, QObject* parent = nullptr);

  // The next main-frame load is the window's own (showing a result).
  void expectProgramLoad() { programLoadExpected_ = true; }

 signals:
  void pinRequested(const QUrl& url);
  void libraryCopyRequested(const QUrl& url);
  void javascriptRefused();

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  NavigationPolicy policy_;
  bool programLoadExpected_ = false;
};

}  // namespace brambel

#include "ui/preview/preview_page.h"

#include <QGuiApplication>
#include <QTimer>

namespace brambel {

PreviewPage::PreviewPage(QWebEngineProfile* profile, NavigationPolicy policy, QObject* parent)
    : QWebEnginePage(profile, parent), policy_(std::move(policy)) {}

bool PreviewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
  NavigationRequest request;
  request.url = url;
  request.mainFrame = isMainFrame;
  request.ctrlHeld = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
  request.fromProgram = (programLoadExpected_ && type != NavigationTypeLinkClicked) || type == NavigationTypeRedirect;
  if (isMainFrame) programLoadExpected_ = false;
  // Answers that open dialogs or load again run after the engine has its answer.
  switch (policy_.decide(request)) {
    case NavigationDecision::Allow: return true;
    case NavigationDecision::ShowLibraryCopy:
      QTimer::singleShot(0, this, [this, url] { emit libraryCopyRequested(url); });
      return false;
    case NavigationDecision::AskToPin:
      QTimer::singleShot(0, this, [this, url] { emit pinRequested(url); });
      return false;
    case NavigationDecision::RefuseJavascript:
      QTimer::singleShot(0, this, [this] { emit javascriptRefused(); });
      return false;
    case NavigationDecision::Refuse: return false;
  }
  return false;
}

QWebEnginePage* PreviewPage::createWindow(WebWindowType) {
  QTimer::singleShot(0, this, [this] { emit javascriptRefused(); });
  return nullptr;
}

}  // namespace brambel

#include "ui/preview/navigation_policy.h"

namespace brambel {

NavigationDecision NavigationPolicy::decide(const NavigationRequest& request) const {
  if (!request.mainFrame || request.fromProgram) return NavigationDecision::Allow;
  const QString text = request.url.toString();
  if (text.startsWith(QStringLiteral("http"), Qt::CaseInsensitive)) {
    if (request.ctrlHeld) return NavigationDecision::AskToPin;
    return libraryHolds_ && libraryHolds_(request.url) ? NavigationDecision::ShowLibraryCopy
                                                       : NavigationDecision::Refuse;
  }
  if (text.startsWith(QStringLiteral("javascript"), Qt::CaseInsensitive) ||
      text.contains(QStringLiteral("window.open"), Qt::CaseInsensitive))
    return NavigationDecision::RefuseJavascript;
  return NavigationDecision::Allow;
}

}  // namespace brambel

#include "ui/preview/request_interceptor.h"

namespace brambel {

void RequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  const bool local = scheme == QLatin1String("file") || scheme == QLatin1String("data") ||
                     scheme == QLatin1String("about") || scheme == QLatin1String("qrc");
  if (!local && !networkAllowed_) info.block(true);
}

}  // namespace brambel

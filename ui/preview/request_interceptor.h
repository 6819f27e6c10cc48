#pragma once

#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

namespace brambel {

// The preview page's network rule: with raw images off the mini-browser is
// offline, so every network request is refused. Runs on WebEngine's IO
// thread: it reads one flag and blocks, nothing else.
class RequestInterceptor : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  explicit RequestInterceptor(QObject* parent = nullptr) : QWebEngineUrlRequestInterceptor(parent) {}
  void setNetworkAllowed(bool allowed) { networkAllowed_ = allowed; }
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  std::atomic<bool> networkAllowed_{true};
};

}  // namespace brambel

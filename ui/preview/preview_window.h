#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace brambel {

class LibrarySession;
class PreviewPage;
class DesktopPrompter;
class RequestInterceptor;

// The preview window and its mini-browser: shows one result's page, the
// library's saved copy when there is one, marks the search terms and finds
// text. Links inside it are answered from the library (see NavigationPolicy).
class PreviewWindow : public QWidget {
  Q_OBJECT

 public:
  PreviewWindow(LibrarySession& session, DesktopPrompter& prompter, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // Shows a result: the saved copy when the library holds it, else (unless
  // `savedOnly`) the page itself. Brings the window up unless `quietly`.
  void showResult(const QString& url, const QStringList& terms, bool savedOnly, bool quietly = false);
  // Finds the next occurrence of `text` after the last match.
  void findNext(const QString& text);
  void setHighlighting(bool on);
  bool isHighlighting() const { return highlighting_; }
  QWebEngineView* view() const { return view_; }
  const QString& currentUrl() const { return currentUrl_; }
  // Applies the settings that rule scripts, images and the network.
  void applySettings();

 signals:
  void pageLoaded(const QString& url);
  void highlighted(int spans);
  // "Found", "Search Wrapped" or "Not Found".
  void findReported(const QString& report);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void loadFinished(bool ok);
  void highlightTerms();
  void saveGeometryToSettings();
  void removeTemporaryFile();

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  QWebEngineProfile* profile_;
  RequestInterceptor* interceptor_;
  PreviewPage* page_;
  QWebEngineView* view_;
  QWidget* findBar_;
  QLineEdit* findText_;
  QLabel* findStatus_;
  QCheckBox* highlightBox_;
  QString currentUrl_;
  QStringList terms_;
  QString temporaryFile_;
  QString lastFind_;
  int findEnd_ = 0;
  bool findPending_ = false;
  bool highlighting_ = false;
  bool placed_ = false;
};

}  // namespace brambel

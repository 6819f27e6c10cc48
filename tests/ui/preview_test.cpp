// The mini-browser: its navigation rules without a browser, then term
// highlighting and find in real pages with page scripts off.
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "ui/preview/navigation_policy.h"
#include "ui/preview/page_scripts.h"
#include "ui/preview/preview_page.h"
#include "ui/preview/preview_window.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::UiTestHome;

namespace {

// Runs a script in the application world and waits for its value.
QVariant evaluate(QWebEnginePage* page, const QString& script) {
  QVariant value;
  bool done = false;
  page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& result) {
    value = result;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) return QStringLiteral("timed out");
  return value;
}

QString pageWithTerm(int occurrences) {
  QString body;
  for (int i = 0; i < occurrences; ++i) body += QStringLiteral("<p>Bramble %1 grows here.</p>").arg(i);
  return QStringLiteral("<html><body><script>document.title='scripts ran';</script>") + body +
         QStringLiteral("<a id='js' href='file:///saved/other.html?window.open(1)'>js</a><a id='away' href='http://elsewhere.test/x'>x</a>"
                        "</body></html>");
}

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

  UiTestHome home_;

 private slots:
  void navigationFollowsTheRules() {
    NavigationPolicy policy([](const QUrl& url) { return url.host() == QStringLiteral("held.test"); });
    auto decide = [&](const QString& url, bool mainFrame = true, bool ctrl = false, bool program = false) {
      return policy.decide({QUrl(url), mainFrame, ctrl, program});
    };
    QCOMPARE(decide(QStringLiteral("http://held.test/page")), NavigationDecision::ShowLibraryCopy);
    QCOMPARE(decide(QStringLiteral("http://other.test/page")), NavigationDecision::Refuse);
    QCOMPARE(decide(QStringLiteral("https://other.test/page")), NavigationDecision::Refuse);
    QCOMPARE(decide(QStringLiteral("http://held.test/page"), true, true), NavigationDecision::AskToPin);
    QCOMPARE(decide(QStringLiteral("javascript:void(0)")), NavigationDecision::RefuseJavascript);
    QCOMPARE(decide(QStringLiteral("file:///tmp/x.html?window.open(1)")), NavigationDecision::RefuseJavascript);
    QCOMPARE(decide(QStringLiteral("file:///tmp/saved.html")), NavigationDecision::Allow);
    QCOMPARE(decide(QStringLiteral("about:blank")), NavigationDecision::Allow);
    QCOMPARE(decide(QStringLiteral("http://other.test/frame"), false), NavigationDecision::Allow);
    QCOMPARE(decide(QStringLiteral("http://other.test/shown"), true, false, true), NavigationDecision::Allow);
  }

  void highlightingMarksAtMost32PerTermAndFindWraps() {
    auto library = home_.open();
    QVERIFY(library);
    PreviewWindow window(library->session, library->prompter);
    QWebEngineView* view = window.view();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    static_cast<PreviewPage*>(view->page())->expectProgramLoad();
    view->page()->setHtml(pageWithTerm(40), QUrl(QStringLiteral("file:///saved/page.html")));
    QVERIFY(loaded.wait(30000));
    // Page scripts are off; the application world still edits the page.
    QVERIFY(view->title() != QStringLiteral("scripts ran"));

    QCOMPARE(evaluate(view->page(), highlightScript({QStringLiteral("bramble"), QStringLiteral("grows")})).toInt(), 64);
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.querySelectorAll('span[id^=\"brambel_highlight_0_\"]').length")).toInt(), 32);
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.getElementById('brambel_highlight_0_31').textContent")).toString(),
             QStringLiteral("Bramble"));
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.getElementById('brambel_highlight_1_0').getAttribute('style')")).toString(),
             QStringLiteral("background: yellow; color: black;"));
    QCOMPARE(evaluate(view->page(), removeHighlightScript()).toInt(), 64);
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.querySelectorAll('span').length")).toInt(), 0);
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.body.innerText.indexOf('Bramble 0 grows here.') >= 0")).toBool(), true);

    QSignalSpy reports(&window, &PreviewWindow::findReported);
    auto find = [&](const QString& text) {
      window.findNext(text);
      return reports.wait(10000) ? reports.takeLast().at(0).toString() : QStringLiteral("timed out");
    };
    QCOMPARE(find(QStringLiteral("bramble 39")), QStringLiteral("Found"));
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.getElementById('brambel_search').textContent")).toString(),
             QStringLiteral("Bramble 39"));
    QCOMPARE(find(QStringLiteral("bramble 39")), QStringLiteral("Search Wrapped"));
    QCOMPARE(find(QStringLiteral("bramble 3")), QStringLiteral("Found"));
    QCOMPARE(find(QStringLiteral("bramble 3")), QStringLiteral("Found"));  // "Bramble 30"
    QCOMPARE(find(QStringLiteral("nowhere at all")), QStringLiteral("Not Found"));
    QCOMPARE(evaluate(view->page(), QStringLiteral("document.querySelectorAll('#brambel_search').length")).toInt(), 0);
  }

  void linksLeavingTheLibraryAreRefused() {
    auto library = home_.open({}, "Links");
    QVERIFY(library);
    PreviewWindow window(library->session, library->prompter);
    window.show();
    QWebEngineView* view = window.view();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    static_cast<PreviewPage*>(view->page())->expectProgramLoad();
    view->page()->setHtml(pageWithTerm(1), QUrl(QStringLiteral("file:///saved/page.html")));
    QVERIFY(loaded.wait(30000));
    const QUrl shown = view->url();
    evaluate(view->page(), QStringLiteral("document.getElementById('away').click()"));
    // A javascript: link is inert while page scripts are off (the engine never
    // navigates to it); a link whose address calls window.open is refused.
    evaluate(view->page(), QStringLiteral("document.getElementById('js').click()"));
    QTRY_COMPARE(library->prompter.notified, QStringList{QStringLiteral("minibrowserJavascript")});
    QTest::qWait(300);
    QCOMPARE(view->url(), shown);  // the unknown page was neither followed nor shown
  }
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  PreviewTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "preview_test.moc"

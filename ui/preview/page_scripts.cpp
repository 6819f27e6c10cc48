#include "ui/preview/page_scripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace brambel {
namespace {

QString jsString(const QString& text) {
  // A JSON array of one string is a valid JavaScript literal; take its element.
  QString array = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
  return array.mid(1, array.size() - 2);
}

// The page's text nodes outside scripts and styles, in document order.
const char kTextNodes[] = R"JS(
function brambelTextNodes() {
  var nodes = [];
  if (!document.body) return nodes;
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
    acceptNode: function(node) {
      var tag = node.parentNode ? node.parentNode.nodeName : '';
      return tag === 'SCRIPT' || tag === 'STYLE' ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT;
    }
  });
  while (walker.nextNode()) nodes.push(walker.currentNode);
  return nodes;
}
function brambelUnwrap(span) {
  var parent = span.parentNode;
  while (span.firstChild) parent.insertBefore(span.firstChild, span);
  parent.removeChild(span);
  parent.normalize();
}
)JS";

}  // namespace

QString highlightScript(const QStringList& terms) {
  QJsonArray list;
  for (const QString& term : terms) list.append(term);
  QString script = QString::fromLatin1(kTextNodes);
  script += QStringLiteral(R"JS(
(function(terms, most, maxSteps) {
  var made = 0;
  for (var i = 0; i < terms.length; ++i) {
    var term = terms[i].toLowerCase();
    if (!term) continue;
    var n = 0, steps = 0;
    var nodes = brambelTextNodes();
    for (var k = 0; k < nodes.length && n < most && steps < maxSteps; ++k) {
      var node = nodes[k];
      if (node.parentNode && node.parentNode.id && node.parentNode.id.indexOf('brambel_highlight') === 0) continue;
      var at = node.data.toLowerCase().indexOf(term);
      while (at >= 0 && n < most && steps < maxSteps) {
        ++steps;
        var match = node.splitText(at);
        var rest = match.splitText(term.length);
        var span = document.createElement('span');
        span.id = 'brambel_highlight_' + i + '_' + n;
        span.setAttribute('style', 'background: yellow; color: black;');
        match.parentNode.insertBefore(span, match);
        span.appendChild(match);
        ++n; ++made;
        node = rest;
        at = node.data.toLowerCase().indexOf(term);
      }
    }
  }
  return made;
}))JS");
  script += QStringLiteral("(%1, %2, %3);")
                .arg(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)))
                .arg(kHighlightsPerTerm)
                .arg(kHighlightStepsPerTerm);
  return script;
}

QString removeHighlightScript() {
  return QString::fromLatin1(kTextNodes) + QStringLiteral(R"JS(
(function() {
  var spans = document.querySelectorAll('span[id^="brambel_highlight"]');
  for (var i = 0; i < spans.length; ++i) brambelUnwrap(spans[i]);
  return spans.length;
})();)JS");
}

QString findScript(const QString& text, int from, bool wrap) {
  QString script = QString::fromLatin1(kTextNodes);
  script += QStringLiteral(R"JS(
(function(wanted, from, wrap) {
  var old = document.getElementById('brambel_search');
  if (old) brambelUnwrap(old);
  if (!wanted) return [0, 0];
  var nodes = brambelTextNodes();
  var text = '';
  var starts = [];
  for (var k = 0; k < nodes.length; ++k) { starts.push(text.length); text += nodes[k].data; }
  var lower = text.toLowerCase();
  wanted = wanted.toLowerCase();
  var status = 1;
  var at = lower.indexOf(wanted, from);
  if (at < 0 && wrap) { at = lower.indexOf(wanted); status = 2; }
  if (at < 0) return [0, 0];
  function place(offset, isEnd) {
    for (var k = nodes.length - 1; k >= 0; --k)
      if (starts[k] < offset || (!isEnd && starts[k] === offset)) return [nodes[k], offset - starts[k]];
    return [nodes[0], 0];
  }
  var start = place(at, false), end = place(at + wanted.length, true);
  var range = document.createRange();
  range.setStart(start[0], start[1]);
  range.setEnd(end[0], end[1]);
  var span = document.createElement('span');
  span.id = 'brambel_search';
  span.setAttribute('style', 'background: rgb(0,255,0);color: black;');
  span.appendChild(range.extractContents());
  range.insertNode(span);
  span.scrollIntoView({block: 'center'});
  return [status, at + wanted.length];
}))JS");
  script += QStringLiteral("(%1, %2, %3);").arg(jsString(text)).arg(from).arg(wrap ? "true" : "false");
  return script;
}

QString scriptErrorGuardScript() {
  return QStringLiteral(R"JS(
(function() {
  if (!document.body) return;
  document.body.insertAdjacentHTML('afterbegin',
    "&#xa0;<SCRIPT For='window' Event='onerror'>var noOp = null;</SCRIPT>");
  window.onerror = function() { return true; };
})();)JS");
}

}  // namespace brambel

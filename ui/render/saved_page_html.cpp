#include "ui/render/saved_page_html.h"

namespace brambel {

QByteArray savedPageForDisplay(const std::string& page, const QString& url) {
  QByteArray html = QByteArray::fromStdString(page);
  const QByteArray head = "<base href=\"" + url.toHtmlEscaped().toUtf8() +
                          "\"><meta http-equiv=\"Content-Type\" content=\"text/html\">";
  const qsizetype at = html.indexOf("<head");
  const qsizetype close = at >= 0 ? html.indexOf('>', at) : -1;
  if (close >= 0) html.insert(close + 1, head);
  else html.prepend(head);
  return html;
}

}  // namespace brambel

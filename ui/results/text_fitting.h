#pragma once

#include <QFontMetrics>
#include <QString>

namespace brambel {

// A line of text for `width` pixels: unchanged when it is at most
// width − width/8 wide; otherwise characters are cut from its end, as many at
// a time as the excess covers in average characters (at least one), until it
// fits, and "..." is appended.
QString fitText(const QString& text, int width, const QFontMetrics& metrics);

}  // namespace brambel

#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace brambel {

// A saved page made ready to open from a local file: a base address (so its
// relative links and images resolve against `url`) and a content-type
// declaration for "text/html" at the start of its head.
QByteArray savedPageForDisplay(const std::string& page, const QString& url);

}  // namespace brambel

#pragma once

#include <string>

namespace brambel {

// Code pages are Windows code-page numbers, whatever converter stands behind them.
inline constexpr int kCodePageAnsi = 0;      // the system code page, UTF-8 here
inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kCodePageDetect = -1;   // guess from the bytes

// The charset name declared by "charset=NAME" in the text (any case; the
// name may stand in quotes), or "".
std::string findCharset(const std::string& text);
std::u16string findCharset(const std::u16string& text);

// The code page of a charset name (case ignored), or -1 when not recognised.
int codePageForCharset(const std::string& charset);

// The code page the bytes appear to be in, or -1 when it cannot be guessed.
int detectCodePage(const std::string& text);

// Byte text in `codePage` (0 = the system code page, -1 = detect) as UTF-16.
// Bytes not valid in the code page become U+FFFD; bytes of a code page that
// has no converter, or that detection cannot place, are read as UTF-8.
std::u16string toWide(const std::string& text, int codePage);

// UTF-16 text as bytes in `codePage` (0 = the system code page). Characters
// the code page cannot hold, and lone surrogates, become "?"; the answer is
// empty when the code page has no converter.
std::string toNarrow(const std::u16string& text, int codePage);

// The bytes of one UTF-16 unit in `codePage` ("?" when the code page cannot
// hold it), or empty when the code page has no converter.
std::string charToBytes(char16_t character, int codePage);

}  // namespace brambel

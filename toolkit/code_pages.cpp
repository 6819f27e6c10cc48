#include "toolkit/code_pages.h"

#include <uchardet/uchardet.h>

#include <array>
#include <climits>
#include <memory>
#include <string_view>

#include "toolkit/ascii_case.h"
#include "toolkit/code_page_converter.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/utf8_conversion.h"

namespace brambel {
namespace {

template <typename Char>
bool isCharsetNameChar(Char c) {
  return isAsciiAlnum(c) || c == '_' || c == '-';
}

template <typename Char>
std::basic_string<Char> findCharsetIn(std::basic_string_view<Char> text) {
  constexpr std::string_view kKey = "charset";
  for (size_t equals = text.find('='); equals != text.npos; equals = text.find('=', equals + 1)) {
    if (equals < kKey.size() || !startsWithIgnoringCase(text, equals - kKey.size(), kKey)) continue;
    // The name may stand in quotes, as in <meta charset="utf-8">.
    size_t start = equals + 1;
    if (start < text.size() && (text[start] == '"' || text[start] == '\'')) ++start;
    size_t end = start;
    while (end < text.size() && isCharsetNameChar(text[end])) ++end;
    return std::basic_string<Char>(text.substr(start, end - start));
  }
  return {};
}

bool equalsIgnoringCase(std::string_view a, std::string_view lowerB) {
  return a.size() == lowerB.size() && startsWithIgnoringCase(a, 0, lowerB);
}

struct CharsetName {
  std::string_view name;  // lower case
  int codePage;
};

constexpr std::array<CharsetName, 8> kExactCharsetNames{{
    {"utf-8", 65001},
    {"shift-jis", 932},
    {"shift_jis", 932},
    {"x-sjis", 932},
    {"euc-jp", 51932},
    {"euc-kr", 949},
    {"big5", 10002},
    {"gb2312", 20936},
}};

// Names a detector gives that the declared-charset table does not know, or
// reads too loosely (its ISO pattern takes one digit of "iso-8859-15").
constexpr std::array<CharsetName, 12> kDetectedCharsetNames{{
    {"ascii", 20127},
    {"gb18030", 54936},
    {"iso-2022-jp", 50220},
    {"koi8-r", 20866},
    {"koi8-u", 21866},
    {"ibm866", 866},
    {"utf-16le", 1200},
    {"utf-16be", 1201},
    {"tis-620", 874},
    {"iso-8859-11", 874},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
}};

int parseCodePageNumber(const std::string& digits) {
  long long value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return -1;
  }
  return static_cast<int>(value);
}

bool isUtf8(int codePage) { return codePage == kCodePageUtf8 || codePage == kCodePageAnsi; }

int codePageForDetectedCharset(std::string_view name) {
  for (const CharsetName& entry : kDetectedCharsetNames) {
    if (equalsIgnoringCase(name, entry.name)) return entry.codePage;
  }
  return codePageForCharset(std::string(name));
}

}  // namespace

std::string findCharset(const std::string& text) { return findCharsetIn(std::string_view(text)); }

std::u16string findCharset(const std::u16string& text) { return findCharsetIn(std::u16string_view(text)); }

int codePageForCharset(const std::string& charset) {
  for (const CharsetName& entry : kExactCharsetNames) {
    if (equalsIgnoringCase(charset, entry.name)) return entry.codePage;
  }
  static const boost::regex windowsPattern("windows-([0-9]+)", boost::regex::perl | boost::regex::icase);
  static const boost::regex isoPattern("iso-88([0-9][0-9])-([0-9])", boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (guardedSearch(charset, match, windowsPattern)) return parseCodePageNumber(match.str(1));
  if (guardedSearch(charset, match, isoPattern)) {
    // ISO-8859-1 is read as its Windows superset.
    if (match.str(1) == "59" && match.str(2) == "1") return 1252;
    return 28000 + parseCodePageNumber(match.str(1) + match.str(2));
  }
  return -1;
}

int detectCodePage(const std::string& text) {
  std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                                          &uchardet_delete);
  if (!detector || text.empty()) return -1;
  if (uchardet_handle_data(detector.get(), text.data(), text.size()) != 0) return -1;
  uchardet_data_end(detector.get());
  const char* charset = uchardet_get_charset(detector.get());
  if (!charset || !*charset) return -1;
  return codePageForDetectedCharset(charset);
}

std::u16string toWide(const std::string& text, int codePage) {
  if (text.empty()) return {};
  if (codePage == kCodePageDetect) codePage = detectCodePage(text);
  if (!isUtf8(codePage)) {
    CodePageConverter converter(codePage);
    if (converter.valid()) return converter.toUtf16(text).value_or(std::u16string());
    // Bytes whose code page is unknown or cannot be guessed are most likely UTF-8.
  }
  return utf8ToUtf16(text).value_or(std::u16string());
}

std::string toNarrow(const std::u16string& text, int codePage) {
  if (text.empty()) return {};
  if (isUtf8(codePage)) return utf16ToUtf8(text).value_or(std::string());
  return CodePageConverter(codePage).fromUtf16(text).value_or(std::string());
}

std::string charToBytes(char16_t character, int codePage) {
  return CodePageConverter(codePage).fromUtf16(std::u16string_view(&character, 1)).value_or(std::string());
}

}  // namespace brambel

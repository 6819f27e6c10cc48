#include "toolkit/code_page_converter.h"

#include <unicode/ucnv.h>

#include <array>
#include <cstdint>

namespace brambel {
namespace {

struct NamedCodePage {
  int codePage;
  const char* converterName;
};

// Code pages whose converter is not simply "windows-N" or "ISO-8859-N". Some
// numbers stand for the charset the names map to, not the Windows page of
// that number: 10002 is what "big5" gives and 20936 what "gb2312" gives.
constexpr std::array<NamedCodePage, 17> kNamedCodePages{{
    {65001, "UTF-8"},
    {932, "Shift_JIS"},  // ibm-943_P15A-2003, the Windows form
    {51932, "EUC-JP"},
    {949, "windows-949"},
    {51949, "EUC-KR"},
    {10002, "Big5"},
    {950, "windows-950"},
    {20936, "GB2312"},
    {936, "windows-936"},
    {54936, "GB18030"},
    {50220, "ISO-2022-JP"},
    {20866, "KOI8-R"},
    {21866, "KOI8-U"},
    {20127, "US-ASCII"},
    {866, "ibm-866"},
    {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},
}};

constexpr int kIsoCodePageBase = 28590;  // 28591 is ISO-8859-1
constexpr int kLastIsoPart = 16;

// The converter counts in 32-bit lengths, and a unit may grow to four bytes.
constexpr size_t kLongestText = INT32_MAX / 4 - 4;

// Runs `convert(buffer, capacity, status)`, an ICU call that answers the full
// length, once more with a larger buffer when the first guess was too small.
template <typename Unit, typename Convert>
std::optional<std::basic_string<Unit>> convertGrowing(size_t guess, Convert convert) {
  std::basic_string<Unit> out(guess, Unit());
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = convert(out.data(), static_cast<int32_t>(out.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(static_cast<size_t>(length) + 1);
      continue;
    }
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<size_t>(length));
    return out;
  }
  return std::nullopt;
}

}  // namespace

std::string converterNameForCodePage(int codePage) {
  if (codePage == 0) return "UTF-8";
  for (const NamedCodePage& page : kNamedCodePages) {
    if (page.codePage == codePage) return page.converterName;
  }
  if (codePage > kIsoCodePageBase && codePage <= kIsoCodePageBase + kLastIsoPart) {
    return "ISO-8859-" + std::to_string(codePage - kIsoCodePageBase);
  }
  if (codePage > 0) return "windows-" + std::to_string(codePage);
  return "";
}

CodePageConverter::CodePageConverter(int codePage) {
  std::string name = converterNameForCodePage(codePage);
  if (name.empty()) return;
  UErrorCode status = U_ZERO_ERROR;
  converter_ = ucnv_open(name.c_str(), &status);
  if (U_FAILURE(status)) {
    converter_ = nullptr;
    return;
  }
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter_, "?", 1, &status);
}

CodePageConverter::~CodePageConverter() {
  if (converter_) ucnv_close(converter_);
}

std::optional<std::u16string> CodePageConverter::toUtf16(std::string_view bytes) {
  if (!converter_ || bytes.size() > kLongestText) return std::nullopt;
  return convertGrowing<char16_t>(bytes.size() + 2, [&](char16_t* out, int32_t capacity, UErrorCode* status) {
    return ucnv_toUChars(converter_, out, capacity, bytes.data(), static_cast<int32_t>(bytes.size()), status);
  });
}

std::optional<std::string> CodePageConverter::fromUtf16(std::u16string_view text) {
  if (!converter_ || text.size() > kLongestText) return std::nullopt;
  return convertGrowing<char>(text.size() * ucnv_getMaxCharSize(converter_) + 4,
                              [&](char* out, int32_t capacity, UErrorCode* status) {
                                return ucnv_fromUChars(converter_, out, capacity, text.data(),
                                                       static_cast<int32_t>(text.size()), status);
                              });
}

}  // namespace brambel

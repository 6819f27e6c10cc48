#include "toolkit/text_normalize.h"

#include <array>
#include <cstdint>

namespace brambel {
namespace {

enum CharacterClass : std::uint8_t { kKept = 0, kSeparator = 1, kRemoved = 2 };

// Classes of the code points below 9000; everything above is kept, except the
// byte-order mark.
constexpr char16_t kClassifiedLimit = 9000;
constexpr char16_t kByteOrderMark = 0xFEFF;

constexpr std::array<std::uint8_t, kClassifiedLimit> buildClassTable() {
  std::array<std::uint8_t, kClassifiedLimit> table{};
  auto separate = [&table](char16_t first, char16_t last) {
    for (char16_t c = first; c <= last; ++c) table[c] = kSeparator;
  };
  separate(0, 47);  // controls, space, "!" to "/"
  separate(58, 64);
  separate(91, 96);
  separate(123, 126);
  separate(160, 160);  // no-break space
  separate(0x2000, 0x200B);
  separate(0x202F, 0x202F);
  separate(0x205F, 0x205F);
  table[u'\''] = kRemoved;
  return table;
}

// Computed at compile time, so concurrent first use needs no guard.
constexpr std::array<std::uint8_t, kClassifiedLimit> kClasses = buildClassTable();

CharacterClass classify(char16_t c, bool quotesSeparate) {
  if (c == u'"') return quotesSeparate ? kSeparator : kKept;
  if (c < kClassifiedLimit) return static_cast<CharacterClass>(kClasses[c]);
  return c == kByteOrderMark ? kSeparator : kKept;
}

}  // namespace

std::u16string normalizeText(const std::u16string& text, bool quotesSeparate) {
  std::u16string out;
  out.reserve(text.size());
  bool separatorPending = false;
  for (char16_t c : text) {
    switch (classify(c, quotesSeparate)) {
      case kSeparator:
        separatorPending = true;
        break;
      case kRemoved:
        break;
      case kKept:
        // Only a separator between two kept characters survives, as one space.
        if (separatorPending && !out.empty()) out += u' ';
        separatorPending = false;
        out += c;
        break;
    }
  }
  return out;
}


}  // namespace brambel

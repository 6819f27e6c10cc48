#include "app/message_texts.h"

#include <array>

namespace brambel {

std::u16string FormatMessage(std::u16string_view text, std::u16string_view value) {
  static constexpr std::array<std::u16string_view, 3> kPlaceholders{u"%1!ld!", u"%d", u"%s"};
  for (std::u16string_view placeholder : kPlaceholders) {
    if (size_t at = text.find(placeholder); at != std::u16string_view::npos) {
      std::u16string formatted(text.substr(0, at));
      formatted += value;
      formatted += text.substr(at + placeholder.size());
      return formatted;
    }
  }
  return std::u16string(text);
}

}  // namespace brambel

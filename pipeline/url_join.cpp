#include "pipeline/url_join.h"

#include <optional>

#include "sources/page_text.h"
#include "toolkit/url_resolver.h"

namespace brambel {

std::u16string joinUrl(const std::u16string& base, const std::u16string& reference) {
  std::optional<std::string> joined = resolveUrl(toUtf8(base), toUtf8(reference));
  return joined ? fromUtf8(*joined) : std::u16string();
}

}  // namespace brambel

// What the search run parses from outside: result items built from pages,
// search-field text, URLs named by pages, and source parameters put into
// request paths. The first byte chooses the parser; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "search/item_to_result.h"
#include "search/search_commands.h"
#include "sources/http_endpoint.h"
#include "sources/request_parameters.h"
#include "toolkit/code_pages.h"

namespace {

constexpr size_t kMaxInput = 1 << 16;

// Attributes written "name\x01value\x02name\x01value...".
brambel::ResultItem itemFrom(const std::u16string& text) {
  brambel::ResultItem item;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\x02', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string field = text.substr(start, end - start);
    size_t split = field.find(u'\x01');
    item.add(field.substr(0, split), split == std::u16string::npos ? u"" : field.substr(split + 1));
    item.attributes.back().data = brambel::toNarrow(field, brambel::kCodePageUtf8);
    start = end + 1;
  }
  return item;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > kMaxInput) return 0;
  std::u16string text = brambel::toWide(std::string(reinterpret_cast<const char*>(data + 1), size - 1),
                                        brambel::kCodePageUtf8);
  switch (data[0] % 4) {
    case 0: {
      brambel::ItemContent content;
      brambel::SourceResult record = brambel::ItemToResult(itemFrom(text), 0, &content);
      if (record.title.empty() && !record.url.empty()) __builtin_trap();
      break;
    }
    case 1: {
      if (auto command = brambel::ParseSearchCommand(text)) {
        if (!command->argument.empty() && (command->argument.front() == u' ' || command->argument.back() == u' '))
          __builtin_trap();
      }
      brambel::IsTypedUrl(text);
      break;
    }
    case 2: {
      brambel::HttpEndpoint endpoint;
      std::u16string path;
      if (brambel::splitHttpUrl(text, endpoint, path)) {
        if (endpoint.host.empty() || path.empty() || path[0] != u'/' || endpoint.port > 65535) __builtin_trap();
        endpoint.baseUrl();
      }
      break;
    }
    case 3: {
      size_t split = text.find(u'\n');
      brambel::HttpSearchCursor cursor(20, brambel::HttpEndpoint{});
      std::u16string key = text.substr(0, split);
      std::u16string value = split == std::u16string::npos ? u"" : text.substr(split + 1);
      cursor.parameters[u"queryEncoding"] = key;
      std::u16string path = value;
      brambel::AppendQueryParameter(key, path, value, cursor);
      break;
    }
  }
  return 0;
}

// Source file text: parse, write, parse again to the same base key, and
// the file name made from its name stays a plain file name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/source_definition.h"
#include "formats/source_table.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::u16string text = brambel::toWide(std::string(reinterpret_cast<const char*>(data), size), brambel::kCodePageUtf8);
  size_t newline = text.find(u'\n');
  std::u16string name = text.substr(0, newline == std::u16string::npos ? text.size() : newline);
  brambel::SourceDefinition definition = brambel::ReadSourceDefinition(text, name);
  brambel::SourceDefinition again =
      brambel::ReadSourceDefinition(brambel::WriteSourceDefinition(definition), name);
  // A key with control characters is written with blanks in their place.
  bool plainKey = std::all_of(definition.baseKey.begin(), definition.baseKey.end(), [](char16_t c) { return c >= 0x20; });
  if (plainKey && again.baseKey != definition.baseKey) __builtin_trap();
  std::string fileName = brambel::sourceFileName(name);
  if (fileName.find('/') != std::string::npos || fileName == "." || fileName == ".." || fileName.size() > 255)
    __builtin_trap();
  return 0;
}

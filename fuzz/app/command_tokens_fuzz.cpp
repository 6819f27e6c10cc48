// Startup command lines from anywhere: tokens never hold a blank outside a
// quoted group's reach, and the parsed parameters come from the tokens.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/command_tokens.h"
#include "toolkit/code_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  std::u16string line = brambel::toWide(std::string(reinterpret_cast<const char*>(data), size), brambel::kCodePageUtf8);
  auto tokens = brambel::tokenizeCommandLine(line);
  bool quotes = line.find(u'"') != std::u16string::npos;
  size_t characters = 0;
  for (const auto& token : tokens) {
    characters += token.size();
    if (token.find(u'"') != std::u16string::npos) __builtin_trap();
    if (!quotes && (token.empty() || token.find(u' ') != std::u16string::npos)) __builtin_trap();
  }
  if (characters > line.size()) __builtin_trap();
  if (auto command = brambel::parseSourceCommand(tokens))
    if (command->source != tokens.front()) __builtin_trap();
  return 0;
}

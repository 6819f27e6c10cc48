// brambel-cli kv walk|get|put: reads and writes key-value files such as a
// library's "main__index.zurl" of per-URL marks.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "store/key_value_file.h"
#include "store/library_store.h"
#include "store/url_marks.h"
#include "toolkit/json_writer.h"

namespace brambel::cli {
namespace {

extern const CommandRegistration kWalk;
extern const CommandRegistration kGet;
extern const CommandRegistration kPut;

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string marksJson(std::string_view value) {
  auto marks = UrlMarks::decode(value);
  if (!marks) return "null";
  return JsonObjectWriter()
      .add("recordId", marks->recordId)
      .add("clickDate", marks->clickDate)
      .add("hoverDate", marks->hoverDate)
      .add("ignored", marks->isIgnored())
      .add("indexed", marks->isIndexed())
      .add("permanent", marks->isPermanent())
      .str();
}

std::unique_ptr<KeyValueFile> openForReading(CommandContext& context, const std::string& path) {
  KeyValueFile::Options options;
  options.readOnly = true;
  auto file = std::make_unique<KeyValueFile>(path, options);
  if (!file->isValid()) {
    context.err << "brambel-cli: " << path << ": not a readable key-value file\n";
    return nullptr;
  }
  return file;
}

int runWalk(CommandContext& context) {
  const bool asText = context.args.flag("text");
  const bool asMarks = context.args.flag("marks");
  int status = 0;
  auto words = takeWords(context, kWalk, 1, 1, status);
  if (!words) return status;
  auto file = openForReading(context, (*words)[0]);
  if (!file) return 1;
  const bool walked = file->Walk([&](std::string_view key, std::string_view value) {
    JsonObjectWriter line;
    line.add("key", key).add("size", value.size());
    if (asMarks) line.add("url", LibraryStore::urlOfMarkKey(key)).addRaw("marks", marksJson(value));
    if (asText) line.add("value", value);
    else line.add("hex", hex(value));
    context.out << line.str() << "\n";
    return true;
  });
  if (!walked) {
    context.err << "brambel-cli: " << (*words)[0] << ": the tree cannot be read\n";
    return 1;
  }
  return 0;
}

int runGet(CommandContext& context) {
  const bool asHex = context.args.flag("hex");
  int status = 0;
  auto words = takeWords(context, kGet, 2, 2, status);
  if (!words) return status;
  auto file = openForReading(context, (*words)[0]);
  if (!file) return 1;
  auto value = file->Get((*words)[1]);
  if (!value) {
    context.err << "brambel-cli: no value for key \"" << (*words)[1] << "\"\n";
    return 1;
  }
  if (asHex) context.out << hex(*value) << "\n";
  else context.out << *value;
  return 0;
}

int runPut(CommandContext& context) {
  KeyValueFile::Options options;
  options.keyLength = LibraryStore::kMarksKeyLength;
  options.minimumDegree = LibraryStore::kMarksMinimumDegree;
  auto keyLength = context.args.number("key-length");
  auto degree = context.args.number("degree");
  options.compress = context.args.flag("compress");
  int status = 0;
  auto words = takeWords(context, kPut, 2, 3, status);
  if (!words) return status;
  if (keyLength) options.keyLength = static_cast<int32_t>(std::min<long long>(*keyLength, INT32_MAX));
  if (degree) options.minimumDegree = static_cast<int32_t>(std::min<long long>(*degree, INT32_MAX));
  std::optional<std::string> value;
  if (words->size() == 3) value = (*words)[2];
  else value = readInput(std::nullopt, context.err);
  if (!value) return 1;
  KeyValueFile file((*words)[0], options);
  if (!file.isValid()) {
    context.err << "brambel-cli: " << (*words)[0] << ": cannot open or create the key-value file\n";
    return 1;
  }
  if (!file.Put((*words)[1], *value)) {
    context.err << "brambel-cli: cannot store key \"" << (*words)[1] << "\" (empty key, 0 byte, or write failed)\n";
    return 1;
  }
  return 0;
}

const CommandRegistration kWalk{"kv", "walk", "FILE [--text] [--marks]",
                                "every key and value in key order, one JSON object per line (value in hex "
                                "unless --text; --marks decodes per-URL marks)",
                                &runWalk};
const CommandRegistration kGet{"kv", "get", "FILE KEY [--hex]", "the value of KEY as stored (or in hex)", &runGet};
const CommandRegistration kPut{"kv", "put", "FILE KEY [VALUE] [--key-length K] [--degree T] [--compress]",
                               "stores VALUE (or standard input) under KEY, creating the file if needed "
                               "(new files: k = 32, t = 10 unless given)",
                               &runPut};

}  // namespace
}  // namespace brambel::cli

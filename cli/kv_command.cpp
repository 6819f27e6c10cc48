// brambel-cli kv walk|get|put: reads and writes key-value files such as a
// library's "main__index.zurl" of per-URL marks.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/json_output.h"
#include "store/key_value_file.h"
#include "store/library_store.h"
#include "store/url_marks.h"

namespace brambel::cli {
namespace {

struct KeyValueArguments {
  std::string file;
  std::string key;
  std::optional<std::string> value;
  bool text = false;
  bool marks = false;
  bool hex = false;
  std::optional<int32_t> keyLength;
  std::optional<int32_t> degree;
  bool compress = false;
};

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

Json marksJson(std::string_view value) {
  auto marks = UrlMarks::decode(value);
  if (!marks) return nullptr;
  return {{"recordId", marks->recordId},         {"clickDate", marks->clickDate},
          {"hoverDate", marks->hoverDate},       {"ignored", marks->isIgnored()},
          {"indexed", marks->isIndexed()},       {"permanent", marks->isPermanent()}};
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

int runWalk(const KeyValueArguments& args, CommandContext& context) {
  auto file = openForReading(context, args.file);
  if (!file) return 1;
  const bool walked = file->Walk([&](std::string_view key, std::string_view value) {
    Json line{{"key", key}, {"size", value.size()}};
    if (args.marks) {
      line["url"] = utf8(LibraryStore::urlOfMarkKey(key));
      line["marks"] = marksJson(value);
    }
    if (args.text) line["value"] = value;
    else line["hex"] = hex(value);
    context.out << jsonText(line) << "\n";
    return true;
  });
  if (!walked) {
    context.err << "brambel-cli: " << args.file << ": the tree cannot be read\n";
    return 1;
  }
  return 0;
}

int runGet(const KeyValueArguments& args, CommandContext& context) {
  auto file = openForReading(context, args.file);
  if (!file) return 1;
  auto value = file->Get(args.key);
  if (!value) {
    context.err << "brambel-cli: no value for key \"" << args.key << "\"\n";
    return 1;
  }
  if (args.hex) context.out << hex(*value) << "\n";
  else context.out << *value;
  return 0;
}

int runPut(const KeyValueArguments& args, CommandContext& context) {
  KeyValueFile::Options options;
  options.keyLength = args.keyLength.value_or(LibraryStore::kMarksKeyLength);
  options.minimumDegree = args.degree.value_or(LibraryStore::kMarksMinimumDegree);
  options.compress = args.compress;
  std::optional<std::string> value = args.value ? args.value : readInput(std::nullopt, context.err);
  if (!value) return 1;
  KeyValueFile file(args.file, options);
  if (!file.isValid()) {
    context.err << "brambel-cli: " << args.file << ": cannot open or create the key-value file\n";
    return 1;
  }
  if (!file.Put(args.key, *value)) {
    context.err << "brambel-cli: cannot store key \"" << args.key << "\" (empty key, 0 byte, or write failed)\n";
    return 1;
  }
  return 0;
}

// Adds the command `name` of the kv group, on arguments of its own, with FILE declared.
std::pair<CLI::App*, std::shared_ptr<KeyValueArguments>> addKeyValueCommand(
    CommandLine& line, const std::string& name, const std::string& description,
    int (*run)(const KeyValueArguments&, CommandContext&)) {
  auto args = std::make_shared<KeyValueArguments>();
  CLI::App& command =
      line.command(line.group("kv", "the library's key-value files"), name, description,
                   [args, run](CommandContext& context) { return run(*args, context); });
  command.add_option("FILE", args->file, "the key-value file")->required();
  return {&command, args};
}

const CommandRegistration kKeyValue([](CommandLine& line) {
  auto [walk, walkArgs] = addKeyValueCommand(
      line, "walk",
      "every key and value in key order, one JSON object per line (value in hex unless --text; --marks decodes "
      "per-URL marks)",
      &runWalk);
  walk->add_flag("--text", walkArgs->text, "print values as text instead of hex");
  walk->add_flag("--marks", walkArgs->marks, "decode values as per-URL marks");

  auto [get, getArgs] = addKeyValueCommand(line, "get", "the value of KEY as stored (or in hex)", &runGet);
  get->add_option("KEY", getArgs->key, "the key")->required();
  get->add_flag("--hex", getArgs->hex, "print the value in hex");

  auto [put, putArgs] = addKeyValueCommand(
      line, "put",
      "stores VALUE (or standard input) under KEY, creating the file if needed (new files: k = 32, t = 10 unless "
      "given)",
      &runPut);
  put->add_option("KEY", putArgs->key, "the key")->required();
  put->add_option("VALUE", putArgs->value, "the value (default: standard input)");
  put->add_option("--key-length", putArgs->keyLength, "key length of a new file (0: the default of 9)")
      ->type_name("K")
      ->check(CLI::Range(0, INT32_MAX));
  put->add_option("--degree", putArgs->degree, "minimum degree of a new file (0: chosen from the key length)")
      ->type_name("T")
      ->check(CLI::Range(0, INT32_MAX));
  put->add_flag("--compress", putArgs->compress, "compress the values of a new file");
});

}  // namespace
}  // namespace brambel::cli

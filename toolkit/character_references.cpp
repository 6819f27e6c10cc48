#include "toolkit/character_references.h"

#include <array>
#include <type_traits>

namespace brambel {
namespace {

struct Entity {
  std::u16string_view name;
  char16_t replacement;
};

// Small enough that a linear scan beats any map; fixed at compile time, so
// concurrent first use needs no guard.
constexpr std::array<Entity, 13> kEntities{{
    {u"quot", u'\u0022'},
    {u"gt", u'\u003E'},
    {u"lt", u'\u003C'},
    {u"lsquo", u'\u2018'},
    {u"rsquo", u'\u2019'},
    {u"ldquo", u'\u201C'},
    {u"rdquo", u'\u201D'},
    {u"amp", u'\u0026'},
    {u"apos", u'\u0027'},
    {u"ndash", u'\u2013'},
    {u"mdash", u'\u2014'},
    {u"#039", u'\u0027'},
    {u"#146", u'\u0027'},
}};

template <typename Char>
bool sameName(std::u16string_view entityName, std::basic_string_view<Char> name) {
  if (entityName.size() != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (entityName[i] != static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(name[i]))) return false;
  }
  return true;
}

template <typename Char>
std::optional<char16_t> lookup(std::basic_string_view<Char> name) {
  for (const Entity& entity : kEntities) {
    if (sameName(entity.name, name)) return entity.replacement;
  }
  return std::nullopt;
}

}  // namespace

std::optional<char16_t> entityReplacement(std::u16string_view name) { return lookup(name); }
std::optional<char16_t> entityReplacement(std::string_view name) { return lookup(name); }

}  // namespace brambel

// Registering and removing path variables. Names compare with only ASCII a-z folded.
#include "path/path_table.h"

#include <memory>
#include <new>

#include <basalt/path_util.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace detail {
namespace {

std::unique_ptr<std::vector<PathVariable>> g_table;

std::vector<PathVariable>* Find(std::u16string_view name, size_t* index) {
  if (!g_table) return nullptr;
  for (size_t i = 0; i < g_table->size(); ++i) {
    if (Text16::EqualsAsciiI((*g_table)[i].name, name)) {
      *index = i;
      return g_table.get();
    }
  }
  return nullptr;
}

std::u16string_view Cut(std::u16string_view text, size_t units) { return text.substr(0, std::min(text.size(), units)); }

}  // namespace

bool PathTableExists() { return g_table != nullptr; }

const std::vector<PathVariable>& PathVariables() {
  static const std::vector<PathVariable> none;
  return g_table ? *g_table : none;
}

std::optional<std::u16string_view> FindPathVariable(std::u16string_view name) {
  size_t index;
  if (Find(name, &index)) return std::u16string_view((*g_table)[index].path);
  return std::nullopt;
}

}  // namespace detail

void PathUtil::_CleanPath() { detail::g_table.reset(); }

int PathUtil::_RegisterPath(const char16_t* name, const char16_t* path) {
  // An empty name would read as the end of the table to anyone walking it.
  if (!name || !*name) return 0;
  std::u16string_view cutName = detail::Cut(Text16::View16(name), kNameUnits - 1);
  size_t index;
  if (detail::Find(cutName, &index)) return 0;
  try {
    if (!detail::g_table) detail::g_table = std::make_unique<std::vector<detail::PathVariable>>();
    detail::g_table->push_back(
        {std::u16string(cutName), std::u16string(detail::Cut(Text16::View16(path), kPathUnits - 1))});
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int PathUtil::_UnregisterPath(const char16_t* name) {
  size_t index;
  if (!name || !detail::Find(detail::Cut(Text16::View16(name), kNameUnits - 1), &index)) return 0;
  detail::g_table->erase(detail::g_table->begin() + static_cast<std::ptrdiff_t>(index));
  return 1;
}

int PathUtil::_IsRegisterPath(const char16_t* name) {
  size_t index;
  return name && detail::Find(detail::Cut(Text16::View16(name), kNameUnits - 1), &index) ? 1 : 0;
}

}  // namespace Basalt::Util

// The process-wide table of path variables.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "basalt/export.h"

namespace Basalt::Util::detail {

struct PathVariable {
  std::u16string name;  // at most 15 units
  std::u16string path;  // at most 259 units
};

// Whether the table exists (from start-up or the first registration until it is cleaned).
bool PathTableExists();
// The entries in registration order; empty when the table does not exist.
BASALT_TEST_API const std::vector<PathVariable>& PathVariables();
// The folder of a variable; nothing when the name is unknown or the table absent.
std::optional<std::u16string_view> FindPathVariable(std::u16string_view name);

}  // namespace Basalt::Util::detail

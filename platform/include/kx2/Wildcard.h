// File-name wildcards as Windows searches use them.
#pragma once

#include <string_view>

#include "win/types.h"

namespace kx2 {

// "*" matches any run of characters, "?" exactly one; letters compare without regard to
// case. "*.*" matches every name (with or without a dot), and a pattern ending in "."
// after a wildcard matches only names without an extension.
KX2_API bool MatchWildcard(std::u16string_view pattern, std::u16string_view name);

}  // namespace kx2

// Where the user's language setting comes from: the settings store, unless a reader is
// installed in its place (tests use this to pick a language).
#pragma once

#include <cstdint>
#include "basalt/export.h"

namespace Basalt::Util::detail {

// Returns true and the language id when the settings hold one.
using UserLanguageReader = bool (*)(uint32_t* lcid);

// Installs a reader (null: the settings store again) and forgets the language read so far.
BASALT_TEST_API void SetUserLanguageReader(UserLanguageReader reader);

}  // namespace Basalt::Util::detail

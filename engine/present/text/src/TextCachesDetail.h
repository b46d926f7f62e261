// Creation and shutdown of the text-layer caches, run by the font configuration.
#pragma once

namespace Present::Text::detail {

bool CreateTextCaches();
void DestroyTextCaches();

}  // namespace Present::Text::detail

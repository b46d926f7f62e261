// The engine's start only names the folder of its font configuration: enumerating the
// system's faces and reading the files costs more than many whole commands that never draw
// text, so the configuration is loaded by whatever reads it first. Every reader of the font
// table, the configuration state and the text caches goes through EnsureFontConfiguration.
#pragma once

namespace Present::Text::detail {

// True between the engine's start and the first read of the configuration.
extern bool g_fontConfigurationPending;

// Loads the configuration the start asked for; the caller's error records are kept as they
// were, as the load is no part of what the caller asked.
void LoadPendingFontConfiguration();

inline void EnsureFontConfiguration() {
  if (g_fontConfigurationPending) LoadPendingFontConfiguration();
}

}  // namespace Present::Text::detail

// The engine's start only names the folder of its font configuration: enumerating the
// system's faces and reading the files costs more than many whole commands that never draw
// text, so the configuration is loaded by whatever reads it first. Every reader of the font
// table, the configuration state and the text caches goes through EnsureFontConfiguration.
//
// Text is drawn from several threads, so the first reads may come together: one thread
// loads while the others wait for it, and none sees the state half built. The flag stays
// set until the load is over; the loading thread's own reads pass through.
#pragma once

#include <atomic>

namespace Present::Text::detail {

// True between the engine's start and the end of the first load of the configuration.
extern std::atomic<bool> g_fontConfigurationPending;

// Loads the configuration the start asked for, once; the caller's error records are kept
// as they were, as the load is no part of what the caller asked.
void LoadPendingFontConfiguration();

inline void EnsureFontConfiguration() {
  if (g_fontConfigurationPending.load(std::memory_order_acquire)) LoadPendingFontConfiguration();
}

}  // namespace Present::Text::detail

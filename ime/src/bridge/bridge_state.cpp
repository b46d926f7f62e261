// The bridge's globals and their end.
#include "bridge/bridge_state.h"

#include <cstring>

#include <win/module.h>

#include "classes/class_set.h"
#include "dispatch/languages.h"
#include "openclose/open_close.h"

namespace quel {
namespace {

tagImeSystemInfo g_info{};
bool g_infoFilled = false;

}  // namespace

Bridge& TheBridge() {
  static Bridge bridge;
  return bridge;
}

tagImeSystemInfo& Info() { return g_info; }
bool& InfoFilled() { return g_infoFilled; }

tagImeInputState* InputState() {
  tagImeWindowBlock* block = TheBridge().block;
  return block ? static_cast<tagImeInputState*>(block->slots[0]) : nullptr;
}

uint32_t LanguageWord() {
  const tagImeInputState* state = InputState();
  return state ? state->languageWord : 0;
}

uint32_t CurrentLanguage() { return LanguageWord() & 0xFFFF; }

bool OnBridgeThread() {
  const Bridge& b = TheBridge();
  return b.window && b.thread == GetCurrentThreadId();
}

void ClearBuffer(BufferIndex index) {
  if (tagImeInputState* state = InputState()) std::memset(&state->buffers[index], 0, sizeof(tagImeCompBuffer));
}

void ClearAllBuffers() {
  if (tagImeInputState* state = InputState()) std::memset(state->buffers, 0, sizeof state->buffers);
}

void ShutDownBridge() {
  Bridge& b = TheBridge();
  HWND window = b.window;
  tagImeWindowBlock* block = b.block;
  // The window must never see its block again: clear the slot, then free.
  if (window && b.thread == GetCurrentThreadId() && IsWindow(window)) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  b.block = nullptr;
  if (block) {
    for (int i = 0; i < 8; ++i) {
      if (block->slots[kModuleSlotBase + i]) FreeLibrary(static_cast<HMODULE>(block->slots[kModuleSlotBase + i]));
    }
    delete static_cast<tagImeInputState*>(block->slots[0]);
    delete block;
  }
  b.window = nullptr;
  // Only the window's own thread may destroy it; from elsewhere it is left to its thread.
  if (window && b.thread == GetCurrentThreadId() && IsWindow(window)) DestroyWindow(window);
  b = Bridge{};
}

void ResetBridgeForTests() {
  ShutDownBridge();
  g_info = tagImeSystemInfo{};
  g_infoFilled = false;
  ResetLanguages();
  ResetClassSet();
  ResetOpenCloseState();
}

}  // namespace quel

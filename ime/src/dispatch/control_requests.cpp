// Control requests (QUEL_WM_CONTROL): reading and changing the bridge's state, selecting
// languages, ending compositions and shutting down.
#include <cstring>

#include <win/module.h>

#include "compose/composition.h"
#include "dispatch/control.h"
#include "dispatch/languages.h"
#include "openclose/open_close.h"

namespace quel {
namespace {

constexpr uint32_t kNothing = 0xFFFF;

int32_t PassToHandler(HWND window, uint32_t subCode, uint32_t operation, LPARAM value) {
  InputHandler handler = CurrentHandler();
  if (!handler) return 0;
  return handler(window, QUEL_WM_CONTROL, (static_cast<WPARAM>(subCode) << 16) | operation, value);
}

// Sub-code 0x0004 operation 0x0010: the system handler for a language whose input-module
// or handler slot is empty.
void InstallHandler(LPARAM value) {
  Bridge& b = TheBridge();
  uint32_t code = static_cast<uint32_t>(value) & 0xFFFF;
  if (b.cjkBlock && (code == 0 || IsCjkCode(code))) code = kEnglish;
  const int index = LanguageIndex(code);
  if (index < 0 || !b.block) return;
  void*& module = b.block->slots[kModuleSlotBase + index];
  void*& handler = b.block->slots[kHandlerSlotBase + index];
  if (!module || !handler) handler = reinterpret_cast<void*>(&SystemHandler);
}

// Sub-code 0x0004 operation 0x0020: frees input-module handles. Only language indexes
// count: the host's value never reaches other slots of the block.
int32_t FreeModules(LPARAM value) {
  Bridge& b = TheBridge();
  if (static_cast<uint32_t>(value) == kNothing) return 0;
  if (!b.block) return 0;
  auto free = [&](int index) {
    void*& slot = b.block->slots[kModuleSlotBase + index];
    if (slot) FreeLibrary(static_cast<HMODULE>(slot));
    slot = nullptr;
  };
  if (value == -1 || static_cast<uint32_t>(value) == 0xFFFFFFFFu) {
    for (int index = 0; index < 8; ++index) free(index);
    return 3;
  }
  if ((value >= 0 && value < 8) || value == 38) {
    free(static_cast<int>(value));
    return 3;
  }
  return 0;
}

int32_t CachedRecordValue() {
  Bridge& b = TheBridge();
  if (b.cachedB != -1) return b.cachedB;
  const tagImeLangRecord* record = LanguageRecord(LanguageIndex(CurrentLanguage()));
  if (!record || !InputState()) return 0;
  b.cachedB = record->values[4];
  return b.cachedB;
}

}  // namespace

int32_t EndComposition(HWND window) {
  InputHandler handler = CurrentHandler();
  if (!handler) return 0;
  const int answer = handler(window, WM_KILLFOCUS, 0, 0);
  if (answer & kSendComposition) SendComposition(window);
  return answer;
}

int32_t ApplyMode(HWND window, LPARAM mode) {
  if (OpenCloseProc procedure = ChooseOpenCloseProc()) procedure(GetFocus(), mode == 0x20 ? 1 : 0);
  return PassToHandler(window, 0x0007, 0x0008, mode);
}

int32_t SelectLanguage(LPARAM value) {
  Bridge& b = TheBridge();
  uint32_t code = b.disabled ? kNothing : static_cast<uint32_t>(value) & 0xFFFF;
  if (b.cjkBlock && (code == 0 || IsCjkCode(code))) code = kEnglish;
  tagImeInputState* state = InputState();
  if (code == kNothing || !state) return 0;
  if (InputHandler handler = state->handler) {
    if (handler(b.served, WM_KILLFOCUS, 0, 0) & kSendComposition) SendComposition(GetFocus());
  }
  const int index = LanguageIndex(code);
  if (index >= 0 && (index >= 8 || !b.block->slots[kModuleSlotBase + index])) InstallHandler(code);
  b.cachedB = -1;
  const tagImeLangRecord* record = LanguageRecord(index);
  const uint32_t mode = record ? static_cast<uint32_t>(record->values[0]) : kDefaultMode;
  std::memset(state, 0, sizeof *state);
  state->size = sizeof *state;
  state->languageWord = code | (mode << 16);
  state->handler = index >= 0 ? reinterpret_cast<InputHandler>(b.block->slots[kHandlerSlotBase + index]) : nullptr;
  const int32_t modeAnswer = code == kSystemMethod ? 0x20 : PassToHandler(b.served, 0x0007, 0x0002, 0);
  const bool open = code == kSystemMethod || ((modeAnswer & 0xF0) == 0x20);
  if (OpenCloseProc procedure = ChooseOpenCloseProc()) procedure(b.served, open ? 1 : 0);
  // The new word's mode is applied (the open/close procedure again, then the handler).
  ApplyMode(b.served, (state->languageWord >> 16) & 0xFF);
  return 1;
}

void ReselectLanguage() { SelectLanguage(static_cast<LPARAM>(CurrentLanguage())); }

LRESULT ControlRequest(HWND window, uint32_t subCode, uint32_t operation, LPARAM value) {
  Bridge& b = TheBridge();
  switch (subCode) {
    case 0x0001:
      switch (operation) {
        case 0x0002:
          return reinterpret_cast<LRESULT>(b.window);
        case 0x0040:
          ReselectLanguage();
          return 3;
        case 0x0800:
          return EndComposition(window);
        case 0x8000:
          b.shutdownPending = true;
          return 3;
        default:  // 0x1000 is reserved
          return 0;
      }
    case 0x0003:
      if (operation != 0x0002 || !value) return 0;
      std::memcpy(reinterpret_cast<void*>(value), &LanguageSet(), sizeof(tagImeLangSet));
      return 0;
    case 0x0004:
      switch (operation) {
        case 0x0002:
          return static_cast<int32_t>(CurrentLanguage());
        case 0x0008:
          return SelectLanguage(value);
        case 0x0010:
          InstallHandler(value);
          return 3;
        case 0x0020:
          return FreeModules(value);
        case 0x8042:
          return b.cjkBlock;
        case 0x8048:
          b.cjkBlock = static_cast<int32_t>(value);
          return 0;
        default:
          return 0;
      }
    case 0x0007:
      switch (operation) {
        case 0x0002:
          return CurrentLanguage() == kSystemMethod ? 32 : PassToHandler(window, subCode, operation, value);
        case 0x0008:
          return ApplyMode(window, value);
        default:
          return 0;
      }
    case 0x000B:
      if (operation == 0x0002) return CachedRecordValue();
      if (operation == 0x0008) {
        if (static_cast<int32_t>(value) == b.cachedB) return 0;
        b.cachedB = static_cast<int32_t>(value);
        return 1;
      }
      return 0;
    case 0x0011:
      if (operation == 0x0002) return b.valueA;
      if (operation == 0x0008) b.valueA = static_cast<int32_t>(value);
      return 0;
    case 0x0012:
      if (operation == 0x0042) return b.disabled ? 1 : 0;
      if (operation == 0x0048) b.disabled = value != 0;
      return 0;
    case 0x0013:
      return operation == 0x2000 ? 0 : PassToHandler(window, subCode, operation, value);
    case 0x001A:
      return operation == 0x0002 ? static_cast<int32_t>(value) : 0;
    case 0x001C:
      switch (operation) {
        case 0x0002:
          return value ? CopyStash(reinterpret_cast<uint16_t*>(value)) : 0;
        case 0x0008:
          if (value) StashString(reinterpret_cast<const uint16_t*>(value));
          return 0;
        case 0x0020:
          ClearStash();
          return 0;
        case 0x0042:
          return b.stashPresent ? 1 : 0;
        case 0x0800:
          FlushStash(GetFocus());
          return 0;
        default:
          return 0;
      }
    case 0x0005:
    case 0x0008:
    case 0x0009:
    case 0x000A:
    case 0x000E:
    case 0x000F:
    case 0x0010:
    case 0x0014:
    case 0x0015:
    case 0x0016:
    case 0x0017:
    case 0x001F:
    case 0x0020:
    case 0x0021:
    case 0x0022:
      return PassToHandler(window, subCode, operation, value);
    default:  // 0x0002, 0x0006, 0x000C, 0x000D, 0x0018, 0x0019, 0x001B, 0x001D, 0x001E, others
      return 0;
  }
}

}  // namespace quel

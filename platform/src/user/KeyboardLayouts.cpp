// Keyboard layouts: the installed list, each thread's active layout, keyboard types.
#include <map>
#include <mutex>

#include "kx2/ErrorBoundary.h"
#include "kx2/ImeScript.h"
#include "user/Keyboard.h"
#include "win/nls.h"

namespace kx2::user {
namespace {

constexpr LayoutInfo kLayouts[] = {
    {0x04090409, 0, false},   {0x04110411, 128, false}, {0xE0010411, 128, true},
    {0x04120412, 129, false}, {0xE0010412, 129, true},  {0x08040804, 134, false},
    {0xE0010804, 134, true},  {0x04040404, 136, false}, {0xE0010404, 136, true},
};
constexpr DWORD kUs = 0x04090409;

HKL AsHkl(DWORD id) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(id)); }
DWORD IdOf(HKL hkl) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(hkl);
  return value > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(value);
}

struct Layouts {
  std::mutex lock;
  std::map<DWORD, DWORD> byThread;                    // thread id -> layout id
  std::map<DWORD, std::pair<int, int>> typeOverride;  // layout id -> type, subtype
};

Layouts& State() {
  static auto* state = new Layouts;
  return *state;
}

// The input-method layout of the user's language, else US.
DWORD StartingLayout() {
  const LANGID lang = static_cast<LANGID>(GetUserDefaultLCID() & 0xFFFF);
  switch (lang & 0x3FF) {
    case 0x11:
      return 0xE0010411;
    case 0x12:
      return 0xE0010412;
    case 0x04:
      // Simplified for China and Singapore; Traditional for Taiwan, Hong Kong, Macao.
      return (lang == 0x0804 || lang == 0x1004) ? 0xE0010804 : 0xE0010404;
    default:
      return kUs;
  }
}

thread_local DWORD t_layout = 0;

DWORD ThreadLayout() {
  if (!t_layout) {
    t_layout = StartingLayout();
    std::lock_guard<std::mutex> guard(State().lock);
    State().byThread[GetCurrentThreadId()] = t_layout;
  }
  return t_layout;
}

}  // namespace

const LayoutInfo* FindLayout(HKL hkl) {
  const DWORD id = IdOf(hkl);
  for (const LayoutInfo& layout : kLayouts)
    if (layout.id == id && reinterpret_cast<uintptr_t>(hkl) == id) return &layout;
  return nullptr;
}

HKL CurrentLayout() { return AsHkl(ThreadLayout()); }

bool CurrentLayoutIsIme() {
  const LayoutInfo* layout = FindLayout(CurrentLayout());
  return layout && layout->ime;
}

WORD LayoutLanguage(HKL hkl) { return static_cast<WORD>(IdOf(hkl) & 0x3FF); }

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT HKL GetKeyboardLayout(DWORD idThread) {
  if (idThread == 0 || idThread == GetCurrentThreadId()) return CurrentLayout();
  std::lock_guard<std::mutex> guard(State().lock);
  auto it = State().byThread.find(idThread);
  return AsHkl(it != State().byThread.end() ? it->second : StartingLayout());
}

KX2_EXPORT HKL ActivateKeyboardLayout(HKL hkl, UINT Flags) {
  (void)Flags;
  return kx2::Guard(HKL{nullptr}, [&]() -> HKL {
    const DWORD previous = ThreadLayout();
    DWORD next = 0;
    const uintptr_t raw = reinterpret_cast<uintptr_t>(hkl);
    if (raw == HKL_NEXT || raw == HKL_PREV) {
      constexpr size_t count = sizeof kLayouts / sizeof kLayouts[0];
      size_t at = 0;
      while (at < count && kLayouts[at].id != previous) ++at;
      at = raw == HKL_NEXT ? (at + 1) % count : (at + count - 1) % count;
      next = kLayouts[at].id;
    } else if (FindLayout(hkl)) {
      next = IdOf(hkl);
    } else {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    t_layout = next;
    {
      std::lock_guard<std::mutex> guard(State().lock);
      State().byThread[GetCurrentThreadId()] = next;
    }
    return AsHkl(previous);
  });
}

KX2_EXPORT int GetKeyboardLayoutList(int nBuff, HKL* lpList) {
  constexpr int count = static_cast<int>(sizeof kLayouts / sizeof kLayouts[0]);
  if (nBuff <= 0 || !lpList) return count;
  const int copied = nBuff < count ? nBuff : count;
  for (int i = 0; i < copied; ++i) lpList[i] = AsHkl(kLayouts[i].id);
  return copied;
}

KX2_EXPORT int GetKeyboardType(int nTypeFlag) {
  const DWORD layout = ThreadLayout();
  int type = 4, subtype = 0;
  switch (layout & 0x3FF) {
    case 0x11:
      type = 7;
      subtype = 2;
      break;
    case 0x12:
      type = 8;
      subtype = 3;
      break;
    default:
      break;
  }
  {
    std::lock_guard<std::mutex> guard(State().lock);
    auto it = State().typeOverride.find(layout);
    if (it != State().typeOverride.end()) std::tie(type, subtype) = it->second;
  }
  switch (nTypeFlag) {
    case 0:
      return type;
    case 1:
      return subtype;
    case 2:
      return 12;
    default:
      return 0;
  }
}

KX2_EXPORT void Kx2SetKeyboardType(HKL hkl, int type, int subtype) {
  std::lock_guard<std::mutex> guard(State().lock);
  const DWORD id = IdOf(hkl);
  if (type < 0)
    State().typeOverride.erase(id);
  else
    State().typeOverride[id] = {type, subtype};
}

KX2_EXPORT void Kx2ResetKeyboardLayout() {
  t_layout = 0;
  std::lock_guard<std::mutex> guard(State().lock);
  State().byThread.erase(GetCurrentThreadId());
  State().typeOverride.clear();
}

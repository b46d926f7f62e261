// Bytes as a menu template (standard or extended) read within their size; a menu that
// loads is then shown with TrackPopupMenuEx and driven by a short key script taken from
// the end of the input, so that whatever the template holds (breaks, separators only,
// deep pop-ups, owner-drawn items, odd states) goes through layout, painting and the loop.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "kx2/MenuTemplate.h"
#include "win/menu.h"
#include "win/user.h"
#include "win/user_ownerdraw.h"

namespace {

HWND g_owner;

struct Script {
  std::vector<uint8_t> steps;
  size_t next = 0;
};

LRESULT CALLBACK OwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
    measure->itemWidth = static_cast<UINT>(measure->itemID % 200);
    measure->itemHeight = static_cast<UINT>(measure->itemData % 60);
    return TRUE;
  }
  if (m == WM_MENUCHAR) return MAKELRESULT(w & 0x1F, (w >> 5) & 3);
  return DefWindowProcW(h, m, w, l);
}

BOOL Step(void* context) {
  auto* script = static_cast<Script*>(context);
  if (script->next >= script->steps.size()) {
    EndMenu();
    return TRUE;
  }
  static const UINT keys[] = {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE, 'A', 'F', VK_SPACE, VK_TAB};
  const uint8_t b = script->steps[script->next++];
  if (b < 0xC0) {
    Kx2InjectKeyStroke(keys[b % (sizeof keys / sizeof keys[0])]);
  } else if (b < 0xE0) {
    Kx2ClockAdvance(200);  // half the menu delay: timers open and close sub-menus
  } else {
    Kx2InjectClick(150 + (b & 0x0F) * 8, 150 + ((b >> 4) & 1) * 40, VK_LBUTTON);
  }
  return TRUE;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Kx2ClockSetManual(TRUE, 1000000);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &OwnerProc;
  wc.lpszClassName = u"FuzzMenuOwner";
  RegisterClassW(&wc);
  g_owner = CreateWindowExW(0, u"FuzzMenuOwner", u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                            nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(g_owner);
  SetFocus(g_owner);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte: how many bytes at the end are the key script.
  const size_t scriptLength = std::min<size_t>(data[0] % 24, size - 1);
  const uint8_t* body = data + 1;
  const size_t bodySize = size - 1 - scriptLength;
  HMENU menu = Kx2LoadMenuTemplate(body, bodySize);
  if (!menu) return 0;
  Script script;
  script.steps.assign(body + bodySize, body + bodySize + scriptLength);
  Kx2ResetInput();
  Kx2SetIdleHandler(&Step, &script);
  TrackPopupMenuEx(menu, TPM_RETURNCMD | (data[0] & 0x80 ? TPM_RIGHTBUTTON : 0), 150, 150, g_owner, nullptr);
  Kx2SetIdleHandler(nullptr, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DestroyMenu(menu);
  return 0;
}

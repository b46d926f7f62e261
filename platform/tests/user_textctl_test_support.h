// Shared by the edit, list box and combo box tests: an owner window that records the
// notifications (WM_COMMAND), colour questions (WM_CTLCOLOR*) and owner-draw messages its
// controls send it, and answers the colour questions with a brush a test may set.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comctl_test_support.h"
#include "user_test_support.h"

namespace textctltest {

struct Command {
  int id;
  int code;
  bool operator==(const Command& o) const { return id == o.id && code == o.code; }
};

struct OwnerRecord {
  std::vector<Command> commands;
  std::vector<UINT> colourAsks;
  std::vector<DRAWITEMSTRUCT> drawn;
  std::vector<DELETEITEMSTRUCT> deleted;
  int measured = 0;
  int compared = 0;
  HBRUSH answer = nullptr;  // null: the default window procedure's
  UINT itemHeight = 20;     // what WM_MEASUREITEM answers
};

inline OwnerRecord& Owner() {
  static OwnerRecord record;
  return record;
}

inline LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  OwnerRecord& o = Owner();
  switch (message) {
    case WM_COMMAND:
      o.commands.push_back(Command{LOWORD(wParam), static_cast<int>(static_cast<short>(HIWORD(wParam)))});
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      o.colourAsks.push_back(message);
      if (o.answer) return reinterpret_cast<LRESULT>(o.answer);
      break;
    case WM_DRAWITEM:
      o.drawn.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      m->itemHeight = o.itemHeight + (m->itemID != static_cast<UINT>(-1) ? m->itemID % 2 : 0);
      ++o.measured;
      return TRUE;
    }
    case WM_COMPAREITEM: {
      const auto* c = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
      ++o.compared;
      return c->itemData1 < c->itemData2 ? -1 : c->itemData1 > c->itemData2 ? 1 : 0;
    }
    case WM_DELETEITEM:
      o.deleted.push_back(*reinterpret_cast<const DELETEITEMSTRUCT*>(lParam));
      return TRUE;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The codes one control sent, in order.
inline std::vector<int> CodesFrom(int id) {
  std::vector<int> out;
  for (const Command& c : Owner().commands)
    if (c.id == id) out.push_back(c.code);
  return out;
}

class ControlTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"TextControlOwner";
    RegisterClassW(&wc);
    Owner() = OwnerRecord{};
    owner_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 100, 500, 400}, 0, u"TextControlOwner");
    SetActiveWindow(owner_);
  }
  HWND Control(LPCWSTR cls, DWORD style, RECT r, int id = 7, LPCWSTR text = u"") {
    HWND h =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        owner_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    return h;
  }
  static std::u16string Text(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::u16string s(static_cast<size_t>(n) + 1, u'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
    return s;
  }
  // Screen coordinates of a client point of a window.
  static POINT OnScreen(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
  }
  HWND owner_ = nullptr;
};

}  // namespace textctltest

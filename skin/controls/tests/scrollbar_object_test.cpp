// The scroll-bar control's skin object over a stand-in control that keeps its scroll
// information the way the system's answers SBM_ messages: the skin's parts in their normal,
// hot and disabled states, a drag that notifies the parent with the control's handle, the
// tracked position answered while dragging, and size grips.
#include <gtest/gtest.h>

#include <cairo.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <kx2/Compositor.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/Utf.h>
#include <win/user.h>

#include "ornatex/controls/scroll_bar_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"

namespace {

COLORREF Color(int part, int state) { return RGB(part * 25, state * 12, 77); }

// The stand-in's procedure is treated as the system's control would be: subclassed, and
// every message seen before the control's own procedure.
class CTestScrollBarObject : public CKtkSkinObjectScrollBar {
  DECLARE_DYNCREATE(CTestScrollBarObject)

 public:
  CTestScrollBarObject() { m_bAlwaysSubclass = TRUE; }
  BOOL IsDefWindowProcMessage(UINT) override { return FALSE; }
};
IMPLEMENT_DYNCREATE(CTestScrollBarObject, CKtkSkinObjectScrollBar)

std::map<HWND, SCROLLINFO>& Infos() {
  static std::map<HWND, SCROLLINFO> infos;
  return infos;
}

LRESULT CALLBACK StandIn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SCROLLINFO& kept = Infos()[hwnd];
  switch (message) {
    case SBM_SETSCROLLINFO: {
      const auto* in = reinterpret_cast<const SCROLLINFO*>(lParam);
      if (in->fMask & SIF_RANGE) kept.nMin = in->nMin, kept.nMax = in->nMax;
      if (in->fMask & SIF_PAGE) kept.nPage = in->nPage;
      if (in->fMask & SIF_POS) kept.nPos = in->nPos;
      return kept.nPos;
    }
    case SBM_GETSCROLLINFO: {
      auto* out = reinterpret_cast<SCROLLINFO*>(lParam);
      if (out->fMask & SIF_RANGE) out->nMin = kept.nMin, out->nMax = kept.nMax;
      if (out->fMask & SIF_PAGE) out->nPage = kept.nPage;
      if (out->fMask & SIF_POS) out->nPos = kept.nPos;
      if (out->fMask & SIF_TRACKPOS) out->nTrackPos = kept.nPos;
      return TRUE;
    }
    case SBM_SETPOS: {
      const int old = kept.nPos;
      kept.nPos = static_cast<int>(wParam);
      return old;
    }
    case WM_NCDESTROY:
      Infos().erase(hwnd);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Scroll {
  int code;
  int pos;
  LPARAM control;
};
std::vector<Scroll>& Scrolls() {
  static std::vector<Scroll> scrolls;
  return scrolls;
}

LRESULT CALLBACK Parent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL) Scrolls().push_back({LOWORD(wParam), static_cast<short>(HIWORD(wParam)), lParam});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ScrollBarObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ResetInput();
    Scrolls().clear();
    manager_->RegisterObjectClass(u"KtkTestScrollBarControl", RUNTIME_CLASS(CTestScrollBarObject));
    WNDCLASSW control{};
    control.lpfnWndProc = &StandIn;
    control.lpszClassName = u"KtkTestScrollBarControl";
    RegisterClassW(&control);
    WNDCLASSW parent{};
    parent.lpfnWndProc = &Parent;
    parent.lpszClassName = u"KtkTestScrollBarParent";
    RegisterClassW(&parent);
    std::vector<std::u16string> lines = {u"[Scrollbar]", u"BgType = 1", u"BorderSize = 0"};
    for (int part = 1; part <= 10; ++part)
      for (int state = 1; state <= 16; ++state) {
        const COLORREF c = Color(part, state);
        lines.push_back(u"[Scrollbar." + kx2::Utf8ToUtf16(std::to_string(part) + "(" + std::to_string(state) + ")]"));
        lines.push_back(u"FillColor = " +
                        kx2::Utf8ToUtf16(std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
                                         std::to_string(GetBValue(c))));
      }
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    parent_ = CreateWindowExW(0, u"KtkTestScrollBarParent", u"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 300, nullptr,
                              nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    DestroyWindow(parent_);
    manager_->RemoveSkin();
    Kx2ResetInput();
  }
  HWND MakeBar(DWORD style, int x, int y, int w, int h) {
    HWND bar = CreateWindowExW(0, u"KtkTestScrollBarControl", u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                               nullptr, nullptr, nullptr);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    return bar;
  }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  COLORREF At(HWND bar, int x, int y) {
    RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    POINT p{x, y};
    MapWindowPoints(bar, parent_, &p, 1);
    cairo_surface_t* capture = Kx2CaptureWindow(parent_);
    cairo_surface_flush(capture);
    const auto* row = cairo_image_surface_get_data(capture) + p.y * cairo_image_surface_get_stride(capture);
    const uint32_t argb = reinterpret_cast<const uint32_t*>(row)[p.x];
    cairo_surface_destroy(capture);
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  }
  CKtkSkinObjectScrollBar* ObjectOf(HWND bar) { return dynamic_cast<CKtkSkinObjectScrollBar*>(manager_->Lookup(bar)); }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"scrollbarobjectskin"};
  HWND parent_ = nullptr;

 public:
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

TEST_F(ScrollBarObject, PartsInTheirStatesNormalHotAndDisabled) {
  HWND bar = MakeBar(SBS_VERT, 10, 10, 17, 200);
  ASSERT_NE(ObjectOf(bar), nullptr);
  EXPECT_EQ(At(bar, 8, 5), Color(1, 1));
  EXPECT_EQ(At(bar, 8, 195), Color(1, 5));
  EXPECT_EQ(At(bar, 8, 100), Color(7, 1));

  RECT box{};
  GetWindowRect(bar, &box);
  Kx2InjectMouseMove(box.left + 8, box.bottom - 5);
  Pump();
  EXPECT_EQ(ObjectOf(bar)->m_info.nHitCode, KTK_SBHT_SECONDARROW);
  EXPECT_EQ(At(bar, 8, 195), Color(1, 6));
  SendMessageW(bar, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(At(bar, 8, 195), Color(1, 5));

  EnableWindow(bar, FALSE);
  EXPECT_EQ(At(bar, 8, 5), Color(1, 4));
  EXPECT_EQ(At(bar, 8, 195), Color(1, 8));
  EXPECT_EQ(At(bar, 8, 100), Color(7, 4));
}

TEST_F(ScrollBarObject, DragNotifiesTheParentWithTheControlAndAnswersTheTrackedPosition) {
  HWND bar = MakeBar(SBS_VERT, 10, 10, 17, 200);
  CKtkSkinObjectScrollBar* object = ObjectOf(bar);
  ASSERT_NE(object, nullptr);
  At(bar, 0, 0);  // painted once: laid out
  RECT box{};
  GetWindowRect(bar, &box);
  const int grab = object->m_info.nThumbStart + 3;
  int tracked = -1;
  steps_ = {[&] { Kx2InjectMouseMove(box.left + 8, box.top + grab + 40); },
            [&] {
              SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
              GetScrollInfo(bar, SB_CTL, &si);
              tracked = si.nTrackPos;
              PostMessageW(parent_, WM_NULL, 0, 0);
            },
            [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }};
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* self = static_cast<ScrollBarObject*>(context);
        if (self->next_ < self->steps_.size()) self->steps_[self->next_++]();
        return TRUE;
      },
      this);
  Kx2InjectMouseMove(box.left + 8, box.top + grab);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Pump();
  Kx2SetIdleHandler(nullptr, nullptr);
  ASSERT_GE(Scrolls().size(), 4u);
  const int moved = Scrolls()[1].pos;
  EXPECT_GT(moved, 0);
  EXPECT_EQ(tracked, moved);
  EXPECT_EQ(Scrolls()[Scrolls().size() - 2].code, SB_THUMBPOSITION);
  EXPECT_EQ(Scrolls().back().code, SB_ENDSCROLL);
  for (const Scroll& s : Scrolls()) EXPECT_EQ(s.control, reinterpret_cast<LPARAM>(bar));
}

TEST_F(ScrollBarObject, PrintClientDrawsWhateverTheFlags) {
  HWND bar = MakeBar(SBS_VERT, 10, 10, 17, 200);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 17, 200);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(GetPixel(dc, 8, 5), Color(1, 1));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(ScrollBarObject, SizeGripIsTheSkinsSizeBox) {
  HWND grip = MakeBar(0x10, 50, 50, 20, 20);  // SBS_SIZEGRIP
  ASSERT_NE(ObjectOf(grip), nullptr);
  EXPECT_EQ(At(grip, 10, 10), Color(10, 1));
}

}  // namespace

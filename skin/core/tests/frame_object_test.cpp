// The frame skin object on real windows with a generated skin: the caption in the skin's
// colours, a rounded corner cut out of the window and letting clicks through, the close
// button's hot tracking and its press loop, tool and maximised windows' buttons, the
// frame's scroll bars, and the classic look back once the skin is removed.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/Compositor.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/PathMap.h>
#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/module.h>
#include <win/user.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/caption_button.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/schema.h"
#include "skin_folder.h"

namespace {

constexpr COLORREF kActive = RGB(200, 30, 30), kInactive = RGB(30, 30, 200), kEdge = RGB(0, 160, 0);
constexpr COLORREF kClose = RGB(0, 0, 255), kCloseHot = RGB(255, 255, 0), kClosePressed = RGB(255, 128, 0);
constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kUpArrow = RGB(90, 10, 140), kThumb = RGB(10, 140, 90), kThumbHot = RGB(140, 90, 10);
constexpr COLORREF kGrip = RGB(60, 60, 200);

std::vector<UINT>& Commands() {
  static std::vector<UINT> commands;
  return commands;
}
WNDPROC g_skinProc = nullptr;

// Records system commands and keeps the window (a close is not carried out).
LRESULT CALLBACK Recorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) {
    Commands().push_back(static_cast<UINT>(wParam) & 0xFFF0);
    if ((wParam & 0xFFF0) == SC_CLOSE) return 0;
  }
  return CallWindowProcW(g_skinProc, hwnd, message, wParam, lParam);
}

struct Capture {
  explicit Capture(HWND window) : surface(Kx2CaptureWindow(window)) {}
  ~Capture() {
    if (surface) cairo_surface_destroy(surface);
  }
  uint32_t Argb(int x, int y) const {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface) + x * 4);
  }
  COLORREF At(int x, int y) const {
    const uint32_t p = Argb(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool Transparent(int x, int y) const { return (Argb(x, y) >> 24) == 0; }
  cairo_surface_t* surface;
};

class FrameObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Commands().clear();
    Kx2ResetInput();
    skin_.WriteBitmap("caption.bmp", 60, 48, [](int x, int y) {
      if (y < 24 && x + y < 4) return kKey;  // the active frame's rounded top-left corner
      if (y >= 24 && x + (y - 24) < 4) return kKey;
      return y < 24 ? kActive : kInactive;
    });
    skin_.WriteBitmap("edge.bmp", 4, 16, kEdge);
    skin_.Write({
        u"[SysMetrics]",
        u"CaptionBarHeight = 23",
        u"[Window]",
        u"ImageLayout = 2",
        u"[Window.1]",
        u"ImageFile = caption.bmp",
        u"ImageCount = 2",
        u"Transparent = true",
        u"SizingMargins = 8, 0, 8, 0",
        u"[Window.7]",
        u"ImageFile = edge.bmp",
        u"[Window.8]",
        u"ImageFile = edge.bmp",
        u"[Window.9]",
        u"ImageFile = edge.bmp",
        u"[Window.10]",
        u"ImageFile = edge.bmp",
        u"[Window.11]",
        u"ImageFile = edge.bmp",
        u"[Window.12]",
        u"ImageFile = edge.bmp",
        u"[Window.18]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 0, 0, 255",
        u"[Window.18(2)]",
        u"FillColor = 255, 255, 0",
        u"[Window.18(3)]",
        u"FillColor = 255, 128, 0",
        u"[Window.19]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 0, 0, 255",
        u"[Scrollbar.1(1)]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 90, 10, 140",
        u"[Scrollbar.3(1)]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 10, 140, 90",
        u"[Scrollbar.3(2)]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 140, 90, 10",
        u"[Scrollbar.10(1)]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 60, 60, 200",
    });
    // The system's own procedure: the skin object subclasses such windows.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = u"KtkFrameObjectTest";
    RegisterClassW(&wc);  // a second registration in the same process fails harmlessly
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    manager_->RemoveSkin();
    Kx2ResetInput();
    Kx2ClockSetManual(FALSE, 0);
  }
  void LoadSkin() { ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini")); }
  HWND Make(DWORD style, DWORD exStyle, int x, int y, int w, int h, const char16_t* title = u"Skinned") {
    HWND hwnd =
        CreateWindowExW(exStyle, u"KtkFrameObjectTest", title, style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }
  CKtkSkinManagerSchema* schema() { return manager_->GetSchema(); }
  CKtkSkinObjectFrame* FrameOf(HWND hwnd) { return dynamic_cast<CKtkSkinObjectFrame*>(manager_->Lookup(hwnd)); }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void Paint(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW); }
  // A window point on the screen.
  static POINT Screen(HWND hwnd, POINT p) {
    RECT box{};
    GetWindowRect(hwnd, &box);
    return POINT{box.left + p.x, box.top + p.y};
  }
  static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  void Record(HWND hwnd) {
    g_skinProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder)));
  }
  // Runs a press on the current cursor position, playing one step per idle call.
  void PressWith(std::vector<std::function<void()>> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    Kx2SetIdleHandler(
        [](void* context) -> BOOL {
          auto* self = static_cast<FrameObject*>(context);
          if (self->next_ < self->steps_.size()) self->steps_[self->next_++]();
          // A step that makes no message of its own still wakes the loop for the next one.
          PostMessageW(self->windows_.back(), WM_NULL, 0, 0);
          return TRUE;
        },
        this);
    Kx2InjectMouseButton(VK_LBUTTON, TRUE);
    Pump();
    Kx2SetIdleHandler(nullptr, nullptr);
    Pump();
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"frameobjectskin"};
  std::vector<HWND> windows_;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

constexpr DWORD kOverlapped = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

TEST_F(FrameObject, CaptionInTheSkinsColoursWithARoundedCornerThatLetsClicksThrough) {
  HWND below = Make(WS_POPUP | WS_VISIBLE, 0, 100, 100, 300, 200, u"Below");
  LoadSkin();
  HWND hwnd = Make(kOverlapped, 0, 100, 100, 300, 200);
  CKtkSkinObjectFrame* frame = FrameOf(hwnd);
  ASSERT_NE(frame, nullptr);
  SetForegroundWindow(hwnd);
  Paint(hwnd);
  EXPECT_EQ(frame->m_rcBorders.top, schema()->GetFrameBorders(kOverlapped, WS_EX_WINDOWEDGE).top);
  Capture active(hwnd);
  EXPECT_EQ(active.At(150, 6), kActive);
  EXPECT_EQ(active.At(1, 100), kEdge);
  EXPECT_TRUE(active.Transparent(0, 0));
  EXPECT_FALSE(active.Transparent(4, 0));
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), below);
  EXPECT_EQ(WindowFromPoint(POINT{105, 100}), hwnd);
  // Close, maximise and minimise from the right.
  ASSERT_EQ(frame->m_captionButtons.size(), 3u);
  EXPECT_EQ(frame->m_captionButtons[0]->m_nCommand, static_cast<UINT>(SC_CLOSE));
  EXPECT_EQ(active.At(Centre(frame->m_captionButtons[0]->m_rect).x, Centre(frame->m_captionButtons[0]->m_rect).y),
            kClose);

  SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0);
  Capture inactive(hwnd);
  EXPECT_EQ(inactive.At(150, 6), kInactive);
}

TEST_F(FrameObject, CloseTurnsHotAndTheFirstTickInTheClientClearsIt) {
  Kx2ClockSetManual(TRUE, 500000);
  LoadSkin();
  HWND hwnd = Make(kOverlapped, 0, 200, 150, 320, 220);
  Record(hwnd);
  CKtkSkinObjectFrame* frame = FrameOf(hwnd);
  ASSERT_NE(frame, nullptr);
  Paint(hwnd);
  const RECT close = frame->m_captionButtons.at(0)->m_rect;
  const POINT on = Screen(hwnd, Centre(close));
  Kx2InjectMouseMove(on.x, on.y);
  Pump();
  EXPECT_EQ(frame->m_pHotButton, frame->m_captionButtons[0].get());
  EXPECT_EQ(Capture(hwnd).At(Centre(close).x, Centre(close).y), kCloseHot);

  const POINT client = Screen(hwnd, POINT{160, 120});
  Kx2InjectMouseMove(client.x, client.y);
  Pump();
  EXPECT_NE(frame->m_pHotButton, nullptr);  // until the frame's timer looks
  Kx2ClockAdvance(50);
  Pump();
  EXPECT_EQ(frame->m_pHotButton, nullptr);
  EXPECT_EQ(Capture(hwnd).At(Centre(close).x, Centre(close).y), kClose);

  // A click sends SC_CLOSE; the pressed state shows while the button is held.
  Kx2InjectMouseMove(on.x, on.y);
  Pump();
  COLORREF held = 0;
  PressWith({[&] { held = Capture(hwnd).At(Centre(close).x, Centre(close).y); },
             [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }});
  EXPECT_EQ(held, kClosePressed);
  EXPECT_EQ(Commands(), std::vector<UINT>{SC_CLOSE});

  // Released away from the button: nothing.
  Commands().clear();
  Kx2InjectMouseMove(on.x, on.y);
  Pump();
  PressWith({[&] { Kx2InjectMouseMove(client.x, client.y); }, [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }});
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(frame->m_pHotButton, nullptr);
  EXPECT_EQ(frame->m_pPressedButton, nullptr);
}

TEST_F(FrameObject, ToolAndMaximisedWindowsButtons) {
  LoadSkin();
  HWND tool = Make(kOverlapped, WS_EX_TOOLWINDOW, 50, 50, 200, 120);
  CKtkSkinObjectFrame* toolFrame = FrameOf(tool);
  ASSERT_NE(toolFrame, nullptr);
  Paint(tool);
  ASSERT_EQ(toolFrame->m_captionButtons.size(), 1u);
  EXPECT_EQ(toolFrame->m_captionButtons[0]->m_nPart, 19);
  const RECT small = toolFrame->m_captionButtons[0]->m_rect;
  EXPECT_EQ(small.right - small.left, small.bottom - small.top);

  HWND maximised = Make(kOverlapped | WS_MAXIMIZE, 0, 0, 0, 400, 300);
  CKtkSkinObjectFrame* frame = FrameOf(maximised);
  ASSERT_NE(frame, nullptr);
  Paint(maximised);
  ASSERT_FALSE(frame->m_captionButtons.empty());
  const RECT close = frame->m_captionButtons[0]->m_rect;
  const POINT beyond = Screen(maximised, POINT{close.right + 1, close.top - 2});
  EXPECT_EQ(frame->HitTest(beyond.x, beyond.y), HTCLOSE);
  const POINT above = Screen(maximised, POINT{close.left + 1, close.top - 3});
  EXPECT_EQ(frame->HitTest(above.x, above.y), 0);
}

TEST_F(FrameObject, FrameScrollBarsAnswerTheirHitCodesAndDragWithoutAControl) {
  LoadSkin();
  HWND hwnd = Make(kOverlapped | WS_VSCROLL | WS_HSCROLL, 0, 300, 200, 300, 240);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
  SetScrollInfo(hwnd, SB_VERT, &si, FALSE);
  SetScrollInfo(hwnd, SB_HORZ, &si, FALSE);
  CKtkSkinObjectFrame* frame = FrameOf(hwnd);
  ASSERT_NE(frame, nullptr);
  Paint(hwnd);
  ScrollBarPosInfo& vert = frame->m_scrollBars[KTK_SB_VERT];
  ASSERT_TRUE(vert.bShown);
  ASSERT_TRUE(frame->m_scrollBars[KTK_SB_HORZ].bShown);
  const POINT onBar = Screen(hwnd, POINT{(vert.rcBar.left + vert.rcBar.right) / 2, vert.nThumbStart + 3});
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(onBar.x, onBar.y)), HTVSCROLL);
  const RECT corner{vert.rcBar.left, frame->m_scrollBars[KTK_SB_HORZ].rcBar.top, vert.rcBar.right,
                    frame->m_scrollBars[KTK_SB_HORZ].rcBar.bottom};
  {
    // The skin's bar: its arrow and thumb parts, and the schema's colour in the corner,
    // which is a sizing grip for this resizable window.
    Capture shot(hwnd);
    const int x = (vert.rcBar.left + vert.rcBar.right) / 2;
    EXPECT_EQ(shot.At(x, vert.rcBar.top + 3), kUpArrow);
    EXPECT_EQ(shot.At(x, (vert.nThumbStart + vert.nThumbEnd) / 2), kThumb);
    EXPECT_EQ(shot.At(Centre(corner).x, Centre(corner).y), schema()->GetSizeBoxColor());
  }

  std::vector<std::pair<int, LPARAM>> scrolls;
  static std::vector<std::pair<int, LPARAM>>* sink;
  sink = &scrolls;
  g_skinProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_VSCROLL) sink->emplace_back(LOWORD(wp), lp);
        return CallWindowProcW(g_skinProc, w, m, wp, lp);
      })));
  Kx2InjectMouseMove(onBar.x, onBar.y);
  Pump();
  // The thumb under the pointer turns hot.
  EXPECT_EQ(vert.nHitCode, KTK_SBHT_THUMB);
  EXPECT_EQ(Capture(hwnd).At((vert.rcBar.left + vert.rcBar.right) / 2, vert.nThumbStart + 3), kThumbHot);
  PressWith({[&] { Kx2InjectMouseMove(onBar.x, onBar.y + 40); }, [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }});
  ASSERT_GE(scrolls.size(), 3u);
  EXPECT_EQ(scrolls.front().first, SB_THUMBTRACK);
  EXPECT_EQ(scrolls.back().first, SB_ENDSCROLL);
  for (const auto& s : scrolls) EXPECT_EQ(s.second, 0);
}

TEST_F(FrameObject, ABarsCornerAtItsResizableParentsCornerIsASizeGrip) {
  LoadSkin();
  HWND parent = Make(kOverlapped, 0, 300, 200, 300, 240);
  RECT inside{};
  GetClientRect(parent, &inside);
  auto child = [&](int right) {
    HWND w = CreateWindowExW(0, u"KtkFrameObjectTest", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0,
                             right, inside.bottom, parent, nullptr, nullptr, nullptr);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, FALSE);
    SetScrollInfo(w, SB_HORZ, &si, FALSE);
    return w;
  };
  HWND corner = child(inside.right);
  HWND inner = child(inside.right / 2);  // its corner is far from the parent's
  Paint(parent);
  for (HWND w : {corner, inner}) {
    CKtkSkinObjectFrame* frame = FrameOf(w);
    ASSERT_NE(frame, nullptr);
    const bool grip = w == corner;
    EXPECT_EQ(frame->IsSizeGripPresent(), grip ? TRUE : FALSE);
    const RECT& v = frame->m_scrollBars[KTK_SB_VERT].rcBar;
    const RECT& h = frame->m_scrollBars[KTK_SB_HORZ].rcBar;
    const POINT centre = Screen(w, POINT{(v.left + v.right) / 2, (h.top + h.bottom) / 2});
    const LRESULT hit = SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y));
    if (grip)
      EXPECT_EQ(hit, HTBOTTOMRIGHT);
    else
      EXPECT_NE(hit, HTBOTTOMRIGHT);
    RECT top{};
    GetWindowRect(parent, &top);
    EXPECT_EQ(Capture(parent).At(centre.x - top.left, centre.y - top.top), grip ? kGrip : schema()->GetSizeBoxColor());
  }
}

TEST_F(FrameObject, RightClickOnAFrameBarAsksForTheContextMenu) {
  LoadSkin();
  HWND hwnd = Make(kOverlapped | WS_VSCROLL, 0, 300, 200, 300, 240);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
  SetScrollInfo(hwnd, SB_VERT, &si, FALSE);
  Paint(hwnd);
  CKtkSkinObjectFrame* frame = FrameOf(hwnd);
  ASSERT_NE(frame, nullptr);
  RECT client{};
  GetClientRect(hwnd, &client);
  const RECT& bar = frame->m_scrollBars[KTK_SB_VERT].rcBar;
  const POINT onBar = Screen(hwnd, Centre(bar));
  static std::vector<std::pair<WPARAM, LPARAM>> menus;
  menus.clear();
  g_skinProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CONTEXTMENU) menus.emplace_back(wp, lp);
        return CallWindowProcW(g_skinProc, w, m, wp, lp);
      })));
  Kx2InjectClick(onBar.x, onBar.y, VK_RBUTTON);
  Pump();
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].first, reinterpret_cast<WPARAM>(hwnd));
  EXPECT_EQ(menus[0].second, MAKELPARAM(onBar.x, onBar.y));
  // The frame was worked out again without losing the bar's room.
  RECT after{};
  GetClientRect(hwnd, &after);
  EXPECT_EQ(after.right, client.right);
  EXPECT_TRUE(frame->m_scrollBars[KTK_SB_VERT].bShown);
}

TEST_F(FrameObject, FlatScrollBarsKeepTheSystemsFrame) {
  LoadSkin();
  HWND hwnd = Make(kOverlapped | WS_VSCROLL, 0, 100, 100, 300, 240);
  ASSERT_TRUE(InitializeFlatSB(hwnd));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  CKtkSkinObjectFrame* frame = FrameOf(hwnd);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->HasFlatScrollBars());
  EXPECT_FALSE(frame->m_scrollBars[KTK_SB_VERT].bShown);
  RECT box{}, client{};
  GetWindowRect(hwnd, &box);
  RECT system = box;
  DefWindowProcW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&system));
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, system.right - system.left);
  EXPECT_EQ(client.bottom, system.bottom - system.top);
  // Over the bar the system's code stays.
  const POINT bar{box.right - 8, (box.top + box.bottom) / 2};
  EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(bar.x, bar.y)), HTVSCROLL);
  HWND plain = Make(kOverlapped | WS_VSCROLL, 0, 100, 100, 300, 240);
  EXPECT_FALSE(FrameOf(plain)->HasFlatScrollBars());
}

TEST_F(FrameObject, RemovingTheSkinBringsTheClassicLookBack) {
  HWND classic = Make(kOverlapped, 0, 500, 300, 260, 180, u"Same");
  Paint(classic);
  Capture before(classic);
  LoadSkin();
  HWND skinned = Make(kOverlapped, 0, 500, 300, 260, 180, u"Same");
  Paint(skinned);
  EXPECT_TRUE(Capture(skinned).Transparent(0, 0));
  manager_->RemoveSkin();
  Pump();
  // The skin had fitted the window around its client; the classic one is compared at the
  // same size.
  SetWindowPos(skinned, nullptr, 0, 0, 260, 180, SWP_NOMOVE | SWP_NOZORDER);
  // Each is captured while it is the active window.
  SetForegroundWindow(classic);
  Paint(classic);
  Capture reference(classic);
  SetForegroundWindow(skinned);
  Paint(skinned);
  Capture after(skinned);
  if (const char* out = std::getenv("KX2_TEST_OUTPUT")) {
    Kx2WriteCapturePng(after.surface, kx2::ToWindowsPath(std::string(out) + "/frame_removed.png").c_str());
    Kx2WriteCapturePng(reference.surface, kx2::ToWindowsPath(std::string(out) + "/frame_classic.png").c_str());
  }
  int differing = 0;
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 260; ++x) {
      differing += after.Argb(x, y) != reference.Argb(x, y);
    }
  EXPECT_EQ(differing, 0);
  EXPECT_FALSE(after.Transparent(0, 0));
  (void)before;
}

int g_dialogActivations = 0;
LRESULT g_parentAnswer = 0;

TEST_F(FrameObject, DialogProcedureSeesActivationAndParentsAnswerTheBackground) {
  LoadSkin();
  // A dialog template in memory: style, extended style, no items, position and size, then
  // no menu, the dialog class and an empty title.
  std::vector<WORD> words(16, 0);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
  words[0] = LOWORD(style), words[1] = HIWORD(style);
  words[5] = 10, words[6] = 10, words[7] = 120, words[8] = 80;
  const DLGPROC proc = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_NCACTIVATE) ++g_dialogActivations;
    return FALSE;
  };
  HWND dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr, proc, 0);
  ASSERT_NE(dialog, nullptr);
  windows_.push_back(dialog);
  CKtkSkinObjectFrame* frame = FrameOf(dialog);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->m_nDialogKind, KTK_DIALOG_KIND_DIALOG);
  g_dialogActivations = 0;
  SendMessageW(dialog, WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(g_dialogActivations, 1);

  // A parent of its own procedure answers the control-colour message itself.
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CTLCOLORDLG) return g_parentAnswer;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  };
  wc.lpszClassName = u"KtkFrameAnsweringParent";
  RegisterClassW(&wc);
  HWND parent = CreateWindowExW(0, u"KtkFrameAnsweringParent", u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, nullptr);
  windows_.push_back(parent);
  HWND child = CreateWindowExW(0, u"KtkFrameObjectTest", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent, nullptr,
                               nullptr, nullptr);
  CKtkSkinObjectFrame* childFrame = FrameOf(child);
  ASSERT_NE(childFrame, nullptr);
  CKtkSkinManagerMetrics* metrics = childFrame->GetMetrics();
  ASSERT_NE(metrics, nullptr);
  HDC dc = GetDC(child);
  const struct {
    LRESULT answer;
    HBRUSH expected;
  } cases[] = {
      {COLOR_BTNSHADOW + 1, metrics->GetBrush(COLOR_BTNSHADOW)},  // a system colour given as index + 1
      {0, metrics->m_dialogBrush},
      {reinterpret_cast<LRESULT>(metrics->m_windowBrush), metrics->m_windowBrush},
  };
  for (const auto& c : cases) {
    g_parentAnswer = c.answer;
    EXPECT_EQ(childFrame->GetClientBrush(dc), c.expected) << c.answer;
  }
  ReleaseDC(child, dc);
}

// A dialog template in memory: a captioned dialog with a default push button, a check box,
// an edit and a static text.
std::vector<WORD> ControlsDialogTemplate() {
  std::vector<WORD> t;
  auto dword = [&](DWORD v) { t.push_back(LOWORD(v)), t.push_back(HIWORD(v)); };
  auto text = [&](const char16_t* s) {
    for (; *s; ++s) t.push_back(*s);
    t.push_back(0);
  };
  dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME);
  dword(0);
  t.push_back(4);
  for (WORD v : {10, 10, 160, 90}) t.push_back(v);
  t.push_back(0), t.push_back(0);  // no menu, the dialog class
  text(u"Controls");
  const struct {
    DWORD style;
    WORD x, y, cx, cy, id, classOrdinal;
    const char16_t* title;
  } items[] = {
      {WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 100, 66, 50, 14, IDOK, 0x80, u"OK"},
      {WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 80, 12, 101, 0x80, u"Check"},
      {WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 30, 80, 14, 102, 0x81, u"text"},
      {WS_CHILD | WS_VISIBLE, 10, 50, 80, 10, 103, 0x82, u"Static"},
  };
  for (const auto& item : items) {
    if (t.size() % 2) t.push_back(0);  // each item on a 4-byte boundary
    dword(item.style);
    dword(0);
    for (WORD v : {item.x, item.y, item.cx, item.cy, item.id}) t.push_back(v);
    t.push_back(0xFFFF), t.push_back(item.classOrdinal);
    text(item.title);
    t.push_back(0);
  }
  return t;
}

TEST_F(FrameObject, DisabledManagerLeavesADialogAsItWouldBeUnskinned) {
  const std::vector<WORD> words = ControlsDialogTemplate();
  const DLGPROC proc = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; };
  auto make = [&] {
    HWND dialog =
        CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr, proc, 0);
    windows_.push_back(dialog);
    CheckDlgButton(dialog, 101, BST_CHECKED);
    return dialog;
  };
  ASSERT_FALSE(manager_->m_enabled);
  HWND attached = make();  // objects on the dialog and its controls, skinning off
  manager_->m_autoApply = FALSE;
  HWND bare = make();  // no objects at all
  manager_->m_autoApply = TRUE;
  ASSERT_TRUE(attached && bare);
  ASSERT_NE(manager_->Lookup(attached), nullptr);
  EXPECT_NE(manager_->Lookup(GetDlgItem(attached, IDOK)), nullptr);
  EXPECT_EQ(manager_->Lookup(bare), nullptr);
  auto picture = [&](HWND dialog) {
    SetForegroundWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));  // no caret, whose blinking would tell the pictures apart
    Paint(dialog);
    Pump();
    return std::make_unique<Capture>(dialog);
  };
  const auto skinnedOff = picture(attached);
  const auto reference = picture(bare);
  ASSERT_TRUE(skinnedOff->surface && reference->surface);
  const int width = cairo_image_surface_get_width(reference->surface);
  const int height = cairo_image_surface_get_height(reference->surface);
  ASSERT_EQ(cairo_image_surface_get_width(skinnedOff->surface), width);
  ASSERT_EQ(cairo_image_surface_get_height(skinnedOff->surface), height);
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) differing += skinnedOff->Argb(x, y) != reference->Argb(x, y);
  EXPECT_EQ(differing, 0);
}

}  // namespace

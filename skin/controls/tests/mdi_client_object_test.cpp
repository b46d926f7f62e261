// The MDI client skin object over the platform's MDIClient with a skinned frame and skinned
// children: the frame and client objects know each other, also when the client is attached
// after its creation; a maximised child keeps its skinned borders outside the client as the
// client is sized; an arrangement asked for from inside an arrangement does the object's
// work once; the client's own bars come from the skin once children lie outside.
#include <gtest/gtest.h>

#include <cairo.h>

#include <map>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/Compositor.h>
#include <win/user.h>
#include <win/menu.h>
#include <win/user_mdi.h>

#include "ornatex/controls/mdi_client_object.h"
#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"
#include "skin_folder.h"

namespace {

constexpr UINT kFirstChild = 0xFF00;
constexpr UINT kClientId = 0xCAC;
constexpr COLORREF kArrow = RGB(90, 10, 140);

bool g_rearrangeOnSize = false;
int g_nestedArrangements = 0;
std::map<HWND, int> g_frameLooks;  // WM_NCCALCSIZE without valid rectangles, per child

WNDPROC g_childProc = nullptr;

// Sits above the skin object of a child: what the object sends a child passes here first.
LRESULT CALLBACK ChildRecorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && !wParam) ++g_frameLooks[hwnd];
  if (message == WM_SIZE && g_rearrangeOnSize) {
    ++g_nestedArrangements;
    SendMessageW(GetParent(hwnd), WM_MDICASCADE, 0, 0);
  }
  return CallWindowProcW(g_childProc, hwnd, message, wParam, lParam);
}

// A child's window rectangle in its client's coordinates.
RECT Placed(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class MdiClientObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ClockSetManual(TRUE, 1000000);
    g_rearrangeOnSize = false;
    g_nestedArrangements = 0;
    g_frameLooks.clear();
    skin_.WriteBitmap("caption.bmp", 60, 24, RGB(200, 30, 30));
    skin_.WriteBitmap("edge.bmp", 6, 16, RGB(0, 160, 0));
    std::vector<std::u16string> lines = {
        u"[SysMetrics]",     u"CaptionBarHeight = 23",
        u"[Window.1]",       u"ImageFile = caption.bmp",
        u"[Window.7]",       u"ImageFile = edge.bmp",
        u"[Window.8]",       u"ImageFile = edge.bmp",
        u"[Window.9]",       u"ImageFile = edge.bmp",
        u"[Window.10]",      u"ImageFile = edge.bmp",
        u"[Window.11]",      u"ImageFile = edge.bmp",
        u"[Window.12]",      u"ImageFile = edge.bmp",
        u"[Scrollbar.1(1)]", u"BgType = 1",
        u"BorderSize = 0",   u"FillColor = 90, 10, 140",
    };
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    // The system's procedures: the skin objects subclass such windows.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"KtkMdiObjectFrame";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &DefMDIChildProcW;
    wc.lpszClassName = u"KtkMdiObjectChild";
    RegisterClassW(&wc);
    windowMenu_ = CreatePopupMenu();
    frame_ = CreateWindowExW(0, u"KtkMdiObjectFrame", u"Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20,
                             20, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    RECT inside{};
    GetClientRect(frame_, &inside);
    CLIENTCREATESTRUCT ccs{windowMenu_, kFirstChild};
    client_ =
        CreateWindowExW(0, WC_MDICLIENTW, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0,
                        0, inside.right, inside.bottom, frame_, reinterpret_cast<HMENU>(kClientId), nullptr, &ccs);
    ASSERT_NE(client_, nullptr);
  }
  void TearDown() override {
    g_rearrangeOnSize = false;
    if (IsWindow(frame_)) DestroyWindow(frame_);
    DestroyMenu(windowMenu_);
    manager_->RemoveSkin();
    Kx2ClockSetManual(FALSE, 0);
  }
  HWND Child(const char16_t* title, RECT r = RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT}) {
    MDICREATESTRUCTW mcs{u"KtkMdiObjectChild", title, nullptr, r.left, r.top, r.right, r.bottom, 0, 0};
    const auto child = reinterpret_cast<HWND>(SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    if (child)
      g_childProc =
          reinterpret_cast<WNDPROC>(SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildRecorder)));
    return child;
  }
  CKtkSkinObjectMDIClient* ClientObject() { return dynamic_cast<CKtkSkinObjectMDIClient*>(manager_->Lookup(client_)); }
  CKtkSkinObjectFrame* FrameObject(HWND w) { return dynamic_cast<CKtkSkinObjectFrame*>(manager_->Lookup(w)); }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"mdiclientobjectskin"};
  HMENU windowMenu_ = nullptr;
  HWND frame_ = nullptr, client_ = nullptr;
};

TEST_F(MdiClientObject, FrameAndClientKnowEachOtherAlsoWhenAttachedLater) {
  CKtkSkinObjectMDIClient* client = ClientObject();
  ASSERT_NE(client, nullptr);
  CKtkSkinObjectFrame* frame = FrameObject(frame_);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(client->m_bSubclassed);
  EXPECT_EQ(client->m_pFrameObject, frame);
  EXPECT_EQ(frame->m_pMDIClient, client);
  EXPECT_TRUE(client->IsDefWindowProcMessage(KtkWmQueryState));
  EXPECT_FALSE(client->IsDefWindowProcMessage(WM_SIZE));

  manager_->Remove(client_);
  EXPECT_EQ(frame->m_pMDIClient, nullptr);
  // No creation record now: the object finds the frame as the client's parent.
  CKtkSkinObject* again = manager_->SetHook(client_, u"MDIClient", nullptr, FALSE);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ClientObject(), again);
  EXPECT_EQ(ClientObject()->m_pFrameObject, frame);
  EXPECT_EQ(frame->m_pMDIClient, again);
  // The frame hands activation on to the client's active child.
  HWND child = Child(u"One");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client_, WM_MDIGETACTIVE, 0, 0)), child);
}

TEST_F(MdiClientObject, MaximisedSkinnedChildKeepsItsBordersOutsideTheClient) {
  HWND child = Child(u"One");
  ASSERT_NE(child, nullptr);
  CKtkSkinObjectFrame* object = FrameObject(child);
  ASSERT_NE(object, nullptr);
  SendMessageW(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0);
  ASSERT_TRUE(IsZoomed(child));
  const RECT b = object->m_rcBorders;
  ASSERT_GT(b.top, b.left);  // the skin's caption over its edges
  ASSERT_GT(b.left, 0);
  for (const SIZE grow : {SIZE{0, 0}, SIZE{60, 40}, SIZE{-100, -30}}) {
    RECT box{};
    GetWindowRect(frame_, &box);
    SetWindowPos(frame_, nullptr, 0, 0, box.right - box.left + grow.cx, box.bottom - box.top + grow.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT inside{};
    GetClientRect(frame_, &inside);
    SetWindowPos(client_, nullptr, 0, 0, inside.right, inside.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    RECT area{};
    GetClientRect(client_, &area);
    const RECT placed = Placed(child);
    EXPECT_EQ(placed.left, -b.left);
    EXPECT_EQ(placed.top, -b.top);
    EXPECT_EQ(placed.right, area.right + b.right);
    EXPECT_EQ(placed.bottom, area.bottom + b.bottom);
    // Only the child's client shows, and it covers the client area.
    RECT childClient{};
    GetClientRect(child, &childClient);
    POINT origin{0, 0};
    ClientToScreen(child, &origin);
    POINT clientOrigin{0, 0};
    ClientToScreen(client_, &clientOrigin);
    EXPECT_EQ(origin.x, clientOrigin.x);
    EXPECT_EQ(origin.y, clientOrigin.y);
    EXPECT_EQ(childClient.right, area.right);
    EXPECT_EQ(childClient.bottom, area.bottom);
  }
}

TEST_F(MdiClientObject, ArrangementAskedForInsideAnArrangementDoesTheObjectsWorkOnce) {
  HWND one = Child(u"One"), two = Child(u"Two");
  ASSERT_TRUE(one && two);
  g_frameLooks.clear();
  g_rearrangeOnSize = true;
  SendMessageW(client_, WM_MDITILE, MDITILE_VERTICAL, 0);
  g_rearrangeOnSize = false;
  EXPECT_GT(g_nestedArrangements, 0);
  // One look before the arrangement and one refresh after it, whatever was asked inside.
  EXPECT_EQ(g_frameLooks[one], 2);
  EXPECT_EQ(g_frameLooks[two], 2);
  CKtkSkinObjectMDIClient* client = ClientObject();
  ASSERT_NE(client, nullptr);
  EXPECT_FALSE(client->m_bArranging);
  EXPECT_EQ(FrameObject(one)->m_nPaintSuppression, 0);
  // The children's frames are refreshed once more a second later.
  g_frameLooks.clear();
  Kx2ClockAdvance(1000);
  Pump();
  EXPECT_EQ(g_frameLooks[one], 1);
  Kx2ClockAdvance(1000);
  Pump();
  EXPECT_EQ(g_frameLooks[one], 1);
}

TEST_F(MdiClientObject, ClientBarsComeFromTheSkinOnceChildrenLieOutside) {
  HWND child = Child(u"Far", RECT{500, 380, 300, 200});
  ASSERT_NE(child, nullptr);
  Pump();  // the client recomputes its bars
  CKtkSkinObjectMDIClient* client = ClientObject();
  ASSERT_NE(client, nullptr);
  const ScrollBarPosInfo& vert = client->m_scrollBars[KTK_SB_VERT];
  ASSERT_TRUE(vert.bShown);
  ASSERT_TRUE(client->m_scrollBars[KTK_SB_HORZ].bShown);
  RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  cairo_surface_t* shot = Kx2CaptureWindow(frame_);
  ASSERT_NE(shot, nullptr);
  RECT frameBox{}, clientBox{};
  GetWindowRect(frame_, &frameBox);
  GetWindowRect(client_, &clientBox);
  const int x = clientBox.left - frameBox.left + (vert.rcBar.left + vert.rcBar.right) / 2;
  const int y = clientBox.top - frameBox.top + vert.rcBar.top + 3;
  cairo_surface_flush(shot);
  const auto* row = cairo_image_surface_get_data(shot) + y * cairo_image_surface_get_stride(shot);
  const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
  cairo_surface_destroy(shot);
  EXPECT_EQ(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), kArrow);
}

}  // namespace

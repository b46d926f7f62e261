// MFC's window side: creation through CreateEx, message maps with cracked parameters,
// Default() with the thread's last sent message, subclassing, CFrameWnd's stay-active flag.
#include <win/afx.h>

#include <thread>

#include "kx2/Module.h"
#include "user_test_support.h"
#include "win/gdi.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;

UINT g_custom = 0;

class Probe : public CWnd {
 public:
  std::vector<std::string> log;
  bool finalReleased = false;
  MSG lastSeen{};
  DECLARE_MESSAGE_MAP()

 protected:
  int OnCreate(LPCREATESTRUCTW cs) {
    log.push_back("create:" + std::to_string(cs->cx) + ":" + (FromHandlePermanent(m_hWnd) == this ? "mine" : "?"));
    return CWnd::OnCreate(cs);
  }
  void OnLButtonDown(UINT flags, CPoint point) {
    log.push_back("down:" + std::to_string(flags) + ":" + std::to_string(point.x) + "," + std::to_string(point.y));
    lastSeen = AfxGetThreadState()->m_lastSentMsg;
  }
  LRESULT OnUser(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
  LRESULT OnCustom(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 10); }
  void OnOpen() { log.push_back("open"); }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
    log.push_back("color:" + std::to_string(type) + ":" + (dc && wnd ? "ok" : "?"));
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x77));
  }
  void PostNcDestroy() override { finalReleased = true; }
};

BEGIN_MESSAGE_MAP(Probe, CWnd)
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_MESSAGE(WM_USER + 5, OnUser)
ON_REGISTERED_MESSAGE(g_custom, OnCustom)
ON_COMMAND(100, OnOpen)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class AfxWindow : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_custom = RegisterWindowMessageW(u"Kx2ProbeCustom");
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"Kx2AfxPlain";
    EXPECT_TRUE(AfxRegisterClass(&wc));
    EXPECT_TRUE(AfxRegisterClass(&wc)) << "already there is fine";
  }
};

TEST_F(AfxWindow, CreateExAttachesBeforeCreationAndDispatchesThroughTheMap) {
  Probe probe;
  ASSERT_TRUE(probe.CreateEx(0, u"Kx2AfxPlain", u"probe", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80, nullptr, nullptr));
  EXPECT_EQ(probe.log, (std::vector<std::string>{"create:120:mine"}));
  EXPECT_EQ(CWnd::FromHandlePermanent(probe.m_hWnd), &probe);
  EXPECT_EQ(GetWindowLongPtrW(probe.m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
  EXPECT_EQ(*probe.GetSuperWndProcAddr(), &DefWindowProcW);

  EXPECT_EQ(probe.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7)), 0);
  EXPECT_EQ(probe.log.back(), "down:1:-3,7");
  EXPECT_EQ(probe.lastSeen.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(probe.lastSeen.hwnd, probe.m_hWnd);
  EXPECT_EQ(probe.SendMessage(WM_USER + 5, 2, 3), 5);
  EXPECT_EQ(probe.SendMessage(g_custom, 4, 0), 40);
  probe.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
  probe.SendMessage(WM_COMMAND, MAKEWPARAM(101, 0), 0);  // no entry
  EXPECT_EQ(probe.log.back(), "open");
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(probe.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(probe.m_hWnd)),
            0x77);
  EXPECT_EQ(probe.log.back(), "color:3:ok");
  DeleteDC(dc);
  // Unhandled messages take the default path, here the system's DefWindowProcW.
  probe.SetWindowText(u"renamed");
  WCHAR text[16];
  EXPECT_EQ(probe.GetWindowText(text, 16), 7);

  HWND hwnd = probe.m_hWnd;
  EXPECT_TRUE(probe.DestroyWindow());
  EXPECT_TRUE(probe.finalReleased);
  EXPECT_EQ(probe.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
  CWnd::DeleteTempMap();
}

TEST_F(AfxWindow, SubclassingPassesWhatTheMapLeavesToThePreviousProcedure) {
  HWND w = Make(WS_POPUP);
  Probe probe;
  ASSERT_TRUE(probe.SubclassWindow(w));
  EXPECT_FALSE(Probe().SubclassWindow(w)) << "one permanent object per window";
  Journal().clear();
  probe.SendMessage(WM_LBUTTONDOWN, 0, 0);  // handled, not passed on
  probe.SendMessage(WM_MOUSEMOVE, 0, 0);    // not in the map
  EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_MOUSEMOVE}));
  EXPECT_EQ(probe.UnsubclassWindow(), w);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&usertest::JournalProc));
  EXPECT_EQ(CWnd::FromHandlePermanent(w), nullptr);
  // A temporary object stands for a window without a permanent one.
  CWnd* temp = CWnd::FromHandle(w);
  ASSERT_NE(temp, nullptr);
  EXPECT_EQ(temp->m_hWnd, w);
  EXPECT_EQ(CWnd::FromHandle(w), temp);
  CWnd::DeleteTempMap();
  EXPECT_TRUE(IsWindow(w)) << "temporary objects never destroy their window";
}

TEST_F(AfxWindow, PermanentMapIsPerThread) {
  Probe probe;
  ASSERT_TRUE(probe.CreateEx(0, u"Kx2AfxPlain", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  CWnd* seen = &probe;
  std::thread([&] { seen = CWnd::FromHandlePermanent(probe.m_hWnd); }).join();
  EXPECT_EQ(seen, nullptr);
}  // ~CWnd destroys the window it still holds

TEST_F(AfxWindow, FrameAskedToStayActiveKeepsItsCaptionLit) {
  HWND w = Make(WS_OVERLAPPEDWINDOW);
  CFrameWnd frame;
  ASSERT_TRUE(frame.SubclassWindow(w));
  EXPECT_TRUE(frame.IsFrameWnd());
  frame.m_nFlags |= WF_STAYACTIVE;
  Journal().clear();
  frame.SendMessage(WM_NCACTIVATE, FALSE, 0);
  ASSERT_EQ(MessagesOf(w), (std::vector<UINT>{WM_NCACTIVATE}));
  EXPECT_EQ(Journal().back().wParam, static_cast<WPARAM>(TRUE));
  EnableWindow(w, FALSE);
  Journal().clear();
  frame.SendMessage(WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(Journal().back().wParam, static_cast<WPARAM>(FALSE)) << "a disabled frame looks inactive";
  frame.UnsubclassWindow();
}

TEST_F(AfxWindow, GrayCtlColorColoursStaticsButNotEdits) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH grey = CreateSolidBrush(RGB(10, 20, 30));
  EXPECT_FALSE(CWnd::GrayCtlColor(dc, nullptr, CTLCOLOR_EDIT, grey, RGB(1, 1, 1)));
  EXPECT_TRUE(CWnd::GrayCtlColor(dc, nullptr, CTLCOLOR_STATIC, grey, static_cast<COLORREF>(-1)));
  EXPECT_EQ(GetBkColor(dc), RGB(10, 20, 30));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
  DeleteObject(grey);
  DeleteDC(dc);
}

TEST(AfxWindowModules, AfxWndProcIsNotSystemCode) {
  HMODULE user32 = GetModuleHandleW(u"user32.dll");
  EXPECT_NE(Kx2ModuleFromAddress(reinterpret_cast<const void*>(&AfxWndProc)), user32);
  EXPECT_EQ(Kx2ModuleFromAddress(reinterpret_cast<const void*>(&DefWindowProcW)), user32);
}

}  // namespace

namespace {

class Notified : public CWnd {
 public:
  std::vector<UINT_PTR> ids;
  DECLARE_MESSAGE_MAP()

 protected:
  void OnClicked(NMHDR* header, LRESULT* result) {
    ids.push_back(header->idFrom);
    *result = 5;
  }
};

BEGIN_MESSAGE_MAP(Notified, CWnd)
ON_NOTIFY(7, 12, OnClicked)
END_MESSAGE_MAP()

TEST_F(AfxWindow, NotificationsReachTheEntryOfTheirCodeAndId) {
  Notified wnd;
  ASSERT_TRUE(wnd.CreateEx(0, u"Kx2AfxPlain", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  NMHDR match{nullptr, 12, 7}, otherId{nullptr, 13, 7}, otherCode{nullptr, 12, 8};
  EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&match)), 5);
  EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 13, reinterpret_cast<LPARAM>(&otherId)), 0);
  EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&otherCode)), 0);
  EXPECT_EQ(wnd.ids, (std::vector<UINT_PTR>{12}));
  // Unhandled control colours come from DefWindowProcW: the system's brushes and colours.
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(wnd.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_3DFACE));
  DeleteDC(dc);
}

}  // namespace

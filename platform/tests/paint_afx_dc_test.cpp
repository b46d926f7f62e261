// MFC's DC classes over window painting, and the GDI object classes' handle lifetimes.
#include <cairo.h>
#include <gtest/gtest.h>
#include <win/afx.h>

#include <string>
#include <vector>

#include "kx2/Compositor.h"
#include "kx2/GdiCairo.h"
#include "user_test_support.h"
#include "win/gdi.h"

namespace {

using usertest::Pump;

COLORREF Probe(HWND top, int x, int y) {
  cairo_surface_t* capture = Kx2CaptureWindow(top);
  const auto* row = cairo_image_surface_get_data(capture) + ptrdiff_t(y) * cairo_image_surface_get_stride(capture);
  const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
  cairo_surface_destroy(capture);
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

LRESULT CALLBACK PaintWithCPaintDC(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    CPaintDC dc(CWnd::FromHandle(hwnd));
    CBrush green(RGB(0, 255, 0));
    CRect client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, green);
    dc.FillSolidRect(0, 0, 10, 10, RGB(255, 0, 0));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A DC that sends its text elsewhere, as a skin's paint DC does.
class RoutingDC : public CDC {
 public:
  std::vector<std::string> calls;
  BOOL TextOut(int, int, LPCWSTR, int) override {
    calls.push_back("TextOut");
    return TRUE;
  }
  int DrawText(LPCWSTR, int, LPRECT, UINT) override {
    calls.push_back("DrawText");
    return 1;
  }
  BOOL RectVisible(LPCRECT) const override { return FALSE; }
};

class AfxDcTest : public usertest::WindowTest {};

TEST_F(AfxDcTest, PaintClientAndWindowDCsDrawWhereTheirWindowIs) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PaintWithCPaintDC;
  wc.lpszClassName = u"AfxPaintDc";
  RegisterClassW(&wc);
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{0, 0, 200, 150}, 0, u"AfxPaintDc");
  Pump();
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(Probe(w, origin.x + 50, origin.y + 50), RGB(0, 255, 0));
  EXPECT_EQ(Probe(w, origin.x + 2, origin.y + 2), RGB(255, 0, 0));
  {
    CClientDC client(CWnd::FromHandle(w));
    client.FillSolidRect(20, 20, 5, 5, RGB(0, 0, 255));
    CWindowDC whole(CWnd::FromHandle(w));
    whole.FillSolidRect(0, 0, 3, 3, RGB(255, 255, 0));
  }
  EXPECT_EQ(Probe(w, origin.x + 21, origin.y + 21), RGB(0, 0, 255));
  EXPECT_EQ(Probe(w, 1, 1), RGB(255, 255, 0));
  CWnd::DeleteTempMap();

  // A window that is gone: painting cannot begin and says so with CResourceException.
  DestroyWindow(w);
  CWnd stale(w);
  bool thrown = false;
  try {
    CPaintDC dc(&stale);
  } catch (CException* e) {
    thrown = dynamic_cast<CResourceException*>(e) != nullptr;
    e->Delete();
  }
  EXPECT_TRUE(thrown);
  stale.m_hWnd = nullptr;
}

TEST_F(AfxDcTest, TextAndVisibilityCallsAreVirtual) {
  RoutingDC routed;
  CDC& base = routed;
  RECT r{0, 0, 10, 10};
  base.TextOut(0, 0, u"a", 1);
  base.DrawText(u"b", 1, &r, 0);
  EXPECT_FALSE(base.RectVisible(&r));
  EXPECT_EQ(routed.calls, (std::vector<std::string>{"TextOut", "DrawText"}));
  // The plain CDC passes them to GDI; Escape answers only QUERYESCSUPPORT.
  CDC memory;
  ASSERT_TRUE(memory.Attach(CreateCompatibleDC(nullptr)));
  const int asked = QUERYESCSUPPORT, other = 0x1001;
  EXPECT_EQ(memory.Escape(QUERYESCSUPPORT, 4, reinterpret_cast<LPCSTR>(&asked), nullptr), 1);
  EXPECT_EQ(memory.Escape(QUERYESCSUPPORT, 4, reinterpret_cast<LPCSTR>(&other), nullptr), 0);
  EXPECT_EQ(memory.Escape(other, 0, nullptr, nullptr), 0);
  DeleteDC(memory.Detach());
}

TEST_F(AfxDcTest, GdiObjectsFreeTheirHandlesAndTemporariesNever) {
  GetSysColorBrush(COLOR_3DFACE);  // made on first use, then kept for the process
  const LONG pens = Kx2GdiLiveObjects(OBJ_PEN), brushes = Kx2GdiLiveObjects(OBJ_BRUSH);
  const LONG fonts = Kx2GdiLiveObjects(OBJ_FONT), regions = Kx2GdiLiveObjects(OBJ_REGION);
  const LONG dcs = Kx2GdiLiveObjects(OBJ_MEMDC);
  {
    HDC memory = CreateCompatibleDC(nullptr);
    CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
    CBrush brush(RGB(4, 5, 6));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, u"DejaVu Sans"));
    LOGFONTW lf{};
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -12) << "9 points at 96 DPI";
    CRgn a, b;
    a.CreateRectRgn(0, 0, 10, 10);
    b.CreateRectRgn(5, 5, 20, 20);
    EXPECT_EQ(a.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    CPen* oldPen = CPen::FromHandle(static_cast<HPEN>(SelectObject(memory, pen)));
    ASSERT_TRUE(oldPen);
    EXPECT_EQ(oldPen->m_hObject, GetStockObject(BLACK_PEN));
    EXPECT_EQ(CPen::FromHandle(static_cast<HPEN>(oldPen->m_hObject)), oldPen) << "one temporary per handle";
    HGDIOBJ oldBrush = SelectObject(memory, brush);
    HGDIOBJ oldFont = SelectObject(memory, font);
    SelectObject(memory, *oldPen);
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldFont);
    DeleteDC(memory);
    CBrush face;
    face.CreateSysColorBrush(COLOR_3DFACE);
    CGdiObject::DeleteTempMap();
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN)) << "temporaries free nothing";
  }
  EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_3DFACE)), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_PEN), pens);
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_BRUSH), brushes);
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_FONT), fonts);
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_REGION), regions);
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_MEMDC), dcs);
}

TEST_F(AfxDcTest, DrawTextExKeepsMarginsAndEditControlsShowWholeLines) {
  CDC memory;
  ASSERT_TRUE(memory.Attach(CreateCompatibleDC(nullptr)));
  HBITMAP bits = CreateBitmap(200, 100, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, bits);
  RECT all{0, 0, 200, 100};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TEXTMETRICW tm{};
  memory.GetTextMetrics(&tm);
  // Margins move the text in; the length drawn is reported.
  std::u16string text = u"Margin";
  DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 30, 10, 0};
  RECT r{0, 0, 200, 20};
  EXPECT_GT(memory.DrawTextEx(text.data(), -1, &r, DT_SINGLELINE, &params), 0);
  EXPECT_EQ(params.uiLengthDrawn, 6u);
  int firstInk = -1;
  for (int x = 0; x < 200 && firstInk < 0; ++x)
    for (int y = 0; y < 20; ++y)
      if (GetPixel(memory, x, y) != RGB(255, 255, 255)) {
        firstInk = x;
        break;
      }
  EXPECT_GE(firstInk, 30);
  // An edit control leaves out a line that would show only in part.
  RECT box{0, 20, 60, 20 + tm.tmHeight * 2 + tm.tmHeight / 2};
  RECT measured = box;
  const int all_lines = DrawTextW(memory, u"one two three four five six", -1, &measured, DT_WORDBREAK | DT_CALCRECT);
  ASSERT_GT(all_lines, 2 * tm.tmHeight);
  memory.DrawText(u"one two three four five six", -1, &box, DT_WORDBREAK | DT_EDITCONTROL);
  bool inkInPartLine = false;
  for (int y = 20 + 2 * tm.tmHeight; y < box.bottom; ++y)
    for (int x = 0; x < 60; ++x) inkInPartLine |= GetPixel(memory, x, y) != RGB(255, 255, 255);
  EXPECT_FALSE(inkInPartLine);
  SelectObject(memory, old);
  DeleteObject(bits);
  DeleteDC(memory.Detach());
}

}  // namespace

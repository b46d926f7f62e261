// The static draw helpers and the guards.
#include <gtest/gtest.h>

#include <string>

#include <kx2/Module.h>
#include <win/module.h>
#include <kx2test/ChildProcess.h>
#include <win/afx.h>
#include <win/afx_wnd.h>
#include <win/gdi.h>
#include <win/gdi_text.h>
#include <win/user.h>
#include <win/user_message.h>
#include <win/user_window.h>

#include "draw_fixture.h"
#include "ornatex/draw/dc_guards.h"
#include "ornatex/draw/draw_helpers.h"

using ornatex_test::Canvas;

namespace {

TEST(DrawHelpers, RemoveAmpersandsSkipsTheUnitMovingIntoPlace) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"&&&", u"&"},    {u"&File", u"File"}, {u"Save &As", u"Save As"}, {u"a&b", u"ab"},
      {u"&&", u"&"},     {u"a&&b", u"a&b"},   {u"&&&&", u"&&"},          {u"", u""},
      {u"end&", u"end"}, {u"no", u"no"},
  };
  for (const auto& c : cases) {
    std::u16string text = c.in;
    CKtkDrawHelpers::RemoveAmpersands(text);
    EXPECT_EQ(text, c.out);
  }
}

TEST(DrawHelpers, CompareNoCaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(CompareNoCaseA("USER32.DLL", "user32.dll"), 0);
  EXPECT_LT(CompareNoCaseA("abc", "abd"), 0);
  EXPECT_EQ(CompareNoCaseA("ab", "abc"), -'c');
  EXPECT_EQ(CompareNoCaseA("abc", "ab"), 'c');
  EXPECT_NE(CompareNoCaseA("\xC4", "\xE4"), 0);  // not an A to Z letter
  EXPECT_EQ(CompareNoCaseA("[", "{"), '[' - '{');
  EXPECT_EQ(CompareNoCaseW(u"ComCtl32", u"COMCTL99", 6), 0);  // only n units
  EXPECT_NE(CompareNoCaseW(u"ComCtl32", u"COMCTL99", 7), 0);
  EXPECT_EQ(CompareNoCaseW(u"ab", u"AB", 10), 0);  // stops at the zero
  EXPECT_NE(CompareNoCaseW(u"\u00C4", u"\u00E4", 1), 0);
}

TEST(DrawHelpers, IsDCMirroredWithoutGetLayoutIsZeroAndLooksOnce) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("DrawHelpers.IsDCMirroredWithoutGetLayoutIsZeroAndLooksOnce");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  Kx2ModuleSetExportAbsent("GetLayout", TRUE);
  Canvas canvas(4, 4, 0);
  CDC dc;
  dc.Attach(canvas.dc());
  EXPECT_EQ(CKtkDrawHelpers::IsDCMirrored(nullptr), 0);
  EXPECT_EQ(Kx2ModuleAbsentLookups("GetLayout"), 0u);  // no DC: nothing looked up
  EXPECT_EQ(CKtkDrawHelpers::IsDCMirrored(&dc), 0);
  EXPECT_EQ(CKtkDrawHelpers::IsDCMirrored(&dc), 0);
  EXPECT_EQ(Kx2ModuleAbsentLookups("GetLayout"), 1u);
  CKtkDrawHelpers::SetDCLayout(&dc, KTK_LAYOUT_RTL);  // nothing to call: nothing happens
  dc.Detach();
}

TEST(DrawHelpers, BlendingEntriesAreBoundByNameAndMayBeMissing) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("DrawHelpers.BlendingEntriesAreBoundByNameAndMayBeMissing");
    EXPECT_TRUE(child.Passed()) << child.output;
    EXPECT_NE(KtkDrawHelpers().m_pfnAlphaBlend, nullptr);
    EXPECT_NE(KtkDrawHelpers().m_pfnTransparentBlt, nullptr);
    return;
  }
  Kx2ModuleSetExportAbsent("AlphaBlend", TRUE);
  EXPECT_NE(KtkDrawHelpers().m_hMsimg32, nullptr);
  EXPECT_EQ(KtkDrawHelpers().m_pfnAlphaBlend, nullptr);
  EXPECT_NE(KtkDrawHelpers().m_pfnTransparentBlt, nullptr);
}

TEST(DcGuards, PutBackWhatTheyReplacedAndFreeWhatTheyMade) {
  Canvas canvas(10, 10, RGB(255, 255, 255));
  HDC dc = canvas.dc();
  const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);
  const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  const long live = ornatex_test::LiveGdiObjects();
  HFONT a = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"DejaVu Sans");
  HFONT b = CreateFontW(14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"DejaVu Sans");
  {
    CKtkPenDC p(dc, RGB(1, 2, 3));
    CKtkBrushDC br(dc, RGB(4, 5, 6));
    EXPECT_NE(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_NE(GetCurrentObject(dc, OBJ_BRUSH), brush);
    CDC cdc;
    cdc.Attach(dc);
    {
      CKtkFontDC f(&cdc, a);
      f.SelectFont(b);  // the first remembered font stays
      EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), b);
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    CKtkFontDC none(nullptr, a);  // a guard without a DC does nothing
    cdc.Detach();
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  DeleteObject(a);
  DeleteObject(b);
  EXPECT_EQ(ornatex_test::LiveGdiObjects(), live);
}

TEST(DcGuards, CompatibleDCSelectsTheBitmapAndGivesItBack) {
  Canvas canvas(8, 8, RGB(0, 0, 0));
  HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc(), 6, 6);
  const long live = ornatex_test::LiveGdiObjects();
  {
    CDC source;
    source.Attach(canvas.dc());
    CKtkCompatibleDC dc(&source, bitmap);
    ASSERT_NE(dc.GetSafeHdc(), nullptr);
    EXPECT_EQ(GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP), bitmap);
    Canvas::Fill(dc.GetSafeHdc(), RECT{0, 0, 6, 6}, RGB(0, 255, 0));
    source.Detach();
  }
  EXPECT_EQ(ornatex_test::LiveGdiObjects(), live);
  Canvas check(1, 1, 0);
  HGDIOBJ old = SelectObject(check.dc(), bitmap);  // the bitmap is free again and kept its paint
  EXPECT_EQ(GetPixel(check.dc(), 3, 3), RGB(0, 255, 0));
  SelectObject(check.dc(), old);
  DeleteObject(bitmap);
}

TEST(DrawHelpers, FillTriangleFillsInsideWithOneColour) {
  Canvas canvas(20, 20, RGB(255, 255, 255));
  CDC dc;
  dc.Attach(canvas.dc());
  const POINT points[3] = {{2, 2}, {17, 2}, {2, 17}};
  CKtkDrawHelpers::FillTriangle(&dc, points, RGB(0, 0, 255));
  CKtkDrawHelpers::FillTriangle(nullptr, points, RGB(0, 0, 255));
  dc.Detach();
  EXPECT_EQ(canvas.At(5, 5), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 255));  // the outline too
  EXPECT_EQ(canvas.At(16, 16), RGB(255, 255, 255));
}

// A subclass that answers the text requests itself.
LRESULT LyingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return 3;
  if (message == WM_GETTEXT && wParam >= 4) {
    auto* out = reinterpret_cast<char16_t*>(lParam);
    out[0] = u'l', out[1] = u'i', out[2] = u'e', out[3] = 0;
    return 3;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        CKtkDrawHelpers::RegisterPlainWindowClass(GetModuleHandleW(nullptr), u"KtkPlainTest", 0, nullptr, nullptr));
  }
  HWND Make(DWORD exStyle, int x, int y, int w, int h) {
    HWND hwnd = CreateWindowExW(exStyle, u"KtkPlainTest", u"Frame text", WS_POPUP, x, y, w, h, nullptr, nullptr,
                                nullptr, nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }
  void TearDown() override {
    for (HWND hwnd : windows_) DestroyWindow(hwnd);
  }
  std::vector<HWND> windows_;
};

TEST_F(WindowTest, WindowTextDirectBypassesTheSubclass) {
  HWND hwnd = Make(0, 0, 0, 100, 50);
  ASSERT_NE(hwnd, nullptr);
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LyingProcedure));
  char16_t through[16] = {};
  GetWindowTextW(hwnd, through, 16);
  EXPECT_EQ(std::u16string(through), u"lie");
  std::u16string text;
  CKtkDrawHelpers::GetWindowTextDirect(hwnd, text);
  EXPECT_EQ(text, u"Frame text");
}

TEST_F(WindowTest, ScreenToFramePointFollowsTheLayout) {
  HWND ltr = Make(0, 100, 200, 300, 100);
  HWND rtl = Make(WS_EX_LAYOUTRTL, 100, 200, 300, 100);
  POINT p{150, 230};
  CKtkDrawHelpers::ScreenToFramePoint(ltr, p);
  EXPECT_EQ(p.x, 50);
  EXPECT_EQ(p.y, 30);
  p = POINT{150, 230};
  CKtkDrawHelpers::ScreenToFramePoint(rtl, p);
  EXPECT_EQ(p.x, 250);
  EXPECT_EQ(p.y, 30);
}

TEST_F(WindowTest, RectanglesOfWhatIsNoWindowAreEmpty) {
  HWND hwnd = Make(0, 10, 20, 30, 40);
  const RECT w = KtkGetWindowRect(hwnd);
  EXPECT_EQ(w.left, 10);
  EXPECT_EQ(w.bottom, 60);
  const RECT c = KtkGetClientRect(hwnd);
  EXPECT_EQ(c.right, 30);
  for (RECT r : {KtkGetWindowRect(static_cast<HWND>(nullptr)), KtkGetClientRect(reinterpret_cast<HWND>(0x1234)),
                 KtkGetWindowRect(static_cast<const CWnd*>(nullptr))}) {
    EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  }
}

}  // namespace

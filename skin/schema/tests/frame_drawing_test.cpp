// The schema's frame painting: border widths by style, caption button sizes, the painted
// caption, edges, buttons and title, and the window icon, probed by pixels.
#include <gtest/gtest.h>

#include <cstdlib>

#include <kx2/GdiCairo.h>
#include <win/user_message.h>

#include "frame_fixture.h"
#include "ornatex/core/api_hook.h"
#include "ornatex/core/caption_button.h"

namespace {

using frame_test::Canvas;
using frame_test::SkinFolder;
using frame_test::TestFrame;

constexpr COLORREF kActive = RGB(200, 0, 0), kInactive = RGB(0, 0, 200), kSmall = RGB(0, 120, 0);
constexpr COLORREF kEdge = RGB(0, 200, 0), kClose = RGB(0, 0, 255), kCloseHot = RGB(255, 255, 0);
constexpr COLORREF kTitle = RGB(250, 250, 250);

class FrameDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    // Caption: two frames stacked, active over inactive.
    skin_.Bmp("caption.bmp", 40, 40, [](int, int y) { return y < 20 ? kActive : kInactive; });
    skin_.Bmp("small.bmp", 40, 40, [](int, int) { return kSmall; });
    skin_.Solid("edge.bmp", 4, 20, kEdge);
    schema_ = skin_.Load({
        u"[SysMetrics]",
        u"CaptionBarHeight = 19",
        u"CaptionText = 250, 250, 250",
        u"[Window]",
        u"ImageLayout = 2",
        u"ImageCount = 2",
        u"[Window.1]",
        u"ImageFile = caption.bmp",
        u"[Window.2]",
        u"ImageFile = small.bmp",
        u"[Window.7]",
        u"ImageFile = edge.bmp",
        u"ImageCount = 1",
        u"[Window.8]",
        u"ImageFile = edge.bmp",
        u"ImageCount = 1",
        u"[Window.9]",
        u"ImageFile = edge.bmp",
        u"ImageCount = 1",
        u"[Window.18]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = 0, 0, 255",
        u"[Window.18(2)]",
        u"FillColor = 255, 255, 0",
    });
    ASSERT_NE(schema_, nullptr);
  }
  SkinFolder skin_;
  CKtkSkinManagerSchema* schema_ = nullptr;
};

TEST_F(FrameDrawing, BordersFollowTheStyles) {
  const CKtkSkinManagerMetrics& m = *schema_->m_metrics;
  const int caption = m.m_cyCaption, small = m.m_cySmallCaption, mult = m.m_borderMultiplier;
  EXPECT_EQ(caption, 20);  // the skin's height and one more
  const struct {
    DWORD style, exStyle;
    RECT expected;
  } cases[] = {
      {WS_POPUP, 0, RECT{0, 0, 0, 0}},
      {WS_POPUP | WS_BORDER, 0, RECT{1, 1, 1, 1}},
      {WS_CAPTION, 0, RECT{1, caption + 1, 1, 1}},
      {WS_CAPTION, WS_EX_TOOLWINDOW, RECT{1, small + 1, 1, 1}},
      {WS_CAPTION | WS_THICKFRAME, WS_EX_WINDOWEDGE, RECT{3 + mult, caption + 3 + mult, 3 + mult, 3 + mult}},
      {WS_CAPTION, WS_EX_CLIENTEDGE | WS_EX_STATICEDGE, RECT{4, caption + 4, 4, 4}},
      {WS_CHILD | WS_CAPTION | WS_MAXIMIZE, 0, RECT{1, caption + 1, 1, 1}},
  };
  for (const auto& c : cases) {
    const RECT r = schema_->GetFrameBorders(c.style, c.exStyle);
    EXPECT_EQ(r.left, c.expected.left) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.top, c.expected.top) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.right, c.expected.right) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.bottom, c.expected.bottom) << std::hex << c.style << " " << c.exStyle;
  }
  EXPECT_EQ(schema_->CountFrameBorders(WS_CAPTION, WS_EX_CLIENTEDGE, TRUE, TRUE), 3);
  EXPECT_EQ(schema_->CountFrameBorders(WS_CAPTION, WS_EX_CLIENTEDGE, FALSE, TRUE), 2);
}

TEST_F(FrameDrawing, MaximisedTopLevelWindowTakesItsBordersFromTheSystem) {
  const DWORD style = WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE;
  RECT system{0, 0, 100, 100};
  KtkAdjustWindowRectEx(&system, style, FALSE, 0);
  const LONG c = -system.left;
  ASSERT_GT(c, 0);
  const RECT r = schema_->GetFrameBorders(style, 0);
  EXPECT_EQ(r.left, c);
  EXPECT_EQ(r.right, c);
  EXPECT_EQ(r.bottom, c);
  EXPECT_EQ(r.top, schema_->m_metrics->m_cyCaption + c);
}

TEST_F(FrameDrawing, CaptionButtonSizeKeepsTheCloseImagesProportions) {
  skin_.Solid("wide.bmp", 90, 20, kClose);  // three frames of 30 x 20
  skin_.Solid("thin.bmp", 4, 2, kClose);    // eight images in four pixels
  const struct {
    std::u16string lines;
    SIZE expected;
  } cases[] = {
      {u"ImageFile = wide.bmp", SIZE{24 + 2, 16}},  // MulDiv(30, 16, 20) + MulDiv(10, 4, 20)
      {u"ImageFile = missing.bmp", SIZE{16, 16}},
      {u"BgType = 1", SIZE{16, 16}},
      {u"ImageFile = thin.bmp\nImageCount = 8", SIZE{16, 16}},  // frames of no width: square
  };
  for (const auto& c : cases) {
    std::vector<std::u16string> lines = {u"[Window.18]", u"ImageCount = 3"};
    size_t start = 0;
    for (size_t end; (end = c.lines.find(u'\n', start)) != std::u16string::npos; start = end + 1)
      lines.push_back(c.lines.substr(start, end - start));
    lines.push_back(c.lines.substr(start));
    CKtkSkinManagerSchema* schema = skin_.Load(lines);
    const SIZE size = CKtkSkinManagerSchema::GetCaptionButtonSize(KtkSchemaClass(*schema, u"WINDOW"), 16);
    EXPECT_EQ(size.cx, c.expected.cx) << kx2::Utf16ToUtf8(c.lines);
    EXPECT_EQ(size.cy, c.expected.cy) << kx2::Utf16ToUtf8(c.lines);
  }
  // A button so low that the correction outweighs the width: no negative width.
  skin_.Solid("tall.bmp", 2, 100, kClose);
  CKtkSkinManagerSchema* tall = skin_.Load({u"[Window.18]", u"ImageFile = tall.bmp"});
  EXPECT_EQ(CKtkSkinManagerSchema::GetCaptionButtonSize(KtkSchemaClass(*tall, u"WINDOW"), 1).cx, 0);
}

TEST_F(FrameDrawing, CaptionEdgesButtonsAndTitle) {
  TestFrame frame(schema_, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 200, 100, u"Title");
  frame.m_captionButtons.push_back(std::make_unique<CCaptionButton>(&frame, SC_CLOSE, HTCLOSE, 18, TRUE));
  frame.m_captionButtons.push_back(std::make_unique<CCaptionButton>(&frame, SC_MINIMIZE, HTMINBUTTON, 15, TRUE));
  const RECT b = frame.m_rcBorders;
  ASSERT_EQ(b.top, 23);  // caption, border and the window edge every captioned window gets
  Canvas canvas(200, 100);
  frame.m_bActive = TRUE;
  schema_->DrawFrame(canvas.dc(), &frame);
  EXPECT_EQ(canvas.At(100, 3), kActive);
  EXPECT_EQ(canvas.At(0, 50), kEdge);                 // left edge
  EXPECT_EQ(canvas.At(199, 50), kEdge);               // right edge
  EXPECT_EQ(canvas.At(100, 99), kEdge);               // bottom edge
  EXPECT_EQ(canvas.At(100, 50), RGB(255, 255, 255));  // the client is left alone
  const RECT close = frame.m_captionButtons[0]->m_rect, minimize = frame.m_captionButtons[1]->m_rect;
  EXPECT_EQ(close.right - close.left, close.bottom - close.top);  // a border-fill part is square
  EXPECT_LE(close.right, 200 - b.right);
  EXPECT_EQ(minimize.right + 2, close.left);
  EXPECT_EQ(canvas.At((close.left + close.right) / 2, (close.top + close.bottom) / 2), kClose);
  EXPECT_TRUE(canvas.Contains(RECT{b.left, 0, minimize.left, b.top}, kTitle));
  if (const char* out = std::getenv("KX2_TEST_OUTPUT"))
    Kx2GdiWriteDcPng(canvas.dc(), kx2test::WinPath(std::string(out) + "/frame_drawing.png").c_str());

  frame.m_pHotButton = frame.m_captionButtons[0].get();
  schema_->DrawFrame(canvas.dc(), &frame);
  EXPECT_EQ(canvas.At((close.left + close.right) / 2, (close.top + close.bottom) / 2), kCloseHot);
  frame.m_pHotButton = nullptr;
  frame.m_bActive = FALSE;
  schema_->DrawFrame(canvas.dc(), &frame);
  EXPECT_EQ(canvas.At(100, 3), kInactive);
}

TEST_F(FrameDrawing, ToolWindowHasSquareButtonsAndNoIcon) {
  skin_.Solid("wide.bmp", 90, 20, kClose);
  TestFrame frame(schema_, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 200, 100);
  frame.m_captionButtons.push_back(std::make_unique<CCaptionButton>(&frame, SC_CLOSE, HTCLOSE, 19, TRUE));
  Canvas canvas(200, 100);
  schema_->DrawFrame(canvas.dc(), &frame);
  EXPECT_EQ(canvas.At(100, 3), kSmall);
  const RECT close = frame.m_captionButtons[0]->m_rect;
  EXPECT_GT(close.right - close.left, 0);
  EXPECT_EQ(close.right - close.left, close.bottom - close.top);
  EXPECT_EQ(CKtkSkinManagerSchema::GetWindowIcon(frame.FrameWindow(), TRUE), nullptr);
}

LRESULT CALLBACK IconAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETICON && wParam == ICON_BIG) return 0x1234;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(FrameDrawing, WindowIconByStyleAndAnswer) {
  const struct {
    DWORD style, exStyle;
    BOOL small;
    bool answers;
  } cases[] = {
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, TRUE, true},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, FALSE, true},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, TRUE, false},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, FALSE, true},
      {WS_POPUP | WS_CAPTION, 0, TRUE, false},
  };
  for (const auto& c : cases) {
    TestFrame frame(schema_, c.style, c.exStyle, 100, 60);
    SetWindowLongPtrW(frame.FrameWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IconAnswer));
    const HICON icon = CKtkSkinManagerSchema::GetWindowIcon(frame.FrameWindow(), c.small);
    EXPECT_EQ(icon, c.answers ? reinterpret_cast<HICON>(0x1234) : nullptr) << std::hex << c.style << " " << c.exStyle;
  }
  // A dialog frame that gives no icon gets none, not the system's.
  TestFrame dialog(schema_, WS_POPUP | WS_DLGFRAME | WS_SYSMENU, 0, 100, 60);
  EXPECT_EQ(CKtkSkinManagerSchema::GetWindowIcon(dialog.FrameWindow(), TRUE), nullptr);
}

TEST_F(FrameDrawing, PlainFrameAndClientEdge) {
  TestFrame frame(schema_, WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, 50, 40);
  Canvas canvas(50, 40);
  RECT r{0, 0, 50, 40};
  schema_->DrawFrame(canvas.dc(), &frame);
  schema_->DrawPlainFrame(canvas.dc(), r, &frame);
  EXPECT_EQ(r.left, 3);  // one border line and the two of the client edge
  EXPECT_EQ(r.bottom, 37);
  EXPECT_EQ(canvas.At(0, 20), schema_->GetMetricsColor(COLOR_BTNFACE));
  EXPECT_EQ(canvas.At(1, 20), schema_->m_metrics->m_shadow);
  EXPECT_EQ(canvas.At(48, 20), schema_->m_metrics->m_highlight);

  // A window class that fills its borders gets its border colour and its client brush.
  CKtkSkinManagerSchema* filled = skin_.Load({u"[Window]", u"BgType = 1", u"BorderColor = 9, 8, 7"});
  TestFrame edged(filled, WS_POPUP, WS_EX_CLIENTEDGE, 50, 40);
  Canvas second(50, 40);
  RECT edge{0, 0, 50, 40};
  filled->DrawClientEdge(second.dc(), edge, &edged);
  EXPECT_EQ(second.At(0, 20), RGB(9, 8, 7));
  EXPECT_EQ(second.At(1, 20), RGB(1, 2, 3));
  EXPECT_EQ(edge.left, 2);
}

}  // namespace

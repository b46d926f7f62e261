// The toolbar skin object on the platform's toolbar with a generated skin: each button's
// part by state (split buttons in two parts), the explorer's bands left to the system, an
// owner that draws a button itself, disabled images greyed or embossed by the common
// controls' version, texts of any length, and the tooltip's tools kept on the buttons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <kx2/GdiCairo.h>
#include <kx2test/ChildProcess.h>
#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/toolbar_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

COLORREF ButtonColour(int state) { return RGB(40 * state, 100, 200); }
COLORREF SplitColour(int state) { return RGB(40 * state, 200, 100); }
COLORREF DropColour(int state) { return RGB(40 * state, 10, 50); }
constexpr COLORREF kSeparator = RGB(250, 0, 250);
constexpr COLORREF kFace = RGB(230, 220, 200), kHighlight = RGB(255, 250, 0), kShadow = RGB(0, 90, 255);
constexpr COLORREF kOwnerPaint = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

std::vector<std::pair<DWORD, DWORD_PTR>> g_stages;
DWORD g_prepaintReply = 0;
int g_skipCommand = -1;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    if (cd->hdr.code == NM_CUSTOMDRAW) {
      g_stages.emplace_back(cd->dwDrawStage, cd->dwItemSpec);
      if (cd->dwDrawStage == CDDS_PREPAINT) return g_prepaintReply;
      if (cd->dwDrawStage == CDDS_ITEMPREPAINT && static_cast<int>(cd->dwItemSpec) == g_skipCommand) {
        HBRUSH brush = CreateSolidBrush(kOwnerPaint);
        FillRect(cd->hdc, &cd->rc, brush);
        DeleteObject(brush);
        return CDRF_SKIPDEFAULT | CDRF_NOTIFYPOSTPAINT;
      }
      return CDRF_DODEFAULT;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

using Canvas = ornatex_test::ProbeCanvas;

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

std::u16string Section(const char16_t* part, int state) {
  return u"[Toolbar." + std::u16string(part) + u"(" + std::u16string(1, static_cast<char16_t>(u'0' + state)) + u")]";
}

// A 32-bit list of one 16 x 16 red image, opaque inside a transparent one-pixel border.
HIMAGELIST AlphaImageList() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels[y * 16 + x] = (x == 0 || y == 0 || x == 15 || y == 15) ? 0u : 0xFFFF0000u;
  ImageList_Add(list, image, nullptr);
  DeleteObject(image);
  return list;
}

TBBUTTON Button(int command, BYTE state, BYTE style = BTNS_BUTTON, int image = -1, const char16_t* text = nullptr) {
  TBBUTTON b{};
  b.iBitmap = image;
  b.idCommand = command;
  b.fsState = state;
  b.fsStyle = style;
  b.iString = text ? reinterpret_cast<INT_PTR>(text) : -1;
  return b;
}

class ToolBarObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    g_stages.clear();
    g_prepaintReply = 0;
    g_skipCommand = -1;
    std::vector<std::u16string> lines = {u"[SysMetrics]", u"1616:4 = " + Colour(kFace),
                                         u"1621:4 = " + Colour(kHighlight), u"1617:4 = " + Colour(kShadow)};
    for (int state = 1; state <= 5; ++state)
      for (auto [part, colour] : {std::pair{u"1", ButtonColour(state)}, std::pair{u"3", SplitColour(state)},
                                  std::pair{u"4", DropColour(state)}})
        lines.insert(lines.end(),
                     {Section(part, state), u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(colour)});
    lines.insert(lines.end(), {u"[Toolbar.5]", u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(kSeparator)});
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"KtkToolBarOwner";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"TravelBand";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkToolBarOwner", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 3200, 300, nullptr, nullptr,
                              nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    for (HIMAGELIST list : lists_) ImageList_Destroy(list);
    manager_->RemoveSkin();
  }
  HWND MakeToolBar(const std::vector<TBBUTTON>& buttons, DWORD style = 0, HWND parent = nullptr, int width = 600) {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, 40,
                               parent ? parent : parent_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return bar;
  }
  RECT ItemRect(HWND bar, int index) {
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void Print(HWND bar, Canvas& canvas) {
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  }
  CKtkSkinObjectToolBar* Object(HWND bar) { return dynamic_cast<CKtkSkinObjectToolBar*>(manager_->Lookup(bar)); }
  // A disabled button of the red alpha image, without a disabled list; its rectangle.
  RECT PrintDisabledAlphaButton(Canvas& canvas) {
    HIMAGELIST list = AlphaImageList();
    lists_.push_back(list);
    HWND bar = MakeToolBar({Button(1, 0, BTNS_BUTTON, 0)});
    SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    Print(bar, canvas);
    return ItemRect(bar, 0);
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"toolbarobjectskin"};
  HWND parent_ = nullptr;
  std::vector<HIMAGELIST> lists_;
};

TEST_F(ToolBarObject, EachButtonShowsItsPartInItsState) {
  HWND bar = MakeToolBar({Button(1, TBSTATE_ENABLED), Button(2, TBSTATE_ENABLED), Button(3, TBSTATE_ENABLED),
                          Button(4, TBSTATE_ENABLED | TBSTATE_CHECKED), Button(5, 0), Button(0, 0, BTNS_SEP),
                          Button(6, TBSTATE_ENABLED, BTNS_DROPDOWN), Button(7, TBSTATE_ENABLED, BTNS_WHOLEDROPDOWN)});
  ASSERT_NE(Object(bar), nullptr);
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(bar, TB_SETHOTITEM, 1, 0);
  SendMessageW(bar, TB_PRESSBUTTON, 3, TRUE);
  Canvas canvas(600, 40);
  Print(bar, canvas);
  auto corner = [&](int index) {
    const RECT r = ItemRect(bar, index);
    return canvas.At(r.left + 1, r.top + 1);
  };
  EXPECT_EQ(corner(0), ButtonColour(1));  // normal
  EXPECT_EQ(corner(1), ButtonColour(2));  // hot
  EXPECT_EQ(corner(2), ButtonColour(3));  // pressed
  EXPECT_EQ(corner(3), ButtonColour(5));  // checked
  EXPECT_EQ(corner(4), ButtonColour(4));  // disabled
  EXPECT_EQ(corner(5), kSeparator);
  const RECT split = ItemRect(bar, 6);
  EXPECT_EQ(canvas.At(split.left + 1, split.top + 1), SplitColour(1));
  EXPECT_EQ(canvas.At(split.right - 2, split.top + 1), DropColour(1));
  // A whole drop-down button is one part with the arrow drawn over it in the text colour.
  const RECT whole = ItemRect(bar, 7);
  EXPECT_EQ(canvas.At(whole.left + 1, whole.top + 1), ButtonColour(1));
  const RECT arrow{whole.right - 9, whole.top, whole.right - 2, whole.bottom};
  EXPECT_GT(canvas.Count(arrow, GetSysColor(COLOR_BTNTEXT)), 3);
}

TEST_F(ToolBarObject, AToolBarOfAnExplorerBandKeepsTheSystemsLook) {
  HWND band =
      CreateWindowExW(0, u"TravelBand", u"", WS_CHILD | WS_VISIBLE, 0, 0, 600, 40, parent_, nullptr, nullptr, nullptr);
  HWND bar = MakeToolBar({Button(1, TBSTATE_ENABLED), Button(2, TBSTATE_ENABLED | TBSTATE_CHECKED), Button(3, 0)},
                         TBSTYLE_FLAT, band);
  ASSERT_NE(Object(bar), nullptr);
  Canvas skinned(600, 40);
  Print(bar, skinned);
  EXPECT_TRUE(Object(bar)->IsExplorerParent());
  manager_->RemoveSkin();
  Canvas plain(600, 40);
  Print(bar, plain);
  int differing = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 600; ++x) differing += skinned.At(x, y) != plain.At(x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_NE(skinned.At(ItemRect(bar, 0).left + 1, 1), ButtonColour(1));
}

TEST_F(ToolBarObject, AnOwnerSkippingTheDefaultDrawsTheButtonAndStillGetsItsPostpaint) {
  HWND bar = MakeToolBar({Button(1, TBSTATE_ENABLED), Button(2, TBSTATE_ENABLED), Button(3, TBSTATE_ENABLED)});
  g_prepaintReply = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
  g_skipCommand = 2;
  Canvas canvas(600, 40);
  Print(bar, canvas);
  const RECT skipped = ItemRect(bar, 1);
  EXPECT_EQ(canvas.Count(skipped, kOwnerPaint), (skipped.right - skipped.left) * (skipped.bottom - skipped.top));
  EXPECT_EQ(canvas.At(ItemRect(bar, 0).left + 1, 1), ButtonColour(1));
  const std::vector<std::pair<DWORD, DWORD_PTR>> expected = {{CDDS_PREPAINT, 0},     {CDDS_ITEMPREPAINT, 1},
                                                             {CDDS_ITEMPREPAINT, 2}, {CDDS_ITEMPOSTPAINT, 2},
                                                             {CDDS_ITEMPREPAINT, 3}, {CDDS_POSTPAINT, 0}};
  EXPECT_EQ(g_stages, expected);
}

// Greyed by saturation from common controls 6.0 on (the default here), embossed in the
// skin's highlight and shadow below (a child process with 5.82).
TEST_F(ToolBarObject, ADisabledAlphaImageWithoutADisabledListIsGreyedOrEmbossed) {
  Canvas canvas(600, 40);
  const RECT r = PrintDisabledAlphaButton(canvas);
  EXPECT_EQ(canvas.Count(r, kRed), 0);
  if (kx2test::InChild()) {
    EXPECT_GT(canvas.Count(r, kShadow), 100);
    EXPECT_GT(canvas.Count(r, kHighlight), 10);
    return;
  }
  int grey = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = canvas.At(x, y);
      grey += GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) > 0 && GetRValue(c) < 255;
    }
  EXPECT_GT(grey, 100);
  EXPECT_EQ(canvas.Count(r, kShadow), 0);
  auto child = kx2test::RunInChild("ToolBarObject.ADisabledAlphaImageWithoutADisabledListIsGreyedOrEmbossed",
                                   {{"KX2_COMCTL_VERSION", "5.82"}});
  EXPECT_TRUE(child.Passed()) << child.output;
}

// The text's length is asked before it is read, so a text longer than any fixed buffer is
// drawn whole (and read cleanly under the address sanitizer), through the narrow message too.
TEST_F(ToolBarObject, ALongButtonTextIsDrawnWhole) {
  std::u16string text;
  while (text.size() < 300) text += u"abcdefghij";
  HWND bar = MakeToolBar({Button(1, TBSTATE_ENABLED, BTNS_BUTTON, -1, text.c_str())}, 0, nullptr, 3200);
  EXPECT_EQ(Object(bar)->ButtonText(1), text);
  Canvas canvas(3200, 40);
  Kx2GdiJournalClear();
  Kx2GdiJournalEnable(TRUE);
  Print(bar, canvas);
  Kx2GdiJournalEnable(FALSE);
  std::string journal(Kx2GdiJournalRead(nullptr, 0), '\0');
  Kx2GdiJournalRead(journal.data(), journal.size());
  EXPECT_NE(journal.find("\"" + std::string(text.begin(), text.end()) + "\""), std::string::npos);

  // A toolbar speaking ANSI notifications whose wide text is empty: the narrow one.
  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      bar, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == TB_GETBUTTONTEXTW) return 0;
        if (message == WM_NOTIFYFORMAT && lParam == 3) return 1;  // NF_QUERY: NFR_ANSI
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
      })));
  EXPECT_EQ(Object(bar)->ButtonText(1), text);
  SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

TEST_F(ToolBarObject, PaintingKeepsTheTooltipsToolsOnTheButtons) {
  HWND bar =
      MakeToolBar({Button(1, TBSTATE_ENABLED), Button(0, 0, BTNS_SEP), Button(2, TBSTATE_ENABLED)}, TBSTYLE_TOOLTIPS);
  auto tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = bar;
  tool.uId = 2;
  tool.rect = RECT{0, 0, 1, 1};
  SendMessageW(tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  Canvas canvas(600, 40);
  Print(bar, canvas);
  tool.rect = RECT{};
  ASSERT_TRUE(SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  const RECT item = ItemRect(bar, 2);
  EXPECT_TRUE(EqualRect(&tool.rect, &item));
}

// A class brush naming a system colour erases in the skin's brush of that colour, and the
// class keeps its own brush afterwards.
TEST_F(ToolBarObject, ErasingUsesTheSkinsBrushForASystemColourClassBrush) {
  HWND bar = MakeToolBar({Button(1, TBSTATE_ENABLED)});
  const ULONG_PTR saved = SetClassLongPtrW(bar, GCLP_HBRBACKGROUND, COLOR_BTNFACE + 1);
  Canvas canvas(600, 40);
  SendMessageW(bar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
  EXPECT_EQ(canvas.At(300, 20), kFace);
  EXPECT_EQ(GetClassLongPtrW(bar, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  SetClassLongPtrW(bar, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(saved));
}

}  // namespace

// The toolbar: messages and answers (a text over 256 units returned whole), clicks, checks
// and drop-downs with their messages to the owner, hot tracking, and custom draw where the
// owner draws a button itself and still gets the postpaint it asked for.
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<std::pair<UINT, DWORD_PTR>> heard;
DWORD prepaintReply = 0;
DWORD itemReply = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* h = reinterpret_cast<const NMHDR*>(lParam);
    if (h->code == NM_CUSTOMDRAW) {
      const auto* cd = reinterpret_cast<const NMTBCUSTOMDRAW*>(lParam);
      heard.emplace_back(cd->nmcd.dwDrawStage, cd->nmcd.dwItemSpec);
      if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return prepaintReply;
      if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        if (cd->nmcd.dwItemSpec == 101) {
          FillRect(cd->nmcd.hdc, &cd->nmcd.rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
          return itemReply;
        }
        return CDRF_DODEFAULT;
      }
      return 0;
    }
    if (h->code == TBN_DROPDOWN) heard.emplace_back(TBN_DROPDOWN, reinterpret_cast<const NMTOOLBARW*>(lParam)->iItem);
    if (h->code == TTN_GETDISPINFOW && h->idFrom == 100) {
      const std::u16string tip = u"Open the map";
      std::copy(tip.begin(), tip.end(), reinterpret_cast<NMTTDISPINFOW*>(lParam)->szText);
    }
    return 0;
  }
  if (message == WM_COMMAND) heard.emplace_back(WM_COMMAND, LOWORD(wParam));
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlToolbar : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"ToolbarOwner";
    RegisterClassW(&wc);
    heard.clear();
    prepaintReply = itemReply = 0;
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 600, 300}, 0, u"ToolbarOwner");
  }
  HWND MakeBar(DWORD style) {
    HWND bar = Make(WS_CHILD | WS_VISIBLE | style, parent_, RECT{0, 0, 600, 40}, 0, TOOLBARCLASSNAMEW, 12);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    longText_.assign(300, u'x');
    TBBUTTON buttons[5] = {};
    buttons[0] = TBBUTTON{0, 100, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(u"Open")};
    buttons[1] = TBBUTTON{1, 101, TBSTATE_ENABLED, BTNS_CHECK, {}, 7, -1};
    buttons[2] = TBBUTTON{0, 0, 0, BTNS_SEP, {}, 0, -1};
    buttons[3] = TBBUTTON{I_IMAGENONE, 103, TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0, -1};
    buttons[4] = TBBUTTON{2, 104, 0, BTNS_AUTOSIZE, {}, 0, reinterpret_cast<INT_PTR>(longText_.c_str())};
    SendMessageW(bar, TB_ADDBUTTONSW, 5, reinterpret_cast<LPARAM>(buttons));
    return bar;
  }
  static RECT ItemRect(HWND bar, int i) {
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  HWND parent_ = nullptr;
  std::u16string longText_;
};

TEST_F(ComCtlToolbar, MessagesAndTheirAnswers) {
  HWND bar = MakeBar(TBSTYLE_FLAT | TBSTYLE_LIST);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 5);
  TBBUTTON b{};
  ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&b)));
  EXPECT_EQ(b.idCommand, 101);
  EXPECT_EQ(b.dwData, 7u);
  EXPECT_FALSE(SendMessageW(bar, TB_GETBUTTON, 5, reinterpret_cast<LPARAM>(&b)));
  EXPECT_EQ(SendMessageW(bar, TB_COMMANDTOINDEX, 103, 0), 3);
  EXPECT_EQ(SendMessageW(bar, TB_COMMANDTOINDEX, 999, 0), -1);

  // A text over 256 units comes back whole; a null buffer asks for its length.
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTW, 104, 0), 300);
  std::u16string text(301, u'\0');
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTW, 104, reinterpret_cast<LPARAM>(text.data())), 300);
  EXPECT_EQ(std::u16string(text.c_str()), longText_);
  char narrow[8];
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTA, 100, reinterpret_cast<LPARAM>(narrow)), 4);
  EXPECT_EQ(std::string(narrow), "Open");
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTW, 101, 0), 0);
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONTEXTW, 999, 0), -1);

  struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
  };
  const Step steps[] = {
      {TB_ISBUTTONENABLED, 104, 0, FALSE},
      {TB_ENABLEBUTTON, 104, TRUE, TRUE},
      {TB_ISBUTTONENABLED, 104, 0, TRUE},
      {TB_CHECKBUTTON, 101, TRUE, TRUE},
      {TB_GETSTATE, 101, 0, TBSTATE_ENABLED | TBSTATE_CHECKED},
      {TB_ENABLEBUTTON, 999, TRUE, FALSE},
      {TB_GETHOTITEM, 0, 0, -1},
      {TB_GETEXTENDEDSTYLE, 0, 0, 0},
      {TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS, 0},
      {TB_GETEXTENDEDSTYLE, 0, 0, TBSTYLE_EX_DRAWDDARROWS},
      {TB_GETPADDING, 0, 0, MAKELONG(7, 6)},
      {TB_GETTEXTROWS, 0, 0, 1},
      {TB_GETTOOLTIPS, 0, 0, 0},
      {TB_GETIMAGELIST, 0, 0, 0},
  };
  for (const Step& s : steps)
    EXPECT_EQ(SendMessageW(bar, s.message, s.wParam, s.lParam), s.answer) << "WM_USER+" << (s.message - WM_USER);

  // Layout: side by side; the separator narrow; a split button wider by its arrow.
  const RECT r0 = ItemRect(bar, 0), r2 = ItemRect(bar, 2), r3 = ItemRect(bar, 3);
  EXPECT_EQ(ItemRect(bar, 1).left, r0.right);
  EXPECT_EQ(r2.right - r2.left, 8);
  EXPECT_EQ(r3.left, r2.right);
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, 0);
  EXPECT_EQ(ItemRect(bar, 3).right - ItemRect(bar, 3).left + 14, r3.right - r3.left);
}

TEST_F(ComCtlToolbar, ClicksChecksDropDownsAndHotTracking) {
  HWND bar = MakeBar(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  char16_t name[32]{};
  const HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr) << "its own tooltip window";
  GetClassNameW(tips, name, 32);
  EXPECT_EQ(std::u16string(name), TOOLTIPS_CLASSW);
  auto centre = [&](int i) {
    const RECT r = ItemRect(bar, i);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  SendMessageW(bar, WM_MOUSEMOVE, 0, centre(1));
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), 1);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, centre(1));
  SendMessageW(bar, WM_LBUTTONUP, 0, centre(1));
  EXPECT_TRUE(SendMessageW(bar, TB_ISBUTTONCHECKED, 101, 0));
  // Pressed and released elsewhere: nothing.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, centre(0));
  SendMessageW(bar, WM_LBUTTONUP, 0, centre(1));
  // A disabled button does nothing.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, centre(4));
  SendMessageW(bar, WM_LBUTTONUP, 0, centre(4));
  // The split button's arrow drops down; its face clicks.
  const RECT split = ItemRect(bar, 3);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(split.right - 3, split.top + 5));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(split.right - 3, split.top + 5));
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(split.left + 3, split.top + 5));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(split.left + 3, split.top + 5));
  EXPECT_EQ(heard,
            (std::vector<std::pair<UINT, DWORD_PTR>>{{WM_COMMAND, 101}, {TBN_DROPDOWN, 103}, {WM_COMMAND, 103}}));
  SendMessageW(bar, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(SendMessageW(bar, TB_GETHOTITEM, 0, 0), -1);
}

// Its own tooltip holds a tool per button: the owner's text where it gives one, else the
// button's; shown on hover after the delay; the tools follow the buttons.
TEST_F(ComCtlToolbar, ItsTooltipTellsEachButtonsText) {
  HWND bar = MakeBar(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);
  const HWND tips = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 4) << "every button but the separator";
  auto text = [&](UINT_PTR command) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = bar;
    tool.uId = command;
    std::u16string out(400, u'\0');
    tool.lpszText = out.data();
    SendMessageW(tips, TTM_GETTEXTW, out.size(), reinterpret_cast<LPARAM>(&tool));
    return std::u16string(out.c_str());
  };
  EXPECT_EQ(text(100), u"Open the map") << "the owner's text";
  EXPECT_EQ(text(104), longText_) << "the button's own text";
  const RECT first = ItemRect(bar, 0);
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM((first.left + first.right) / 2, (first.top + first.bottom) / 2));
  Kx2ClockAdvance(GetDoubleClickTime());
  usertest::Pump();
  EXPECT_TRUE(IsWindowVisible(tips));
  SendMessageW(bar, TB_DELETEBUTTON, 0, 0);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 3);
  EXPECT_EQ(text(100), u"") << "the deleted button's tool is gone";
}

TEST_F(ComCtlToolbar, OwnerSkippingAButtonStillGetsItsPostpaint) {
  HWND bar = MakeBar(TBSTYLE_FLAT);
  SendMessageW(bar, TB_CHECKBUTTON, 101, TRUE);
  prepaintReply = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
  itemReply = CDRF_SKIPDEFAULT | CDRF_NOTIFYPOSTPAINT;
  Canvas canvas(600, 40, RGB(0, 0, 255));
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  const std::vector<std::pair<UINT, DWORD_PTR>> expected = {
      {CDDS_PREPAINT, 0},       {CDDS_ITEMPREPAINT, 100}, {CDDS_ITEMPREPAINT, 101}, {CDDS_ITEMPOSTPAINT, 101},
      {CDDS_ITEMPREPAINT, 103}, {CDDS_ITEMPREPAINT, 104}, {CDDS_POSTPAINT, 0}};
  EXPECT_EQ(heard, expected);
  // The owner's black stays: the checked button's own face and edges are not drawn over it.
  const RECT r = ItemRect(bar, 1);
  for (POINT p : {POINT{r.left, r.top}, POINT{r.left + 3, r.top + 3}, POINT{(r.left + r.right) / 2, r.bottom - 1}})
    EXPECT_EQ(canvas.At(p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
  // Elsewhere the classic bar: the face, and the unchecked flat button without edges.
  EXPECT_EQ(canvas.At(ItemRect(bar, 0).left, 1), GetSysColor(COLOR_BTNFACE));
}

}  // namespace

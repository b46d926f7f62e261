// The trackbar: messages and answers, ticks, the custom-draw order an owner sees, mouse and
// keys sending scroll codes, and its classic look.
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  DWORD stage;
  DWORD_PTR item;
};
std::vector<Seen> seen;
DWORD prepaintReply = CDRF_DODEFAULT;
DWORD itemReply = CDRF_DODEFAULT;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* cd = reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
    if (cd->hdr.code != NM_CUSTOMDRAW) return 0;
    seen.push_back(Seen{message, wParam, cd->dwDrawStage, cd->dwItemSpec});
    if (cd->dwDrawStage == CDDS_PREPAINT) return prepaintReply;
    if (cd->dwDrawStage == CDDS_ITEMPREPAINT) return itemReply;
    return 0;
  }
  if (message == WM_HSCROLL || message == WM_VSCROLL) seen.push_back(Seen{message, wParam, 0, 0});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlTrackbar : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"TrackbarOwner";
    RegisterClassW(&wc);
    seen.clear();
    prepaintReply = itemReply = CDRF_DODEFAULT;
  }
  HWND MakeBar(DWORD style, RECT r = RECT{0, 0, 200, 40}) {
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 300, 300}, 0, u"TrackbarOwner");
    return Make(WS_CHILD | WS_VISIBLE | style, parent_, r, 0, TRACKBAR_CLASSW, 5);
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlTrackbar, MessagesAndTheirAnswers) {
  HWND bar = MakeBar(TBS_AUTOTICKS | TBS_ENABLESELRANGE);
  ASSERT_NE(bar, nullptr);
  SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
  SendMessageW(bar, TBM_SETTICFREQ, 10, 0);
  struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
  };
  const Step steps[] = {
      {TBM_GETNUMTICS, 0, 0, 11},  // 10 .. 90 and the two ends
      {TBM_GETTIC, 0, 0, 10},
      {TBM_GETTIC, 8, 0, 90},
      {TBM_GETTIC, 9, 0, -1},
      {TBM_GETRANGEMIN, 0, 0, 0},
      {TBM_GETRANGEMAX, 0, 0, 100},
      {TBM_SETPOS, TRUE, 150, 0},
      {TBM_GETPOS, 0, 0, 100},  // clamped
      {TBM_GETPAGESIZE, 0, 0, 20},
      {TBM_SETPAGESIZE, 0, 7, 20},
      {TBM_SETLINESIZE, 0, 3, 1},
      {TBM_GETLINESIZE, 0, 0, 3},
      {TBM_SETSEL, TRUE, MAKELONG(20, 40), 0},
      {TBM_GETSELSTART, 0, 0, 20},
      {TBM_GETSELEND, 0, 0, 40},
      {TBM_CLEARSEL, TRUE, 0, 0},
      {TBM_GETSELEND, 0, 0, -1},
      {TBM_SETTIC, 0, 100, FALSE},  // an end is no tick of its own
      {TBM_SETTIC, 0, 55, TRUE},
      {TBM_GETNUMTICS, 0, 0, 12},
      {TBM_GETTIC, 5, 0, 55},
      {TBM_SETTICFREQ, 0, 0, 0},
      {TBM_GETNUMTICS, 0, 0, 2},
      {TBM_SETRANGEMAX, TRUE, 50, 0},
      {TBM_GETPOS, 0, 0, 50},
  };
  for (const Step& s : steps)
    EXPECT_EQ(SendMessageW(bar, s.message, s.wParam, s.lParam), s.answer)
        << "message WM_USER+" << (s.message - WM_USER) << " wParam " << s.wParam;

  SendMessageW(bar, TBM_SETTICFREQ, 10, 0);
  SendMessageW(bar, TBM_SETRANGEMAX, TRUE, 100);
  const auto* ticks = reinterpret_cast<const DWORD*>(SendMessageW(bar, TBM_GETPTICS, 0, 0));
  ASSERT_NE(ticks, nullptr);
  for (int n = 0; n < 9; ++n) EXPECT_EQ(ticks[n], static_cast<DWORD>(10 * (n + 1)));

  // Geometry: the channel spans the travel, the thumb sits at the position's pixel.
  RECT channel{}, thumb{};
  SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  SendMessageW(bar, TBM_SETPOS, TRUE, 0);
  SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_LT(channel.left, channel.right);
  EXPECT_LE(thumb.left, channel.left);
  EXPECT_GE(thumb.right, channel.left);
  const LRESULT length = SendMessageW(bar, TBM_GETTHUMBLENGTH, 0, 0);
  EXPECT_EQ(thumb.bottom - thumb.top, length);
  EXPECT_EQ(SendMessageW(bar, TBM_GETTICPOS, 0, 0), channel.left + (channel.right - channel.left - 1) * 10 / 100);
  EXPECT_EQ(SendMessageW(bar, TBM_GETTICPOS, 40, 0), -1);
}

TEST_F(ComCtlTrackbar, CustomDrawStagesComeInOneOrder) {
  HWND bar = MakeBar(TBS_AUTOTICKS);
  Canvas canvas(200, 40);
  prepaintReply = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
  itemReply = CDRF_DODEFAULT;
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  std::vector<std::pair<DWORD, DWORD_PTR>> order;
  for (const Seen& s : seen) order.emplace_back(s.stage, s.item);
  const std::vector<std::pair<DWORD, DWORD_PTR>> expected = {
      {CDDS_PREPAINT, 0},
      {CDDS_ITEMPREPAINT, TBCD_TICS},
      {CDDS_ITEMPOSTPAINT, TBCD_TICS},
      {CDDS_ITEMPREPAINT, TBCD_CHANNEL},
      {CDDS_ITEMPOSTPAINT, TBCD_CHANNEL},
      {CDDS_ITEMPREPAINT, TBCD_THUMB},
      {CDDS_ITEMPOSTPAINT, TBCD_THUMB},
      {CDDS_POSTPAINT, 0},
  };
  EXPECT_EQ(order, expected);
  EXPECT_EQ(seen.front().wParam, 5u) << "the control's id";

  // Skipping the thumb leaves the face where it would be.
  itemReply = CDRF_SKIPDEFAULT;
  seen.clear();
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  RECT channel{};
  SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  EXPECT_EQ(canvas.At(channel.left + 20, (channel.top + channel.bottom) / 2), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ComCtlTrackbar, ClassicLookTicksAndFrequencyZero) {
  HWND bar = MakeBar(TBS_AUTOTICKS);
  SendMessageW(bar, TBM_SETTICFREQ, 10, 0);
  SendMessageW(bar, TBM_SETPOS, TRUE, 50);
  Canvas canvas(200, 40);
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  RECT channel{}, thumb{};
  SendMessageW(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_EQ(canvas.At(channel.left + 5, channel.top), GetSysColor(COLOR_BTNSHADOW)) << "the channel's sunken edge";
  EXPECT_EQ(canvas.At(channel.left + 5, channel.bottom - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.At(channel.left + 5, channel.bottom), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(canvas.At((thumb.left + thumb.right) / 2, thumb.top + 4), GetSysColor(COLOR_BTNFACE)) << "thumb face";
  EXPECT_EQ(canvas.At(thumb.left + 1, thumb.top + 4), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised thumb";
  const int tickRow = thumb.bottom + 2;
  const int tick10 = static_cast<int>(SendMessageW(bar, TBM_GETTICPOS, 0, 0));
  EXPECT_EQ(canvas.At(tick10, tickRow), GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(canvas.At(tick10 + 1, tickRow), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(canvas.At(channel.left, tickRow + 4), GetSysColor(COLOR_BTNTEXT)) << "end ticks are longer";

  SendMessageW(bar, TBM_SETTICFREQ, 0, 0);
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(tick10, tickRow), GetSysColor(COLOR_BTNFACE)) << "frequency 0: only the end ticks";
  EXPECT_EQ(canvas.At(channel.left, tickRow), GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(canvas.At(channel.right - 1, tickRow), GetSysColor(COLOR_BTNTEXT));
}

TEST_F(ComCtlTrackbar, MouseAndKeysSendScrollCodes) {
  HWND bar = MakeBar(0);
  RECT thumb{};
  SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int y = (thumb.top + thumb.bottom) / 2;
  auto codes = [&]() {
    std::vector<std::pair<WORD, WORD>> out;
    for (const Seen& s : seen)
      if (s.message == WM_HSCROLL) out.emplace_back(LOWORD(s.wParam), HIWORD(s.wParam));
    seen.clear();
    return out;
  };
  // A press beside the thumb pages, the release ends the track.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, y));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(180, y));
  EXPECT_EQ(codes(), (std::vector<std::pair<WORD, WORD>>{{TB_PAGEDOWN, 0}, {TB_ENDTRACK, 0}}));
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 20);

  // Dragging the thumb to the far end.
  SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int grab = (thumb.left + thumb.right) / 2;
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab, y));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, y));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(400, y));
  EXPECT_EQ(codes(),
            (std::vector<std::pair<WORD, WORD>>{{TB_THUMBTRACK, 100}, {TB_THUMBPOSITION, 100}, {TB_ENDTRACK, 0}}));
  EXPECT_EQ(GetCapture(), nullptr);

  SendMessageW(bar, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(bar, WM_KEYUP, VK_HOME, 0);
  SendMessageW(bar, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(codes(), (std::vector<std::pair<WORD, WORD>>{{TB_TOP, 0}, {TB_ENDTRACK, 0}, {TB_LINEDOWN, 0}}));
  EXPECT_EQ(SendMessageW(bar, TBM_GETPOS, 0, 0), 1);
}

}  // namespace

// Tooltips: tool records at this build's size (not the 32-bit 44 bytes), and a tip shown
// after the initial delay on the test clock and hidden when the pointer leaves its tool.
#include "comctl_test_support.h"
#include "user_test_support.h"

namespace {

std::vector<UINT> codes;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* h = reinterpret_cast<NMHDR*>(lParam);
    codes.push_back(h->code);
    if (h->code == TTN_GETDISPINFOW) {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      std::u16string text = u"asked " + std::u16string(1, static_cast<char16_t>(u'0' + h->idFrom));
      std::copy(text.begin(), text.end(), info->szText);
      info->szText[text.size()] = 0;
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlTooltip : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"TipOwner";
    RegisterClassW(&wc);
    codes.clear();
    owner_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"TipOwner");
    tip_ = Make(WS_POPUP | TTS_ALWAYSTIP, owner_, RECT{0, 0, 0, 0}, 0, TOOLTIPS_CLASSW);
  }
  TTTOOLINFOW Info(UINT_PTR id, LPWSTR text = nullptr, RECT r = RECT{0, 0, 0, 0}) const {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner_;
    info.uId = id;
    info.rect = r;
    info.lpszText = text;
    return info;
  }
  void Move(int x, int y) {
    MSG msg{owner_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), 0, {x, y}};
    SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  HWND owner_ = nullptr;
  HWND tip_ = nullptr;
};

TEST_F(ComCtlTooltip, ToolRecordsAtThisBuildsSize) {
  ASSERT_NE(tip_, nullptr);
  EXPECT_EQ(sizeof(TTTOOLINFOW), 72u);
  std::u16string first = u"First tip";
  TTTOOLINFOW info = Info(1, first.data(), RECT{10, 10, 50, 30});
  EXPECT_TRUE(SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
  info = Info(2, LPSTR_TEXTCALLBACKW, RECT{60, 10, 100, 30});
  info.cbSize = TTTOOLINFOW_V1_SIZE;
  EXPECT_TRUE(SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
  info.cbSize = 44;  // the 32-bit record: too short here
  EXPECT_FALSE(SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(SendMessageW(tip_, TTM_GETTOOLCOUNT, 0, 0), 2);

  TTTOOLINFOW moved = Info(1, nullptr, RECT{5, 5, 45, 25});
  SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&moved));
  TTTOOLINFOW got = Info(1);
  ASSERT_TRUE(SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.rect.left, 5);
  EXPECT_EQ(got.rect.bottom, 25);
  TTTOOLINFOW missing = Info(9);
  EXPECT_FALSE(SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&missing)));

  char16_t text[6];
  got.lpszText = text;
  SendMessageW(tip_, TTM_GETTEXTW, 6, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(std::u16string(text), u"First") << "within the stated size";
  TTTOOLINFOW asked = Info(2);
  char16_t more[80];
  asked.lpszText = more;
  SendMessageW(tip_, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&asked));
  EXPECT_EQ(std::u16string(more), u"asked 2");
}

TEST_F(ComCtlTooltip, ShownOnHoverAfterTheDelay) {
  std::u16string text = u"Save the map";
  TTTOOLINFOW info = Info(1, text.data(), RECT{10, 10, 50, 30});
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, 400);
  EXPECT_EQ(SendMessageW(tip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 400);
  Move(20, 20);
  Kx2ClockAdvance(399);
  usertest::Pump();
  EXPECT_FALSE(IsWindowVisible(tip_));
  Move(22, 21);  // still over the same tool: the wait goes on
  Kx2ClockAdvance(1);
  usertest::Pump();
  EXPECT_TRUE(IsWindowVisible(tip_));
  EXPECT_EQ(codes, std::vector<UINT>{TTN_SHOW});
  Move(200, 200);
  EXPECT_FALSE(IsWindowVisible(tip_));
  EXPECT_EQ(codes, (std::vector<UINT>{TTN_SHOW, TTN_POP}));
  // Inactive: nothing shows.
  SendMessageW(tip_, TTM_ACTIVATE, FALSE, 0);
  Move(20, 20);
  Kx2ClockAdvance(1000);
  usertest::Pump();
  EXPECT_FALSE(IsWindowVisible(tip_));
}

}  // namespace

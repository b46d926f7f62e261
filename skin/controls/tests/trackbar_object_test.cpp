// The trackbar skin object on the platform's trackbar with a generated skin: the ticks the
// plain control shows (every position it holds, only the ends at frequency 0), the thumb
// part by state, and the owner's custom-draw stages in the order the plain control sends
// them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/trackbar_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

constexpr COLORREF kTick = RGB(255, 0, 0);
constexpr COLORREF kChannel = RGB(0, 0, 255);
constexpr COLORREF kThumbNormal = RGB(0, 160, 0), kThumbDisabled = RGB(90, 90, 90);

std::vector<std::pair<DWORD, DWORD_PTR>> g_stages;
DWORD g_prepaintReply = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* cd = reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
    if (cd->hdr.code == NM_CUSTOMDRAW) {
      g_stages.emplace_back(cd->dwDrawStage, cd->dwItemSpec);
      return cd->dwDrawStage == CDDS_PREPAINT ? g_prepaintReply : CDRF_DODEFAULT;
    }
  }
  if (message == WM_CTLCOLORSTATIC) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

using Canvas = ornatex_test::ProbeCanvas;

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

class TrackBarObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    g_stages.clear();
    g_prepaintReply = 0;
    skin_.Write({
        u"[TrackBar.1]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = " + Colour(kChannel),
        u"[TrackBar.4]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = " + Colour(kThumbNormal),
        u"[TrackBar.4(5)]",
        u"FillColor = " + Colour(kThumbDisabled),
        u"[TrackBar.9]",
        u"204:4 = " + Colour(kTick),
    });
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"KtkTrackBarOwner";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkTrackBarOwner", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
    bar_ = CreateWindowExW(0, TRACKBAR_CLASSW, u"", WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, 0, 0, 200, 40, parent_,
                           reinterpret_cast<HMENU>(5), nullptr, nullptr);
    SendMessageW(bar_, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
  }
  CKtkSkinObjectTrackBar* Object() { return dynamic_cast<CKtkSkinObjectTrackBar*>(manager_->Lookup(bar_)); }
  // The tick columns on the row just below the thumb row.
  int TickColumns() {
    Canvas canvas(200, 40);
    SendMessageW(bar_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
    const int row = Object()->m_nThumbBottom + 2;
    int columns = 0;
    for (int x = 0; x < 200; ++x) columns += canvas.At(x, row) == kTick;
    return columns;
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"trackbarobjectskin"};
  HWND parent_ = nullptr;
  HWND bar_ = nullptr;
};

TEST_F(TrackBarObject, TicksAreThePlainControlsAndOnlyTheEndsAtFrequencyZero) {
  ASSERT_NE(Object(), nullptr);
  SendMessageW(bar_, TBM_SETTICFREQ, 10, 0);
  EXPECT_EQ(SendMessageW(bar_, TBM_GETNUMTICS, 0, 0), 11);
  EXPECT_EQ(TickColumns(), 11) << "both ends and the nine between, as the plain control shows";
  SendMessageW(bar_, TBM_SETTICFREQ, 0, 0);
  EXPECT_EQ(TickColumns(), 2) << "the end ticks only";
}

TEST_F(TrackBarObject, ChannelAndThumbFromTheSkin) {
  Canvas canvas(200, 40);
  SendMessageW(bar_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  RECT thumb{}, channel{};
  SendMessageW(bar_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  SendMessageW(bar_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  EXPECT_EQ(canvas.At((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), kThumbNormal);
  EXPECT_EQ(canvas.At(channel.right - 3, (channel.top + channel.bottom) / 2), kChannel);
  EnableWindow(bar_, FALSE);
  Canvas disabled(200, 40);
  SendMessageW(bar_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(disabled.dc), PRF_CLIENT);
  EXPECT_EQ(disabled.At((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2), kThumbDisabled);
}

TEST_F(TrackBarObject, CustomDrawStagesComeInThePlainControlsOrder) {
  g_prepaintReply = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
  Canvas skinned(200, 40);
  SendMessageW(bar_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(skinned.dc), PRF_CLIENT);
  const auto seenSkinned = g_stages;
  g_stages.clear();
  manager_->RemoveSkin();
  Canvas plain(200, 40);
  SendMessageW(bar_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(plain.dc), PRF_CLIENT);
  EXPECT_EQ(seenSkinned, g_stages);
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
  EXPECT_EQ(seenSkinned, expected);
}

}  // namespace

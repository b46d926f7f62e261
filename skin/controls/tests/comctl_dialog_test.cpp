// The dialog of common controls with a generated skin whose parts differ in every state:
// probes show each object's part in each state, the skin's window colours in the list and
// tree views, and once the skin is removed every probe shows the classic look again.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "comctl_dialog.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

using namespace comctl_dialog;

using Canvas = ornatex_test::ProbeCanvas;

// A named probe: a control, a point of its client area and a preparation (states set).
struct Probe {
  std::string name;
  int control;
  POINT at;
  COLORREF skinned;
};

class ComCtlDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    skin_.Write(SkinLines());
    dialog_ = Create();
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    manager_->RemoveSkin();
  }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  COLORREF At(int id, POINT at) {
    RECT client{};
    GetClientRect(Item(id), &client);
    Canvas canvas(client.right, client.bottom);
    SendMessageW(Item(id), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
    SendMessageW(Item(id), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
    return canvas.At(at.x, at.y);
  }
  POINT ButtonCorner(int index) {
    RECT r{};
    SendMessageW(Item(kToolbar), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return POINT{r.left + 1, r.top + 1};
  }
  POINT DropPart(int index) {
    RECT r{};
    SendMessageW(Item(kToolbar), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return POINT{r.right - 2, r.top + 1};
  }
  // A point of a tab clear of its text: the selected tab's corner where it grows over the
  // strip, another tab's lower right corner.
  POINT TabPoint(int index) {
    RECT r{};
    SendMessageW(Item(kTabs), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const int selected = static_cast<int>(SendMessageW(Item(kTabs), TCM_GETCURSEL, 0, 0));
    return index == selected ? POINT{r.left - 1, r.top + 1} : POINT{r.right - 2, r.bottom - 2};
  }
  POINT ThumbCentre() {
    RECT r{};
    SendMessageW(Item(kTrackbar), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Every probe in the states the controls are in now (each control erased, then printed).
  std::vector<Probe> Probes() {
    return {
        {"toolbar normal", kToolbar, ButtonCorner(0), ToolbarColour(1)},
        {"toolbar checked", kToolbar, ButtonCorner(1), ToolbarColour(5)},
        {"toolbar disabled", kToolbar, ButtonCorner(2), ToolbarColour(4)},
        {"toolbar split", kToolbar, ButtonCorner(3), SplitColour(1)},
        {"toolbar split drop part", kToolbar, DropPart(3), DropColour(1)},
        {"toolbar drop-down", kToolbar, ButtonCorner(4), ToolbarColour(1)},
        {"tab selected", kTabs, TabPoint(0), TabColour(3)},
        {"tab normal", kTabs, TabPoint(2), TabColour(1)},
        {"tab pane", kTabs, POINT{150, 100}, kPane},
        {"header item", kHeader, POINT{50, 5}, HeaderColour(1)},
        {"header filler", kHeader, POINT{250, 5}, kHeaderFiller},
        {"list view window", kList, POINT{250, 110}, kWindow},
        {"tree view window", kTree, POINT{250, 110}, kWindow},
        {"trackbar thumb", kTrackbar, ThumbCentre(), ThumbColour(1)},
        {"progress chunk", kProgress, POINT{40, 10}, kChunk},
        {"progress bar", kProgress, POINT{290, 10}, kBar},
        {"spin up", kSpin, POINT{8, 4}, SpinColour(1)},
        {"spin down", kSpin, POINT{8, 18}, SpinColour(1)},
    };
  }
  std::map<std::string, COLORREF> Read(const std::vector<Probe>& probes) {
    std::map<std::string, COLORREF> seen;
    for (const Probe& p : probes) seen[p.name] = At(p.control, p.at);
    return seen;
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"comctldialogskin"};
  HWND dialog_ = nullptr;
};

TEST_F(ComCtlDialog, ProbesShowTheSkinsPartsAndRemovingItBringsTheClassicLookBack) {
  const std::vector<Probe> probes = Probes();
  const std::map<std::string, COLORREF> classic = Read(probes);
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  for (const Probe& p : probes) EXPECT_EQ(At(p.control, p.at), p.skinned) << p.name;
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(Item(kList), LVM_GETTEXTCOLOR, 0, 0)), kWindowText);

  manager_->RemoveSkin();
  const std::map<std::string, COLORREF> after = Read(probes);
  for (const Probe& p : probes) {
    EXPECT_EQ(after.at(p.name), classic.at(p.name)) << p.name;
    EXPECT_NE(after.at(p.name), p.skinned) << p.name;
  }
}

// The states the pointer and the program give: hot, pressed and disabled parts.
TEST_F(ComCtlDialog, ProbesFollowEachControlsState) {
  ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  HWND toolbar = Item(kToolbar);
  SendMessageW(toolbar, TB_SETHOTITEM, 0, 0);
  EXPECT_EQ(At(kToolbar, ButtonCorner(0)), ToolbarColour(2)) << "hot";
  SendMessageW(toolbar, TB_PRESSBUTTON, 1000, TRUE);
  EXPECT_EQ(At(kToolbar, ButtonCorner(0)), ToolbarColour(3)) << "pressed";
  SendMessageW(toolbar, TB_SETHOTITEM, 3, 0);
  EXPECT_EQ(At(kToolbar, ButtonCorner(3)), SplitColour(2)) << "split hot";
  EXPECT_EQ(At(kToolbar, DropPart(3)), DropColour(2)) << "split drop part hot";

  const POINT second = TabPoint(1);
  SendMessageW(Item(kTabs), WM_MOUSEMOVE, 0, MAKELPARAM(second.x, second.y));
  EXPECT_EQ(At(kTabs, second), TabColour(2)) << "hot tab";

  SendMessageW(Item(kHeader), WM_MOUSEMOVE, 0, MAKELPARAM(150, 5));
  EXPECT_EQ(At(kHeader, POINT{150, 5}), HeaderColour(2)) << "hot header item";
  SendMessageW(Item(kHeader), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 5));
  EXPECT_EQ(At(kHeader, POINT{150, 5}), HeaderColour(3)) << "pressed header item";
  SendMessageW(Item(kHeader), WM_LBUTTONUP, 0, MAKELPARAM(150, 5));

  const POINT thumb = ThumbCentre();
  SendMessageW(Item(kTrackbar), WM_MOUSEMOVE, 0, MAKELPARAM(thumb.x, thumb.y));
  EXPECT_EQ(At(kTrackbar, thumb), ThumbColour(2)) << "hot thumb";
  EnableWindow(Item(kTrackbar), FALSE);
  EXPECT_EQ(At(kTrackbar, thumb), ThumbColour(5)) << "disabled thumb";

  SendMessageW(Item(kSpin), WM_MOUSEMOVE, 0, MAKELPARAM(8, 4));
  EXPECT_EQ(At(kSpin, POINT{8, 4}), SpinColour(2)) << "hot up arrow";
  SendMessageW(Item(kSpin), UDM_SETRANGE32, 5, 5);
  EXPECT_EQ(At(kSpin, POINT{8, 4}), SpinColour(4)) << "an empty range disables the arrows";
  EXPECT_EQ(At(kSpin, POINT{8, 18}), SpinColour(4));

  SendMessageW(Item(kProgress), PBM_SETPOS, 0, 0);
  EXPECT_EQ(At(kProgress, POINT{40, 10}), kBar) << "no chunk at the low end";
}

}  // namespace

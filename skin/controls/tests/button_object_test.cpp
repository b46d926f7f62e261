// The button skin object on the platform's real buttons with a generated skin whose
// "BUTTON" parts fill with one colour per part and state: the state rule of push buttons,
// check boxes with their third state, group boxes that never turn hot, the hollow
// background reply, owner-drawn buttons left to their owners, and the classic look back
// without a skin.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <win/gdi.h>
#include <win/user.h>
#include <win/user_controls.h>
#include <win/user_ownerdraw.h>

#include "ornatex/controls/button_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

// Part 1 (push button) states 1-5, part 3 (check box) states 1-12, part 4 (group box).
COLORREF PushColour(int state) { return RGB(10 * state, 100, 200); }
COLORREF CheckColour(int state) { return RGB(200, 10 * state, 50); }
constexpr COLORREF kGroupFrame = RGB(0, 120, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

bool g_hollow = false;
std::vector<UINT> g_parentHeard;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC) {
    g_parentHeard.push_back(message);
    return g_hollow ? reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)) : 0;
  }
  if (message == WM_DRAWITEM) {
    g_parentHeard.push_back(message);
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(item->hDC, &item->rcItem, black);
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A 32-bit memory DC filled with magenta, to print a control into.
struct Canvas : ornatex_test::ProbeCanvas {
  Canvas() : ProbeCanvas(120, 40, kMagenta) {}
};

class ButtonObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    g_hollow = false;
    g_parentHeard.clear();
    std::vector<std::u16string> lines;
    auto fill = [&](const std::u16string& section, COLORREF c) {
      lines.push_back(section);
      lines.push_back(u"BgType = 1");
      lines.push_back(u"BorderSize = 0");
      lines.push_back(u"FillColor = " + Number(GetRValue(c)) + u", " + Number(GetGValue(c)) + u", " +
                      Number(GetBValue(c)));
    };
    for (int s = 1; s <= 5; ++s) fill(u"[Button.1(" + Number(s) + u")]", PushColour(s));
    for (int s = 1; s <= 12; ++s) fill(u"[Button.3(" + Number(s) + u")]", CheckColour(s));
    fill(u"[Button.4]", kGroupFrame);
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"KtkButtonObjectParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"KtkButtonObjectParent", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
  }
  static std::u16string Number(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  }
  HWND Button(DWORD style, const char16_t* text = u"") {
    return CreateWindowExW(0, u"Button", text, WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 40, parent_,
                           reinterpret_cast<HMENU>(7), nullptr, nullptr);
  }
  CKtkSkinObjectButton* ObjectOf(HWND button) { return dynamic_cast<CKtkSkinObjectButton*>(manager_->Lookup(button)); }
  static void Print(HWND button, const Canvas& canvas) {
    SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"buttonobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(ButtonObject, PushButtonStatesFollowTheRule) {
  HWND push = Button(BS_PUSHBUTTON);
  ASSERT_NE(ObjectOf(push), nullptr) << "the manager gives buttons the button object";
  struct Row {
    const char* what;
    void (*set)(HWND);
    COLORREF expected;
  };
  const Row rows[] = {
      {"normal", [](HWND) {}, PushColour(1)},
      {"hot under the pointer", [](HWND b) { SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }, PushColour(2)},
      {"pressed wins over hot", [](HWND b) { SendMessageW(b, BM_SETSTATE, TRUE, 0); }, PushColour(3)},
      {"disabled wins over pressed", [](HWND b) { EnableWindow(b, FALSE); }, PushColour(4)},
  };
  for (const Row& row : rows) {
    row.set(push);
    Canvas canvas;
    Print(push, canvas);
    EXPECT_EQ(canvas.At(3, 3), row.expected) << row.what;
  }
  HWND byDefault = Button(BS_DEFPUSHBUTTON);
  Canvas canvas;
  Print(byDefault, canvas);
  EXPECT_EQ(canvas.At(3, 3), PushColour(5)) << "a default button";
  // The pointer leaving takes the hot look away.
  HWND other = Button(BS_PUSHBUTTON);
  SendMessageW(other, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(ObjectOf(other)->m_bHot);
  SendMessageW(other, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(ObjectOf(other)->m_bHot);
}

TEST_F(ButtonObject, CheckBoxesDrawTheThirdStateOnlyWhenTheyHaveOne) {
  struct Row {
    DWORD style;
    WPARAM check;
    int state;
  };
  const Row rows[] = {
      {BS_CHECKBOX, BST_UNCHECKED, 1},   {BS_CHECKBOX, BST_CHECKED, 5},         {BS_AUTOCHECKBOX, BST_CHECKED, 5},
      {BS_3STATE, BST_INDETERMINATE, 9}, {BS_AUTO3STATE, BST_INDETERMINATE, 9},
  };
  for (const Row& row : rows) {
    HWND box = Button(row.style, u"Box");
    SendMessageW(box, BM_SETCHECK, row.check, 0);
    Canvas canvas;
    Print(box, canvas);
    // The glyph (13 x 13 without a part size) sits at the left edge, centred.
    EXPECT_EQ(canvas.At(6, 20), CheckColour(row.state)) << "style " << row.style << " check " << row.check;
    DestroyWindow(box);
  }
  // A plain check box told it is in the third state draws as checked.
  HWND plain = Button(BS_CHECKBOX, u"Box");
  SendMessageW(plain, BM_SETCHECK, BST_INDETERMINATE, 0);
  const LRESULT state = SendMessageW(plain, BM_GETCHECK, 0, 0);
  Canvas canvas;
  Print(plain, canvas);
  EXPECT_EQ(canvas.At(6, 20), CheckColour(state == BST_INDETERMINATE ? 5 : 1));
}

// What reaches the control's own procedure behind the skin object.
WNDPROC g_controlProc = nullptr;
std::vector<UINT> g_controlHeard;
LRESULT CALLBACK ControlListener(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_controlHeard.push_back(message);
  return CallWindowProcW(g_controlProc, hwnd, message, wParam, lParam);
}

TEST_F(ButtonObject, GroupBoxesNeverTurnHotAndDrawTheirFrame) {
  HWND group = Button(BS_GROUPBOX, u"Group");
  HWND push = Button(BS_PUSHBUTTON, u"Push");
  for (HWND button : {group, push}) {
    CKtkSkinObjectButton* object = ObjectOf(button);
    g_controlProc = object->m_pfnPrevious;
    object->m_pfnPrevious = &ControlListener;
    g_controlHeard.clear();
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    const bool heard =
        std::find(g_controlHeard.begin(), g_controlHeard.end(), UINT{WM_MOUSEMOVE}) != g_controlHeard.end();
    EXPECT_EQ(heard, button == push) << "only the push button's control sees the move";
    EXPECT_EQ(object->m_bHot, button == push) << "only the push button turns hot";
    object->m_pfnPrevious = g_controlProc;
  }
  DestroyWindow(push);
  Canvas canvas;
  Print(group, canvas);
  EXPECT_EQ(canvas.At(60, 30), kGroupFrame) << "the frame part below the caption line";
  // Without a caption the frame line runs unbroken: nothing is cut out of the top.
  SetWindowTextW(group, u"");
  Canvas bare;
  Print(group, bare);
  for (int x = 0; x < 120; ++x) EXPECT_EQ(bare.At(x, 12), kGroupFrame) << "x " << x;
}

TEST_F(ButtonObject, FocusCueOnlyWithTheFocusAndWhenTheUiStateShowsIt) {
  HWND push = Button(BS_PUSHBUTTON);
  // The cue runs along the content rectangle (edge and border in): count the pixels it
  // changed on its top line.
  auto cuePixels = [&] {
    Canvas canvas;
    Print(push, canvas);
    int changed = 0;
    for (int x = 3; x < 117; ++x) changed += canvas.At(x, 3) != PushColour(1);
    return changed;
  };
  EXPECT_EQ(cuePixels(), 0) << "without the focus";
  SetFocus(push);
  ASSERT_EQ(GetFocus(), push);
  EXPECT_GT(cuePixels(), 20) << "with the focus";
  SendMessageW(push, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  EXPECT_EQ(cuePixels(), 0) << "the UI state hides focus cues";
}

TEST_F(ButtonObject, HollowBackgroundReplyLeavesTheParentsPixels) {
  HWND box = Button(BS_AUTOCHECKBOX);
  Canvas filled;
  Print(box, filled);
  EXPECT_NE(filled.At(100, 5), kMagenta) << "the background asked of the parent was filled";
  g_hollow = true;
  Canvas hollow;
  Print(box, hollow);
  EXPECT_EQ(hollow.At(100, 5), kMagenta) << "no buffer, no background";
  EXPECT_EQ(hollow.At(6, 20), CheckColour(1)) << "the glyph still drawn";
}

TEST_F(ButtonObject, OwnerDrawnButtonsAreLeftToTheirOwners) {
  HWND owned = Button(BS_OWNERDRAW);
  Canvas canvas;
  Print(owned, canvas);
  EXPECT_NE(std::find(g_parentHeard.begin(), g_parentHeard.end(), UINT{WM_DRAWITEM}), g_parentHeard.end());
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 0)) << "what the owner drew";
}

TEST_F(ButtonObject, WithoutTheSkinTheControlPaintsItself) {
  HWND push = Button(BS_PUSHBUTTON);
  manager_->RemoveSkin();
  Canvas canvas;
  Print(push, canvas);
  EXPECT_NE(canvas.At(3, 3), PushColour(1));
  EXPECT_NE(canvas.At(3, 3), kMagenta) << "the control's own classic face";
}

}  // namespace

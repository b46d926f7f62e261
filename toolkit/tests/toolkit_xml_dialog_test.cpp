// A dialog from the XML resource file runs in the dialog manager: one control of each
// standard kind placed in the dialog units of its font, Tab over the tab stops, Enter as
// IDOK and a label's mnemonic focusing the control after it. The dialog manager lies in
// libKx2User32.so, which this binary reaches by name as the platform's own code does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <kx2/InputState.h>
#include <kx2/IdleHandler.h>
#include <toolkit/ResourceManager.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/module.h>
#include <win/nls.h>
#include <win/user.h>

#include "toolkit_support.h"

namespace {

using namespace ktk_test;

template <class Fn>
Fn User(const char* name) {
  static HMODULE user32 = LoadLibraryW(u"user32.dll");
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}
#define USER(function) User<decltype(&::function)>(#function)

struct Kind {
  const char* className;
  int id;
  DWORD style;
  const char* caption;
  RECT dlu;  // x, y, cx, cy
};

// WS_CHILD | WS_VISIBLE, with WS_TABSTOP (0x10000) where the control takes the focus.
const Kind kKinds[] = {
    {"STATIC", 100, 0x50000000, "&Name:", {5, 5, 40, 10}},
    {"EDIT", 101, 0x50810080, "Ann", {50, 5, 100, 12}},      // WS_BORDER, ES_AUTOHSCROLL
    {"BUTTON", 102, 0x50010003, "&Check", {5, 22, 60, 10}},  // BS_AUTOCHECKBOX
    {"LISTBOX", 103, 0x50A10101, "", {5, 36, 60, 40}},       // WS_BORDER, WS_VSCROLL, LBS_NOTIFY, LBS_NOINTEGRALHEIGHT
    {"COMBOBOX", 104, 0x50010003, "", {70, 36, 80, 60}},     // CBS_DROPDOWNLIST
    {"SCROLLBAR", 105, 0x50000001, "", {160, 5, 10, 70}},    // SBS_VERT
    {"BUTTON", IDOK, 0x50010001, "OK", {70, 80, 50, 14}},    // BS_DEFPUSHBUTTON
    {"BUTTON", IDCANCEL, 0x50010000, "Cancel", {125, 80, 50, 14}},  // BS_PUSHBUTTON
};

// "&" written as XML wants it.
std::string Escaped(const char* text) {
  std::string out;
  for (const char* c = text; *c; ++c) out += *c == '&' ? std::string("&amp;") : std::string(1, *c);
  return out;
}

bool Registered(const char* className) {
  const std::string narrow(className);
  const std::u16string name(narrow.begin(), narrow.end());
  WNDCLASSW wc{};
  return GetClassInfoW(nullptr, name.c_str(), &wc) != 0;
}

std::string ResourceFile(std::vector<Kind>* used) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<resource CompactMode="1" LANGID="1033">
  <dialog id="40" style="-1865940992" position="10, 10, 180, 100" caption="Every kind" fontface="DejaVu Sans" fontsize="8">
)";  // WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, as the signed 32-bit value the file keeps
  for (const Kind& kind : kKinds) {
    if (!Registered(kind.className)) continue;
    used->push_back(kind);
    xml += "    <control class=\"" + std::string(kind.className) + "\" id=\"" + std::to_string(kind.id) +
           "\" style=\"" + std::to_string(kind.style) + "\" caption=\"" + Escaped(kind.caption) + "\" position=\"" +
           std::to_string(kind.dlu.left) + ", " + std::to_string(kind.dlu.top) + ", " + std::to_string(kind.dlu.right) +
           ", " + std::to_string(kind.dlu.bottom) + "\"/>\n";
  }
  return xml + "  </dialog>\n</resource>\n";
}

std::vector<WPARAM> g_commands;
INT_PTR CALLBACK RecordCommands(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) g_commands.push_back(wParam);
  return message == WM_INITDIALOG;
}

class XmlDialog : public TempFolder {
 public:
  void SetUp() override {
    TempFolder::SetUp();
    ASSERT_NE(USER(CreateDialogIndirectParamW), nullptr) << "the dialog manager";
    WriteFile("dialogs.xml", ResourceFile(&used_));
    manager_ = std::make_unique<CKtkResourceManagerXML>(Windows("dialogs.xml").c_str());
    ASSERT_TRUE(manager_->IsValid());
    const DLGTEMPLATE* tmpl = manager_->LoadDialogTemplate(40);
    ASSERT_NE(tmpl, nullptr);
    Kx2ResetInput();
    g_commands.clear();
    dlg_ = USER(CreateDialogIndirectParamW)(nullptr, tmpl, nullptr, &RecordCommands, 0);
    ASSERT_NE(dlg_, nullptr) << GetLastError() << " with " << used_.size() << " controls";
  }
  void TearDown() override {
    if (dlg_) DestroyWindow(dlg_);
    manager_.reset();
    TempFolder::TearDown();
  }
  HWND Item(int id) const { return GetDlgItem(dlg_, id); }
  void Type(UINT vk, bool alt = false) {
    if (alt) Kx2InjectKey(VK_MENU, TRUE);
    Kx2InjectKeyStroke(vk);
    if (alt) Kx2InjectKey(VK_MENU, FALSE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      if (!USER(IsDialogMessageW)(dlg_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
  }

  std::vector<Kind> used_;
  std::unique_ptr<CKtkResourceManagerXML> manager_;
  HWND dlg_ = nullptr;
};

TEST_F(XmlDialog, ControlsSitInTheDialogUnitsOfTheFont) {
  for (const char* kind : {"STATIC", "EDIT", "BUTTON", "LISTBOX", "COMBOBOX", "SCROLLBAR"})
    if (!Registered(kind)) std::printf("note: no %s class in this build; the dialog goes without it\n", kind);
  auto font = reinterpret_cast<HFONT>(SendMessageW(dlg_, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &extent);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const SIZE base{(extent.cx / 26 + 1) / 2, tm.tmHeight};
  for (const Kind& kind : used_) {
    HWND control = Item(kind.id);
    ASSERT_NE(control, nullptr) << kind.className;
    RECT got{};
    GetWindowRect(control, &got);
    MapWindowPoints(nullptr, dlg_, reinterpret_cast<POINT*>(&got), 2);
    const int left = MulDiv(kind.dlu.left, base.cx, 4), top = MulDiv(kind.dlu.top, base.cy, 8);
    EXPECT_EQ(got.left, left) << kind.className << " " << kind.id;
    EXPECT_EQ(got.top, top) << kind.className << " " << kind.id;
    EXPECT_EQ(got.right - got.left, MulDiv(kind.dlu.right, base.cx, 4)) << kind.className << " " << kind.id;
    // A combo box keeps the height of its closed field, not the template's list height.
    if (std::string(kind.className) != "COMBOBOX") {
      EXPECT_EQ(got.bottom - got.top, MulDiv(kind.dlu.bottom, base.cy, 8)) << kind.className << " " << kind.id;
    }
  }
}

TEST_F(XmlDialog, TabWalksTheTabStopsEnterSendsOkAndTheLabelsMnemonicFocusesItsControl) {
  std::vector<HWND> stops;
  for (const Kind& kind : used_)
    if (kind.style & WS_TABSTOP) stops.push_back(Item(kind.id));
  ASSERT_GE(stops.size(), 2u);
  ASSERT_EQ(GetFocus(), stops[0]);
  for (size_t i = 1; i <= stops.size(); ++i) {
    Type(VK_TAB);
    EXPECT_EQ(GetFocus(), stops[i % stops.size()]) << i;
  }
  ASSERT_EQ(GetFocus(), stops[0]);
  Type(VK_RETURN);
  ASSERT_FALSE(g_commands.empty());
  EXPECT_EQ(LOWORD(g_commands.back()), IDOK);

  if (!Item(100)) GTEST_SKIP() << "no Static class yet for the label";
  SetFocus(Item(IDCANCEL));
  Type('N', true);
  EXPECT_EQ(GetFocus(), Item(101));
  // A check box's mnemonic focuses and clicks it.
  Type('C', true);
  EXPECT_EQ(GetFocus(), Item(102));
  EXPECT_EQ(SendMessageW(Item(102), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(g_commands.back(), MAKEWPARAM(102, BN_CLICKED));
}

}  // namespace

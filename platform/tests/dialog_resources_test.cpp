// Dialogs and menus compiled by kx2rc (resources/Kx2DialogTestRes): the DIALOG, DIALOGEX,
// MENU and MENUEX statements give the templates Windows' resource compiler gives, and the
// dialog manager makes dialogs from them by name.
#include <cairo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "kx2/Compositor.h"
#include "kx2/PathMap.h"
#include "user_test_support.h"
#include "win/menu.h"
#include "win/module.h"
#include "win/resource.h"

namespace {

using dlgtest::Item;
using dlgtest::TemplateWriter;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

class CompiledTemplates : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    dlgtest::RegisterTestControls();
    const std::string path = std::string(KX2_BIN_DIR) + "/Languages/ENU/Kx2DialogTestRes.ENU";
    module_ = LoadLibraryExW(kx2::ToWindowsPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << path;
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    WindowTest::TearDown();
  }
  std::vector<BYTE> Resource(LPCWSTR type, int id) const {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module_, found));
  }
  HMODULE module_ = nullptr;
};

TEST_F(CompiledTemplates, DialogexStatementsGiveTheExtendedTemplate) {
  TemplateWriter expected(true, DS_MODALFRAME | WS_POPUP | WS_SYSMENU | WS_CAPTION, 10, 20, 200, 100, u"Form");
  expected.Font(8, u"DejaVu Sans").FontDetails(700, 1, 0).HelpId(77).ExStyle(WS_EX_CONTROLPARENT);
  expected.Add(Item{kChild | WS_GROUP, 0, 5, 5, 40, 10, 0xFFFFFFFF, u"", 0x82, u"&Name:", {}});
  expected.Add(Item{kChild | WS_TABSTOP | 0x80, WS_EX_CLIENTEDGE, 50, 5, 100, 12, 1001, u"", 0x81, u"", {}});
  expected.Add(Item{kChild | WS_TABSTOP, 0, 50, 20, 40, 12, 1002, u"DlgTestButton", 0, u"Custom", {}, 0, 55});
  expected.Add(Item{kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 50, 80, 50, 14, IDOK, u"", 0x80, u"OK", {}});
  expected.Add(Item{kChild | WS_TABSTOP, 0, 110, 80, 50, 14, IDCANCEL, u"", 0x80, u"Cancel", {}});
  EXPECT_EQ(Resource(RT_DIALOG, 100), expected.Bytes());
}

TEST_F(CompiledTemplates, DialogStatementsGiveTheClassicTemplateWithItsMenu) {
  TemplateWriter expected(false, WS_POPUP | WS_CAPTION, 0, 0, 120, 60, u"Classic");
  expected.Font(9, u"DejaVu Sans").MenuOrdinal(200);
  expected.Add(Item{kChild | 0x3, 0, 2, 3, 0, 0, 300, u"", 0x82, u"", {}, 7});
  expected.Add(Item{kChild | WS_TABSTOP | 0x3, 0, 5, 20, 60, 10, 301, u"", 0x80, u"&Check", {}});
  expected.Add(Item{kChild | 0x1, 0, 100, 0, 10, 60, 302, u"", 0x84, u"", {}});
  EXPECT_EQ(Resource(RT_DIALOG, 101), expected.Bytes());
}

TEST_F(CompiledTemplates, MenuAndMenuexStatementsGiveTheirTemplates) {
  using W = TemplateWriter;
  std::vector<BYTE> menu;
  W::Word(menu, 0), W::Word(menu, 0);
  W::Word(menu, 0x10), W::Text(menu, u"&File");
  W::Word(menu, 0), W::Word(menu, 10), W::Text(menu, u"&Open");
  W::Word(menu, 0), W::Word(menu, 0), W::Text(menu, u"");
  W::Word(menu, 0x80 | 0x1 | 0x8), W::Word(menu, 11), W::Text(menu, u"E&xit");
  W::Word(menu, 0x80 | 0x4000), W::Word(menu, 12), W::Text(menu, u"&Help");
  EXPECT_EQ(Resource(RT_MENU, 200), menu);

  std::vector<BYTE> ex;
  auto item = [&](DWORD type, DWORD state, DWORD id, WORD info, const std::u16string& text) {
    W::Align4(ex);
    W::Dword(ex, type), W::Dword(ex, state), W::Dword(ex, id), W::Word(ex, info), W::Text(ex, text);
  };
  W::Word(ex, 1), W::Word(ex, 4), W::Dword(ex, 0);
  item(0, 0, 20, 0x01, u"&File");
  W::Align4(ex);
  W::Dword(ex, 99);
  item(0, 0, 21, 0, u"&Open");
  item(0x800, 0, 0, 0, u"");
  item(0x200, 0x8, 22, 0x80, u"Radio");
  item(0, 0, 23, 0x80, u"&Help");
  EXPECT_EQ(Resource(RT_MENU, 201), ex);

  // The standard form loads as a menu.
  HMENU loaded = LoadMenuW(module_, MAKEINTRESOURCEW(200));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(GetMenuItemCount(loaded), 2);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(loaded, 0)), 3);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(loaded, 0), 2), 11u);
  DestroyMenu(loaded);
}

TEST_F(CompiledTemplates, ACompiledDialogRunsByName) {
  HWND dlg = CreateDialogParamW(
      module_, MAKEINTRESOURCEW(100), nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  WNDCLASSW button{};
  if (!GetClassInfoW(nullptr, u"Button", &button) || !GetClassInfoW(nullptr, u"Edit", &button) ||
      !GetClassInfoW(nullptr, u"Static", &button)) {
    EXPECT_EQ(dlg, nullptr) << "the standard controls are not there yet";
    GTEST_SKIP() << "Button, Edit or Static is not registered";
  }
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dlg, IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(dlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));

  // Its picture: the dialog's face around the controls (and a PNG for a person).
  ShowWindow(dlg, SW_SHOWNORMAL);
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  cairo_surface_t* picture = Kx2CaptureWindow(dlg);
  ASSERT_NE(picture, nullptr);
  cairo_surface_flush(picture);
  RECT frame{}, client{};
  GetWindowRect(dlg, &frame);
  GetClientRect(dlg, &client);
  POINT corner{client.right - 2, client.bottom - 2};
  ClientToScreen(dlg, &corner);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(picture));
  const int stride = cairo_image_surface_get_stride(picture) / 4;
  const uint32_t at = pixels[(corner.y - frame.top) * stride + (corner.x - frame.left)] & 0xFFFFFFu;
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  EXPECT_EQ(at, static_cast<uint32_t>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT"))
    cairo_surface_write_to_png(picture, (std::string(dir) + "/dialog-form.png").c_str());
  cairo_surface_destroy(picture);
  DestroyWindow(dlg);
}

TEST_F(CompiledTemplates, AClassicTemplatesMenuComesFromItsModule) {
  HWND dlg = CreateDialogParamW(
      module_, MAKEINTRESOURCEW(101), nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  WNDCLASSW wc{};
  if (!GetClassInfoW(nullptr, u"Static", &wc) || !GetClassInfoW(nullptr, u"ScrollBar", &wc))
    GTEST_SKIP() << "Static or ScrollBar is not registered";
  ASSERT_NE(dlg, nullptr);
  HMENU menu = GetMenu(dlg);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), 10u);
  // The menu bar takes its room above the client area.
  RECT window{}, client{};
  GetWindowRect(dlg, &window);
  GetClientRect(dlg, &client);
  POINT origin{0, 0};
  ClientToScreen(dlg, &origin);
  EXPECT_GT(origin.y - window.top, GetSystemMetrics(SM_CYCAPTION));
  WCHAR cls[16] = {};
  GetClassNameW(GetDlgItem(dlg, 302), cls, 16);
  EXPECT_EQ(std::u16string(cls), u"ScrollBar");
  DestroyWindow(dlg);
}

}  // namespace

// Menus from templates and resources; bitmaps, icons and cursors from a module made here.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kx2/MenuTemplate.h"
#include "kx2/PathMap.h"
#include "kx2/ResourceContainer.h"
#include "win/afx.h"
#include "win/kernel.h"
#include "win/menu.h"
#include "win/module.h"
#include "win/resource.h"
#include "win/userres.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, static_cast<uint16_t>(x));
  Put16(v, static_cast<uint16_t>(x >> 16));
}
void PutText(std::vector<uint8_t>& v, const std::u16string& s) {
  for (char16_t c : s) Put16(v, c);
  Put16(v, 0);
}

// A 32-bit DIB; `mask` doubles the height for an icon's AND mask.
std::vector<uint8_t> Dib(int w, int h, bool mask) {
  std::vector<uint8_t> v;
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(w));
  Put32(v, static_cast<uint32_t>(mask ? 2 * h : h));
  Put16(v, 1);
  Put16(v, 32);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  v.resize(v.size() + static_cast<size_t>(w * h * 4), 0x7F);
  if (mask) v.resize(v.size() + static_cast<size_t>(((w + 31) / 32) * 4 * h), 0);
  return v;
}

// File menu: Open (1), separator, Recent > (Last (2)); then Help (3).
std::vector<uint8_t> MenuTemplate() {
  std::vector<uint8_t> v;
  Put16(v, 0), Put16(v, 0);
  Put16(v, MF_POPUP), PutText(v, u"File");
  Put16(v, 0), Put16(v, 1), PutText(v, u"Open");
  Put16(v, 0), Put16(v, 0), PutText(v, u"");
  Put16(v, MF_POPUP | MF_END), PutText(v, u"Recent");
  Put16(v, MF_END), Put16(v, 2), PutText(v, u"Last");
  Put16(v, MF_END), Put16(v, 3), PutText(v, u"Help");
  return v;
}

void Align4(std::vector<uint8_t>& v) {
  while (v.size() % 4) v.push_back(0);
}

// The same menu in the extended form, with a help id on the pop-up, a radio item and a
// right-justified Help.
std::vector<uint8_t> MenuExTemplate() {
  std::vector<uint8_t> v;
  Put16(v, 1), Put16(v, 4), Put32(v, 77);
  const auto item = [&](uint32_t type, uint32_t state, uint32_t id, uint16_t flags, const std::u16string& text) {
    Align4(v);
    Put32(v, type), Put32(v, state), Put32(v, id), Put16(v, flags), PutText(v, text);
  };
  item(0, 0, 0, 0x01, u"File");
  Align4(v), Put32(v, 500);
  item(MFT_RADIOCHECK, MFS_CHECKED, 1, 0, u"Open");
  item(MFT_SEPARATOR, 0, 0, 0, u"");
  item(0, 0, 0, 0x81, u"Recent");
  Align4(v), Put32(v, 0);
  item(0, MFS_GRAYED, 2, 0x80, u"Last");
  item(MFT_RIGHTJUSTIFY, MFS_DEFAULT, 3, 0x80, u"Help");
  return v;
}

class MenuImages : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-menuimg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    kx2::rsrc::ContainerWriter writer;
    writer.Add(uint16_t{2}, uint16_t{5}, 1033, Dib(3, 2, false));
    writer.Add(uint16_t{2}, uint16_t{6}, 1033, std::vector<uint8_t>(30, 0));  // not a DIB
    writer.Add(uint16_t{4}, uint16_t{3}, 1033, MenuTemplate());
    std::vector<uint8_t> cut = MenuTemplate();
    cut.resize(cut.size() - 10);  // the last item never ends
    writer.Add(uint16_t{4}, uint16_t{4}, 1033, cut);
    writer.Add(uint16_t{4}, uint16_t{8}, 1033, MenuExTemplate());
    std::vector<uint8_t> exCut = MenuExTemplate();
    exCut.resize(exCut.size() - 6);
    writer.Add(uint16_t{4}, uint16_t{9}, 1033, exCut);
    std::vector<uint8_t> group;
    Put16(group, 0), Put16(group, 1), Put16(group, 2);
    for (auto [size, id] : {std::pair{16, 10}, std::pair{32, 11}}) {
      group.push_back(static_cast<uint8_t>(size)), group.push_back(static_cast<uint8_t>(size));
      group.push_back(0), group.push_back(0);
      Put16(group, 1), Put16(group, 32);
      Put32(group, static_cast<uint32_t>(Dib(size, size, true).size()));
      Put16(group, static_cast<uint16_t>(id));
      writer.Add(uint16_t{3}, static_cast<uint16_t>(id), 1033, Dib(size, size, true));
    }
    writer.Add(uint16_t{14}, uint16_t{1}, 1033, group);
    std::vector<uint8_t> cursorGroup;
    Put16(cursorGroup, 0), Put16(cursorGroup, 2), Put16(cursorGroup, 1);
    Put16(cursorGroup, 32), Put16(cursorGroup, 64), Put16(cursorGroup, 1), Put16(cursorGroup, 32);
    std::vector<uint8_t> cursor;
    Put16(cursor, 4), Put16(cursor, 5);
    const auto dib = Dib(32, 32, true);
    cursor.insert(cursor.end(), dib.begin(), dib.end());
    Put32(cursorGroup, static_cast<uint32_t>(cursor.size())), Put16(cursorGroup, 20);
    writer.Add(uint16_t{1}, uint16_t{20}, 1033, cursor);
    writer.Add(uint16_t{12}, uint16_t{7}, 1033, cursorGroup);
    const auto bytes = writer.Build();
    const std::string path = dir_ + "/Images.rsrc";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    module_ = LoadLibraryExW(kx2::ToWindowsPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    std::filesystem::remove_all(dir_);
  }
  std::string dir_;
  HMODULE module_ = nullptr;
};

TEST_F(MenuImages, MenuFromTemplateAndResource) {
  const std::vector<uint8_t> bytes = MenuTemplate();
  for (HMENU menu : {LoadMenuIndirectW(bytes.data()), LoadMenuW(module_, MAKEINTRESOURCEW(3))}) {
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(menu, 1), 3u);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION), (3u << 8) | MF_POPUP) << "count in the high byte";
    char16_t text[8];
    EXPECT_EQ(GetMenuStringW(file, 1, text, 8, MF_BYCOMMAND), 4);
    EXPECT_EQ(std::u16string(text), u"Open");
    HMENU recent = GetSubMenu(file, 2);
    EXPECT_EQ(GetMenuItemID(recent, 0), 2u);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(file)) << "sub-menus go with their menu";
  }
  EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(99)), nullptr);
  EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(4)), nullptr) << "read within the resource only";
  std::vector<uint8_t> extended = bytes;
  extended[0] = 1;
  EXPECT_EQ(LoadMenuIndirectW(extended.data()), nullptr);
  CMenu menu;
  EXPECT_TRUE(menu.LoadMenuIndirect(bytes.data()));
  CString caption;
  EXPECT_EQ(menu.GetMenuString(3, caption, MF_BYCOMMAND), 4);
  EXPECT_EQ(caption, CString(u"Help"));
}

TEST_F(MenuImages, ExtendedMenusReadOnlyWithinAKnownSize) {
  HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(8));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(file), 3);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoW(file, 0, TRUE, &info));
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_RADIOCHECK));
  EXPECT_EQ(info.fState, static_cast<UINT>(MFS_CHECKED));
  EXPECT_EQ(info.wID, 1u);
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  HMENU recent = GetSubMenu(file, 2);
  EXPECT_EQ(GetMenuState(recent, 2, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  ASSERT_TRUE(GetMenuItemInfoW(menu, 1, TRUE, &info));
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_RIGHTJUSTIFY));
  EXPECT_EQ(info.fState, static_cast<UINT>(MFS_DEFAULT));
  MENUINFO help{sizeof(MENUINFO), MIM_HELPID, 0, 0, nullptr, 0, 0};
  ASSERT_TRUE(GetMenuInfo(file, &help));
  EXPECT_EQ(help.dwContextHelpID, 500u);
  ASSERT_TRUE(GetMenuInfo(menu, &help));
  EXPECT_EQ(help.dwContextHelpID, 77u);
  DestroyMenu(menu);

  // Cut short inside the resource: refused, nothing read past it.
  SetLastError(0);
  EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(9)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  const std::vector<uint8_t> bytes = MenuExTemplate();
  for (size_t size : {size_t{0}, size_t{7}, size_t{20}, bytes.size() - 1}) {
    EXPECT_EQ(Kx2LoadMenuTemplate(bytes.data(), size), nullptr) << size;
  }
  HMENU whole = Kx2LoadMenuTemplate(bytes.data(), bytes.size());
  EXPECT_NE(whole, nullptr);
  DestroyMenu(whole);
  // Without a size only the standard form is read.
  EXPECT_EQ(LoadMenuIndirectW(bytes.data()), nullptr);
}

TEST_F(MenuImages, OwnerDrawnAndFlagItemsKeepTheirBits) {
  // MF_APPEND, MF_CHANGE and MF_REMOVE share values with item bits (owner-drawn, hilite,
  // default): the item calls keep those bits as the item's own.
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(menu, MF_OWNERDRAW, 4, reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(0x1234))));
  ASSERT_TRUE(InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING | MF_DEFAULT, 5, u"Five"));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STATE;
  ASSERT_TRUE(GetMenuItemInfoW(menu, 4, FALSE, &info));
  EXPECT_EQ(info.fType, static_cast<UINT>(MFT_OWNERDRAW));
  EXPECT_EQ(info.dwItemData, 0x1234u) << "an owner-drawn item's data is what came as its text";
  ASSERT_TRUE(GetMenuItemInfoW(menu, 5, FALSE, &info));
  EXPECT_EQ(info.fState, static_cast<UINT>(MFS_DEFAULT));
  DestroyMenu(menu);
}

TEST_F(MenuImages, BitmapsIconsCursors) {
  HBITMAP bitmap = LoadBitmapW(module_, MAKEINTRESOURCEW(5));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  EXPECT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(bitmap)) << "a freed handle is refused";
  EXPECT_EQ(LoadBitmapW(module_, MAKEINTRESOURCEW(6)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

  DWORD size;
  HRSRC group = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  auto* dir = static_cast<BYTE*>(LockResource(LoadResource(module_, group)));
  struct Case {
    int cx, id;
  } cases[] = {{16, 10}, {20, 10}, {30, 11}, {0, 11}, {48, 11}};
  for (const Case& c : cases) EXPECT_EQ(LookupIconIdFromDirectoryEx(dir, TRUE, c.cx, c.cx, 0), c.id) << c.cx;
  EXPECT_EQ(LookupIconIdFromDirectoryEx(dir, FALSE, 16, 16, 0), 0) << "not a cursor directory";
  HRSRC small = FindResourceW(module_, MAKEINTRESOURCEW(10), RT_ICON);
  size = SizeofResource(module_, small);
  HICON icon = CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(module_, small))), size, TRUE,
                                        0x30000, 16, 16, 0);
  int cx = 0, cy = 0;
  ASSERT_TRUE(Kx2GetIconSize(icon, &cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  EXPECT_TRUE(DestroyIcon(icon));
  HICON big = LoadIconW(module_, MAKEINTRESOURCEW(1));
  ASSERT_TRUE(Kx2GetIconSize(big, &cx, &cy));
  EXPECT_EQ(cx, 32);
  DestroyIcon(big);
  HCURSOR cursor = LoadCursorW(module_, MAKEINTRESOURCEW(7));
  ASSERT_TRUE(Kx2GetIconSize(cursor, &cx, &cy));
  EXPECT_EQ(cy, 32);
  DestroyCursor(cursor);
}

}  // namespace

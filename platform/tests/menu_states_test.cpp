// Menu item states: check and enable by command (into sub-menus) or position, and the
// default item; a command no item carries changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "win/kernel.h"
#include "win/menu.h"

namespace {

struct Menus {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  Menus() {
    AppendMenuW(file, MF_STRING, 101, u"&Open");
    AppendMenuW(file, MF_STRING, 102, u"&Save");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_STRING, 200, u"&Help");
  }
  ~Menus() { DestroyMenu(bar); }
};

TEST(MenuStates, CheckAndEnableReachSubMenusAndAnswerThePreviousState) {
  Menus m;
  EXPECT_EQ(CheckMenuItem(m.bar, 102, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(m.file, 102, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(m.file, 1, MF_BYPOSITION | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(m.bar, 101, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(m.file, 0, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(m.bar, 0, MF_BYPOSITION | MF_DISABLED), MF_ENABLED) << "a pop-up item by position";
  // Commands nobody carries: nothing answers, nothing else changes.
  EXPECT_EQ(CheckMenuItem(m.bar, 999, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(m.bar, 999, MF_BYCOMMAND | MF_GRAYED), -1);
  EXPECT_EQ(CheckMenuItem(m.file, 7, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(GetMenuState(m.bar, 200, MF_BYCOMMAND), static_cast<UINT>(MF_STRING));
}

TEST(MenuStates, OneDefaultItemPerMenu) {
  Menus m;
  EXPECT_EQ(GetMenuDefaultItem(m.file, FALSE, 0), static_cast<UINT>(-1));
  ASSERT_TRUE(SetMenuDefaultItem(m.file, 102, FALSE));
  EXPECT_EQ(GetMenuDefaultItem(m.file, FALSE, 0), 102u);
  ASSERT_TRUE(SetMenuDefaultItem(m.file, 0, TRUE));
  EXPECT_EQ(GetMenuDefaultItem(m.file, TRUE, 0), 0u);
  EXPECT_EQ(GetMenuState(m.file, 102, MF_BYCOMMAND) & MF_DEFAULT, 0u) << "the old default is cleared";
  EXPECT_FALSE(SetMenuDefaultItem(m.file, 555, FALSE));
  EXPECT_EQ(GetMenuDefaultItem(m.file, FALSE, 0), 101u) << "a failed call keeps the default";
  // Disabled defaults count only when asked; a default pop-up is followed into when asked.
  EnableMenuItem(m.file, 101, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_EQ(GetMenuDefaultItem(m.file, FALSE, 0), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuDefaultItem(m.file, FALSE, GMDI_USEDISABLED), 101u);
  SetMenuDefaultItem(m.bar, 0, TRUE);
  EXPECT_EQ(GetMenuDefaultItem(m.bar, FALSE, GMDI_GOINTOPOPUPS | GMDI_USEDISABLED), 101u);
  EXPECT_EQ(GetMenuDefaultItem(m.bar, TRUE, 0), 0u);
  ASSERT_TRUE(SetMenuDefaultItem(m.bar, static_cast<UINT>(-1), FALSE));
  EXPECT_EQ(GetMenuDefaultItem(m.bar, TRUE, 0), static_cast<UINT>(-1));
}

TEST(MenuStates, ItemInformationReadsWritesAndInserts) {
  static_assert(sizeof(MENUITEMINFOW) == 80, "this build's record: handles and data are pointer-sized");
  Menus m;
  char16_t text[32] = {};
  MENUITEMINFOW info{sizeof(MENUITEMINFOW)};
  info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = 32;
  ASSERT_TRUE(GetMenuItemInfoW(m.bar, 0, TRUE, &info));
  EXPECT_EQ(std::u16string(text), u"&File");
  EXPECT_EQ(info.cch, 5u);
  EXPECT_EQ(info.hSubMenu, m.file);
  // A short buffer gets what fits; a null one only the length.
  info.cch = 3;
  ASSERT_TRUE(GetMenuItemInfoW(m.bar, 102, FALSE, &info));
  EXPECT_EQ(std::u16string(text), u"&S");
  EXPECT_EQ(info.wID, 102u);
  info.dwTypeData = nullptr;
  ASSERT_TRUE(GetMenuItemInfoW(m.bar, 102, FALSE, &info));
  EXPECT_EQ(info.cch, 5u);

  MENUITEMINFOW change{sizeof(MENUITEMINFOW)};
  change.fMask = MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
  change.fState = MFS_CHECKED | MFS_DEFAULT;
  change.fType = MFT_RADIOCHECK;
  change.dwItemData = 0xABCDEF;
  ASSERT_TRUE(SetMenuItemInfoW(m.bar, 101, FALSE, &change));
  MENUITEMINFOW back{sizeof(MENUITEMINFOW)};
  back.fMask = MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(m.file, 0, TRUE, &back));
  EXPECT_EQ(back.fState, static_cast<UINT>(MFS_CHECKED | MFS_DEFAULT));
  EXPECT_EQ(back.fType, static_cast<UINT>(MFT_RADIOCHECK));
  EXPECT_EQ(back.dwItemData, 0xABCDEFu);

  // Inserted before the item named, by command inside the sub-menu or by position.
  char16_t name[] = u"&New";
  MENUITEMINFOW add{sizeof(MENUITEMINFOW)};
  add.fMask = MIIM_STRING | MIIM_ID;
  add.dwTypeData = name;
  add.wID = 100;
  ASSERT_TRUE(InsertMenuItemW(m.bar, 101, FALSE, &add));
  EXPECT_EQ(GetMenuItemID(m.file, 0), 100u);
  add.wID = 300;
  ASSERT_TRUE(InsertMenuItemW(m.bar, 99, TRUE, &add));
  EXPECT_EQ(GetMenuItemID(m.bar, 2), 300u) << "a position past the end appends";

  // What no item answers, and records of another size, fail without touching anything.
  SetLastError(0);
  EXPECT_FALSE(GetMenuItemInfoW(m.bar, 999, FALSE, &back));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
  EXPECT_FALSE(SetMenuItemInfoW(m.bar, 9, TRUE, &change));
  EXPECT_FALSE(InsertMenuItemW(m.bar, 999, FALSE, &add));
  MENUITEMINFOW wrong{48};
  wrong.fMask = MIIM_ID;
  EXPECT_FALSE(GetMenuItemInfoW(m.bar, 0, TRUE, &wrong));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  MENUITEMINFOW badSub{sizeof(MENUITEMINFOW)};
  badSub.fMask = MIIM_SUBMENU;
  badSub.hSubMenu = reinterpret_cast<HMENU>(0x1234);
  EXPECT_FALSE(SetMenuItemInfoW(m.bar, 200, FALSE, &badSub));
  EXPECT_EQ(GetMenuItemCount(m.bar), 3);
}

TEST(MenuStates, EditingAndMenuInformation) {
  Menus m;
  ASSERT_TRUE(InsertMenuW(m.bar, 102, MF_BYCOMMAND | MF_STRING, 150, u"Save &As"));
  EXPECT_EQ(GetMenuItemID(m.file, 1), 150u) << "inserted in the sub-menu holding the command";
  ASSERT_TRUE(InsertMenuW(m.file, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 199, u"E&xit"));
  EXPECT_EQ(GetMenuItemID(m.file, GetMenuItemCount(m.file) - 1), 199u);
  ASSERT_TRUE(ModifyMenuW(m.bar, 150, MF_BYCOMMAND | MF_STRING, 151, u"Save a &Copy"));
  char16_t text[32] = {};
  GetMenuStringW(m.file, 151, text, 32, MF_BYCOMMAND);
  EXPECT_EQ(std::u16string(text), u"Save a &Copy");
  ASSERT_TRUE(DeleteMenu(m.bar, 151, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(m.bar, 151, MF_BYCOMMAND), static_cast<UINT>(-1));
  // RemoveMenu hands the sub-menu back alive; DeleteMenu would destroy it.
  ASSERT_TRUE(RemoveMenu(m.bar, 0, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(m.file));
  EXPECT_EQ(GetMenuItemCount(m.bar), 1);
  AppendMenuW(m.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(m.file), u"&File");
  EXPECT_FALSE(DeleteMenu(m.bar, 999, MF_BYCOMMAND));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));

  // Radio marks: one item of the range checked, the others cleared; other items untouched.
  AppendMenuW(m.file, MF_STRING | MF_CHECKED, 301, u"One");
  AppendMenuW(m.file, MF_STRING | MF_CHECKED, 302, u"Two");
  AppendMenuW(m.file, MF_STRING, 303, u"Three");
  CheckMenuItem(m.file, 101, MF_BYCOMMAND | MF_CHECKED);
  ASSERT_TRUE(CheckMenuRadioItem(m.bar, 301, 303, 303, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(m.file, 301, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(m.file, 302, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(m.file, 303, MF_BYCOMMAND) & (MF_CHECKED | MFT_RADIOCHECK),
            static_cast<UINT>(MF_CHECKED | MFT_RADIOCHECK));
  EXPECT_EQ(GetMenuState(m.file, 101, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_FALSE(CheckMenuRadioItem(m.bar, 301, 303, 999, MF_BYCOMMAND));

  // Menu information, carried down to sub-menus when asked.
  MENUINFO info{sizeof(MENUINFO), MIM_STYLE | MIM_MENUDATA | MIM_APPLYTOSUBMENUS, MNS_NOTIFYBYPOS, 0, nullptr, 0, 42};
  ASSERT_TRUE(SetMenuInfo(m.bar, &info));
  MENUINFO sub{sizeof(MENUINFO), MIM_STYLE | MIM_MENUDATA};
  ASSERT_TRUE(GetMenuInfo(m.file, &sub));
  EXPECT_EQ(sub.dwStyle, static_cast<DWORD>(MNS_NOTIFYBYPOS));
  EXPECT_EQ(sub.dwMenuData, 42u);
  MENUINFO wrong{12, MIM_STYLE};
  EXPECT_FALSE(GetMenuInfo(m.bar, &wrong));
}

}  // namespace

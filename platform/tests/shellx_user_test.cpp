// The user's account name, window classes and the window lookups that find no window
// yet, printers from KX2_PRINTERS, and metafile copies.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "kx2/Utf.h"
#include "win/gdi.h"
#include "win/kernel.h"
#include "win/user.h"
#include "win/winspool.h"

namespace {

TEST(ShellUser, UserNameFromTheAccount) {
  const passwd* account = getpwuid(geteuid());
  std::string expected = account ? account->pw_name : getenv("USER");
  char16_t name[256];
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(name, &size));
  EXPECT_EQ(kx2::Utf16ToUtf8(name), expected);
  EXPECT_EQ(size, expected.size() + 1);

  DWORD small = static_cast<DWORD>(expected.size());  // no room for the terminator
  EXPECT_FALSE(GetUserNameW(name, &small));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small, expected.size() + 1);
  EXPECT_FALSE(GetUserNameW(name, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

LRESULT Procedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

TEST(ShellUser, WindowClassesBelongToTheirModule) {
  auto* one = reinterpret_cast<HINSTANCE>(0x1000);
  auto* two = reinterpret_cast<HINSTANCE>(0x2000);
  char16_t menu[] = u"MainMenu";
  WNDCLASSW record{CS_DBLCLKS, &Procedure, 4, 8, one, nullptr, nullptr, nullptr, menu, u"Kx2TestFrame"};
  ATOM atom = RegisterClassW(&record);
  ASSERT_NE(atom, 0);
  menu[0] = u'X';  // the class keeps its own copy of the menu name

  // The same name in the same module, in any case, is taken; another module may use it.
  record.lpszClassName = u"KX2TESTFRAME";
  EXPECT_EQ(RegisterClassW(&record), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  record.hInstance = two;
  EXPECT_EQ(RegisterClassW(&record), atom);  // one atom per name

  WNDCLASSW found{};
  const char16_t* asked = u"kx2testframe";
  EXPECT_EQ(GetClassInfoW(one, asked, &found), atom);
  EXPECT_EQ(found.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(found.lpfnWndProc, &Procedure);
  EXPECT_EQ(found.cbWndExtra, 8);
  EXPECT_EQ(found.hInstance, one);
  EXPECT_EQ(found.lpszClassName, asked);
  EXPECT_EQ(std::u16string(found.lpszMenuName), u"MainMenu");
  EXPECT_EQ(GetClassInfoW(one, MAKEINTATOM(atom), &found), atom);

  EXPECT_FALSE(GetClassInfoW(reinterpret_cast<HINSTANCE>(0x3000), asked, &found));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_FALSE(GetClassInfoW(nullptr, u"Kx2NoSuchClass", &found));  // neither the module's nor a global one
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));

  EXPECT_TRUE(UnregisterClassW(u"Kx2TestFrame", one));
  EXPECT_FALSE(GetClassInfoW(one, asked, &found));
  EXPECT_FALSE(UnregisterClassW(u"Kx2TestFrame", one));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_EQ(GetClassInfoW(two, asked, &found), atom);  // the other module's class stays
  EXPECT_TRUE(UnregisterClassW(MAKEINTATOM(atom), two));
  EXPECT_FALSE(GetClassInfoW(two, MAKEINTATOM(atom), &found));  // the atom went with its last class
}

TEST(ShellUser, GlobalClassesAndTheExtendedRecord) {
  auto* owner = reinterpret_cast<HINSTANCE>(0x4000);
  WNDCLASSEXW record{sizeof(WNDCLASSEXW),
                     CS_GLOBALCLASS,
                     &Procedure,
                     0,
                     0,
                     owner,
                     nullptr,
                     nullptr,
                     nullptr,
                     MAKEINTRESOURCEW(7),
                     u"Kx2SharedClass",
                     reinterpret_cast<HICON>(0x55)};
  ATOM atom = RegisterClassExW(&record);
  ASSERT_NE(atom, 0);
  record.hInstance = reinterpret_cast<HINSTANCE>(0x5000);
  EXPECT_EQ(RegisterClassExW(&record), 0);  // a global class holds its name for every module
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  WNDCLASSEXW found{};
  found.cbSize = sizeof found;
  EXPECT_EQ(GetClassInfoExW(nullptr, u"Kx2SharedClass", &found), atom);
  EXPECT_EQ(found.hInstance, owner);
  EXPECT_EQ(found.hIconSm, reinterpret_cast<HICON>(0x55));
  EXPECT_EQ(found.lpszMenuName, MAKEINTRESOURCEW(7));
  found.cbSize = 0;
  EXPECT_FALSE(GetClassInfoExW(nullptr, u"Kx2SharedClass", &found));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  struct Bad {
    const char* what;
    WNDCLASSEXW record;
  };
  std::u16string tooLong(257, u'n');
  const Bad bad[] = {
      {"no name",
       {sizeof(WNDCLASSEXW), 0, &Procedure, 0, 0, owner, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}},
      {"a name too long",
       {sizeof(WNDCLASSEXW), 0, &Procedure, 0, 0, owner, nullptr, nullptr, nullptr, nullptr, tooLong.c_str(), nullptr}},
      {"negative extra bytes",
       {sizeof(WNDCLASSEXW), 0, &Procedure, -1, 0, owner, nullptr, nullptr, nullptr, nullptr, u"Kx2Bad", nullptr}},
      {"an atom nobody made",
       {sizeof(WNDCLASSEXW), 0, &Procedure, 0, 0, owner, nullptr, nullptr, nullptr, nullptr, MAKEINTATOM(0xFEEE),
        nullptr}},
      {"a wrong record size", {12, 0, &Procedure, 0, 0, owner, nullptr, nullptr, nullptr, nullptr, u"Kx2Bad", nullptr}},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(RegisterClassExW(&b.record), 0) << b.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << b.what;
  }
  EXPECT_TRUE(UnregisterClassW(u"Kx2SharedClass", owner));
}

TEST(ShellUser, NoWindowIsEverFound) {
  WNDCLASSW record{0, &Procedure, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"Kx2LonelyClass"};
  ASSERT_NE(RegisterClassW(&record), 0);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(FindWindowW(u"Kx2LonelyClass", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(FindWindowW(nullptr, u"Some Title"), nullptr);
  EXPECT_EQ(FindWindowW(u"Kx2NoSuchClass", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  char16_t name[16] = u"stale";
  EXPECT_EQ(GetClassNameW(reinterpret_cast<HWND>(0x1234), name, 16), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(name[0], 0);
  EXPECT_TRUE(UnregisterClassW(u"Kx2LonelyClass", nullptr));
}

class ShellPrinters : public ::testing::Test {
 protected:
  void SetUp() override { setenv("KX2_PRINTERS", "Office Laser; Plotter ;;Kept", 1); }
  void TearDown() override { unsetenv("KX2_PRINTERS"); }
  static LPWSTR W(const char16_t* text) { return const_cast<LPWSTR>(text); }
};

TEST_F(ShellPrinters, NoPrinterListedMeansNone) {
  unsetenv("KX2_PRINTERS");
  HANDLE printer = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(OpenPrinterW(W(u"Office Laser"), &printer, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(printer, nullptr);
  EXPECT_EQ(DocumentPropertiesW(nullptr, nullptr, W(u"Office Laser"), nullptr, nullptr, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_F(ShellPrinters, DocumentSettings) {
  HANDLE printer = nullptr;
  for (const char16_t* unknown : {u"", u"Office", u"Plotter2"}) {
    EXPECT_FALSE(OpenPrinterW(W(unknown), &printer, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  }
  EXPECT_FALSE(OpenPrinterW(nullptr, &printer, nullptr));
  ASSERT_TRUE(OpenPrinterW(W(u"office laser"), &printer, nullptr));
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, nullptr, nullptr, 0), static_cast<LONG>(sizeof(DEVMODEW)));

  DEVMODEW mode{};
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &mode, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(std::u16string(mode.dmDeviceName), u"Office Laser");
  EXPECT_EQ(mode.dmSize, sizeof(DEVMODEW));
  EXPECT_EQ(mode.dmDriverExtra, 0);
  EXPECT_EQ(mode.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(mode.dmCopies, 1);
  EXPECT_TRUE(mode.dmPaperSize == DMPAPER_A4 || mode.dmPaperSize == DMPAPER_LETTER);
  EXPECT_TRUE(mode.dmFields & DM_ORIENTATION);

  // Changes come back in the output but stay off the handle unless kept.
  DEVMODEW change = mode;
  change.dmFields = DM_ORIENTATION | DM_COPIES | DM_PAPERSIZE;
  change.dmOrientation = DMORIENT_LANDSCAPE;
  change.dmCopies = 3;
  change.dmPaperSize = DMPAPER_A3;
  DEVMODEW out{};
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, &change, DM_IN_BUFFER | DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(out.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(out.dmCopies, 3);
  EXPECT_EQ(std::u16string(out.dmFormName), u"A3");
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, nullptr, DM_OUT_BUFFER | DM_IN_PROMPT), IDOK);
  EXPECT_EQ(out.dmOrientation, DMORIENT_PORTRAIT);

  struct Bad {
    const char* what;
    DWORD field;
    void (*spoil)(DEVMODEW*);
  };
  const Bad bad[] = {
      {"orientation 7", DM_ORIENTATION, [](DEVMODEW* m) { m->dmOrientation = 7; }},
      {"no copies", DM_COPIES, [](DEVMODEW* m) { m->dmCopies = 0; }},
      {"a record too short", DM_COPIES, [](DEVMODEW* m) { m->dmSize = 40; }},
      {"a form name past the record", DM_FORMNAME, [](DEVMODEW* m) { m->dmSize = offsetof(DEVMODEW, dmFormName) + 2; }},
  };
  for (const Bad& b : bad) {
    DEVMODEW wrong = mode;
    wrong.dmFields = b.field;
    b.spoil(&wrong);
    EXPECT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, &wrong, DM_IN_BUFFER | DM_OUT_BUFFER), -1) << b.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << b.what;
  }
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, nullptr, nullptr, DM_OUT_BUFFER), -1);

  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, nullptr, DM_OUT_BUFFER), -1);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(ClosePrinter(event));  // not a printer
  CloseHandle(event);
}

TEST_F(ShellPrinters, KeptSettingsAndOpeningDefaults) {
  DEVMODEW change{};
  change.dmSize = sizeof change;
  change.dmFields = DM_COPIES | DM_COLOR;
  change.dmCopies = 2;
  change.dmColor = DMCOLOR_MONOCHROME;
  PRINTER_DEFAULTSW defaults{nullptr, &change, 0};
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterW(W(u"Plotter"), &printer, &defaults));
  DEVMODEW out{};
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(out.dmCopies, 2);
  EXPECT_EQ(out.dmColor, DMCOLOR_MONOCHROME);
  ClosePrinter(printer);

  // DM_OUT_DEFAULT keeps the settings for the printer; a null handle names it by name.
  change.dmFields = DM_ORIENTATION;
  change.dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_EQ(DocumentPropertiesW(nullptr, nullptr, W(u"KEPT"), nullptr, &change, DM_IN_BUFFER | DM_OUT_DEFAULT), IDOK);
  ASSERT_TRUE(OpenPrinterW(W(u"Kept"), &printer, nullptr));
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(out.dmOrientation, DMORIENT_LANDSCAPE);
  ClosePrinter(printer);
}

TEST(ShellMetafile, ThereIsNoMetafileToCopy) {
  SetLastError(0);
  EXPECT_EQ(CopyMetaFileW(reinterpret_cast<HMETAFILE>(0x1234), u"C:\\copy.wmf"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(CopyMetaFileW(nullptr, nullptr), nullptr);
}

}  // namespace

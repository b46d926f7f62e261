// The foundation's user, window, printer, shell and binary-type wrappers reach the
// system's calls (the shell settings through a look-up by name in the shell library).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <basalt/base_api.h>
#include <basalt/file_io.h>
#include <basalt/shell_util.h>
#include <kx2/Utf.h>

using Basalt::Util::BaseAPI;
using Basalt::Util::FileAndIOUtil;
using Basalt::Util::ShellUtil;
namespace fs = std::filesystem;

namespace {

class ShellForward : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/basalt-shellx-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("KX2_DRIVES", ("C=" + root_.string()).c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    unsetenv("KX2_SHELL_OPENER");
    unsetenv("KX2_PRINTERS");
    std::ofstream(root_ / "a.txt") << "A";
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(ShellForward, UserWindowsAndPrinters) {
  char16_t mine[128], theirs[128];
  DWORD a = 128, b = 128;
  ASSERT_TRUE(BaseAPI::_GetUserName(mine, &a));
  ASSERT_TRUE(GetUserNameW(theirs, &b));
  EXPECT_EQ(std::u16string(mine), std::u16string(theirs));

  LRESULT (*procedure)(HWND, UINT, WPARAM, LPARAM) = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
  WNDCLASSW record{0, procedure, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"BasaltShellxClass"};
  ATOM atom = RegisterClassW(&record);
  ASSERT_NE(atom, 0);
  WNDCLASSW found{};
  EXPECT_EQ(BaseAPI::_GetClassInfo(nullptr, u"BasaltShellxClass", &found), atom);
  EXPECT_EQ(found.lpfnWndProc, procedure);
  WNDCLASSEXW foundEx{};
  foundEx.cbSize = sizeof foundEx;
  EXPECT_EQ(BaseAPI::_GetClassInfoEx(nullptr, u"BasaltShellxClass", &foundEx), atom);
  EXPECT_EQ(BaseAPI::_FindWindow(u"BasaltShellxClass", nullptr), nullptr);  // no window exists
  char16_t name[32];
  EXPECT_EQ(BaseAPI::_GetClassName(reinterpret_cast<HWND>(0x10), name, 32), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  UnregisterClassW(u"BasaltShellxClass", nullptr);

  char16_t printerName[] = u"Office";
  HANDLE printer = nullptr;
  EXPECT_FALSE(BaseAPI::_OpenPrinter(printerName, &printer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  setenv("KX2_PRINTERS", "Office", 1);
  ASSERT_TRUE(BaseAPI::_OpenPrinter(printerName, &printer));
  EXPECT_EQ(BaseAPI::_DocumentProperties(nullptr, printer, nullptr, nullptr, nullptr, 0),
            static_cast<LONG>(sizeof(DEVMODEW)));
  ClosePrinter(printer);
}

TEST_F(ShellForward, ShellCalls) {
  SHELLFLAGSTATE state{};
  ShellUtil::_SHGetSettings(&state, SSF_SHOWEXTENSIONS);
  EXPECT_EQ(state.fShowExtensions, 1u);  // found in the shell library by name

  std::u16string from = u"C:\\a.txt";
  from.push_back(0);
  std::u16string to = u"C:\\b.txt";
  to.push_back(0);
  SHFILEOPSTRUCTW op{nullptr, FO_COPY, from.c_str(), to.c_str(), FOF_SILENT | FOF_NOCONFIRMATION,
                     FALSE,   nullptr, nullptr};
  ASSERT_EQ(ShellUtil::_SHFileOperation(&op), 0);
  EXPECT_TRUE(fs::exists(root_ / "b.txt"));

  SHFILEINFOW info{};
  EXPECT_EQ(ShellUtil::_SHGetFileInfo(u"C:\\b.txt", 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_DISPLAYNAME), 1u);
  EXPECT_EQ(std::u16string(info.szDisplayName), u"b.txt");

  PIDLIST_ABSOLUTE list = nullptr;
  ASSERT_EQ(SHParseDisplayName(u"C:\\b.txt", nullptr, &list, 0, nullptr), S_OK);
  char16_t path[MAX_PATH];
  ASSERT_TRUE(ShellUtil::_SHGetPathFromIDList(list, path));
  EXPECT_EQ(std::u16string(path), u"C:\\b.txt");
  SHDESCRIPTIONID id{};
  EXPECT_EQ(ShellUtil::_SHGetDataFromIDList(nullptr, list, SHGDFIL_DESCRIPTIONID, &id, sizeof id), S_OK);
  EXPECT_EQ(id.dwDescriptionId, static_cast<DWORD>(SHDID_FS_FILE));
  ILFree(list);

  const char16_t names[] = u"C:\\a.txt\0C:\\b.txt\0";  // the literal's own 0 ends the list
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof names);
  auto* bytes = static_cast<BYTE*>(GlobalLock(drop));
  DROPFILES head{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
  std::memcpy(bytes, &head, sizeof head);
  std::memcpy(bytes + sizeof head, names, sizeof names);
  GlobalUnlock(drop);
  EXPECT_EQ(ShellUtil::_DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  GlobalFree(drop);

  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellUtil::_ShellExecute(nullptr, u"open", u"C:\\a.txt", nullptr, nullptr, 1)),
            SE_ERR_NOASSOC);  // no opener set
  EXPECT_EQ(ShellUtil::_CopyMetaFile(reinterpret_cast<HMETAFILE>(0x10), nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ShellForward, BinaryType) {
  std::string image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  std::ofstream(root_ / "dos.exe", std::ios::binary) << image;
  DWORD type = 0xFF;
  ASSERT_TRUE(FileAndIOUtil::_GetBinaryType(u"C:\\dos.exe", &type));
  EXPECT_EQ(type, static_cast<DWORD>(SCS_DOS_BINARY));
  EXPECT_FALSE(FileAndIOUtil::_GetBinaryType(u"C:\\a.txt", &type));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

}  // namespace

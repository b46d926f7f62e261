// Executable kinds, file information, item-id lists, dropped-file lists and the shell's
// settings.
#include <cstring>
#include <string>
#include <vector>

#include "kx2/PathMap.h"
#include "shellx_test_support.h"
#include "win/module.h"
#include "win/ole.h"
#include "win/registry.h"
#include "win/shell.h"

namespace {

// An MZ file whose new header at 0x40 is a PE image with the given optional-header magic,
// file characteristics, subsystem and subsystem version.
std::string PeImage(WORD magic, WORD characteristics, WORD subsystem, BYTE major = 4, BYTE minor = 0) {
  std::string image(0x40 + 24 + 0xF0, '\0');
  auto put16 = [&](size_t at, WORD v) {
    image[at] = static_cast<char>(v & 0xFF);
    image[at + 1] = static_cast<char>(v >> 8);
  };
  image[0] = 'M';
  image[1] = 'Z';
  put16(0x3C, 0x40);
  std::memcpy(&image[0x40], "PE\0\0", 4);
  put16(0x44, 0x14c);          // machine
  put16(0x40 + 4 + 16, 0xE0);  // size of the optional header
  put16(0x40 + 4 + 18, characteristics);
  put16(0x40 + 24, magic);
  put16(0x40 + 24 + 48, major);
  put16(0x40 + 24 + 50, minor);
  put16(0x40 + 24 + 68, subsystem);
  return image;
}

std::string NeImage(BYTE targetOs, WORD flags = 0) {
  std::string image(0x80 + 0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = static_cast<char>(0x80);
  image[0x80] = 'N';
  image[0x81] = 'E';
  image[0x80 + 0x0C] = static_cast<char>(flags & 0xFF);
  image[0x80 + 0x0D] = static_cast<char>(flags >> 8);
  image[0x80 + 0x36] = static_cast<char>(targetOs);
  image[0x80 + 0x3E] = 10;  // Windows 3.10
  image[0x80 + 0x3F] = 3;
  return image;
}

std::string DosImage() {
  std::string image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  return image;
}

class ShellInfo : public ShellTest {};

TEST_F(ShellInfo, BinaryTypesFromTheHeader) {
  struct Case {
    const char* file;
    std::string bytes;
    BOOL ok;
    DWORD typeOrError;
    DWORD_PTR exeType;  // SHGetFileInfoW with SHGFI_EXETYPE
  };
  const Case cases[] = {
      {"gui.exe", PeImage(0x10b, 0x0102, 2), TRUE, SCS_32BIT_BINARY, 0x04004550},
      {"console.exe", PeImage(0x10b, 0x0102, 3), TRUE, SCS_32BIT_BINARY, 0x4550},
      {"wide.exe", PeImage(0x20b, 0x0022, 2, 6, 1), TRUE, SCS_64BIT_BINARY, 0x06014550},
      {"posix.exe", PeImage(0x10b, 0x0102, 7), TRUE, SCS_POSIX_BINARY, 0x4550},
      {"library.dll", PeImage(0x10b, 0x2102, 2), FALSE, ERROR_BAD_EXE_FORMAT, 0},
      {"damaged.exe", PeImage(0x999, 0x0102, 2), FALSE, ERROR_BAD_EXE_FORMAT, 0},
      {"win16.exe", NeImage(2), TRUE, SCS_WOW_BINARY, 0x030A454E},
      {"os2.exe", NeImage(1), TRUE, SCS_OS216_BINARY, 0x030A454E},
      {"win16.dll", NeImage(2, 0x8000), FALSE, ERROR_BAD_EXE_FORMAT, 0},
      {"dos.exe", DosImage(), TRUE, SCS_DOS_BINARY, 0x5A4D},
      {"short.exe", "MZ", TRUE, SCS_DOS_BINARY, 0x5A4D},
      {"program.com", "\xB4\x4C\xCD\x21", TRUE, SCS_DOS_BINARY, 0x5A4D},
      {"shortcut.pif", "pif", TRUE, SCS_PIF_BINARY, 0},
      {"run.bat", "@echo off", FALSE, ERROR_BAD_EXE_FORMAT, 0x5A4D},
      {"elf",
       std::string("\x7f"
                   "ELF\x02\x01\x01",
                   7) +
           std::string(57, '\0'),
       FALSE, ERROR_BAD_EXE_FORMAT, 0},
      {"script.sh", "#!/bin/sh\necho hi\n", FALSE, ERROR_BAD_EXE_FORMAT, 0},
      {"empty.exe", "", FALSE, ERROR_BAD_EXE_FORMAT, 0},
  };
  for (const Case& c : cases) {
    Put(c.file, c.bytes);
    std::u16string path = u"C:\\" + kx2::Utf8ToUtf16(c.file);
    DWORD type = 0xDEAD;
    SetLastError(0);
    EXPECT_EQ(GetBinaryTypeW(path.c_str(), &type), c.ok) << c.file;
    EXPECT_EQ(c.ok ? type : GetLastError(), c.typeOrError) << c.file;
    EXPECT_EQ(SHGetFileInfoW(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE), c.exeType) << c.file;
  }
  DWORD type = 0;
  EXPECT_FALSE(GetBinaryTypeW(u"C:\\missing.exe", &type));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  Put("folder/x", "");
  EXPECT_FALSE(GetBinaryTypeW(u"C:\\folder", &type));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(GetBinaryTypeW(nullptr, &type));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // This very program is an ELF file: not something Windows would start.
  char16_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  EXPECT_FALSE(GetBinaryTypeW(self, &type));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(ShellInfo, FileInformation) {
  Put("docs/notes.txt", "n");
  Put("docs/map.kxm", "m");
  Put("docs/inner/x", "");
  Put("docs/.hidden", "");
  Put("leaf/x", "");
  MakeReadOnly("docs/notes.txt");
  // A registered type: ".kxm" names a program id whose default value describes it.
  HKEY key;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u".kxm", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueW(key, nullptr, REG_SZ, u"Kx2.Map", 14), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u"Kx2.Map", &key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueW(key, nullptr, REG_SZ, u"Kx2 Mind Map", 24), ERROR_SUCCESS);
  RegCloseKey(key);

  struct Case {
    const char16_t* path;
    UINT extraFlags;
    DWORD givenAttributes;
    const char16_t* display;
    const char16_t* type;
    SFGAOF has;
    SFGAOF lacks;
  };
  constexpr SFGAOF kFile = SFGAO_FILESYSTEM | SFGAO_STREAM | SFGAO_CANCOPY | SFGAO_CANDELETE | SFGAO_CANRENAME;
  const Case cases[] = {
      {u"C:\\docs\\notes.txt", 0, 0, u"notes.txt", u"TXT File", kFile | SFGAO_READONLY, SFGAO_FOLDER | SFGAO_HIDDEN},
      {u"C:\\docs\\map.kxm", 0, 0, u"map.kxm", u"Kx2 Mind Map", kFile, SFGAO_READONLY},
      {u"C:\\docs\\.hidden", 0, 0, u".hidden", u"HIDDEN File", kFile | SFGAO_HIDDEN, 0},
      {u"C:\\docs\\inner\\x", 0, 0, u"x", u"File", kFile, SFGAO_FOLDER},
      {u"C:\\docs\\", 0, 0, u"docs", u"File folder", SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR,
       SFGAO_STREAM},
      {u"C:\\leaf", 0, 0, u"leaf", u"File folder", SFGAO_FOLDER, SFGAO_HASSUBFOLDER},
      {u"C:\\", 0, 0, u"Local Disk (C:)", u"Local Disk", SFGAO_FOLDER | SFGAO_FILESYSTEM, SFGAO_CANDELETE},
      {u"C:\\nowhere\\report.doc", SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_NORMAL, u"report.doc", u"DOC File", kFile,
       SFGAO_FOLDER},
      {u"C:\\nowhere\\box", SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_DIRECTORY, u"box", u"File folder", SFGAO_FOLDER,
       SFGAO_HASSUBFOLDER},
  };
  for (const Case& c : cases) {
    SHFILEINFOW info{};
    std::u16string name(c.path);
    ASSERT_EQ(SHGetFileInfoW(c.path, c.givenAttributes, &info, sizeof info,
                             c.extraFlags | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES),
              1u)
        << kx2::Utf16ToUtf8(name);
    EXPECT_EQ(std::u16string(info.szDisplayName), c.display) << kx2::Utf16ToUtf8(name);
    EXPECT_EQ(std::u16string(info.szTypeName), c.type) << kx2::Utf16ToUtf8(name);
    EXPECT_EQ(info.dwAttributes & c.has, c.has) << kx2::Utf16ToUtf8(name);
    EXPECT_EQ(info.dwAttributes & c.lacks, 0u) << kx2::Utf16ToUtf8(name);
  }

  SHFILEINFOW info{};
  info.dwAttributes = SFGAO_FOLDER | SFGAO_READONLY;
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\notes.txt", 0, &info, sizeof info, SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED), 1u);
  EXPECT_EQ(info.dwAttributes, static_cast<DWORD>(SFGAO_READONLY));
  info.hIcon = reinterpret_cast<HICON>(1);
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\notes.txt", 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON), 1u);
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\notes.txt", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME), 0u);
  EXPECT_EQ(std::u16string(info.szDisplayName), u"notes.txt");  // filled all the same
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\gone.txt", 0, &info, sizeof info, SHGFI_DISPLAYNAME), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\notes.txt", 0, &info, sizeof info - 1, SHGFI_DISPLAYNAME), 0u);
  EXPECT_EQ(SHGetFileInfoW(u"C:\\docs\\notes.txt", 0, nullptr, 0, SHGFI_TYPENAME), 0u);
}

TEST_F(ShellInfo, ItemIdListsHoldAPath) {
  Put("docs/notes.txt", "12345");
  PIDLIST_ABSOLUTE list = nullptr;
  SFGAOF attributes = 0;
  ASSERT_EQ(SHParseDisplayName(u"C:\\docs\\notes.txt", nullptr, &list, SFGAO_FOLDER | SFGAO_FILESYSTEM, &attributes),
            S_OK);
  EXPECT_EQ(attributes, static_cast<SFGAOF>(SFGAO_FILESYSTEM));
  EXPECT_EQ(ILGetSize(list), 2u + 4 + 2 * (17 + 1) + 2);
  char16_t path[MAX_PATH];
  ASSERT_TRUE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(std::u16string(path), u"C:\\docs\\notes.txt");

  WIN32_FIND_DATAW found{};
  ASSERT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_FINDDATA, &found, sizeof found), S_OK);
  EXPECT_EQ(std::u16string(found.cFileName), u"notes.txt");
  EXPECT_EQ(found.nFileSizeLow, 5u);
  SHDESCRIPTIONID id{};
  ASSERT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_DESCRIPTIONID, &id, sizeof id), S_OK);
  EXPECT_EQ(id.dwDescriptionId, static_cast<DWORD>(SHDID_FS_FILE));
  EXPECT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_FINDDATA, &found, sizeof found - 1), E_INVALIDARG);
  EXPECT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_NETRESOURCE, &found, sizeof found), E_INVALIDARG);
  Put("docs/notes.txt", "");
  std::filesystem::remove(Posix("docs/notes.txt"));
  EXPECT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_FINDDATA, &found, sizeof found),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  ILFree(list);

  ASSERT_EQ(SHParseDisplayName(u"C:\\", nullptr, &list, 0, nullptr), S_OK);
  ASSERT_EQ(SHGetDataFromIDListW(nullptr, list, SHGDFIL_DESCRIPTIONID, &id, sizeof id), S_OK);
  EXPECT_EQ(id.dwDescriptionId, static_cast<DWORD>(SHDID_COMPUTER_FIXED));
  ILFree(list);

  // The empty name is the desktop: the empty list, whose path is the desktop folder.
  ASSERT_EQ(SHParseDisplayName(u"", nullptr, &list, 0, nullptr), S_OK);
  EXPECT_EQ(ILGetSize(list), 2u);
  ASSERT_TRUE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(std::u16string(path), kx2::ToWindowsPath(Posix("desktop")));
  ILFree(list);

  list = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
  EXPECT_EQ(SHParseDisplayName(u"C:\\docs\\missing", nullptr, &list, 0, nullptr),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(list, nullptr);

  // Lists made elsewhere are not ours to read.
  const BYTE foreign[] = {8, 0, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0, 0};
  path[0] = u'x';
  EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(foreign), path));
  EXPECT_EQ(path[0], 0);

  // A path too long for MAX_PATH is kept in the list but cannot be given back.
  std::string deep = "long/" + std::string(200, 'a') + "/" + std::string(100, 'b');
  Put(deep + "/f", "");
  ASSERT_EQ(SHParseDisplayName(kx2::ToWindowsPath(Posix(deep)).c_str(), nullptr, &list, 0, nullptr), S_OK);
  EXPECT_FALSE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(path[0], 0);
  SHFILEINFOW info{};
  EXPECT_EQ(SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME), 1u);
  EXPECT_EQ(std::u16string(info.szDisplayName), std::u16string(100, u'b'));
  ILFree(list);
}

// A dropped-file block: the head, padding, then the names as given (terminators included).
HGLOBAL DropBlock(BOOL wide, const std::string& names, DWORD offset = sizeof(DROPFILES)) {
  HGLOBAL block = GlobalAlloc(GHND, offset + names.size());
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  DROPFILES head{offset, {5, 6}, FALSE, wide};
  std::memcpy(bytes, &head, sizeof head);
  std::memcpy(bytes + offset, names.data(), names.size());
  GlobalUnlock(block);
  return block;
}

std::string Wide(std::u16string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST_F(ShellInfo, DroppedFiles) {
  HDROP drop = DropBlock(TRUE, Wide(std::u16string(u"C:\\a.txt\0C:\\dir\\b\0\0", 19)));
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 8u);
  char16_t name[MAX_PATH];
  EXPECT_EQ(DragQueryFileW(drop, 1, name, MAX_PATH), 8u);
  EXPECT_EQ(std::u16string(name), u"C:\\dir\\b");
  EXPECT_EQ(DragQueryFileW(drop, 0, name, 5), 4u);  // cut to the buffer
  EXPECT_EQ(std::u16string(name), u"C:\\a");
  EXPECT_EQ(DragQueryFileW(drop, 2, name, MAX_PATH), 0u);
  POINT at{};
  EXPECT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 5);
  EXPECT_EQ(at.y, 6);
  DragFinish(drop);

  struct Case {
    const char* what;
    HGLOBAL block;
    UINT count;
    const char16_t* first;
  };
  const Case cases[] = {
      {"ANSI names", DropBlock(FALSE, std::string("caf\xe9.txt\0b\0\0", 12)), 2, u"caf\u00e9.txt"},
      {"names at an odd offset", DropBlock(TRUE, Wide(std::u16string(u"x\0\0", 3)), 21), 1, u"x"},
      {"a last name never ended", DropBlock(TRUE, Wide(std::u16string(u"x\0yy", 4))), 1, u"x"},
      {"names past the block", DropBlock(TRUE, Wide(u"x"), 20), 0, nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DragQueryFileW(c.block, 0xFFFFFFFF, nullptr, 0), c.count) << c.what;
    if (c.first) {
      ASSERT_GT(DragQueryFileW(c.block, 0, name, MAX_PATH), 0u) << c.what;
      EXPECT_EQ(std::u16string(name), c.first) << c.what;
    }
    DragFinish(c.block);
  }
  // A head that points beyond the block names nothing.
  HGLOBAL bad = DropBlock(TRUE, "");
  auto* head = static_cast<DROPFILES*>(GlobalLock(bad));
  head->pFiles = 4096;
  GlobalUnlock(bad);
  EXPECT_EQ(DragQueryFileW(bad, 0xFFFFFFFF, nullptr, 0), 0u);
  DragFinish(bad);
  EXPECT_EQ(DragQueryFileW(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST(ShellSettings, FixedDefaultsOnlyWhereAsked) {
  SHELLFLAGSTATE state;
  std::memset(&state, 0xFF, sizeof state);
  SHGetSettings(&state, SSF_SHOWEXTENSIONS | SSF_SHOWALLOBJECTS);
  EXPECT_EQ(state.fShowExtensions, 1u);
  EXPECT_EQ(state.fShowAllObjects, 0u);
  EXPECT_EQ(state.fShowSysFiles, 1u);  // not asked for: left alone
  std::memset(&state, 0, sizeof state);
  SHGetSettings(&state, 0xFFFFFFFF);
  EXPECT_EQ(state.fShowInfoTip, 1u);
  EXPECT_EQ(state.fDoubleClickInWebView, 1u);
  EXPECT_EQ(state.fNoConfirmRecycle, 0u);
  EXPECT_EQ(state.fShowSysFiles, 0u);
  SHGetSettings(nullptr, 0xFFFFFFFF);
}

}  // namespace

// The package reader in both forms: INI lines, resource names, image loading, the folder
// encodings, and packages that must not open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/ResourceContainer.h>
#include <kx2/Utf.h>

#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_image.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Temp() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

Bytes Utf16(const std::u16string& text, bool mark = false) {
  Bytes v;
  if (mark) v = {0xFF, 0xFE};
  for (char16_t c : text) {
    v.push_back(static_cast<uint8_t>(c));
    v.push_back(static_cast<uint8_t>(c >> 8));
  }
  return v;
}

// A 2 x 2 32-bit DIB of one colour (0xAARRGGBB).
Bytes Dib(uint32_t pixel) {
  Bytes v(40, 0);
  v[0] = 40, v[4] = 2, v[8] = 2, v[12] = 1, v[14] = 32;
  for (int i = 0; i < 4; ++i)
    for (int b = 0; b < 4; ++b) v.push_back(static_cast<uint8_t>(pixel >> (8 * b)));
  return v;
}

void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::u16string Win(const std::string& posix) { return kx2::ToWindowsPath(posix); }

std::vector<std::u16string> AllLines(CKtkSkinManagerResourceFile& reader) {
  std::vector<std::u16string> lines;
  for (std::u16string line; reader.ReadLine(line);) lines.push_back(line);
  return lines;
}

std::string ModulePackage() {
  kx2::rsrc::ContainerWriter w;
  w.Add(std::u16string(u"TEXTFILE"), std::u16string(u"THEMES_INI"), 0,
        Utf16(u"[Documentation]\r\n[File.Normal]\r\nColorSchemes = Blue\r\n", true));
  // CR LF, a lone LF, a lone CR, and a last line without a line end.
  w.Add(std::u16string(u"TEXTFILE"), std::u16string(u"NORMAL_INI"), 0,
        Utf16(u"[Button]\r\nImageFile = Blue\\Button.bmp\nBorderColor = 1, 2, 3\rImageCount = 2", true));
  w.Add(std::u16string(u"TEXTFILE"), std::u16string(u"SMALL_INI"), 0, Utf16(u"[Edit]\r\n"));
  w.Add(uint16_t{2}, std::u16string(u"BLUE_BUTTON_BMP"), 0, Dib(0x80FF0000));
  const std::string path = Temp() + "/package.rsrc";
  Write(path, w.Build());
  return path;
}

TEST(SkinPackage, ModuleFormLinesNamesAndImages) {
  CKtkSkinManagerResourceFile reader;
  ASSERT_TRUE(reader.Open(Win(ModulePackage()).c_str(), u""));
  EXPECT_FALSE(reader.IsFolderForm());
  EXPECT_EQ(reader.m_iniName, u"Normal_ini");
  EXPECT_EQ(reader.GetDefaultIniName(), u"Normal_ini");
  EXPECT_EQ(AllLines(reader), (std::vector<std::u16string>{u"[Button]", u"ImageFile = Blue\\Button.bmp",
                                                           u"BorderColor = 1, 2, 3", u"ImageCount = 2"}));
  std::unique_ptr<CKtkSkinImage> image(reader.LoadSkinImage(u"Blue\\Button.bmp"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetExtent().cx, 2);
  EXPECT_TRUE(image->m_bAlpha);
  EXPECT_EQ(reader.LoadSkinImage(u"Blue\\Missing.bmp"), nullptr);
  // A dotted INI name is the flat resource name.
  ASSERT_TRUE(reader.Open(Win(ModulePackage()).c_str(), u"small.ini"));
  EXPECT_EQ(AllLines(reader), (std::vector<std::u16string>{u"[Edit]"}));
  EXPECT_FALSE(reader.Open(Win(ModulePackage()).c_str(), u"none.ini"));
  EXPECT_FALSE(reader.Open(u"", u""));
}

TEST(SkinPackage, SchemaFromAPackage) {
  CKtkSkinManagerResourceFile reader;
  ASSERT_TRUE(reader.Open(Win(ModulePackage()).c_str(), u""));
  std::unique_ptr<CKtkSkinManagerSchema> schema(KtkLoadSkinSchema(reader));
  ASSERT_NE(schema, nullptr);
  int count = 0;
  EXPECT_EQ(schema->GetIntValue(7, 1, 1, 2401, &count), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(schema->m_pReader, &reader);
}

std::string Folder(const std::string& name) {
  const std::string folder = Temp() + "/" + name;
  mkdir(folder.c_str(), 0700);
  mkdir((folder + "/Blue").c_str(), 0700);
  Write(folder + "/Blue/Button.bmp", [] {
    Bytes file = {'B', 'M'};
    const Bytes dib = Dib(0xFF00FF00);
    const uint32_t size = static_cast<uint32_t>(14 + dib.size());
    for (int b = 0; b < 4; ++b) file.push_back(static_cast<uint8_t>(size >> (8 * b)));
    for (int i = 0; i < 4; ++i) file.push_back(0);
    file.push_back(54), file.push_back(0), file.push_back(0), file.push_back(0);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
  }());
  return folder;
}

TEST(SkinPackage, FolderFormReadsEveryEncodingAlike) {
  const std::u16string text = u"[Button]\r\nImageFile = Blue\\Button.bmp\nFontFace = Caf\u00e9";
  const std::string utf8 = "[Button]\r\nImageFile = Blue\\Button.bmp\nFontFace = Caf\xc3\xa9";
  const std::string marked = "\xEF\xBB\xBF" + utf8;
  const std::string cp1252 = "[Button]\r\nImageFile = Blue\\Button.bmp\nFontFace = Caf\xe9";
  const std::vector<Bytes> encodings = {
      Utf16(text, true),
      Bytes(utf8.begin(), utf8.end()),
      Bytes(marked.begin(), marked.end()),
      Bytes(cp1252.begin(), cp1252.end()),
  };
  const std::string folder = Folder("skinfolder");
  for (size_t i = 0; i < encodings.size(); ++i) {
    Write(folder + "/skin.ini", encodings[i]);
    CKtkSkinManagerResourceFile reader;
    ASSERT_TRUE(reader.Open(Win(folder).c_str(), u"skin.ini")) << i;
    EXPECT_TRUE(reader.IsFolderForm());
    EXPECT_EQ(AllLines(reader),
              (std::vector<std::u16string>{u"[Button]", u"ImageFile = Blue\\Button.bmp", u"FontFace = Caf\u00e9"}))
        << i;
  }
  CKtkSkinManagerResourceFile reader;
  ASSERT_TRUE(reader.Open(Win(folder).c_str(), u"skin.ini"));
  std::unique_ptr<CKtkSkinImage> image(reader.LoadSkinImage(u"Blue\\Button.bmp"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetExtent().cy, 2);
  for (const char16_t* outside : {u"..\\skinfolder\\Blue\\Button.bmp", u"Blue\\..\\Blue\\Button.bmp",
                                  u"\\tmp\\Button.bmp", u"Z:\\tmp\\Button.bmp", u"${Temp}\\Button.bmp", u"Blue"})
    EXPECT_EQ(reader.LoadSkinImage(outside), nullptr) << kx2::Utf16ToUtf8(outside);
}

TEST(SkinPackage, MissingFolderIniFallsBackToTheModuleForm) {
  CKtkSkinManagerResourceFile reader;
  // The package is a module: "normal.ini" is no file beside it, so the module's resource
  // of that name is read.
  ASSERT_TRUE(reader.Open(Win(ModulePackage()).c_str(), u"normal.ini"));
  EXPECT_FALSE(reader.IsFolderForm());
  EXPECT_EQ(AllLines(reader).size(), 4u);
  const std::string folder = Folder("emptyfolder");
  EXPECT_FALSE(reader.Open(Win(folder).c_str(), u"missing.ini"));  // nor is a folder a module
}

TEST(SkinPackage, ALibraryIsNoPackageAndItsCodeNeverRuns) {
  const std::string mark = Temp() + "/probe-ran";
  unlink(mark.c_str());
  setenv("KX2_PROBE_FILE", mark.c_str(), 1);
  CKtkSkinManagerResourceFile reader;
  const std::string library = std::string(KX2_BIN_DIR) + "/libOrnatexProbeLibrary.so";
  ASSERT_EQ(access(library.c_str(), R_OK), 0) << library;
  EXPECT_FALSE(reader.Open(Win(library).c_str(), u""));
  EXPECT_FALSE(reader.Open(Win(library).c_str(), u"normal.ini"));
  EXPECT_NE(access(mark.c_str(), F_OK), 0);
  unsetenv("KX2_PROBE_FILE");
}

TEST(SkinPackage, ThemesTextWithoutItsBracketNamesNothing) {
  kx2::rsrc::ContainerWriter w;
  w.Add(std::u16string(u"TEXTFILE"), std::u16string(u"THEMES_INI"), 0, Utf16(u"[File.Normal"));
  const std::string path = Temp() + "/nobracket.rsrc";
  Write(path, w.Build());
  CKtkSkinManagerResourceFile reader;
  EXPECT_FALSE(reader.Open(Win(path).c_str(), u""));
  EXPECT_EQ(reader.GetDefaultIniName(), u"");
}

}  // namespace

namespace {

// Every record of a schema as comparable text.
std::vector<std::string> Records(const CKtkSkinManagerSchema& schema) {
  std::vector<std::string> out;
  for (const auto& [key, r] : schema.m_properties) {
    std::string text = std::to_string(key) + ":" + std::to_string(r.m_type) + ":";
    for (LONG v : r.m_values) text += std::to_string(v) + ",";
    if (r.m_string) text += kx2::Utf16ToUtf8(r.m_string);
    if (r.m_font) text += kx2::Utf16ToUtf8(r.m_font->lfFaceName) + std::to_string(r.m_font->lfHeight);
    out.push_back(text);
  }
  std::sort(out.begin(), out.end());
  return out;
}

int Pack(const std::string& folder, const std::string& output) {
  const std::string command = std::string(KX2_BIN_DIR) + "/kx2skinpack " + folder + " " + output + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SkinPackage, FolderAndModuleFormsGiveEqualTables) {
  const std::string folder = Folder("packfolder");
  const std::string ini =
      "; a skin\n[Button]\nImageFile = Blue\\Button.bmp\nSizingMargins = 1, 2, 3, 4\n[Button.2(3)]\n"
      "BorderColor = 9, 8, 7\nTransparent = false\n[SysMetrics]\nCaptionFont = DejaVu Sans, 10\nWindow = 1, 2, 3\n";
  Write(folder + "/normal.ini", Bytes(ini.begin(), ini.end()));
  const std::string package = Temp() + "/packed.rsrc";
  ASSERT_EQ(Pack(folder, package), 0);

  CKtkSkinManagerResourceFile folderReader, moduleReader;
  ASSERT_TRUE(folderReader.Open(Win(folder).c_str(), u"normal.ini"));
  ASSERT_TRUE(moduleReader.Open(Win(package).c_str(), u""));
  EXPECT_EQ(moduleReader.m_iniName, u"normal_ini");
  std::unique_ptr<CKtkSkinManagerSchema> a(KtkLoadSkinSchema(folderReader)), b(KtkLoadSkinSchema(moduleReader));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->PropertyCount(), 6u);
  EXPECT_EQ(Records(*a), Records(*b));
  std::unique_ptr<CKtkSkinImage> fromFolder(folderReader.LoadSkinImage(u"Blue\\Button.bmp"));
  std::unique_ptr<CKtkSkinImage> fromModule(moduleReader.LoadSkinImage(u"Blue\\Button.bmp"));
  ASSERT_NE(fromFolder, nullptr);
  ASSERT_NE(fromModule, nullptr);
  EXPECT_EQ(fromFolder->GetExtent().cx, fromModule->GetExtent().cx);
}

TEST(SkinPackage, PackingNamesTheFileItCannotUse) {
  const std::string folder = Folder("badpack");
  Write(folder + "/broken.bmp", Bytes{'B', 'M', 1, 2});
  const std::string command = std::string(KX2_BIN_DIR) + "/kx2skinpack " + folder + " " + Temp() + "/bad.rsrc 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[512] = {};
  const size_t n = fread(buffer, 1, sizeof buffer - 1, pipe);
  const int status = pclose(pipe);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(std::string(buffer, n).find("broken.bmp"), std::string::npos) << buffer;
  EXPECT_EQ(Pack(Temp() + "/no-such-folder", Temp() + "/none.rsrc"), 1);
}

}  // namespace

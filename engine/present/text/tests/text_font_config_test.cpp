// The font table and the two configuration files: default faces, classes, substitution and
// its cache, the "@font" value, and the file rules (mark, header, sections, keys, lines).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <win/kernel.h>
#include <win/registry.h>

#include <basalt/error.h>
#include <basalt/path_util.h>
#include <plastrum/present/text/FontConfig.h>

#include "text_test_support.h"

using namespace Present::Text;
using texttest::kConfig1Header;
using texttest::kConfig2Header;

namespace {

std::u16string Subst(const char16_t* face) {
  WCHAR out[kFaceUnits] = {};
  return SubstituteFace(face, out, kFaceUnits) ? std::u16string(out) : std::u16string(u"<none>");
}

const std::string kPlain1 =
    std::string(kConfig1Header) + "[MAIN]\nREGULAR=DejaVu Sans\n\n[SUB]\nREGULAR=WenQuanYi Micro Hei\n";
const std::string kPlain2 = std::string(kConfig2Header) + "[REGULAR]\nSans=DejaVu Sans\n\n[SUBST]\n";

struct ConfigCase {
  const char* name;
  std::string config1;
  std::string config2;
  bool mark1 = true;
  int result = 0;
  std::function<void()> check;
};

}  // namespace

TEST(TextFontConfig, EdgeCasesOfTheConfigurationFiles) {
  texttest::ScopedRegistry registry;
  texttest::ScopedApp app;
  const std::string longTail(509, 'x');
  const std::vector<ConfigCase> cases = {
      {"a file without the mark fails", kPlain1, kPlain2, false, -1, nullptr},
      {"the second header in ConfigFont1.cfg fails", std::string(kConfig2Header) + "[MAIN]\nREGULAR=DejaVu Sans\n",
       kPlain2, true, -1, nullptr},
      {"REGULAR before the locale key answers the locale lookup",
       std::string(kConfig1Header) + "[MAIN]\nREGULAR=DejaVu Serif\nREGULAR ENU=DejaVu Sans\n\n[SUB]\nREGULAR=x\n",
       kPlain2, true, 0,
       [] {
         EXPECT_EQ(std::u16string(GetDefaultFace(kMainFace).faceName), u"DejaVu Serif");
         // The sub list names nothing installed: the first East-Asian capable face of the table.
         EXPECT_EQ(GetDefaultFace(kSubFace).sortedIndex, 0);
       }},
      {"the locale key alone is found; sections and keys ignore case",
       std::string(kConfig1Header) + "  [ main ]\n\tregular enu=DejaVu Sans Mono\n", kPlain2, true, 0,
       [] { EXPECT_EQ(std::u16string(GetDefaultFace(kMainFace).faceName), u"DejaVu Sans Mono"); }},
      {"a blank line ends [SUBST]", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\nmapFont=Arial,DejaVu Serif\n\nmapFont=Helvetica,DejaVu Serif\n", true, 0,
       [] {
         EXPECT_EQ(Subst(u"Arial"), u"DejaVu Serif");
         EXPECT_EQ(Subst(u"Helvetica"), u"<none>");
       }},
      {"mapFontClass of an unknown class is ignored; a repeated class keeps its first line", kPlain1,
       std::string(kConfig2Header) +
           "[REGULAR]\nSerifs=DejaVu Serif\nSerifs=DejaVu Sans\n\n[SUBST]\nmapFontClass=Arial,Nowhere\n"
           "mapFontClass=Georgia,Serifs\nmapFont=arial,DejaVu Sans\n",
       true, 0,
       [] {
         ASSERT_EQ(FontClasses().size(), 1u);
         EXPECT_EQ(FontClasses()[0].members.size(), 1u);
         EXPECT_EQ(Subst(u"Georgia"), u"DejaVu Serif");
         // Rule keys and faces compare with case.
         EXPECT_EQ(Subst(u"Arial"), u"<none>");
         EXPECT_EQ(SubstRules().size(), 2u);
       }},
      {"a face no rule maps is cached as none", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\nmapFont=Arial,DejaVu Sans\n", true, 0,
       [] {
         EXPECT_FALSE(IsSubstitutionCached(u"Wingdings"));
         EXPECT_EQ(Subst(u"Wingdings"), u"<none>");
         EXPECT_TRUE(IsSubstitutionCached(u"Wingdings"));
         EXPECT_EQ(Subst(u"Wingdings"), u"<none>");
       }},
      {"the tail of a 600-character line is not a line of its own", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\nx=" + longTail +
           "mapFont=Arial,DejaVu Serif\nmapFont=Tahoma,DejaVu Sans\n",
       true, 0,
       [] {
         EXPECT_EQ(Subst(u"Arial"), u"<none>");
         EXPECT_EQ(Subst(u"Tahoma"), u"DejaVu Sans");
         EXPECT_EQ(SubstRules().size(), 1u);
       }},
      {"mapAllFont walks its list without going back", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\nmapAllFont=Gone,DejaVu Sans,DejaVu Serif,DejaVu Sans Mono\n", true, 0,
       [] {
         EXPECT_EQ(Subst(u"DejaVu Sans"), u"DejaVu Serif");
         EXPECT_EQ(Subst(u"DejaVu Serif"), u"DejaVu Sans Mono");
         EXPECT_EQ(Subst(u"DejaVu Sans Mono"), u"<none>");
         EXPECT_EQ(Subst(u"Gone"), u"DejaVu Sans");
       }},
      {"a face settled as having no substitute can still be chosen", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\nmapFont=Arial,DejaVu Sans\n", true, 0,
       [] {
         EXPECT_EQ(Subst(u"DejaVu Sans"), u"<none>");
         EXPECT_EQ(Subst(u"Arial"), u"DejaVu Sans");
       }},
      {"comments and a key without '=' are skipped; a missing section reads as empty", kPlain1,
       std::string(kConfig2Header) + "[SUBST]\n; mapFont=Arial,DejaVu Serif\nmapFont\nmapFont=Arial,DejaVu Sans Mono\n",
       true, 0, [] { EXPECT_EQ(Subst(u"Arial"), u"DejaVu Sans Mono"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    app.WriteText("ConfigFont1.cfg", c.config1, c.mark1);
    app.WriteText("ConfigFont2.cfg", c.config2);
    EXPECT_EQ(InitFontConfiguration(), c.result);
    // Whatever the files say, text keeps default faces to draw with.
    EXPECT_EQ(GetDefaultFace(kMainFace).flag, 1);
    EXPECT_GE(GetDefaultFace(kSubFace).sortedIndex, 0);
    if (c.check) c.check();
  }
}

TEST(TextFontConfig, MissingFileReportsTheFileError) {
  texttest::ScopedRegistry registry;
  texttest::ScopedApp app;
  app.WriteText("ConfigFont1.cfg", kPlain1);
  Basalt::Error::BaseError::_ClearError();
  EXPECT_EQ(InitFontConfiguration(), -1);
  EXPECT_EQ(Basalt::Error::BaseError::_GetError() & 0xFFFF, 10u);
}

// The engine's start only names the folder; the first read loads from that folder even when
// "${App}" has moved since, and the load's own failures (here the missing ConfigFont2.cfg)
// stay out of the reader's error records.
TEST(TextFontConfig, StartedConfigurationLoadsOnFirstReadFromTheFolderOfTheStart) {
  texttest::ScopedRegistry registry;
  texttest::ScopedApp app;
  app.WriteText("ConfigFont1.cfg", std::string(kConfig1Header) + "[MAIN]\nREGULAR=DejaVu Serif\n");
  StartFontConfiguration();
  EXPECT_TRUE(FontConfigurationInitialised());
  Basalt::Util::PathUtil::_UnregisterPath(u"App");
  Basalt::Util::PathUtil::_RegisterPath(u"App", u"Z:\\nowhere");
  Basalt::Error::BaseError::_SetError(77);
  SetLastError(1234);
  EXPECT_EQ(std::u16string(GetDefaultFace(kMainFace).faceName), u"DejaVu Serif");
  EXPECT_EQ(Basalt::Error::BaseError::_GetError(), 77u);
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_GE(FindFace(u"DejaVu Sans"), 0);

  // A configuration started and freed unread is never loaded.
  StartFontConfiguration();
  FreeFontConfiguration();
  EXPECT_FALSE(FontConfigurationInitialised());
  EXPECT_EQ(FontTableEntries().size(), 0u);
  EXPECT_EQ(GetDefaultFace(kMainFace).flag, 0);
}

TEST(TextFontConfig, ShippedFilesMapRealFaces) {
  texttest::ScopedRegistry registry;
  ASSERT_EQ(InitFontConfiguration(), 0);
  EXPECT_EQ(std::u16string(GetDefaultFace(kMainFace).faceName), u"DejaVu Sans");
  EXPECT_EQ(std::u16string(GetDefaultFace(kSubFace).faceName), u"WenQuanYi Micro Hei");
  EXPECT_EQ(Subst(u"Arial"), u"DejaVu Sans");
  EXPECT_EQ(Subst(u"SimSun"), u"WenQuanYi Micro Hei");
  EXPECT_EQ(Subst(u"Courier New"), u"DejaVu Sans Mono");
  EXPECT_EQ(Subst(u"Segoe UI"), u"DejaVu Sans");
  EXPECT_EQ(Subst(u"Times New Roman"), u"DejaVu Serif");
  EXPECT_EQ(Subst(u"微软雅黑"), u"WenQuanYi Micro Hei");
  EXPECT_EQ(Subst(u"맑은 고딕"), u"WenQuanYi Micro Hei");
  EXPECT_EQ(FontFolderCount(), 1);
  EXPECT_EQ(FontFolderList().back(), u';');
}

TEST(TextFontConfig, VerticalFacesOnlyWithTheAtFontValue) {
  texttest::ScopedRegistry registry;
  auto listed = [] {
    std::vector<std::u16string> names;
    EnumerateFaces(
        false,
        [](const WCHAR* face, LONG_PTR user) {
          reinterpret_cast<std::vector<std::u16string>*>(user)->push_back(face);
          return 1;
        },
        reinterpret_cast<LONG_PTR>(&names));
    return names;
  };
  InitFontConfiguration();
  for (const auto& f : FontTableEntries()) EXPECT_NE(f.faceName[0], u'@');
  for (const auto& f : listed()) EXPECT_NE(f[0], u'@');

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\Shared\\Fonts", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD on = 1;
  ASSERT_EQ(RegSetValueExW(key, u"@font", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on), ERROR_SUCCESS);
  RegCloseKey(key);
  InitFontConfiguration();
  EXPECT_GE(FindFace(u"@WenQuanYi Micro Hei"), 0);
  const auto names = listed();
  EXPECT_NE(std::find(names.begin(), names.end(), u"@WenQuanYi Micro Hei"), names.end());
  // "@" faces sort last.
  EXPECT_EQ(FontTableEntries().back().faceName[0], u'@');
  InitFontConfiguration();  // the registry goes with the fixture; read it again without the value
}

TEST(TextFontConfig, TableOrderAndLookups) {
  EXPECT_TRUE(FaceNameLess(u"9 Faces", u"Arial"));
  EXPECT_TRUE(FaceNameLess(u"_x", u"a"));
  EXPECT_TRUE(FaceNameLess(u"zeta", u"@Alpha"));
  EXPECT_TRUE(FaceNameLess(u"arial", u"Bitstream"));
  EXPECT_FALSE(FaceNameLess(u"ARIAL", u"arial"));
  const auto& table = FontTableEntries();
  ASSERT_GE(table.size(), 2u);
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].sortedIndex, static_cast<int>(i));
    EXPECT_EQ(FindFace(table[i].faceName), static_cast<int>(i));
    if (i) {
      EXPECT_TRUE(FaceNameLess(table[i - 1].faceName, table[i].faceName));
    }
  }
  EXPECT_EQ(FindFace(u"dejavu sans"), FindFace(u"DejaVu Sans"));
  EXPECT_EQ(FindFace(u"No Such Face"), -1);
  EXPECT_EQ(FindFace(nullptr), -1);
  const FontEntry* mono = FontAt(FindFace(u"DejaVu Sans Mono"));
  ASSERT_NE(mono, nullptr);
  EXPECT_TRUE(mono->flags & kFontFixedPitch);
  EXPECT_FALSE(FontAt(FindFace(u"DejaVu Sans"))->flags & kFontFixedPitch);
  const FontEntry* wqy = FontAt(FindFace(u"WenQuanYi Micro Hei"));
  ASSERT_NE(wqy, nullptr);
  EXPECT_TRUE(wqy->charsetMask & (1u << CharsetRowOf(134)));
  EXPECT_GT(wqy->emSize, 0);
  EXPECT_GT(wqy->averageWidth, 0);
}

TEST(TextFontConfig, CharsetQueryAndPrimaryCharset) {
  struct Row {
    uint32_t mask;
    BYTE charset;
  } rows[] = {{0, 0}, {1, 0}, {2, 128}, {1u << 2 | 1, 134}, {1u << 13, 186}, {1u << 14, 1}, {0x80000000u, 1}};
  for (const auto& r : rows) EXPECT_EQ(PrimaryCharset(r.mask), r.charset) << r.mask;

  FontCharsetQuery q{};
  EXPECT_EQ(QueryCharset(8, nullptr), 0);
  EXPECT_EQ(QueryCharset(0, &q), 0);
  EXPECT_EQ(QueryCharset(8, &q), 0);  // no name
  CopyFaceName(q.faceName, u"WenQuanYi Micro Hei", kFaceUnits);
  ASSERT_EQ(QueryCharset(8, &q), 1);
  EXPECT_EQ(q.charsetMask, CharsetMaskOf(u"WenQuanYi Micro Hei"));
  EXPECT_EQ(q.codePage, CharsetTable()[CharsetRowOf(static_cast<BYTE>(q.charset))].codePage);
  q.charsetMask = 1u << 3;
  ASSERT_EQ(QueryCharset(1, &q), 1);
  EXPECT_EQ(q.charset, 129u);
  EXPECT_EQ(q.codePage, 949u);
  q.charset = 77;  // not in the table
  ASSERT_EQ(QueryCharset(2, &q), 1);
  EXPECT_EQ(q.codePage, 0u);
}

TEST(TextFontConfig, FullNamesAndClasses) {
  FontFullName name{};
  ASSERT_EQ(GetFontFullName(u"DejaVu Sans", &name), 1);
  EXPECT_EQ(std::u16string(name.name), u"DejaVu Sans");
  EXPECT_EQ(name.language, 1033u);
  WCHAR face[LF_FACESIZE] = {};
  EXPECT_EQ(FaceForFullName(u"dejavu sans", face, LF_FACESIZE), 1);
  EXPECT_EQ(std::u16string(face), u"DejaVu Sans");
  EXPECT_EQ(FaceForFullName(u"", face, LF_FACESIZE), 0);

  // The shipped class "Sans" holds DejaVu Sans and WenQuanYi Micro Hei.
  std::vector<std::u16string> members;
  WCHAR member[LF_FACESIZE];
  while (NextClassMember(u"DejaVu Sans", false, member, LF_FACESIZE)) members.push_back(member);
  EXPECT_EQ(members, (std::vector<std::u16string>{u"DejaVu Sans", u"WenQuanYi Micro Hei"}));
  // The walk starts again after its end.
  EXPECT_EQ(NextClassMember(u"DejaVu Sans", false, member, LF_FACESIZE), 1);
  EXPECT_EQ(NextClassMember(u"Nowhere", false, member, LF_FACESIZE), 0);
}

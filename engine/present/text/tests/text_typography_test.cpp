// The typography interface: text objects from the pool and beside it, the font questions,
// the character classes, and the slot faces a text object resolves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <basalt/error.h>
#include <plastrum/present/text/CharClass.h>
#include <plastrum/present/text/Typography.h>

using namespace Present::Text;

namespace {

TextFormat FormatWith(const char16_t* face0, const char16_t* face1, int size0 = 12, int size1 = 12) {
  TextFormat f{};
  f.weight = 400;
  std::u16string a(face0), b(face1);
  std::memcpy(f.slots[0].faceName, a.c_str(), std::min<size_t>(a.size(), 31) * 2);
  std::memcpy(f.slots[1].faceName, b.c_str(), std::min<size_t>(b.size(), 31) * 2);
  f.slots[0].size = size0;
  f.slots[1].size = size1;
  return f;
}

}  // namespace

TEST(TextTypography, CharClassesNeedNoFontState) {
  IPresentTypography* t = Present::GetPresentTypography();
  struct Row {
    char16_t unit;
    uint8_t cls;
  } rows[] = {{u'A', 1},   {u' ', 1},   {u'1', 1},   {0x0301, 1}, {0xAC00, 0}, {0x1100, 0}, {0x6F22, 2},
              {0x3001, 2}, {0xFF01, 2}, {0x3042, 3}, {0x30A2, 3}, {0x05D0, 4}, {0x0627, 4}, {0x0710, 4},
              {0x0780, 4}, {0xE000, 6}, {0x0E01, 5}, {0x0391, 5}, {0xFF71, 3}, {0xFFA1, 0}};
  for (const auto& r : rows) EXPECT_EQ(t->GetCharClass(r.unit), r.cls) << std::hex << static_cast<int>(r.unit);
  EXPECT_EQ(CharClassTable()[0x6F][0x22], 2);
  EXPECT_EQ(SlotOfClass(2), 1);
  EXPECT_EQ(SlotOfClass(4), 0);
}

TEST(TextTypography, TextObjectsComeFromThePoolAndBesideIt) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  IPresentTypography* t = Present::GetPresentTypography();
  const TextFormat f = FormatWith(u"DejaVu Sans", u"WenQuanYi Micro Hei");
  std::vector<TextObject*> objects;
  for (int i = 0; i < 11; ++i) objects.push_back(t->NewTextObject(&f));
  EXPECT_EQ(PooledTextObjectCount(), 10);
  EXPECT_EQ(LooseTextObjectCount(), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(objects[i]->flags & 3, 3);
  EXPECT_EQ(objects[10]->flags & 3, 0);
  EXPECT_EQ(objects[0]->useCount, 1);
  EXPECT_FALSE(t->FreeTextObject(nullptr));
  TextObject stranger{};
  EXPECT_FALSE(t->FreeTextObject(&stranger));
  // Two uses: the first free keeps it.
  objects[0]->useCount = 2;
  EXPECT_FALSE(t->FreeTextObject(objects[0]));
  EXPECT_TRUE(t->FreeTextObject(objects[0]));
  EXPECT_EQ(objects[0]->flags & 3, 2);          // back in the pool
  EXPECT_FALSE(t->FreeTextObject(objects[0]));  // not handed out now
  EXPECT_TRUE(t->FreeTextObject(objects[10]));  // freed
  EXPECT_EQ(LooseTextObjectCount(), 0);
  // The pool hands the free one out again.
  TextObject* again = t->NewTextObject(&f);
  EXPECT_EQ(again, objects[0]);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(t->FreeTextObject(objects[i]));
  ReleaseTextObjectPool();
  EXPECT_EQ(PooledTextObjectCount(), 0);
}

TEST(TextTypography, SlotFacesResolveToInstalledFonts) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  struct Row {
    const char16_t* face0;
    const char16_t* face1;
    const char16_t* want0;
    const char16_t* want1;
    int size1;
    uint16_t bits;
  } rows[] = {
      {u"DejaVu Serif", u"WenQuanYi Micro Hei", u"DejaVu Serif", u"WenQuanYi Micro Hei", 12, kTextObjectOneSize},
      {u"Arial", u"SimSun", u"DejaVu Sans", u"WenQuanYi Micro Hei", 12, kTextObjectOneSize},
      {u"Nothing Like It", u"", u"DejaVu Sans", u"WenQuanYi Micro Hei", 14, 0},
      {u"DejaVu Sans", u"DejaVu Sans", u"DejaVu Sans", u"DejaVu Sans", 12, kTextObjectOneFont | kTextObjectOneSize},
      // 40 units: cut to 31 and a NUL, then not found, so the default.
      {u"DejaVu Sans DejaVu Sans DejaVu Sans DejaVu", u"", u"DejaVu Sans", u"WenQuanYi Micro Hei", 12,
       kTextObjectOneSize},
  };
  for (const auto& r : rows) {
    TextFormat f = FormatWith(r.face0, r.face1, 12, r.size1);
    TextObject o{};
    InitTextObject(&o, f);
    EXPECT_EQ(std::u16string(o.format.slots[0].faceName), r.want0);
    EXPECT_EQ(std::u16string(o.format.slots[1].faceName), r.want1);
    EXPECT_EQ(o.format.slots[0].faceState & 1, 1u);
    EXPECT_EQ(o.fontIndex[0], FindFace(r.want0));
    EXPECT_EQ(o.flags & (kTextObjectOneFont | kTextObjectOneSize), r.bits) << std::string(r.want0, r.want0 + 3);
  }
}

TEST(TextTypography, FontQuestions) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  IPresentTypography* t = Present::GetPresentTypography();
  EXPECT_TRUE(t->IsFontAvailable(0, u"DejaVu Sans"));  // style bits 0: flag 0 does not ask
  EXPECT_FALSE(t->IsFontAvailable(1, u"DejaVu Sans"));
  EXPECT_TRUE(t->IsFontAvailable(1, u"DejaVu Sans Mono"));  // fixed pitch is a style bit
  EXPECT_FALSE(t->IsFontAvailable(0, u"Arial"));
  EXPECT_EQ(t->GetFontFlags(u"DejaVu Sans Mono"), static_cast<DWORD>(kFontFixedPitch));
  EXPECT_EQ(t->GetFontFlags(u"Arial"), 0u);

  int substituted = -1;
  EXPECT_EQ(std::u16string(t->MapFaceName(0, u"Arial", &substituted)), u"DejaVu Sans");
  EXPECT_EQ(substituted, 1);
  EXPECT_EQ(std::u16string(t->MapFaceName(0, u"DejaVu Serif", &substituted)), u"DejaVu Serif");
  EXPECT_EQ(substituted, 0);
  EXPECT_EQ(std::u16string(t->MapFaceName(134, u"Unknown Face", &substituted)), u"WenQuanYi Micro Hei");
  EXPECT_EQ(substituted, 0);

  WCHAR name[LF_FACESIZE] = {};
  int group = -1, entry = -1;
  ASSERT_TRUE(t->FindSubstitute(0, u"Arial", name, &group, &entry));
  EXPECT_EQ(std::u16string(name), u"DejaVu Sans");
  EXPECT_EQ(group, 0);
  EXPECT_EQ(entry, 1);
  EXPECT_FALSE(t->FindSubstitute(1, u"Arial", name, &group, &entry));  // DejaVu Sans has no style bits
  EXPECT_FALSE(t->FindSubstitute(0, u"Nothing", name, &group, &entry));

  int count = 0;
  EXPECT_EQ(t->EnumFonts(
                FALSE, [](const WCHAR*, LONG_PTR user) -> int { return ++*reinterpret_cast<int*>(user) < 2; },
                reinterpret_cast<LONG_PTR>(&count)),
            0);
  EXPECT_EQ(count, 2);

  Present::Text::FontFullName full{};
  EXPECT_TRUE(t->TestMapping(u"WenQuanYi Micro Hei", &full));
  EXPECT_TRUE(t->TestCreateFont(name, 0, u"DejaVu Serif"));
  EXPECT_EQ(std::u16string(name), u"DejaVu Serif");
  EXPECT_TRUE(t->CompareFonts(u"DejaVu Serif", name));
  FontCharsetQuery q{};
  EXPECT_FALSE(t->TestFontFlags(&q, 0));
  q.charset = 128;
  EXPECT_TRUE(t->TestFontFlags(&q, 2));
  EXPECT_EQ(q.codePage, 932u);
}

// Fonts and text over the test fonts (DejaVu, WenQuanYi Micro Hei).
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <kx2/GdiCairo.h>
#include <kx2/PathMap.h>
#include <win/gdi.h>
#include <win/kernel.h>

namespace {

const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<uint8_t> FileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct TextCanvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  TextCanvas(int w, int h) {
    bitmap = CreateBitmap(w, h, 1, 32, nullptr);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~TextCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Ink columns (any non-white pixel) between x0 and x1.
  int FirstInkColumn(int x0, int x1, int h) {
    for (int x = x0; x < x1; ++x)
      for (int y = 0; y < h; ++y)
        if (GetPixel(dc, x, y) != RGB(255, 255, 255)) return x;
    return -1;
  }
};

HFONT Font(const char16_t* face, int height) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

TEST(GdiText, CharWidthsAreFreeTypesRoundedAdvances) {
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(library, kDejaVuSans, 0, &face), 0);
  TextCanvas c(10, 10);
  for (int em : {11, 16, 37}) {
    HFONT font = Font(u"DejaVu Sans", -em);
    HGDIOBJ old = SelectObject(c.dc, font);
    int widths[95];
    ASSERT_TRUE(GetCharWidthW(c.dc, 32, 126, widths));
    FT_Set_Char_Size(face, 0, em * 64, 72, 72);
    for (int ch = 32; ch <= 126; ++ch) {
      ASSERT_EQ(FT_Load_Char(face, ch, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
      EXPECT_EQ(widths[ch - 32], static_cast<int>(std::lround(face->glyph->advance.x / 64.0)))
          << "size " << em << " char " << ch;
    }
    SelectObject(c.dc, old);
    DeleteObject(font);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

TEST(GdiText, FontDataKerningAndMetrics) {
  TextCanvas c(10, 10);
  HFONT font = Font(u"DejaVu Sans", -32);
  HGDIOBJ old = SelectObject(c.dc, font);
  const DWORD cmapTag = 'c' | 'm' << 8 | 'a' << 16 | 'p' << 24;
  const DWORD size = GetFontData(c.dc, cmapTag, 0, nullptr, 0);
  ASSERT_NE(size, GDI_ERROR_DWORD);
  std::vector<uint8_t> cmap(size);
  ASSERT_EQ(GetFontData(c.dc, cmapTag, 0, cmap.data(), size), size);
  const std::vector<uint8_t> file = FileBytes(kDejaVuSans);
  ASSERT_FALSE(file.empty());
  bool found = false;
  for (size_t at = 0; at + cmap.size() <= file.size() && !found; at += 4)
    found = std::equal(cmap.begin(), cmap.end(), file.begin() + static_cast<ptrdiff_t>(at));
  EXPECT_TRUE(found) << "cmap bytes are the file's own";
  EXPECT_EQ(GetFontData(c.dc, 'x' | 'x' << 8 | 'x' << 16 | 'x' << 24, 0, nullptr, 0), GDI_ERROR_DWORD);

  const DWORD pairs = GetKerningPairsW(c.dc, 0, nullptr);
  ASSERT_GT(pairs, 0u);
  std::vector<KERNINGPAIR> list(pairs);
  ASSERT_EQ(GetKerningPairsW(c.dc, pairs, list.data()), pairs);
  bool av = false;
  for (auto& p : list)
    if (p.wFirst == 'A' && p.wSecond == 'V') av = p.iKernAmount < 0;
  EXPECT_TRUE(av) << "A V kerns closer";
  EXPECT_EQ(GetFontLanguageInfo(c.dc) & (GCP_USEKERNING | GCP_DBCS), static_cast<DWORD>(GCP_USEKERNING));

  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_GT(tm.tmAscent, 28);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  const UINT otmSize = GetOutlineTextMetricsW(c.dc, 0, nullptr);
  std::vector<uint8_t> otm(otmSize);
  ASSERT_EQ(GetOutlineTextMetricsW(c.dc, otmSize, reinterpret_cast<OUTLINETEXTMETRICW*>(otm.data())), otmSize);
  const auto* o = reinterpret_cast<OUTLINETEXTMETRICW*>(otm.data());
  EXPECT_EQ(o->otmEMSquare, 2048u);
  EXPECT_EQ(o->otmAscent, tm.tmAscent);
  ABC abc{};
  int advance = 0;
  ASSERT_TRUE(GetCharABCWidthsW(c.dc, 'W', 'W', &abc));
  ASSERT_TRUE(GetCharWidthW(c.dc, 'W', 'W', &advance));
  EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, advance);
  EXPECT_GT(abc.abcB, 20u);
  WCHAR name[LF_FACESIZE];
  EXPECT_GT(GetTextFaceW(c.dc, LF_FACESIZE, name), 0);
  EXPECT_EQ(std::u16string(name), u"DejaVu Sans");
  SelectObject(c.dc, old);
  DeleteObject(font);
}

int CALLBACK Collect(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM p) {
  auto* seen = reinterpret_cast<std::set<std::pair<std::u16string, int>>*>(p);
  EXPECT_EQ(type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
  seen->insert({lf->lfFaceName, lf->lfCharSet});
  return 1;
}

TEST(GdiText, EnumerationGivesCharsetsAndVerticalTwins) {
  std::set<std::pair<std::u16string, int>> seen;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(EnumFontFamiliesExW(screen, &all, Collect, reinterpret_cast<LPARAM>(&seen), 0), 1);
  EXPECT_TRUE(seen.count({u"WenQuanYi Micro Hei", SHIFTJIS_CHARSET}));
  EXPECT_TRUE(seen.count({u"WenQuanYi Micro Hei", GB2312_CHARSET}));
  EXPECT_TRUE(seen.count({u"@WenQuanYi Micro Hei", GB2312_CHARSET}));
  EXPECT_TRUE(seen.count({u"DejaVu Sans", ANSI_CHARSET}));
  EXPECT_FALSE(seen.count({u"DejaVu Sans", SHIFTJIS_CHARSET}));
  EXPECT_FALSE(seen.count({u"DejaVu Sans", GB2312_CHARSET}));
  EXPECT_FALSE(seen.count({u"@DejaVu Sans", ANSI_CHARSET}));
  ReleaseDC(nullptr, screen);
}

TEST(GdiText, AdvancesPlaceTheSecondGlyphsInk) {
  TextCanvas c(200, 40);
  HFONT font = Font(u"DejaVu Sans", -20);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  const INT dx[2] = {100, 10};
  ASSERT_TRUE(ExtTextOutW(c.dc, 10, 5, 0, nullptr, u"ll", 2, dx));
  const int first = c.FirstInkColumn(0, 60, 40);
  const int second = c.FirstInkColumn(60, 200, 40);
  ASSERT_GE(first, 0);
  EXPECT_EQ(second - first, 100) << "the second glyph's ink lies lpDx[0] after the first";
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GdiText, SelectedFontStillDrawsAfterDeleteObject) {
  TextCanvas c(100, 30);
  HFONT font = Font(u"DejaVu Sans", -16);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  ASSERT_TRUE(DeleteObject(font));
  EXPECT_TRUE(TextOutW(c.dc, 2, 2, u"Hello", 5));
  EXPECT_GE(c.FirstInkColumn(0, 100, 30), 0);
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32W(c.dc, u"Hello", 5, &size));
  EXPECT_GT(size.cx, 20);
  SelectObject(c.dc, old);
}

TEST(GdiText, DrawTextCalculatesWrapsAndDrops) {
  TextCanvas c(200, 100);
  HFONT font = Font(u"DejaVu Sans", -12);
  HGDIOBJ old = SelectObject(c.dc, font);
  RECT r{0, 0, 60, 0};
  const int one = DrawTextW(c.dc, u"&File", -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SIZE file{};
  GetTextExtentPoint32W(c.dc, u"File", 4, &file);
  EXPECT_EQ(r.right, file.cx) << "the prefix marker is not drawn";
  RECT wrap{0, 0, 60, 0};
  const int many = DrawTextW(c.dc, u"one two three four", -1, &wrap, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_GT(many, one);
  EXPECT_LE(wrap.right, 60);
  RECT line{0, 60, 200, 100};
  DrawTextW(c.dc, u"&File", -1, &line, DT_SINGLELINE);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc, &tm);
  EXPECT_EQ(GetPixel(c.dc, 2, 60 + tm.tmAscent + 1), RGB(0, 0, 0)) << "the prefixed F is underlined";
  SIZE f{};
  GetTextExtentPoint32W(c.dc, u"F", 1, &f);
  EXPECT_EQ(GetPixel(c.dc, f.cx + 3, 60 + tm.tmAscent + 1), RGB(255, 255, 255)) << "only the F";
  RECT hidden{100, 60, 200, 100};
  DrawTextW(c.dc, u"&File", -1, &hidden, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(GetPixel(c.dc, 102, 60 + tm.tmAscent + 1), RGB(255, 255, 255));
  RECT clear{0, 60, 200, 100};
  FillRect(c.dc, &clear, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT box{0, 0, 200, 100};
  EXPECT_GT(DrawTextW(c.dc, u"Centred", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 0);
  EXPECT_EQ(c.FirstInkColumn(0, 60, 100), -1) << "centred text leaves the left side clean";
  SelectObject(c.dc, old);
  DeleteObject(font);
  if (const char* out = std::getenv("KX2_TEST_OUTPUT")) {
    std::u16string path;
    for (const char* p = out; *p; ++p) path += static_cast<char16_t>(*p);
    path += u"/gdi_drawtext.png";
    EXPECT_TRUE(Kx2GdiWriteDcPng(c.dc, path.c_str()));
  }
}

TEST(GdiText, DrawTextCutsPathsWritesBackACutLineAndOrdersRightToLeftText) {
  TextCanvas c(200, 40);
  HFONT font = Font(u"DejaVu Sans", -12);
  HGDIOBJ old = SelectObject(c.dc, font);
  const std::u16string title = u"A rather long title";
  // A buffer with four units to spare gets the line as drawn; a line that fits, or a call
  // without the flag, leaves it alone.
  struct Case {
    UINT format;
    int width;
    bool written;
  };
  const Case cases[] = {{DT_END_ELLIPSIS | DT_MODIFYSTRING, 60, true},
                        {DT_END_ELLIPSIS, 60, false},
                        {DT_END_ELLIPSIS | DT_MODIFYSTRING, 200, false},
                        {DT_MODIFYSTRING, 60, false}};
  for (const Case& k : cases) {
    char16_t buffer[32] = {};
    std::copy(title.begin(), title.end(), buffer);
    RECT r{0, 0, k.width, 20};
    EXPECT_GT(DrawTextW(c.dc, buffer, -1, &r, DT_SINGLELINE | k.format), 0);
    const std::u16string after(buffer);
    if (k.written) {
      ASSERT_GT(after.size(), 3u);
      EXPECT_EQ(after.substr(after.size() - 3), u"...");
      EXPECT_EQ(title.compare(0, after.size() - 3, after, 0, after.size() - 3), 0) << "the text's own start";
      SIZE drawn{};
      GetTextExtentPoint32W(c.dc, buffer, static_cast<int>(after.size()), &drawn);
      EXPECT_LE(drawn.cx, 60);
    } else {
      EXPECT_EQ(after, title) << k.format << " " << k.width;
    }
  }
  char16_t viaEx[32] = u"A rather long title";
  RECT ex{0, 0, 60, 20};
  DrawTextExW(c.dc, viaEx, -1, &ex, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
  EXPECT_EQ(std::u16string(viaEx).substr(std::u16string(viaEx).size() - 3), u"...");

  // Right-to-left reading moves the neutral "!" to the left end; Hebrew letters read from
  // the right inside a left-to-right line.
  Kx2GdiJournalEnable(TRUE);
  Kx2GdiJournalClear();
  RECT line{0, 0, 200, 20};
  DrawTextW(c.dc, u"abc!", -1, &line, DT_SINGLELINE | DT_RTLREADING);
  DrawTextW(c.dc, u"abc!", -1, &line, DT_SINGLELINE);
  DrawTextW(c.dc, u"x \u05D0\u05D1", -1, &line, DT_SINGLELINE);
  DrawTextW(c.dc, u"a&&b &File", -1, &line, DT_SINGLELINE | DT_NOPREFIX);
  DrawTextW(c.dc, u"a&&b &File", -1, &line, DT_SINGLELINE);
  RECT narrow{0, 0, 120, 20};
  DrawTextW(c.dc, u"C:\\Maps\\Long folder name\\trip.mm", -1, &narrow, DT_SINGLELINE | DT_PATH_ELLIPSIS);
  std::string journal(Kx2GdiJournalRead(nullptr, 0), '\0');
  Kx2GdiJournalRead(journal.data(), journal.size());
  Kx2GdiJournalEnable(FALSE);
  const size_t reversed = journal.find("\"!abc\""), plain = journal.find("\"abc!\"");
  EXPECT_NE(reversed, std::string::npos) << journal;
  EXPECT_NE(plain, std::string::npos) << journal;
  EXPECT_LT(reversed, plain);
  EXPECT_NE(journal.find("\"x \xD7\x91\xD7\x90\""), std::string::npos) << journal;
  EXPECT_NE(journal.find("\"a&&b &File\""), std::string::npos) << "DT_NOPREFIX shows every mark";
  EXPECT_NE(journal.find("\"a&b File\""), std::string::npos) << "marks are taken out otherwise";
  // A path loses its middle and keeps its file name.
  EXPECT_NE(journal.find("\"C:\\M"), std::string::npos) << journal;
  EXPECT_NE(journal.find("...\\trip.mm\""), std::string::npos) << journal;
  SelectObject(c.dc, old);
  DeleteObject(font);
}

}  // namespace

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, unsigned x) {
  v[at] = static_cast<uint8_t>(x >> 8), v[at + 1] = static_cast<uint8_t>(x);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) { Put16(v, at, x >> 16), Put16(v, at + 2, x & 0xFFFF); }

// DejaVu Sans with a 'name' table of our own, appended and pointed to by the directory.
std::vector<uint8_t> RenamedDejaVu(const std::u16string& family) {
  std::vector<uint8_t> font = FileBytes(kDejaVuSans);
  const std::u16string names[4] = {family, u"Book", family + u" Book", u"Renamed-Book"};
  const unsigned ids[4] = {1, 2, 4, 6};
  std::vector<uint8_t> table(6 + 4 * 12, 0);
  Put16(table, 2, 4);
  Put16(table, 4, static_cast<unsigned>(table.size()));
  std::vector<uint8_t> strings;
  for (int i = 0; i < 4; ++i) {
    const size_t rec = 6 + static_cast<size_t>(i) * 12;
    Put16(table, rec, 3), Put16(table, rec + 2, 1), Put16(table, rec + 4, 0x409), Put16(table, rec + 6, ids[i]);
    Put16(table, rec + 8, static_cast<unsigned>(names[i].size() * 2));
    Put16(table, rec + 10, static_cast<unsigned>(strings.size()));
    for (char16_t ch : names[i])
      strings.push_back(static_cast<uint8_t>(ch >> 8)), strings.push_back(static_cast<uint8_t>(ch));
  }
  table.insert(table.end(), strings.begin(), strings.end());
  while (font.size() % 4) font.push_back(0);
  const size_t offset = font.size();
  font.insert(font.end(), table.begin(), table.end());
  const unsigned tables = static_cast<unsigned>(font[4] << 8 | font[5]);
  for (unsigned i = 0; i < tables; ++i) {
    const size_t entry = 12 + i * 16;
    if (std::string(font.begin() + static_cast<ptrdiff_t>(entry), font.begin() + static_cast<ptrdiff_t>(entry) + 4) ==
        "name") {
      Put32(font, entry + 8, static_cast<uint32_t>(offset));
      Put32(font, entry + 12, static_cast<uint32_t>(table.size()));
    }
  }
  return font;
}

TEST(GdiText, LongFamilyNamesAreCutTo31Units) {
  const std::u16string longName = u"Forty Unit Family Name For The Cut Test";  // 39 + 1 below
  const std::u16string family = longName + u"X";
  ASSERT_EQ(family.size(), 40u);
  std::vector<uint8_t> font = RenamedDejaVu(family);
  DWORD count = 0;
  HANDLE added = AddFontMemResourceEx(font.data(), static_cast<DWORD>(font.size()), nullptr, &count);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(count, 1u);
  std::set<std::pair<std::u16string, int>> seen;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &all, Collect, reinterpret_cast<LPARAM>(&seen), 0);
  EXPECT_TRUE(seen.count({family.substr(0, 31), ANSI_CHARSET}));
  // Selecting it by its cut name draws with it.
  LOGFONTW lf{};
  lf.lfHeight = -20;
  family.substr(0, 31).copy(lf.lfFaceName, 31);
  HFONT f = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(screen, f);
  WCHAR name[LF_FACESIZE];
  EXPECT_EQ(GetTextFaceW(screen, LF_FACESIZE, name), 31);
  EXPECT_EQ(std::u16string(name), family.substr(0, 31));
  SelectObject(screen, old);
  DeleteObject(f);
  EXPECT_TRUE(RemoveFontMemResourceEx(added));
  EXPECT_FALSE(RemoveFontMemResourceEx(added));
  seen.clear();
  EnumFontFamiliesExW(screen, &all, Collect, reinterpret_cast<LPARAM>(&seen), 0);
  EXPECT_FALSE(seen.count({family.substr(0, 31), ANSI_CHARSET}));
  ReleaseDC(nullptr, screen);

  const uint8_t junk[64] = {0, 1, 0, 0};
  EXPECT_EQ(AddFontMemResourceEx(const_cast<uint8_t*>(junk), sizeof junk, nullptr, &count), nullptr);
}

// The face a request is drawn with, as its full name ("DejaVu Sans Bold Oblique").
std::u16string FaceOf(const char16_t* name, LONG weight, bool italic) {
  LOGFONTW lf{};
  lf.lfHeight = -14;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  for (int i = 0; name[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = name[i];
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  std::u16string full;
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size) {
    std::vector<uint8_t> bytes(size);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(bytes.data());
    if (GetOutlineTextMetricsW(dc, size, otm))
      full = reinterpret_cast<const char16_t*>(bytes.data() + reinterpret_cast<uintptr_t>(otm->otmpFullName));
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return full;
}

std::u16string SwappedCase(std::u16string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char16_t>(c - 32);
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char16_t>(c + 32);
  return s;
}

// Adding and removing a font makes every later request match afresh.
void ForgetMatches() {
  std::vector<uint8_t> font = RenamedDejaVu(u"Kx2 Passing Face");
  DWORD count = 0;
  HANDLE added = AddFontMemResourceEx(font.data(), static_cast<DWORD>(font.size()), nullptr, &count);
  ASSERT_NE(added, nullptr);
  RemoveFontMemResourceEx(added);
}

TEST(GdiText, RememberedFacesAreTheFacesAFreshMatchGives) {
  const struct {
    const char16_t* name;
    LONG weight;
    bool italic;
  } requests[] = {
      {u"DejaVu Sans", FW_NORMAL, false},
      {u"dejavu sans", FW_BOLD, false},
      {u"DEJAVU SANS", FW_NORMAL, true},
      {u"DejaVu Sans", FW_BOLD, true},
      {u"DejaVu Sans Mono", FW_BOLD, false},
      {u"@DejaVu Sans", FW_NORMAL, false},
      {u"MS Shell Dlg", FW_NORMAL, false},
      {u"ms shell dlg 2", FW_BOLD, false},
      {u"No Such Face Anywhere", 0, false},
      {u"no such face anywhere", FW_BOLD, true},
      {u"", FW_NORMAL, false},
      {u"Marlett", FW_NORMAL, false},
      {u"DejaVu Sans", FW_THIN, false},
      {u"DejaVu Sans", FW_HEAVY, false},
  };
  // Each request matched afresh, alone.
  std::vector<std::u16string> fresh;
  for (const auto& r : requests) {
    ForgetMatches();
    fresh.push_back(FaceOf(r.name, r.weight, r.italic));
    ASSERT_FALSE(fresh.back().empty()) << std::string(r.name, r.name + std::char_traits<char16_t>::length(r.name));
  }
  EXPECT_EQ(fresh[0], u"DejaVu Sans Book");
  EXPECT_EQ(fresh[1], u"DejaVu Sans Bold");
  EXPECT_NE(fresh[2], fresh[0]) << "an italic request gets the slanted face";
  // All of them in one run, then again in the other order with the names' case swapped:
  // every remembered answer is the fresh one.
  ForgetMatches();
  for (size_t i = 0; i < std::size(requests); ++i)
    EXPECT_EQ(FaceOf(requests[i].name, requests[i].weight, requests[i].italic), fresh[i]) << i;
  for (size_t i = std::size(requests); i-- > 0;)
    EXPECT_EQ(FaceOf(SwappedCase(requests[i].name).c_str(), requests[i].weight, requests[i].italic), fresh[i]) << i;
}

TEST(GdiText, AFontAddedWhileRunningIsFoundByTheRequestsMadeBefore) {
  const std::u16string family = u"Kx2 Late Face";
  const std::u16string before = FaceOf(family.c_str(), FW_NORMAL, false);
  EXPECT_NE(before, family + u" Book");
  // From memory, then from a file: the same request now gets the added face, and the
  // fallback again once it is removed.
  std::vector<uint8_t> font = RenamedDejaVu(family);
  DWORD count = 0;
  HANDLE added = AddFontMemResourceEx(font.data(), static_cast<DWORD>(font.size()), nullptr, &count);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(FaceOf(family.c_str(), FW_NORMAL, false), family + u" Book");
  EXPECT_EQ(FaceOf(u"KX2 LATE FACE", FW_BOLD, false), family + u" Book");
  ASSERT_TRUE(RemoveFontMemResourceEx(added));
  EXPECT_EQ(FaceOf(family.c_str(), FW_NORMAL, false), before);

  const std::string file = testing::TempDir() + "kx2-late-face.ttf";
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
  const std::u16string path = kx2::ToWindowsPath(file);
  ASSERT_EQ(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 1);
  EXPECT_EQ(FaceOf(family.c_str(), FW_NORMAL, false), family + u" Book");
  ASSERT_TRUE(RemoveFontResourceExW(path.c_str(), FR_PRIVATE, nullptr));
  EXPECT_EQ(FaceOf(family.c_str(), FW_NORMAL, false), before);
  std::remove(file.c_str());
}

}  // namespace

namespace {

TEST(GdiText, MarlettDrawsOurOwnSymbols) {
  TextCanvas c(60, 30);
  HFONT font = Font(u"Marlett", -16);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  int width = 0;
  ASSERT_TRUE(GetCharWidthW(c.dc, 'r', 'r', &width));
  EXPECT_EQ(width, 16) << "every symbol is an em wide";
  ExtTextOutW(c.dc, 0, 0, 0, nullptr, u"z", 1, nullptr);
  EXPECT_EQ(c.FirstInkColumn(0, 60, 30), -1) << "a character Marlett leaves blank";
  ExtTextOutW(c.dc, 20, 0, 0, nullptr, u"r1", 2, nullptr);
  const int first = c.FirstInkColumn(0, 60, 30);
  EXPECT_GE(first, 20 + 2);
  EXPECT_LE(first, 20 + 6) << "the cross starts a quarter em in";
  EXPECT_NE(GetPixel(c.dc, 20 + 16 + 8, 4), RGB(255, 255, 255)) << "the maximize box's thick top";
  if (const char* out = std::getenv("KX2_TEST_OUTPUT")) {
    TextCanvas sheet(200, 24);
    HGDIOBJ was = SelectObject(sheet.dc, font);
    SetBkMode(sheet.dc, TRANSPARENT);
    ExtTextOutW(sheet.dc, 2, 2, 0, nullptr, u"r012a3456h", 10, nullptr);
    std::u16string path;
    for (const char* p = out; *p; ++p) path += static_cast<char16_t>(*p);
    EXPECT_TRUE(Kx2GdiWriteDcPng(sheet.dc, (path + u"/gdi_marlett.png").c_str()));
    SelectObject(sheet.dc, was);
  }
  SelectObject(c.dc, old);
  DeleteObject(font);
}

}  // namespace

namespace {

TEST(GdiText, DrawTextExpandsTabsToStops) {
  TextCanvas c(300, 30);
  HFONT font = Font(u"DejaVu Sans", -12);
  HGDIOBJ old = SelectObject(c.dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc, &tm);
  RECT r{0, 0, 300, 30};
  DrawTextW(c.dc, u"a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  SIZE b{};
  GetTextExtentPoint32W(c.dc, u"b", 1, &b);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + b.cx) << "b starts at the first stop";
  RECT box{0, 0, 300, 30};
  DrawTextW(c.dc, u"a\tb", -1, &box, DT_SINGLELINE | DT_EXPANDTABS);
  const int stop8 = c.FirstInkColumn(10, 300, 30);
  EXPECT_GE(stop8, 8 * tm.tmAveCharWidth);
  EXPECT_LE(stop8, 8 * tm.tmAveCharWidth + 2);
  // DT_TABSTOP puts the stop in bits 8-15, which then carry no other flag.
  RECT clear{0, 0, 300, 30};
  FillRect(c.dc, &clear, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawTextW(c.dc, u"a\tb", -1, &box, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
  const int stop4 = c.FirstInkColumn(10, 300, 30);
  EXPECT_GE(stop4, 4 * tm.tmAveCharWidth);
  EXPECT_LE(stop4, 4 * tm.tmAveCharWidth + 2);
  SelectObject(c.dc, old);
  DeleteObject(font);
}

}  // namespace

namespace {

// The ink box of U+4E00 (one wide, flat stroke) drawn down a column.
RECT InkOfOne(const char16_t* face) {
  TextCanvas c(80, 80);
  LOGFONTW lf{};
  lf.lfHeight = -32;
  lf.lfEscapement = 2700;
  std::u16string(face).copy(lf.lfFaceName, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  TextOutW(c.dc, 60, 5, u"\u4e00", 1);
  RECT box{80, 80, -1, -1};
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x)
      if (GetPixel(c.dc, x, y) != RGB(255, 255, 255)) {
        box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  SelectObject(c.dc, old);
  DeleteObject(font);
  return box;
}

TEST(GdiText, VerticalFacesStandCjkCharactersUpright) {
  const RECT lying = InkOfOne(u"WenQuanYi Micro Hei");
  const RECT standing = InkOfOne(u"@WenQuanYi Micro Hei");
  ASSERT_GT(lying.right, lying.left);
  ASSERT_GT(standing.right, standing.left);
  EXPECT_GT(lying.bottom - lying.top, lying.right - lying.left) << "turned with the line";
  EXPECT_GT(standing.right - standing.left, standing.bottom - standing.top) << "the stroke stays flat";
  TextCanvas c(10, 10);
  LOGFONTW lf{};
  lf.lfHeight = -32;
  std::u16string(u"@WenQuanYi Micro Hei").copy(lf.lfFaceName, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c.dc, font);
  SIZE size{};
  GetTextExtentPoint32W(c.dc, u"\u4e00\u4e00", 2, &size);
  EXPECT_EQ(size.cx, 64) << "upright characters advance by the em";
  SelectObject(c.dc, old);
  DeleteObject(font);
  if (const char* out = std::getenv("KX2_TEST_OUTPUT")) {
    // A column in each face: the "@" face stands the Chinese characters up, Latin lies.
    TextCanvas sheet(100, 240);
    for (int i = 0; i < 2; ++i) {
      LOGFONTW v{};
      v.lfHeight = -24;
      v.lfEscapement = 2700;
      std::u16string(i ? u"@WenQuanYi Micro Hei" : u"WenQuanYi Micro Hei").copy(v.lfFaceName, LF_FACESIZE - 1);
      HFONT f = CreateFontIndirectW(&v);
      HGDIOBJ was = SelectObject(sheet.dc, f);
      SetBkMode(sheet.dc, TRANSPARENT);
      TextOutW(sheet.dc, i ? 80 : 35, 5, u"中文Ab一。", 6);
      SelectObject(sheet.dc, was);
      DeleteObject(f);
    }
    std::u16string path;
    for (const char* p = out; *p; ++p) path += static_cast<char16_t>(*p);
    EXPECT_TRUE(Kx2GdiWriteDcPng(sheet.dc, (path + u"/gdi_vertical.png").c_str()));
  }
}

// The logical dialog faces of dialog templates stand for the system's dialog face.
TEST(GdiText, ShellDialogFacesAreTheGuiFace) {
  TextCanvas c(10, 10);
  auto metrics = [&](const char16_t* face) {
    HFONT font = Font(face, -11);
    HGDIOBJ old = SelectObject(c.dc, font);
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(c.dc, &tm));
    SIZE extent{};
    GetTextExtentPoint32W(c.dc, u"Update Taloria", 14, &extent);
    SelectObject(c.dc, old);
    DeleteObject(font);
    return std::make_tuple(tm.tmHeight, tm.tmAscent, extent.cx);
  };
  const auto gui = metrics(u"DejaVu Sans");
  EXPECT_EQ(metrics(u"MS Shell Dlg"), gui);
  EXPECT_EQ(metrics(u"ms shell dlg 2"), gui);
}

}  // namespace

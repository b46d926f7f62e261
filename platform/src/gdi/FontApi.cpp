// The font calls: enumeration, metrics, widths, kerning, table bytes, added fonts.
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include <kx2/ErrorBoundary.h>
#include <kx2/PathMap.h>
#include <win/kernel.h>
#include <win/nls.h>

#include "Dc.h"
#include "FontFaces.h"

namespace kx2::gdi {

int AddFaces(const std::string& file, std::shared_ptr<std::vector<uint8_t>> bytes, const void* owner);
bool RemoveFaces(const std::string& file, const void* owner);
bool CharsetIsCjk(BYTE charset);

std::shared_ptr<FontInstance> InstanceOf(Dc& dc) {
  Font& font = *dc.state.font;
  const double scale = std::fabs(dc.ScaleY());
  if (!font.instance || std::fabs(font.instanceScale - scale) > 1e-9) {
    font.instance = RealizeFont(font, scale);
    font.instanceScale = scale;
  }
  return font.instance;
}

namespace {

template <class R, class F>
R WithFont(HDC h, R failure, F&& f) {
  return kx2::Guard(failure, [&]() -> R {
    auto dc = LookupDc(h);
    if (!dc) return BadHandle(failure);
    auto inst = InstanceOf(*dc);
    if (!inst) {
      SetLastError(ERROR_INVALID_HANDLE);
      return failure;
    }
    return f(*dc, *inst);
  });
}

void CopyName(WCHAR* out, const std::u16string& name, size_t units) {
  const size_t n = std::min(name.size(), units - 1);
  std::memcpy(out, name.data(), n * sizeof(WCHAR));
  out[n] = 0;
}

// The code page of a character set.
UINT CodePageOf(BYTE charset) {
  switch (charset) {
    case EASTEUROPE_CHARSET:
      return 1250;
    case RUSSIAN_CHARSET:
      return 1251;
    case GREEK_CHARSET:
      return 1253;
    case TURKISH_CHARSET:
      return 1254;
    case HEBREW_CHARSET:
      return 1255;
    case ARABIC_CHARSET:
      return 1256;
    case BALTIC_CHARSET:
      return 1257;
    case VIETNAMESE_CHARSET:
      return 1258;
    case THAI_CHARSET:
      return 874;
    case SHIFTJIS_CHARSET:
      return 932;
    case GB2312_CHARSET:
      return 936;
    case HANGUL_CHARSET:
      return 949;
    case CHINESEBIG5_CHARSET:
      return 950;
    case JOHAB_CHARSET:
      return 1361;
    default:
      return 1252;
  }
}

// The code of a character in the code page (a lead byte in the high half for double-byte
// pages), or -1 when the page has no such character.
int CodeOf(UINT codePage, char32_t c) {
  if (c > 0xFFFF) return -1;
  if (codePage == 1252 && (c < 0x80 || (c >= 0xA0 && c <= 0xFF))) return static_cast<int>(c);
  const WCHAR wide = static_cast<WCHAR>(c);
  char bytes[4] = {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(codePage, 0, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault);
  if (n <= 0 || n > 2 || usedDefault) return -1;
  return n == 1 ? static_cast<uint8_t>(bytes[0])
                : (static_cast<uint8_t>(bytes[0]) << 8 | static_cast<uint8_t>(bytes[1]));
}

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

std::vector<KERNINGPAIR> ReadKerningPairs(const FontInstance& inst) {
  std::vector<KERNINGPAIR> out;
  if (inst.marlett) return out;
  std::lock_guard<std::mutex> guard(FontLock());
  FT_ULong length = 0;
  const FT_ULong tag = FT_MAKE_TAG('k', 'e', 'r', 'n');
  if (FT_Load_Sfnt_Table(inst.face, tag, 0, nullptr, &length) || length < 4 || length > (64u << 20)) return out;
  std::vector<uint8_t> table(length);
  if (FT_Load_Sfnt_Table(inst.face, tag, 0, table.data(), &length)) return out;
  // Codes of the glyphs, in the code page of the font's character set (a symbol font's
  // codes are its characters).
  std::map<unsigned, uint16_t> codeOfGlyph;
  const UINT codePage = CodePageOf(inst.charset);
  const bool symbol = inst.charset == SYMBOL_CHARSET;
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(inst.face, &glyph); glyph; c = FT_Get_Next_Char(inst.face, c, &glyph)) {
    if (c > 0xFFFF) break;
    if (codeOfGlyph.count(glyph)) continue;
    const int code = symbol ? static_cast<int>(c) : CodeOf(codePage, static_cast<char32_t>(c));
    if (code >= 0) codeOfGlyph[glyph] = static_cast<uint16_t>(code);
  }
  const size_t n = table.size();
  const unsigned version = Be16(table.data());
  if (version != 0) return out;
  const unsigned subtables = Be16(table.data() + 2);
  size_t at = 4;
  for (unsigned s = 0; s < subtables && at + 6 <= n; ++s) {
    const size_t subLength = Be16(table.data() + at + 2);
    const unsigned coverage = Be16(table.data() + at + 4);
    const size_t body = at + 6;
    if ((coverage >> 8) == 0 && (coverage & 1) && body + 8 <= n) {
      const unsigned pairs = Be16(table.data() + body);
      for (unsigned i = 0; i < pairs && body + 8 + (i + 1) * 6 <= n; ++i) {
        const uint8_t* p = table.data() + body + 8 + i * 6;
        const auto left = codeOfGlyph.find(Be16(p)), right = codeOfGlyph.find(Be16(p + 2));
        if (left == codeOfGlyph.end() || right == codeOfGlyph.end()) continue;
        const auto value = static_cast<int16_t>(Be16(p + 4));
        const int amount = static_cast<int>(std::lround(value * inst.em / inst.unitsPerEm * inst.xScale));
        out.push_back(KERNINGPAIR{left->second, right->second, amount});
      }
    }
    if (subLength < 6) break;
    at += subLength;
  }
  return out;
}

const std::vector<KERNINGPAIR>& KerningPairs(FontInstance& inst) {
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  if (!inst.kerning) inst.kerning = std::make_shared<const std::vector<KERNINGPAIR>>(ReadKerningPairs(inst));
  return *inst.kerning;
}

void FillMetrics(const FontInstance& inst, const FaceSource& f, NEWTEXTMETRICEXW* ntm) {
  std::memset(ntm, 0, sizeof *ntm);
  FT_Face face = inst.face;
  const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  std::memcpy(&ntm->ntmTm, &inst.tm, sizeof(TEXTMETRICW));
  ntm->ntmTm.ntmFlags = (f.italic ? NTM_ITALIC : 0) | (f.weight >= FW_BOLD ? NTM_BOLD : 0) |
                        (!f.italic && f.weight < FW_BOLD ? NTM_REGULAR : 0) | NTM_TT_OPENTYPE;
  ntm->ntmTm.ntmSizeEM = face->units_per_EM;
  ntm->ntmTm.ntmCellHeight = os2 ? os2->usWinAscent + os2->usWinDescent : face->height;
  ntm->ntmTm.ntmAvgWidth = os2 ? static_cast<UINT>(os2->xAvgCharWidth) : face->units_per_EM / 2;
  ntm->ntmFontSig = f.signature;
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam, DWORD) {
  return kx2::Guard(0, [&]() -> int {
    if (!lpLogfont || !lpProc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    // One representative face per family: the upright regular one when there is one.
    std::vector<std::shared_ptr<FaceSource>> families;
    for (auto& f : AllFaces()) {
      auto it = std::find_if(families.begin(), families.end(), [&](auto& g) { return g->family == f->family; });
      auto score = [](const FaceSource& s) {
        return std::labs(s.weight - FW_NORMAL) + (s.italic ? 1000 : 0) + (s.condensed ? 500 : 0);
      };
      if (it == families.end())
        families.push_back(f);
      else if (score(*f) < score(**it))
        *it = f;
    }
    LOGFONTW want = *lpLogfont;
    want.lfFaceName[LF_FACESIZE - 1] = 0;
    int answer = 1;
    for (auto& f : families) {
      for (int twin = 0; twin < 2; ++twin) {
        const std::vector<BYTE> sets = CharsetsOf(*f);
        const bool cjk = std::any_of(sets.begin(), sets.end(), [](BYTE c) { return CharsetIsCjk(c); });
        if (twin && !cjk) continue;
        // A CJK face has an "@" twin for vertical text.
        const std::u16string name = ((twin ? u"@" : u"") + f->family).substr(0, LF_FACESIZE - 1);
        if (want.lfFaceName[0] && name != std::u16string(want.lfFaceName)) {
          std::u16string a = name, b = want.lfFaceName;
          for (auto* s : {&a, &b})
            for (auto& c : *s)
              if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
          if (a != b) continue;
        }
        Font font;
        CopyName(font.logfont.lfFaceName, name, LF_FACESIZE);
        font.logfont.lfHeight = -static_cast<LONG>(FT_Long{0} + 2048);
        font.logfont.lfWeight = f->weight;
        font.logfont.lfItalic = f->italic;
        auto inst = RealizeFont(font, 1.0, false);
        if (!inst) continue;
        for (BYTE set : sets) {
          if (want.lfCharSet != DEFAULT_CHARSET && want.lfCharSet != set) continue;
          ENUMLOGFONTEXW elf{};
          elf.elfLogFont = font.logfont;
          elf.elfLogFont.lfHeight = inst->tm.tmHeight;
          elf.elfLogFont.lfWidth = inst->tm.tmAveCharWidth;
          elf.elfLogFont.lfCharSet = set;
          elf.elfLogFont.lfOutPrecision = OUT_STROKE_PRECIS;
          elf.elfLogFont.lfClipPrecision = 2;
          elf.elfLogFont.lfQuality = DRAFT_QUALITY;
          elf.elfLogFont.lfPitchAndFamily = static_cast<BYTE>(f->fixedPitch ? FIXED_PITCH : VARIABLE_PITCH);
          CopyName(elf.elfFullName, f->family + (f->style.empty() ? u"" : u" " + f->style), LF_FULLFACESIZE);
          CopyName(elf.elfStyle, f->style, LF_FACESIZE);
          NEWTEXTMETRICEXW ntm;
          FillMetrics(*inst, *f, &ntm);
          ntm.ntmTm.tmCharSet = set;
          answer = lpProc(&elf.elfLogFont, reinterpret_cast<const TEXTMETRICW*>(&ntm), TRUETYPE_FONTTYPE, lParam);
          if (!answer) return 0;
        }
      }
    }
    return answer;
  });
}

KX2_EXPORT int GetTextFaceW(HDC hdc, int c, LPWSTR lpName) {
  return WithFont(hdc, 0, [&](Dc& dc, FontInstance& inst) -> int {
    std::u16string name =
        dc.state.font->logfont.lfFaceName[0] ? std::u16string(dc.state.font->logfont.lfFaceName) : inst.source->family;
    if (name != inst.source->family && (name.empty() || name[0] != u'@')) name = inst.source->family;
    if (!lpName) return static_cast<int>(name.size()) + 1;
    if (c <= 0) return 0;
    CopyName(lpName, name, static_cast<size_t>(c));
    return static_cast<int>(std::min<size_t>(name.size(), static_cast<size_t>(c) - 1));
  });
}

KX2_EXPORT BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
  return WithFont(hdc, FALSE, [&](Dc& dc, FontInstance& inst) -> BOOL {
    if (!lptm) return FALSE;
    *lptm = inst.tm;
    // Device sizes back in logical units.
    const double sy = std::fabs(dc.ScaleY()), sx = std::fabs(dc.ScaleX());
    if (sy != 1 || sx != 1) {
      for (LONG* v :
           {&lptm->tmHeight, &lptm->tmAscent, &lptm->tmDescent, &lptm->tmInternalLeading, &lptm->tmExternalLeading})
        *v = static_cast<LONG>(std::lround(*v / sy));
      lptm->tmAveCharWidth = static_cast<LONG>(std::lround(lptm->tmAveCharWidth / sx));
      lptm->tmMaxCharWidth = static_cast<LONG>(std::lround(lptm->tmMaxCharWidth / sx));
    }
    return TRUE;
  });
}

KX2_EXPORT UINT GetOutlineTextMetricsW(HDC hdc, UINT cjCopy, LPOUTLINETEXTMETRICW potm) {
  return WithFont(hdc, UINT{0}, [&](Dc& dc, FontInstance& inst) -> UINT {
    const FaceSource& f = *inst.source;
    const std::u16string full = f.family + (f.style.empty() ? u"" : u" " + f.style);
    const std::u16string names[4] = {f.family, full, f.style, full};
    size_t size = sizeof(OUTLINETEXTMETRICW);
    for (auto& n : names) size += (n.size() + 1) * 2;
    if (!potm) return static_cast<UINT>(size);
    if (cjCopy < sizeof(OUTLINETEXTMETRICW)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::vector<uint8_t> buffer(size, 0);
    auto* o = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    FT_Face face = inst.face;
    const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    const auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const double k = inst.em / inst.unitsPerEm;
    auto scaled = [&](double v) { return static_cast<int>(std::lround(v * k)); };
    o->otmSize = static_cast<UINT>(size);
    GetTextMetricsW(hdc, &o->otmTextMetrics);
    if (os2) std::memcpy(&o->otmPanoseNumber, os2->panose, sizeof(PANOSE));
    o->otmfsSelection = os2 ? os2->fsSelection : 0;
    o->otmfsType = os2 ? os2->fsType : 0;
    o->otmsCharSlopeRise = hhea ? hhea->caret_Slope_Rise : 1;
    o->otmsCharSlopeRun = hhea ? hhea->caret_Slope_Run : 0;
    o->otmItalicAngle = post ? static_cast<int>(post->italicAngle >> 16) * 10 : 0;
    o->otmEMSquare = inst.unitsPerEm;
    // Ascent and descent as the OS/2 table's Windows values.
    o->otmAscent = os2 ? scaled(os2->usWinAscent) : inst.tm.tmAscent;
    o->otmDescent = os2 ? -scaled(os2->usWinDescent) : -inst.tm.tmDescent;
    o->otmLineGap = hhea ? static_cast<UINT>(std::max(0, scaled(hhea->Line_Gap))) : 0;
    o->otmsCapEmHeight = os2 && os2->version >= 2 ? static_cast<UINT>(scaled(os2->sCapHeight)) : 0;
    o->otmsXHeight = os2 && os2->version >= 2 ? static_cast<UINT>(scaled(os2->sxHeight)) : 0;
    o->otmrcFontBox =
        RECT{scaled(face->bbox.xMin), scaled(face->bbox.yMax), scaled(face->bbox.xMax), scaled(face->bbox.yMin)};
    o->otmMacAscent = hhea ? scaled(hhea->Ascender) : 0;
    o->otmMacDescent = hhea ? scaled(hhea->Descender) : 0;
    o->otmMacLineGap = o->otmLineGap;
    o->otmusMinimumPPEM = 9;
    if (os2) {
      o->otmptSubscriptSize = POINT{scaled(os2->ySubscriptXSize), scaled(os2->ySubscriptYSize)};
      o->otmptSubscriptOffset = POINT{scaled(os2->ySubscriptXOffset), scaled(os2->ySubscriptYOffset)};
      o->otmptSuperscriptSize = POINT{scaled(os2->ySuperscriptXSize), scaled(os2->ySuperscriptYSize)};
      o->otmptSuperscriptOffset = POINT{scaled(os2->ySuperscriptXOffset), scaled(os2->ySuperscriptYOffset)};
      o->otmsStrikeoutSize = static_cast<UINT>(scaled(os2->yStrikeoutSize));
      o->otmsStrikeoutPosition = scaled(os2->yStrikeoutPosition);
    }
    if (post) {
      o->otmsUnderscoreSize = scaled(post->underlineThickness);
      o->otmsUnderscorePosition = scaled(post->underlinePosition);
    }
    size_t at = sizeof(OUTLINETEXTMETRICW);
    LPSTR* fields[4] = {&o->otmpFamilyName, &o->otmpFaceName, &o->otmpStyleName, &o->otmpFullName};
    for (int i = 0; i < 4; ++i) {
      *fields[i] = reinterpret_cast<LPSTR>(at);  // an offset from the record's start
      std::memcpy(buffer.data() + at, names[i].data(), names[i].size() * 2);
      at += (names[i].size() + 1) * 2;
    }
    const size_t n = std::min<size_t>(cjCopy, size);
    std::memcpy(potm, buffer.data(), n);
    (void)dc;
    return static_cast<UINT>(n);
  });
}

KX2_EXPORT BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  return WithFont(hdc, FALSE, [&](Dc& dc, FontInstance& inst) -> BOOL {
    if (!lpBuffer || iLast < iFirst || iLast - iFirst > 0x10FFFF) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const double sx = std::fabs(dc.ScaleX());
    for (UINT c = iFirst; c <= iLast; ++c) {
      const int device = inst.Advance(inst.GlyphOf(c));
      lpBuffer[c - iFirst] = sx == 1 ? device : static_cast<int>(std::lround(device / sx));
    }
    return TRUE;
  });
}

KX2_EXPORT BOOL GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  return GetCharWidth32W(hdc, iFirst, iLast, lpBuffer);
}

KX2_EXPORT BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* abc) {
  return WithFont(hdc, FALSE, [&](Dc&, FontInstance& inst) -> BOOL {
    if (!abc || last < first || last - first > 0x10FFFF) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    for (UINT c = first; c <= last; ++c) {
      const unsigned glyph = inst.GlyphOf(c);
      const int advance = inst.Advance(glyph);
      int a = 0, b = 0;
      inst.Bearings(glyph, &a, &b);
      abc[c - first] = ABC{a, static_cast<UINT>(std::max(0, b)), advance - a - b};
    }
    return TRUE;
  });
}

KX2_EXPORT DWORD GetKerningPairsW(HDC hdc, DWORD nPairs, LPKERNINGPAIR lpKernPair) {
  return WithFont(hdc, DWORD{0}, [&](Dc&, FontInstance& inst) -> DWORD {
    const std::vector<KERNINGPAIR>& pairs = KerningPairs(inst);
    if (!lpKernPair) return static_cast<DWORD>(pairs.size());
    const DWORD n = std::min<DWORD>(nPairs, static_cast<DWORD>(pairs.size()));
    if (n) std::memcpy(lpKernPair, pairs.data(), n * sizeof(KERNINGPAIR));
    return n;
  });
}

KX2_EXPORT DWORD GetFontLanguageInfo(HDC hdc) {
  return WithFont(hdc, GDI_ERROR_DWORD, [&](Dc&, FontInstance& inst) -> DWORD {
    DWORD info = 0;
    if (CharsetIsCjk(inst.charset)) info |= GCP_DBCS;
    if (!KerningPairs(inst).empty()) info |= GCP_USEKERNING;
    if (inst.charset == HEBREW_CHARSET || inst.charset == ARABIC_CHARSET) info |= GCP_REORDER;
    return info;
  });
}

KX2_EXPORT DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer) {
  return WithFont(hdc, GDI_ERROR_DWORD, [&](Dc&, FontInstance& inst) -> DWORD {
    // The tag is stored with its first character in the low byte.
    const FT_ULong tag = dwTable == 0 ? 0
                                      : (FT_ULong(dwTable & 0xFF) << 24 | FT_ULong((dwTable >> 8) & 0xFF) << 16 |
                                         FT_ULong((dwTable >> 16) & 0xFF) << 8 | FT_ULong(dwTable >> 24));
    FT_ULong length = 0;
    std::lock_guard<std::mutex> guard(FontLock());
    if (FT_Load_Sfnt_Table(inst.face, tag, 0, nullptr, &length) || dwOffset > length) return GDI_ERROR_DWORD;
    const FT_ULong available = length - dwOffset;
    if (!pvBuffer || cjBuffer == 0) return static_cast<DWORD>(available);
    FT_ULong n = std::min<FT_ULong>(available, cjBuffer);
    if (n && FT_Load_Sfnt_Table(inst.face, tag, dwOffset, static_cast<FT_Byte*>(pvBuffer), &n)) return GDI_ERROR_DWORD;
    return static_cast<DWORD>(n);
  });
}

KX2_EXPORT DWORD GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl) {
  return WithFont(hdc, GDI_ERROR_DWORD, [&](Dc&, FontInstance& inst) -> DWORD {
    if (!lpstr || !pgi || c < 0) return GDI_ERROR_DWORD;
    for (int i = 0; i < c; ++i) {
      const unsigned g = inst.GlyphOf(lpstr[i]);
      pgi[i] = static_cast<WORD>(g == 0 && (fl & GGI_MARK_NONEXISTING_GLYPHS) ? 0xFFFF : g);
    }
    return static_cast<DWORD>(c);
  });
}

KX2_EXPORT int AddFontResourceExW(LPCWSTR name, DWORD, PVOID) {
  return kx2::Guard(0, [&]() -> int {
    if (!name) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    const auto path = kx2::ToPosixPath(name);
    if (!path) return 0;
    return AddFaces(*path, nullptr, nullptr);
  });
}

KX2_EXPORT BOOL RemoveFontResourceExW(LPCWSTR name, DWORD, PVOID) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    const auto path = name ? kx2::ToPosixPath(name) : std::nullopt;
    return path && RemoveFaces(*path, nullptr);
  });
}

namespace {

std::mutex& MemoryLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}
std::map<uintptr_t, int>& MemoryFonts() {
  static auto* fonts = new std::map<uintptr_t, int>;
  return *fonts;
}

}  // namespace

KX2_EXPORT HANDLE AddFontMemResourceEx(PVOID pFileView, DWORD cjSize, PVOID, DWORD* pNumFonts) {
  return kx2::Guard(HANDLE{}, [&]() -> HANDLE {
    if (!pFileView || cjSize == 0 || !pNumFonts) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>(static_cast<uint8_t*>(pFileView),
                                                        static_cast<uint8_t*>(pFileView) + cjSize);
    static std::atomic<uintptr_t> next{0x7F000000};
    const uintptr_t token = next.fetch_add(4);
    const int added = AddFaces(std::string(), bytes, reinterpret_cast<const void*>(token));
    if (!added) {
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
    *pNumFonts = static_cast<DWORD>(added);
    std::lock_guard<std::mutex> guard(MemoryLock());
    MemoryFonts()[token] = added;
    return reinterpret_cast<HANDLE>(token);
  });
}

KX2_EXPORT BOOL RemoveFontMemResourceEx(HANDLE h) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    {
      std::lock_guard<std::mutex> guard(MemoryLock());
      if (!MemoryFonts().erase(reinterpret_cast<uintptr_t>(h))) return BadHandle(FALSE);
    }
    RemoveFaces(std::string(), h);
    return TRUE;
  });
}

// Bytes as a font through AddFontMemResourceEx, then enumeration, a font of that family,
// metrics, kerning, table bytes and drawing. Seeded with DejaVu Sans Mono, which this
// target copies into the first corpus folder it is given.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <win/gdi.h>

namespace {

HDC g_dc;
FT_Library g_library;

int CALLBACK Count(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) {
  ++*reinterpret_cast<int*>(p);
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("FONTCONFIG_FILE", KX2_SOURCE_DIR "/testing/fonts.conf", 0);
  for (int i = 1; i < *argc; ++i) {
    struct stat st;
    const char* arg = (*argv)[i];
    if (arg[0] == '-' || stat(arg, &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", std::ios::binary);
    std::ofstream out(std::string(arg) + "/seed-dejavu-sans-mono.ttf", std::ios::binary);
    out << in.rdbuf();
    break;
  }
  FT_Init_FreeType(&g_library);
  g_dc = CreateCompatibleDC(nullptr);
  SelectObject(g_dc, CreateBitmap(64, 32, 1, 32, nullptr));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 12 || size > (1u << 20)) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  DWORD count = 0;
  HANDLE added = AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &count);
  if (!added) return 0;
  // The family as FreeType reads it, cut as GDI cuts it.
  LOGFONTW lf{};
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(g_library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face) == 0) {
    const char* family = face->family_name ? face->family_name : "";
    for (int i = 0; family[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = static_cast<unsigned char>(family[i]);
    FT_Done_Face(face);
  }
  lf.lfCharSet = DEFAULT_CHARSET;
  int families = 0;
  EnumFontFamiliesExW(g_dc, &lf, Count, reinterpret_cast<LPARAM>(&families), 0);
  lf.lfHeight = -static_cast<LONG>(6 + size % 40);
  lf.lfWeight = (size & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (size >> 1) & 1;
  lf.lfEscapement = (size & 4) ? 900 : 0;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(g_dc, font);
  TEXTMETRICW tm;
  GetTextMetricsW(g_dc, &tm);
  const UINT otmSize = GetOutlineTextMetricsW(g_dc, 0, nullptr);
  if (otmSize && otmSize < (1u << 16)) {
    std::vector<uint8_t> otm(otmSize);
    GetOutlineTextMetricsW(g_dc, otmSize, reinterpret_cast<OUTLINETEXTMETRICW*>(otm.data()));
  }
  const DWORD pairs = GetKerningPairsW(g_dc, 0, nullptr);
  if (pairs && pairs < (1u << 20)) {
    std::vector<KERNINGPAIR> list(pairs);
    GetKerningPairsW(g_dc, pairs, list.data());
  }
  GetFontLanguageInfo(g_dc);
  uint8_t table[256];
  GetFontData(g_dc, 'c' | 'm' << 8 | 'a' << 16 | 'p' << 24, 0, table, sizeof table);
  const DWORD glyf = GetFontData(g_dc, 'g' | 'l' << 8 | 'y' << 16 | 'f' << 24, 0, nullptr, 0);
  (void)glyf;
  int widths[16];
  GetCharWidthW(g_dc, 'A', 'P', widths);
  const WCHAR text[] = u"Ag\u00e9\u4e2d";
  ExtTextOutW(g_dc, 2, 2, ETO_OPAQUE, nullptr, text, 4, nullptr);
  SelectObject(g_dc, old);
  DeleteObject(font);
  RemoveFontMemResourceEx(added);
  return 0;
}

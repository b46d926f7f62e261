// The font table: built from the screen device's font enumeration, sorted, searched by
// bisection; and the font data readers over a DC's selected font.
#include <plastrum/present/text/FontTable.h>

#include <algorithm>
#include <cstring>

#include <win/registry.h>
#include <win/user.h>

#include <basalt/string_util.h>

#include "FontConfigLoad.h"

namespace Present::Text {
namespace {

using Basalt::Util::StringUtil;

constexpr CharsetRow kRows[kCharsetRows] = {
    {0, 1252},   {128, 932},  {134, 936},  {129, 949}, {136, 950},  {130, 1361}, {177, 1255},
    {178, 1256}, {161, 1253}, {162, 1254}, {222, 874}, {238, 1250}, {204, 1251}, {186, 1257},
};

std::vector<FontEntry>& Table() {
  detail::EnsureFontConfiguration();
  // Never destroyed: the library's stop, which runs after static destructors, frees it.
  static auto* table = new std::vector<FontEntry>();
  return *table;
}

// 0 for a name that begins neither with "@" nor with an ASCII letter, 1 for a letter, 2 for "@".
int GroupOf(const WCHAR* name) {
  const WCHAR c = name[0];
  if (c == u'@') return 2;
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return 1;
  return 0;
}

DWORD ReadAtFontValue() {
  HKEY key = nullptr;
  DWORD value = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Taloria\\Shared\\Fonts", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return 0;
  DWORD type = 0, size = sizeof value;
  if (RegQueryValueExW(key, u"@font", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      size != sizeof value)
    value = 0;
  RegCloseKey(key);
  return value;
}

struct EnumState {
  bool withVertical = false;
  bool failed = false;
};

int CALLBACK CollectFace(const LOGFONTW* logfont, const TEXTMETRICW* metrics, DWORD type, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  if (!(type & TRUETYPE_FONTTYPE)) return 1;
  const WCHAR* name = logfont->lfFaceName;
  if (name[0] == u'@' && !state->withVertical) return 1;
  const int row = CharsetRowOf(logfont->lfCharSet);
  const uint32_t bit = row >= 0 ? 1u << row : 0u;
  auto& table = Table();
  for (FontEntry& e : table) {
    if (StringUtil::Ustricmp(e.faceName, name) == 0) {
      e.charsetMask |= bit;
      return 1;
    }
  }
  if (table.size() == table.capacity()) {
    try {
      table.reserve(table.size() + 24);
    } catch (...) {
      state->failed = true;
      return 0;
    }
  }
  FontEntry e;
  CopyFaceName(e.faceName, name, kFaceUnits);
  e.charsetMask = bit;
  const auto* ntm = reinterpret_cast<const NEWTEXTMETRICEXW*>(metrics);
  e.height = ntm->ntmTm.tmHeight;
  e.cellHeight = static_cast<int32_t>(ntm->ntmTm.ntmCellHeight);
  e.averageWidth = static_cast<int32_t>(ntm->ntmTm.ntmAvgWidth);
  e.emSize = static_cast<int32_t>(ntm->ntmTm.ntmSizeEM);
  if ((logfont->lfPitchAndFamily & 3) == FIXED_PITCH) e.flags |= kFontFixedPitch;
  table.push_back(e);
  return 1;
}

}  // namespace

const CharsetRow* CharsetTable() { return kRows; }

int CharsetRowOf(BYTE charset) {
  for (int i = 0; i < kCharsetRows; ++i)
    if (kRows[i].charset == charset) return i;
  return -1;
}

BYTE PrimaryCharset(uint32_t mask) {
  if (mask >= (1u << kCharsetRows)) return DEFAULT_CHARSET;
  if (mask <= 1) return kRows[0].charset;
  int row = 31;
  while (!(mask & (1u << row))) --row;
  return kRows[row].charset;
}

bool FaceNameLess(const WCHAR* a, const WCHAR* b) {
  const int ga = GroupOf(a), gb = GroupOf(b);
  if (ga != gb) return ga < gb;
  return StringUtil::Ustricmp(a, b) < 0;
}

const std::vector<FontEntry>& FontTableEntries() { return Table(); }

int FindFace(const WCHAR* face) {
  if (!face) return -1;
  WCHAR name[kFaceUnits];
  CopyFaceName(name, face, kFaceUnits);
  const auto& table = Table();
  size_t lo = 0, hi = table.size();
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (FaceNameLess(table[mid].faceName, name))
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < table.size() && StringUtil::Ustricmp(table[lo].faceName, name) == 0) return static_cast<int>(lo);
  return -1;
}

FontEntry* FontAt(int index) {
  auto& table = Table();
  return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[static_cast<size_t>(index)] : nullptr;
}

uint32_t CharsetMaskOf(const WCHAR* face) {
  const FontEntry* e = FontAt(FindFace(face));
  return e ? e->charsetMask : 0;
}

void CopyFaceName(WCHAR* out, const WCHAR* face, int units) {
  if (!out || units <= 0) return;
  int i = 0;
  if (face)
    for (; i < units - 1 && face[i]; ++i) out[i] = face[i];
  out[i] = 0;
}

bool ReadFontTable(HDC dc, const char tag[4], std::vector<uint8_t>* out) {
  const DWORD name =
      static_cast<DWORD>(static_cast<uint8_t>(tag[0])) | static_cast<DWORD>(static_cast<uint8_t>(tag[1])) << 8 |
      static_cast<DWORD>(static_cast<uint8_t>(tag[2])) << 16 | static_cast<DWORD>(static_cast<uint8_t>(tag[3])) << 24;
  const DWORD size = GetFontData(dc, name, 0, nullptr, 0);
  if (size == GDI_ERROR_DWORD || size == 0) return false;
  try {
    out->resize(size);
  } catch (...) {
    return false;
  }
  const DWORD got = GetFontData(dc, name, 0, out->data(), size);
  if (got == GDI_ERROR_DWORD) return false;
  out->resize(got);
  return true;
}

bool ReadDcHhea(HDC dc, HheaHeader* out) {
  std::vector<uint8_t> bytes;
  return ReadFontTable(dc, "hhea", &bytes) && ReadHhea(bytes.data(), bytes.size(), out);
}

bool ReadDcMaxp(HDC dc, MaxpHeader* out) {
  std::vector<uint8_t> bytes;
  return ReadFontTable(dc, "maxp", &bytes) && ReadMaxp(bytes.data(), bytes.size(), out);
}

bool ReadDcHmtx(HDC dc, int count, std::vector<HorizontalMetric>* out) {
  std::vector<uint8_t> bytes;
  return ReadFontTable(dc, "hmtx", &bytes) && ReadHmtx(bytes.data(), bytes.size(), count, out);
}

bool ReadDcOs2Ranges(HDC dc, uint32_t ranges[4]) {
  std::vector<uint8_t> bytes;
  return ReadFontTable(dc, "OS/2", &bytes) && ReadOs2Ranges(bytes.data(), bytes.size(), ranges);
}

HFONT CreateProbeFont(const WCHAR* face, BYTE outPrecision) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = outPrecision;
  CopyFaceName(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

namespace detail {

bool BuildFontTable() {
  auto& table = Table();
  table.clear();
  EnumState state;
  state.withVertical = ReadAtFontValue() != 0;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  LOGFONTW want{};
  want.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(screen, &want, &CollectFace, reinterpret_cast<LPARAM>(&state), 0);
  ReleaseDC(nullptr, screen);
  if (state.failed) {
    table.clear();
    return false;
  }
  std::stable_sort(table.begin(), table.end(),
                   [](const FontEntry& a, const FontEntry& b) { return FaceNameLess(a.faceName, b.faceName); });
  for (size_t i = 0; i < table.size(); ++i) table[i].sortedIndex = static_cast<int32_t>(i);
  return true;
}

void FreeFontTable() { std::vector<FontEntry>().swap(Table()); }

}  // namespace detail
}  // namespace Present::Text

#include "ornatex/schema/skin_class.h"

#include <algorithm>

#include <win/gdi_text.h>
#include <win/nls.h>

#include "ornatex/schema/resource_file.h"
#include "ornatex/schema/skin_image.h"

namespace {

// The identifiers drawing reads (the visual-style schema's numbers).
enum : int {
  kTransparent = 2201,
  kBorderOnly = 2203,
  kGlyphTransparent = 2206,
  kMirrorImage = 2209,
  kImageCount = 2401,
  kBorderSize = 2403,
  kTrueSizeStretchMark = 2419,
  kImageFile = 3001,
  kImageFile1 = 3002,
  kImageFile5 = 3006,
  kGlyphImageFile = 3008,
  kSizingMargins = 3601,
  kContentMargins = 3602,
  kBorderColor = 3801,
  kFillColor = 3802,
  kTransparentColor = 3809,
  kUniformSizing = 2210,
  kCaptionMargins = 3603,
  kTextColor = 3803,
  kTextShadowOffset = 3402,
  kTextShadowColor = 3818,
  kContentAlignment = 4006,
  kTextShadowType = 4010,
  kBgType = 4001,
  kSizingType = 4004,
  kVAlign = 4007,
  kImageLayout = 4011,
  kGlyphType = 4012,
  kImageSelectType = 4013,
};
constexpr COLORREF kNoColor = 0xFFFFFFFFu;

KTK_MARGINS MarginsOf(const RECT& r) {
  return KTK_MARGINS{static_cast<int>(r.left), static_cast<int>(r.right), static_cast<int>(r.top),
                     static_cast<int>(r.bottom)};
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return s;
}

// The frame of a state in a strip: the first frame for state 0 or one beyond the count.
RECT FrameOf(SIZE frame, int state, int count, bool horizontal) {
  const int index = state < 1 || state > count ? 0 : state - 1;
  return horizontal ? RECT{frame.cx * index, 0, frame.cx * (index + 1), frame.cy}
                    : RECT{0, frame.cy * index, frame.cx, frame.cy * (index + 1)};
}

}  // namespace

CKtkSkinManagerClass::CKtkSkinManagerClass(CKtkSkinManagerSchema* schema, const std::u16string& name, int classCode)
    : m_name(name), m_classCode(classCode), m_pSchema(schema) {}

CKtkSkinManagerClass::~CKtkSkinManagerClass() = default;

const CKtkSkinManagerSchemaProperty* CKtkSkinManagerClass::Lookup(int part, int state, int id, int type) {
  const uint32_t key =
      static_cast<uint32_t>(id) + (static_cast<uint32_t>(state) << 20) + (static_cast<uint32_t>(part) << 14);
  auto it = cache_.find(key);
  const CKtkSkinManagerSchemaProperty* record = nullptr;
  if (it != cache_.end()) {
    record = it->second;
  } else {
    record = m_pSchema->FindProperty(m_classCode, part, state, id);
    if (record && record->m_type != type) return nullptr;  // a mismatch is not cached
    cache_.emplace(key, record);
  }
  return record && record->m_type == type ? record : nullptr;
}

std::u16string CKtkSkinManagerClass::GetString(int part, int state, int id, const std::u16string& defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_STRING);
  return r && r->m_string ? std::u16string(r->m_string) : defaultValue;
}

int CKtkSkinManagerClass::GetInt(int part, int state, int id, int defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_INT);
  return r ? r->m_values[0] : defaultValue;
}

BOOL CKtkSkinManagerClass::GetBool(int part, int state, int id, BOOL defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_BOOL);
  return r ? (r->m_values[0] != 0) : defaultValue;
}

COLORREF CKtkSkinManagerClass::GetColor(int part, int state, int id, COLORREF defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_COLOR);
  if (!r) return defaultValue;
  COLORREF color = static_cast<COLORREF>(r->m_values[0]);
  m_pSchema->ApplyColorFilters(color);
  return color;
}

RECT CKtkSkinManagerClass::GetRect(int part, int state, int id, const RECT& defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_RECT);
  return r ? RECT{r->m_values[0], r->m_values[1], r->m_values[2], r->m_values[3]} : defaultValue;
}

int CKtkSkinManagerClass::GetEnum(int part, int state, int id, int defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_ENUM);
  return r ? r->m_values[0] : defaultValue;
}

POINT CKtkSkinManagerClass::GetPosition(int part, int state, int id, const POINT& defaultValue) {
  const auto* r = Lookup(part, state, id, KTK_PT_POSITION);
  return r ? POINT{r->m_values[0], r->m_values[1]} : defaultValue;
}

CKtkSkinImage* CKtkSkinManagerClass::GetImage(const std::u16string& fileName) {
  if (fileName.empty()) return nullptr;
  auto it = images_.find(fileName);
  if (it != images_.end()) return it->second.get();
  if (!m_pSchema->m_pReader) return nullptr;
  CKtkSkinImage* image = m_pSchema->m_pReader->LoadSkinImage(fileName.c_str());
  if (!image) return nullptr;
  images_.emplace(fileName, std::unique_ptr<CKtkSkinImage>(image));
  return image;
}

SIZE CKtkSkinManagerClass::FrameSize(CKtkSkinImage* image, int count, bool horizontal) const {
  const SIZE extent = image->GetExtent();
  return horizontal ? SIZE{extent.cx / count, extent.cy} : SIZE{extent.cx, extent.cy / count};
}

BOOL CKtkSkinManagerClass::DrawBorderFill(HDC dc, int part, int state, const RECT& rect) {
  RECT r = rect;
  const int b = GetInt(part, state, kBorderSize, 1);
  const COLORREF border = GetColor(part, state, kBorderColor, kNoColor);
  if (b > 0 && border != kNoColor) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + b}, border);
    Fill(dc, RECT{r.left, r.bottom - b, r.right, r.bottom}, border);
    Fill(dc, RECT{r.left, r.top + b, r.left + b, r.bottom - b}, border);
    Fill(dc, RECT{r.right - b, r.top + b, r.right, r.bottom - b}, border);
    r = RECT{r.left + b, r.top + b, r.right - b, r.bottom - b};
  }
  const COLORREF fill = GetColor(part, state, kFillColor, kNoColor);
  if (fill != kNoColor && !GetBool(part, state, kBorderOnly, FALSE)) Fill(dc, r, fill);
  return 1;
}

BOOL CKtkSkinManagerClass::DrawThemeBackground(HDC dc, int part, int state, const RECT& rect) {
  const int bgType = GetEnum(part, state, kBgType, 0);
  if (bgType == 1) return DrawBorderFill(dc, part, state, rect);
  if (bgType != 0) return 1;
  const int selectType = GetEnum(part, state, kImageSelectType, 0);
  const int glyphType = GetEnum(part, state, kGlyphType, 0);
  std::u16string file =
      selectType == 0 || glyphType != 0 ? GetString(part, state, kImageFile) : GetString(part, state, kImageFile1);
  if (file.empty()) file = GetString(part, state, kImageFile);
  CKtkSkinImage* image = GetImage(file);
  if (!image) return 0;
  const int count = std::max(GetInt(part, state, kImageCount, 1), 1);
  const bool horizontal = GetEnum(part, state, kImageLayout, 1) == 1;
  const SIZE frame = FrameSize(image, count, horizontal);
  const COLORREF transparent = !image->m_bAlpha && GetBool(part, state, kTransparent, FALSE)
                                   ? GetColor(part, state, kTransparentColor, RGB(255, 0, 255))
                                   : kNoColor;
  const int sizingType = GetEnum(part, state, kSizingType, 1);
  KTK_MARGINS margins = MarginsOf(GetRect(part, state, kSizingMargins, RECT{0, 0, 0, 0}));
  RECT destination = rect;
  if (sizingType == 0) {
    int w = frame.cx, h = frame.cy;
    if (GetInt(part, state, kTrueSizeStretchMark, 0) > 0) {
      w = std::min<int>(w, rect.right - rect.left);
      h = std::min<int>(h, rect.bottom - rect.top);
    }
    const int left = std::max<int>((rect.left + rect.right - w) / 2, rect.left);
    int top = std::max<int>((rect.top + rect.bottom - h) / 2, rect.top);
    if (GetEnum(part, state, kVAlign, 0) == 2) top = rect.bottom - h;
    destination = RECT{left, top, left + w, top + h};
    margins = KTK_MARGINS{0, 0, 0, 0};
  }
  const RECT source = FrameOf(frame, state, count, horizontal);
  const bool frameEdge = m_classCode == KTK_CLASS_WINDOW && part >= 7 && part <= 12;
  const BOOL borderOnly = frameEdge ? FALSE : GetBool(part, state, kBorderOnly, FALSE);
  image->m_bMirrorAllowed = GetBool(part, state, kMirrorImage, TRUE);
  image->PrepareSolidBlocks(count, horizontal ? TRUE : FALSE, margins);
  image->DrawImage(dc, destination, source, margins, transparent, sizingType, borderOnly);
  if (glyphType == 1) DrawGlyph(dc, part, state, rect);
  return 1;
}

std::u16string CKtkSkinManagerClass::SizeChosenGlyphFile(int part, int state, const RECT& content) {
  const int count = std::max(GetInt(part, state, kImageCount, 1), 1);
  const bool horizontal = GetEnum(part, state, kImageLayout, 1) == 1;
  for (int id = kImageFile5; id >= kImageFile1; --id) {
    const std::u16string file = GetString(part, state, id);
    if (file.empty()) continue;
    CKtkSkinImage* image = GetImage(file);
    const SIZE size = image ? FrameSize(image, count, horizontal) : SIZE{0, 0};
    if (size.cx == 0 && size.cy == 0) return u"";
    if ((size.cx <= content.right - content.left && size.cy <= content.bottom - content.top) || id == kImageFile1)
      return file;
  }
  return u"";
}

BOOL CKtkSkinManagerClass::DrawGlyph(HDC dc, int part, int state, const RECT& rect) {
  const RECT m = GetRect(part, state, kContentMargins, RECT{0, 0, 0, 0});
  const RECT content{rect.left + m.left, rect.top + m.top, rect.right - m.right, rect.bottom - m.bottom};
  const std::u16string file = GetEnum(part, state, kImageSelectType, 0) == 1 ? SizeChosenGlyphFile(part, state, content)
                                                                             : GetString(part, state, kGlyphImageFile);
  CKtkSkinImage* image = GetImage(file);
  if (!image) return 0;
  const int count = std::max(GetInt(part, state, kImageCount, 1), 1);
  const bool horizontal = GetEnum(part, state, kImageLayout, 1) == 1;
  const SIZE frame = FrameSize(image, count, horizontal);
  const COLORREF transparent = !image->m_bAlpha && GetBool(part, state, kGlyphTransparent, FALSE)
                                   ? GetColor(part, state, kTransparentColor, RGB(255, 0, 255))
                                   : kNoColor;
  const int left = (content.left + content.right - frame.cx) / 2;
  const int top = std::max<int>((content.top + content.bottom - frame.cy) / 2, content.top);
  image->DrawImage(dc, RECT{left, top, left + frame.cx, top + frame.cy}, FrameOf(frame, state, count, horizontal),
                   KTK_MARGINS{0, 0, 0, 0}, transparent, 1, FALSE);
  return 1;
}

BOOL CKtkSkinManagerClass::GetPartSize(int part, int state, const RECT* rect, int kind, SIZE* size) {
  if (GetEnum(part, state, kBgType, 0) != 0) return FALSE;
  std::u16string file = GetEnum(part, state, kImageSelectType, 0) != 0 && GetEnum(part, state, kGlyphType, 0) == 0
                            ? GetString(part, state, kImageFile1)
                            : GetString(part, state, kImageFile);
  if (file.empty()) file = GetString(part, state, kImageFile);
  CKtkSkinImage* image = GetImage(file);
  if (!image) return FALSE;
  const int count = std::max(GetInt(part, state, kImageCount, 1), 1);
  const SIZE frame = FrameSize(image, count, GetEnum(part, state, kImageLayout, 1) == 1);
  if (!size) return TRUE;
  if (kind == 1) {
    *size = frame;
  } else if (kind == 2) {
    if (GetEnum(part, state, kSizingType, 1) != 0) {
      *size = rect ? SIZE{rect->right - rect->left, rect->bottom - rect->top} : SIZE{0, 0};
      if (GetBool(part, state, kUniformSizing, FALSE) && frame.cy > 0) size->cx = MulDiv(size->cy, frame.cx, frame.cy);
    } else {
      *size = frame;
    }
  }
  return TRUE;
}

BOOL CKtkSkinManagerClass::DrawText(HDC dc, int part, int state, const std::u16string& text, UINT format,
                                    const RECT& rect) {
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const RECT margins = GetRect(part, state, kCaptionMargins, RECT{0, 0, 0, 0});
  RECT r{rect.left + margins.left, rect.top, rect.right - margins.right, rect.bottom};
  if (GetEnum(part, state, kContentAlignment, 0) == 1) format |= DT_CENTER;
  const COLORREF color = GetColor(part, state, kTextColor, GetTextColor(dc));
  const POINT offset = GetPosition(part, state, kTextShadowOffset, POINT{0, 0});
  if (GetEnum(part, state, kTextShadowType, 0) == 1 && (offset.x != 0 || offset.y != 0)) {
    SetTextColor(dc, GetColor(part, state, kTextShadowColor, RGB(0, 0, 0)));
    RECT shadow{r.left + offset.x, r.top + offset.y, r.right + offset.x, r.bottom + offset.y};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
  }
  const COLORREF oldColor = SetTextColor(dc, color);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  return TRUE;
}

CKtkSkinManagerClass* KtkSchemaClass(CKtkSkinManagerSchema& schema, LPCWSTR className) {
  if (!className) return nullptr;
  const std::u16string name = Upper(className);
  auto it = schema.m_classes.find(name);
  if (it != schema.m_classes.end()) return it->second.get();
  const int code = CKtkSkinManagerSchema::ClassCodeOf(className);
  if (code == 0) return nullptr;
  auto made = std::make_unique<CKtkSkinManagerClass>(&schema, std::u16string(className), code);
  CKtkSkinManagerClass* raw = made.get();
  schema.m_classes.emplace(name, std::move(made));
  return raw;
}

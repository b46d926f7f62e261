// Font selection and measuring of laid-out runs, and the font metrics the calligraphy asks.
#include <plastrum/present/text/TextLayout.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <basalt/string_util.h>
#include <basalt/text_encoding.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextCaches.h>

namespace Present::Text {
namespace {

int MulDivOr(int v, int num, int den) { return den ? _Kx2IntMulDiv(v, num, den) : v; }

// Fonts the cache would not take (there is no cache before the font service starts):
// deleted when the context pool is released at module stop.
std::vector<HFONT>& StrayFonts() {
  static auto* fonts = new std::vector<HFONT>();
  return *fonts;
}

// Selects the font of a LOGFONTW through the font object cache, creating it on a miss.
void SelectIntoDc(TextContext* c, HFONT font) {
  if (c->selected == font) return;
  SelectObject(c->dc, font);
  c->selected = font;
}

bool SameLogfont(const LOGFONTW& a, const LOGFONTW& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

HFONT CreateTextFont(TextContext* c, const LOGFONTW& lf, int fontIndex);

HFONT SelectCachedFont(TextContext* c, const LOGFONTW& lf, int fontIndex) {
  for (auto& r : c->recent)
    if (r.font && SameLogfont(r.logfont, lf)) {
      SelectIntoDc(c, r.font);
      return r.font;
    }
  HFONT font = FindCachedFont(lf);
  if (font) {
    SelectIntoDc(c, font);
    c->recent[1] = c->recent[0];
    c->recent[0] = TextContext::RecentFont{lf, font};
    return font;
  }
  return CreateTextFont(c, lf, fontIndex);
}

// Makes and selects a font the cache lacks, probes its face once and puts it in the cache.
HFONT CreateTextFont(TextContext* c, const LOGFONTW& lf, int fontIndex) {
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) return nullptr;
  SelectIntoDc(c, font);
  if (FontEntry* e = FontAt(fontIndex); e && !e->languageProbed) {
    e->languageProbed = 1;
    const DWORD info = GetFontLanguageInfo(c->dc);
    if (info != GDI_ERROR_DWORD) {
      if (info & GCP_DBCS) e->flags |= kFontDoubleByte;
      if (info & GCP_USEKERNING) e->flags |= kFontKerning;
    }
    if (!(e->flags & kFontFixedPitch) && (e->charsetMask & (1u << 3))) {
      INT a = 0, b = 0;
      if (GetCharWidthW(c->dc, 0xC624, 0xC624, &a) && GetCharWidthW(c->dc, 0xB9D1, 0xB9D1, &b) && a == b)
        e->flags |= kFontEqualHangul;
    }
  }
  // Putting may let the cache free its oldest fonts: the recent ones are looked up again.
  c->recent[1] = TextContext::RecentFont{};
  c->recent[0] = TextContext::RecentFont{lf, font};
  if (!PutCachedFont(lf, font)) {
    try {
      StrayFonts().push_back(font);
    } catch (...) {}
  }
  return font;
}

uint32_t FontFlagsOf(int fontIndex) {
  const FontEntry* e = FontAt(fontIndex);
  return e ? e->flags : 0;
}

}  // namespace

void ReleaseStrayTextFonts() {
  for (HFONT f : StrayFonts()) DeleteObject(f);
  StrayFonts().clear();
}

void GetSlotFontSize(const TextContext* c, int slot, int fontIndex, int* height, int* width) {
  const TextSlot& s = c->object->format.slots[slot];
  int h = MulDivOr(s.size, c->deviceExtent.cy, c->logicalExtent.cy);
  if (h == 0) h = 1;
  int w = 0;
  bool byPercent = s.widthPercent != 0 && s.widthPercent != 100;
  if (s.widthPercent == 0) {
    w = MulDivOr(s.width, c->deviceExtent.cx, c->logicalExtent.cx);
  } else if (s.widthPercent == 100 && c->mappingCode == 8 &&
             MulDivOr(7200, c->deviceExtent.cx, c->logicalExtent.cx) !=
                 MulDivOr(7200, c->deviceExtent.cy, c->logicalExtent.cy)) {
    byPercent = true;
  }
  if (byPercent) {
    const FontEntry* e = FontAt(fontIndex);
    const int64_t a = e ? e->averageWidth : 0;
    const int64_t b = e ? (e->height > 0 ? e->cellHeight : e->emSize) : 0;
    // A face without a cell height or em size keeps its natural width.
    if (b != 0) {
      const int64_t v = (2 * a * std::llabs(static_cast<int64_t>(s.size)) * s.widthPercent + 1) / (200 * b);
      w = MulDivOr(static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)), c->deviceExtent.cx,
                   c->logicalExtent.cx);
    }
  }
  *height = h;
  *width = w;
}

LOGFONTW SlotLogfont(const TextContext* c, int slot, int fontIndex, int weight, int rotated) {
  LOGFONTW lf{};
  int h = 0, w = 0;
  GetSlotFontSize(c, slot, fontIndex, &h, &w);
  lf.lfHeight = h;
  lf.lfWidth = w;
  lf.lfEscapement = lf.lfOrientation = rotated ? 2700 : 0;
  lf.lfWeight = weight;
  lf.lfItalic = (c->object->format.flags & kFormatItalic) ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  lf.lfQuality = std::abs(h) <= 8 ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
  if (const FontEntry* e = FontAt(fontIndex)) CopyFaceName(lf.lfFaceName, e->faceName, LF_FACESIZE);
  return lf;
}

void SelectFontByKey(TextContext* c, int slot) {
  const LOGFONTW lf = SlotLogfont(c, slot, c->key.fontIndex, c->key.weight, c->key.rotated);
  c->font = SelectCachedFont(c, lf, c->key.fontIndex);
  c->lineHeight = 0;
  FontInstanceRecord r;
  r.logPixelsX = GetDeviceCaps(c->dc, LOGPIXELSX);
  r.logPixelsY = GetDeviceCaps(c->dc, LOGPIXELSY);
  r.height = lf.lfHeight;
  r.width = lf.lfWidth;
  r.weight = c->key.weight;
  r.fontIndex = c->key.fontIndex;
  r.italic = lf.lfItalic ? 1 : 0;
  c->instance = FontInstanceIndex(r);
}

void SelectSlotFont(int fontIndex, int slot, TextContext* c, int rotated) {
  if (!c->object) return;
  const TextSlot& s = c->object->format.slots[slot];
  TextSelectionKey key;
  key.size = s.size;
  key.width = s.width;
  key.widthPercent = s.widthPercent;
  key.weight = c->object->format.weight;
  key.formatFlags = c->object->format.flags;
  key.rotated = rotated ? 1 : 0;
  key.fontIndex = fontIndex < 0 ? c->object->fontIndex[slot] : fontIndex;
  if (c->keyValid && c->font && key == c->key) return;
  c->key = key;
  c->keyValid = true;
  SelectFontByKey(c, slot);
}

void SelectRunFont(const TextLayout* layout, TextContext* c, uint32_t run, int weight) {
  const TextRun& r = layout->Runs()[run];
  // Weight 0 asks for the regular weight: when the key's weight is regular too, its font
  // already is that font.
  auto regular = [](int w) { return w == 0 || w == FW_NORMAL; };
  if (regular(weight) && regular(c->key.weight) && c->font) {
    SelectIntoDc(c, c->font);
    return;
  }
  SelectCachedFont(c, SlotLogfont(c, r.slot, c->key.fontIndex, weight, c->key.rotated), c->key.fontIndex);
}

int GetLineHeight(TextContext* c) {
  if (c->lineHeight) return c->lineHeight;
  int32_t device = 0;
  if (!FindLineHeight(c->instance, &device)) {
    TEXTMETRICW tm{};
    device = GetTextMetricsW(c->dc, &tm) ? tm.tmHeight + tm.tmInternalLeading : 0;
    PutLineHeight(c->instance, device);
  }
  c->lineHeight = c->mappingCode != 1 ? MulDivOr(device, c->logicalExtent.cy, c->deviceExtent.cy) : device;
  return c->lineHeight;
}

int GetSupplementaryAdvance(TextContext* c, uint32_t codePoint) {
  const FontEntry* e = FontAt(c->key.fontIndex);
  if (!c->lineHeight || !e) return 0;
  HFONT font = CreateFontW(0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0, e->faceName);
  if (!font) return 0;
  HDC dc = FontProbeDc();
  HGDIOBJ old = SelectObject(dc, font);
  int answer = 0;
  WCHAR face[LF_FACESIZE + 1] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  HheaHeader hhea;
  MaxpHeader maxp;
  std::vector<HorizontalMetric> metrics;
  std::vector<uint8_t> head;
  if (Basalt::Util::StringUtil::Ustricmp(face, e->faceName) == 0 && ReadDcHhea(dc, &hhea) && ReadDcMaxp(dc, &maxp) &&
      ReadDcHmtx(dc, hhea.numberOfHMetrics, &metrics) && !metrics.empty()) {
    // Advances are in font units per em, which the "head" table gives.
    ReadFontTable(dc, "head", &head);
    uint16_t unitsPerEm = ReadUnitsPerEm(head.data(), head.size());
    if (!unitsPerEm) unitsPerEm = 1000;
    const unsigned glyph = GlyphIndexOf(c->key.fontIndex, codePoint);
    const HorizontalMetric& m = metrics[std::min<size_t>(glyph, metrics.size() - 1)];
    const int64_t logical =
        static_cast<int64_t>(m.advance) * std::llabs(static_cast<int64_t>(c->key.size)) / unitsPerEm;
    answer = LengthToDeviceX(c, static_cast<int>(std::min<int64_t>(logical, INT32_MAX)));
  }
  SelectObject(dc, old);
  DeleteObject(font);
  return answer;
}

int GetCharAdvance(TextContext* c, uint32_t codePoint) {
  int32_t device = 0;
  if (!FindCharWidth(c->instance, codePoint, &device)) {
    if (codePoint <= 0xFFFF) {
      INT w = 0;
      device = GetCharWidthW(c->dc, codePoint, codePoint, &w) ? w : 0;
    } else {
      device = GetSupplementaryAdvance(c, codePoint);
    }
    PutCharWidth(c->instance, codePoint, device);
  }
  return c->mappingCode != 1 ? MulDivOr(device, c->logicalExtent.cx, c->deviceExtent.cx) : device;
}

int SlotSpaceWidths(TextContext* c, int slot) {
  int advance = slot == 0 ? GetCharAdvance(c, 0x20) : GetCharAdvance(c, 0xAC00) / 2;
  if (advance == 0 && !(c->textFlags & kTextNoSpaceFallback))
    advance = std::abs(c->object->format.slots[slot].size) / 2;
  return advance;
}

// Adds the kerning of each adjacent pair of the run to the first one's advance, converted to
// logical units like the advances.
void ApplyKerning(TextLayout* layout, TextContext* c, const TextRun& run) {
  KerningPairs pairs;
  if (!GetKerningPairs(c->dc, c->instance, &pairs)) return;
  const WCHAR* t = layout->text;
  for (uint32_t j = run.start; j + 1 < run.start + run.length; ++j)
    layout->advances[j] += LengthToLogicalX(c, pairs.Amount(t[j], t[j + 1]));
}

void MeasureRun(TextLayout* layout, TextContext* c, uint32_t index, int space) {
  TextRun& run = layout->Runs()[index];
  const bool kerning = (c->textFlags & kTextKerning) != 0;
  const bool upright = layout->vertical && !run.rotated;
  run.lineHeight = GetLineHeight(c);
  SelectRunFont(layout, c, index, 0);
  const uint32_t flags = FontFlagsOf(c->key.fontIndex);
  const WCHAR* t = layout->text;
  const uint32_t end = run.start + run.length;
  int widest = 0;
  if (!(layout->callerAdvances && !layout->rawWidths && !upright)) {
    int hangul = -1, latin = -1;
    for (uint32_t j = run.start; j < end; ++j) {
      const WCHAR ch = t[j];
      int raw;
      bool lowNext = false;
      if (ch == u' ') {
        raw = space;
      } else if ((flags & (kFontEqualHangul | kFontFixedPitch)) && ch >= 0xAC00 && ch <= 0xD7A3) {
        if (hangul < 0) hangul = GetCharAdvance(c, 0xAC00);
        raw = hangul;
      } else if ((flags & kFontFixedPitch) && ch < 0x7F) {
        if (latin < 0) latin = GetCharAdvance(c, u'A');
        raw = latin;
      } else if (ch >= 0xD800 && ch <= 0xDBFF && j + 1 < layout->length && t[j + 1] >= 0xDC00 && t[j + 1] <= 0xDFFF) {
        raw = GetCharAdvance(c, 0x10000 + ((static_cast<uint32_t>(ch) - 0xD800) << 10) + (t[j + 1] - 0xDC00u));
        lowNext = j + 1 < end;
      } else if (ch >= 0xDC00 && ch <= 0xDFFF) {
        raw = 0;
      } else {
        raw = GetCharAdvance(c, ch);
      }
      auto store = [&](uint32_t at, int width, bool isSpace) {
        if (layout->rawWidths) layout->rawWidths[at] = width;
        if (!layout->callerAdvances) layout->advances[at] = upright && !isSpace && width != 0 ? run.lineHeight : width;
        if (upright) widest = std::max(widest, width);
      };
      store(j, raw, ch == u' ');
      if (lowNext) store(++j, 0, false);
    }
    if (kerning && !layout->callerAdvances && (flags & kFontKerning) && run.length > 1 && !upright)
      ApplyKerning(layout, c, run);
  }
  int64_t sum = 0;
  for (uint32_t j = run.start; j < end; ++j) sum += layout->advances[j];
  const int total = static_cast<int>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
  if (!layout->vertical) {
    run.width = total;
    run.height = run.lineHeight;
  } else if (run.rotated) {
    run.height = total;
    run.width = run.lineHeight;
  } else {
    run.height = total;
    run.width = widest;
  }
  SelectRunFont(layout, c, index, c->key.weight);
}

void MeasureRuns(TextLayout* layout, TextContext* c) {
  for (int slot = 0; slot < 2; ++slot) {
    if (!(layout->slotMask & (1u << slot))) continue;
    SelectSlotFont(-1, slot, c, 0);
    // The space advance, like every other, is that of the regular weight.
    SelectCachedFont(c, SlotLogfont(c, slot, c->key.fontIndex, 0, 0), c->key.fontIndex);
    const int space = SlotSpaceWidths(c, slot);
    SelectCachedFont(c, SlotLogfont(c, slot, c->key.fontIndex, c->key.weight, 0), c->key.fontIndex);
    for (uint32_t r = 0; r < layout->RunCount(); ++r) {
      const TextRun& run = layout->Runs()[r];
      if (run.slot != slot) continue;
      SelectSlotFont(run.fontOverride, slot, c, run.rotated);
      MeasureRun(layout, c, r, space);
    }
  }
}

BOOL MeasureTextRuns(int32_t* cumulative, const WCHAR* text, TextContext* c, int length, SIZE* extent,
                     uint32_t spaceSlot) {
  if (!text || !*text || length <= 0 || !c || !c->object || !c->dc) return FALSE;
  std::unique_ptr<TextLayout> layout(new TextLayout);
  const bool vertical = (c->object->format.flags & kFormatVertical) != 0;
  if (!layout->Prepare(text, static_cast<uint32_t>(length), vertical, true)) return FALSE;
  layout->spaceSlot = spaceSlot;
  BuildTextRuns(layout.get(), c);
  MeasureRuns(layout.get(), c);
  int64_t sum = 0;
  int widest = 0;
  for (int i = 0; i < length; ++i) {
    sum += layout->advances[i];
    if (cumulative) cumulative[i] = static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
  }
  for (uint32_t r = 0; r < layout->RunCount(); ++r)
    widest = std::max(widest, vertical ? layout->Runs()[r].width : layout->Runs()[r].height);
  if (extent) {
    const LONG along = static_cast<LONG>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    *extent = vertical ? SIZE{widest, along} : SIZE{along, widest};
  }
  return TRUE;
}

BOOL GetTextOutlineMetrics(int slot, TextContext* c, TextOutlineMetrics* m) {
  if (!c || !c->object || !c->dc || !m || m->size < 68 || slot < 0 || slot > 1) return FALSE;
  SelectSlotFont(-1, slot, c, 0);
  OUTLINETEXTMETRICW otm{};
  if (GetOutlineTextMetricsW(c->dc, sizeof otm, &otm) == 0) return FALSE;
  m->emSquare = otm.otmEMSquare;
  m->ascent = otm.otmTextMetrics.tmAscent;
  m->descent = otm.otmTextMetrics.tmDescent;
  m->subscriptSize = otm.otmptSubscriptSize;
  m->subscriptOffset = otm.otmptSubscriptOffset;
  m->superscriptSize = otm.otmptSuperscriptSize;
  m->superscriptOffset = otm.otmptSuperscriptOffset;
  m->internalLeading = otm.otmTextMetrics.tmInternalLeading;
  m->externalLeading = otm.otmTextMetrics.tmExternalLeading;
  m->filled = 1;
  std::memcpy(m->panose, &otm.otmPanoseNumber, sizeof m->panose);
  if (c->mappingCode != 1) {
    for (int32_t* v : {&m->ascent, &m->descent, &m->internalLeading, &m->externalLeading}) *v = LengthToLogicalY(c, *v);
    DeviceToLogical(c, &m->subscriptSize, 4);
  }
  return TRUE;
}

BOOL GetTextFontRanges(int slot, TextContext* c, uint32_t words[2]) {
  if (!c || !c->object || !c->dc || !words || slot < 0 || slot > 1) return FALSE;
  SelectSlotFont(-1, slot, c, 0);
  uint32_t r[4] = {};
  const bool read = ReadDcOs2Ranges(c->dc, r);
  words[0] = (r[2] & 0x2FFF0000u) | (r[3] & 0x2u);
  words[1] = (r[1] & 0x10000000u) | (r[2] & 0x01100000u);
  return read ? TRUE : FALSE;
}

}  // namespace Present::Text

// Cutting a text into runs, the vertical forms, and the fallback runs of missing glyphs.
#include <plastrum/present/text/TextLayout.h>

#include <algorithm>
#include <new>

#include <basalt/error.h>
#include <plastrum/present/text/CharClass.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextCaches.h>

namespace Present::Text {
namespace {

bool IsHigh(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSpace(WCHAR c) { return c == u' '; }

bool PairAt(const WCHAR* text, uint32_t length, uint32_t at) {
  return at + 1 < length && IsHigh(text[at]) && IsLow(text[at + 1]);
}

uint32_t CodePointAt(const WCHAR* text, uint32_t at) {
  return 0x10000 + ((static_cast<uint32_t>(text[at]) - 0xD800) << 10) + (static_cast<uint32_t>(text[at + 1]) - 0xDC00);
}

// A character beyond U+FFFF takes the class of its low 16 bits.
int SlotOf(uint32_t c) { return SlotOfClass(GetTextCharClass(static_cast<char16_t>(c & 0xFFFF))); }

struct VerticalForm {
  WCHAR from, to;
};
constexpr VerticalForm kVerticalForms[] = {{0x002C, 0x3001}, {0x002E, 0x3002}, {0x2018, 0xFE41},
                                           {0x2019, 0xFE42}, {0x201C, 0xFE43}, {0x201D, 0xFE44}};

const VerticalForm* FindVerticalForm(WCHAR c) {
  const auto* end = std::end(kVerticalForms);
  const auto* it =
      std::lower_bound(std::begin(kVerticalForms), end, c, [](const VerticalForm& f, WCHAR v) { return f.from < v; });
  return it != end && it->from == c ? it : nullptr;
}

bool IsVertical(const TextContext& c) { return c.object && (c.object->format.flags & kFormatVertical); }

// The font for one character a run's font lacks: the slot's font when it has it, else the
// substitutes of the slot's face in turn, else the configured candidates.
int ChooseFallback(const TextContext& context, int slot, int font, uint32_t c) {
  if (HasGlyph(slot, font, c)) return font;
  WCHAR previous[kFaceUnits];
  CopyFaceName(previous, context.object->format.slots[slot].faceName, kFaceUnits);
  for (int step = 0; step < 32; ++step) {
    WCHAR substitute[kFaceUnits];
    if (!SubstituteFace(previous, substitute, kFaceUnits)) break;
    const int index = FindFace(substitute);
    if (index < 0) return font;
    if (std::u16string_view(substitute) == std::u16string_view(previous)) return index;
    if (HasGlyph(slot, index, c)) return index;
    CopyFaceName(previous, substitute, kFaceUnits);
  }
  return FindFallbackFont(slot, c);
}

}  // namespace

bool TextLayout::Prepare(const WCHAR* t, uint32_t n, bool isVertical, bool withRawWidths) {
  vertical = isVertical;
  length = n;
  text = isVertical ? MapVerticalForms(t, n, &verticalCopy_) : t;
  count_ = 0;
  slotMask = 0;
  fallbackCount = 0;
  try {
    if (n <= kLocalUnits) {
      advances = localAdvances_.data();
      rawWidths = withRawWidths ? localRaw_.data() : nullptr;
      std::fill(localAdvances_.begin(), localAdvances_.begin() + n + 1, 0);
      if (withRawWidths) std::fill(localRaw_.begin(), localRaw_.begin() + n + 1, 0);
    } else {
      heapAdvances_.assign(static_cast<size_t>(n) + 1, 0);
      advances = heapAdvances_.data();
      if (withRawWidths) {
        heapRaw_.assign(static_cast<size_t>(n) + 1, 0);
        rawWidths = heapRaw_.data();
      } else {
        rawWidths = nullptr;
      }
    }
  } catch (const std::bad_alloc&) {
    Basalt::Error::BaseError::_SetError(2);
    return false;
  }
  return true;
}

bool TextLayout::GrowRunArray() {
  try {
    if (runs_ == localRuns_.data()) heapRuns_.assign(localRuns_.begin(), localRuns_.begin() + count_);
    heapRuns_.resize(static_cast<size_t>(capacity_) + 64);
  } catch (const std::bad_alloc&) {
    Basalt::Error::BaseError::_SetError(2);
    return false;
  }
  runs_ = heapRuns_.data();
  capacity_ += 64;
  return true;
}

bool TextLayout::AppendRun(const TextRun& run) {
  if (count_ == capacity_ && !GrowRunArray()) return false;
  runs_[count_++] = run;
  return true;
}

bool CompareRunStart(const TextRun& a, const TextRun& b) {
  if ((a.length == 0) != (b.length == 0)) return b.length == 0;
  return a.start < b.start;
}

void TextLayout::SortRuns() {
  std::stable_sort(runs_, runs_ + count_, CompareRunStart);
  uint32_t last = 0;
  for (uint32_t i = 0; i < count_; ++i)
    if (runs_[i].length) last = i + 1;
  count_ = last;
}

const WCHAR* MapVerticalForms(const WCHAR* text, uint32_t length, std::vector<WCHAR>* copy) {
  uint32_t first = 0;
  while (first < length && !FindVerticalForm(text[first])) ++first;
  if (first == length) return text;
  try {
    copy->assign(text, text + length);
  } catch (const std::bad_alloc&) {
    Basalt::Error::BaseError::_SetError(2);
    return text;
  }
  for (uint32_t i = first; i < length; ++i)
    if (const VerticalForm* f = FindVerticalForm((*copy)[i])) (*copy)[i] = f->to;
  return copy->data();
}

bool IsRotatedInVertical(uint32_t c, bool latin) {
  switch (c) {
    case 0x28:
    case 0x29:
    case 0x2D:
    case 0x3A:
    case 0x5B:
    case 0x5D:
    case 0x7B:
    case 0x7D:
    case 0x7E:
    case 0x223C:
      return true;
    default:
      break;
  }
  if ((c >= 0x2010 && c <= 0x2015) || (c >= 0x3008 && c <= 0x3011) || (c >= 0x3014 && c <= 0x301B)) return true;
  if (latin && ((c >= 0x20 && c <= 0x24F) || (c >= 0x1E00 && c <= 0x1EFF) || (c >= 0xFB00 && c <= 0xFB06) ||
                (c >= 0xFF60 && c <= 0xFFEF)))
    return true;
  return false;
}

int32_t DirectionClass(uint32_t c) {
  if (c > 0xFFFF) return kDirectionSupplementary;
  if ((c >= 0x0590 && c <= 0x06FF) || (c >= 0xFB00 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF))
    return kDirectionRightToLeft;
  return kDirectionOrdinary;
}

TextRun SplitTextRun(const TextLayout& layout, const TextContext& context, uint32_t s) {
  const WCHAR* t = layout.text;
  const uint32_t n = layout.length;
  const bool vertical = IsVertical(context);
  const bool latin = (context.textFlags & kTextLatinRotates) != 0;
  TextRun run;
  run.start = s;
  auto takeTrailingSpaces = [&](uint32_t at) {
    while (at < n && IsSpace(t[at])) {
      ++run.trailing;
      ++at;
    }
    return at;
  };
  if (IsSpace(t[s])) {
    run.slot = layout.spaceSlot ? 1 : 0;
    const uint32_t end = takeTrailingSpaces(s);
    run.length = end - s;
    return run;
  }
  uint32_t at = s;
  if (!PairAt(t, n, s)) {
    run.slot = SlotOf(t[s]);
    run.direction = DirectionClass(t[s]);
    run.rotated = vertical && IsRotatedInVertical(t[s], latin);
    ++at;
    while (at < n && !IsSpace(t[at]) && !PairAt(t, n, at) && DirectionClass(t[at]) == run.direction &&
           SlotOf(t[at]) == run.slot && (vertical && IsRotatedInVertical(t[at], latin)) == (run.rotated != 0))
      ++at;
  } else {
    const uint32_t c = CodePointAt(t, s);
    run.slot = SlotOf(c);
    run.direction = kDirectionSupplementary;
    run.rotated = vertical && IsRotatedInVertical(c, latin);
    at += 2;
    while (PairAt(t, n, at)) {
      const uint32_t d = CodePointAt(t, at);
      if (SlotOf(d) != run.slot || (vertical && IsRotatedInVertical(d, latin)) != (run.rotated != 0)) break;
      at += 2;
    }
  }
  at = takeTrailingSpaces(at);
  run.length = at - s;
  return run;
}

int FindFallbackFont(int slot, uint32_t c) {
  for (const FaceListItem& item : CandidateFaces(slot == 0 ? kMainFace : kSubFace)) {
    const int index = FindFace(item.faceName);
    if (index >= 0 && HasGlyph(slot, index, c)) return index;
  }
  return GetDefaultFace(slot == 0 ? kMainFace : kSubFace).sortedIndex;
}

void SplitRunForFallback(TextLayout* layout, TextContext* context, uint32_t r, uint32_t p) {
  const TextRun original = layout->Runs()[r];
  const uint32_t end = original.start + original.length - original.trailing;
  const int font = context->object->fontIndex[original.slot];
  layout->Runs()[r].length = p - original.start;
  layout->Runs()[r].trailing = 0;
  const WCHAR* t = layout->text;
  for (uint32_t q = p; q < end;) {
    const bool pair = PairAt(t, layout->length, q) && q + 1 < end;
    const uint32_t c = pair ? CodePointAt(t, q) : t[q];
    const int chosen = ChooseFallback(*context, original.slot, font, c);
    TextRun run = original;
    run.start = q;
    run.length = pair ? 2 : 1;
    run.trailing = 0;
    run.fontOverride = chosen == font ? -1 : chosen;
    run.width = run.height = run.lineHeight = 0;
    q += run.length;
    if (q >= end) {
      run.length += original.trailing;
      run.trailing = original.trailing;
    }
    if (!layout->AppendRun(run)) return;
    ++layout->fallbackCount;
  }
}

void ApplyFallbackFonts(TextLayout* layout, TextContext* context) {
  if (!context->object) return;
  const uint32_t original = layout->RunCount();
  const WCHAR* t = layout->text;
  for (uint32_t r = 0; r < original; ++r) {
    const TextRun run = layout->Runs()[r];
    const int font = context->object->fontIndex[run.slot];
    const uint32_t end = run.start + run.length - run.trailing;
    for (uint32_t p = run.start; p < end;) {
      const bool pair = PairAt(t, layout->length, p) && p + 1 < end;
      if (run.direction == kDirectionSupplementary && IsSpace(t[p])) break;
      const uint32_t c = pair ? CodePointAt(t, p) : t[p];
      if (!HasGlyph(run.slot, font, c)) {
        SplitRunForFallback(layout, context, r, p);
        break;
      }
      p += pair ? 2 : 1;
    }
  }
}

bool BuildTextRuns(TextLayout* layout, TextContext* context) {
  for (uint32_t s = 0; s < layout->length;) {
    TextRun run = SplitTextRun(*layout, *context, s);
    if (!layout->AppendRun(run)) return false;
    layout->slotMask |= 1u << run.slot;
    s += run.length;
  }
  ApplyFallbackFonts(layout, context);
  if (layout->fallbackCount) layout->SortRuns();
  return true;
}

}  // namespace Present::Text

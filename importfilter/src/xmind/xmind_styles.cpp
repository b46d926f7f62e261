#include "xmind/xmind_styles.h"

#include <foliant/common/xml_walk.h>

#include "xmind/xmind_values.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

// The style properties XMind writes that the importer reads.
constexpr std::u16string_view kStyleNames[] = {
    u"angle",           u"arrow-begin-class",   u"arrow-end-class",
    u"background",      u"fo:background-color", u"fo:color",
    u"svg:fill",        u"fo:text-decoration",  u"fo:font-family",
    u"fo:font-size",    u"fo:font-style",       u"fo:font-weight",
    u"svg:height",      u"line-class",          u"line-color",
    u"line-corner",     u"line-pattern",        u"line-tapered",
    u"line-width",      u"fo:margin-bottom",    u"fo:margin-left",
    u"fo:margin-right", u"fo:margin-top",       u"multi-line-colors",
    u"svg:opacity",     u"shape-class",         u"shape-corner",
    u"spacing-major",   u"spacing-minor",       u"fo:text-align",
    u"fo:text-bullet",  u"svg:width",           u"svg:x",
    u"svg:y",
};

// The kept name an attribute name stands for, without regard to ASCII case; empty for
// one the importer does not read.
std::u16string_view KeptName(LPCWSTR name) {
  if (!name) return {};
  const std::u16string_view given(name);
  for (std::u16string_view kept : kStyleNames)
    if (EqualsNoCase(given, kept)) return kept;
  return {};
}

void ReadProperties(IKX2XMLElement* element, StyleMap& into) {
  const LONG count = element->GetAttributeCount();
  for (LONG i = 0; i < count; ++i) {
    LPCWSTR name = element->GetAttributeName(i);
    const std::u16string_view kept = KeptName(name);
    if (kept.empty()) continue;
    LPCWSTR value = element->GetAttribute(name);
    auto it = into.find(kept);
    if (it == into.end()) it = into.emplace(std::u16string(kept), std::u16string()).first;
    it->second = value ? value : u"";
  }
}

// A mapped style value of a category, when the style names one the mapper knows.
bool Mapped(const TqResourceMapper& mapper, int category, const StyleMap& style, const char16_t* name, LONG* value) {
  const std::u16string* text = StyleValue(style, name);
  TqMapRecord record{};
  if (!text || !mapper.Find(category, text->c_str(), &record)) return false;
  *value = record.value;
  return true;
}

bool NonEmpty(const std::u16string* text) { return text && !text->empty(); }

}  // namespace

void ReadStyles(IKX2XMLElement* styles, std::unordered_map<std::u16string, StyleRecord>& table) {
  ForEachChildElement(styles, [&](IKX2XMLElement* style) {
    if (!TagIs(style, u"style")) return true;
    StyleRecord record;
    record.element = kx2::Ref<IKX2XMLElement>::Share(style);
    table[AttributeText(style, u"id")] = std::move(record);
    return true;
  });
}

const StyleMap* FindStyle(const ImportState& state, const std::u16string& id,
                          std::initializer_list<const char16_t*> families) {
  if (id.empty()) return nullptr;
  auto it = state.styles.find(id);
  if (it == state.styles.end()) return nullptr;
  StyleRecord& style = it->second;
  if (!style.read) {
    if (IKX2XMLElement* element = style.element.get()) {
      style.family = AttributeText(element, u"type");
      ForEachChildElement(element, [&](IKX2XMLElement* properties) {
        ReadProperties(properties, style.properties);
        return true;
      });
    }
    style.element.reset();
    style.read = true;
  }
  if (families.size() == 0) return &style.properties;
  for (const char16_t* family : families)
    if (EqualsNoCase(style.family, family)) return &style.properties;
  return nullptr;
}

const std::u16string* StyleValue(const StyleMap& style, std::u16string_view name) {
  auto it = style.find(name);
  return it == style.end() ? nullptr : &it->second;
}

bool FillLineAndFill(IVtlObject* format, const StyleMap& style, const TqResourceMapper& mapper,
                     const char16_t* defaultPattern, LineAndFillParts parts) {
  if (!format) return false;
  bool changed = false;
  const std::u16string* fill = parts != LineAndFillParts::kLine ? StyleValue(style, u"svg:fill") : nullptr;
  if (NonEmpty(fill)) {
    ObjectRef sub(format->GetSubObject(kPropSubFill));
    if (EqualsNoCase(*fill, u"none")) {
      changed |= SetNumber(sub.get(), kPropSubLine, kPropEnum, 0);
    } else if (auto color = ColorFromText(*fill)) {
      changed |= SetColor(sub.get(), kPropSubFill, *color);
      changed |= SetNumber(sub.get(), kPropSubLine, kPropEnum, 1);
    }
  }
  if (parts == LineAndFillParts::kFill) return changed;
  const std::u16string* color = StyleValue(style, u"line-color");
  const std::u16string* width = StyleValue(style, u"line-width");
  LONG pattern = 0;
  bool hasPattern = Mapped(mapper, TqResourceMapper::kLinePattern, style, u"line-pattern", &pattern);
  if (!hasPattern && defaultPattern) {
    TqMapRecord record{};
    hasPattern = mapper.Find(TqResourceMapper::kLinePattern, defaultPattern, &record) != 0;
    pattern = record.value;
  }
  std::optional<DWORD> lineColor = NonEmpty(color) ? ColorFromText(*color) : std::nullopt;
  if (!lineColor && !NonEmpty(width) && !hasPattern) return changed;
  ObjectRef line(format->GetSubObject(kPropSubLine));
  if (!line) return changed;
  if (lineColor) {
    ObjectRef holder(line->GetSubObject(kPropSubLine));
    changed |= SetColor(holder.get(), kPropSubFill, *lineColor);
  }
  if (NonEmpty(width)) changed |= SetNumber(line.get(), kPropSubFill, kPropInt, LengthFromText(*width));
  if (hasPattern) changed |= SetNumber(line.get(), 0x7003, kPropEnum, pattern);
  return changed;
}

void ApplyLineAndFill(IVtlModel* model, IVtlObject* target, LONG index, const StyleMap& style,
                      const TqResourceMapper& mapper, const char16_t* defaultPattern, LineAndFillParts parts) {
  ObjectRef format = NewObject(kClassPictureFormat);
  if (!model || !target || !format) return;
  model->GetFormat(target, format.get(), index);
  if (FillLineAndFill(format.get(), style, mapper, defaultPattern, parts))
    model->SetFormat(0, target, format.get(), index);
}

void ApplyNodeStyle(IVtlModel* model, IVtlObject* node, const StyleMap& style, const TqResourceMapper& mapper) {
  // Most topics have no style of their own: nothing to make.
  if (!model || !node || style.empty()) return;
  ObjectRef format = NewObject(kClassFormat);
  bool changed = false;
  LONG value = 0;
  if (format && Mapped(mapper, TqResourceMapper::kTopicShape, style, u"shape-class", &value))
    changed |= SetNumber(format.get(), 0x4007, kPropEnum, value);
  if (format && Mapped(mapper, TqResourceMapper::kBranchLine, style, u"line-class", &value))
    changed |= SetNumber(format.get(), 0x4009, kPropEnum, value);
  if (changed) {
    ObjectRef target(node->GetTarget(0));
    if (target) model->ApplyFormat(0, target.get(), format.get());
  }
  // The topic's own fill, and its branch line to the parent.
  if (StyleValue(style, u"svg:fill"))
    ApplyLineAndFill(model, node, -1, style, mapper, nullptr, LineAndFillParts::kFill);
  if (StyleValue(style, u"line-color") || StyleValue(style, u"line-width") || StyleValue(style, u"line-pattern"))
    ApplyLineAndFill(model, node, 1, style, mapper, nullptr, LineAndFillParts::kLine);
}

bool ApplyTextStyle(IVtlModel* model, const StyleMap& style) {
  if (!model) return false;
  kx2::Ref<IVtlStyleTarget> styles(model->GetTextStyleList());
  ObjectRef text = NewObject(kClassTextStyle);
  if (!styles || !text) return false;
  ObjectRef base(styles->GetStyle(0));
  if (base) text->InitFrom(base.get());
  if (const std::u16string* family = StyleValue(style, u"fo:font-family"); NonEmpty(family)) {
    SetText(text.get(), kPropTextFace, *family);
    SetText(text.get(), kPropTextFaceAlt, *family);
  }
  if (const std::u16string* size = StyleValue(style, u"fo:font-size"); NonEmpty(size))
    SetNumber(text.get(), kPropTextSize, kPropInt, LengthFromText(*size));
  if (const std::u16string* weight = StyleValue(style, u"fo:font-weight"); weight && *weight == u"bold")
    SetNumber(text.get(), kPropTextBold, kPropEnum, 1);
  if (const std::u16string* slant = StyleValue(style, u"fo:font-style"); slant && *slant == u"italic")
    SetNumber(text.get(), kPropTextItalic, kPropEnum, 1);
  if (const std::u16string* decoration = StyleValue(style, u"fo:text-decoration")) {
    size_t start = 0;
    while (start <= decoration->size()) {
      size_t end = decoration->find(u' ', start);
      if (end == std::u16string::npos) end = decoration->size();
      const std::u16string_view word = std::u16string_view(*decoration).substr(start, end - start);
      if (word == u"underline") SetNumber(text.get(), kPropTextUnderline, kPropEnum, 1);
      if (word == u"line-through") SetNumber(text.get(), kPropTextStrike, kPropEnum, 1);
      start = end + 1;
    }
  }
  if (const std::u16string* color = StyleValue(style, u"fo:color"); NonEmpty(color))
    if (auto argb = ColorFromText(*color)) SetColor(text.get(), kPropTextColor, *argb);
  return styles->ApplyStyle(text.get()) != FALSE;
}

bool ApplyParagraphAlignment(IVtlModel* model, const StyleMap& style) {
  if (!model) return false;
  kx2::Ref<IVtlStyleTarget> target(model->GetParagraphStyleTarget());
  ObjectRef paragraph = NewObject(kClassParagraphStyle);
  if (!target || !paragraph) return false;
  const std::u16string* align = StyleValue(style, u"fo:text-align");
  const LONG alignment = align && *align == u"center" ? 3 : align && *align == u"right" ? 2 : 1;
  SetNumber(paragraph.get(), kPropParagraphAlign, kPropEnum, alignment);
  return target->ApplyStyle(paragraph.get()) != FALSE;
}

}  // namespace foliant::xmind

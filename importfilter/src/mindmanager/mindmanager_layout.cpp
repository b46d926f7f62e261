// A topic's layout elements: folding, distances, growth and alignment, connection styles,
// shape and margins, text and image position, colours, position, callout shape, and the
// numbering of its sub-topics.
#include "mindmanager/mindmanager_reader.h"

#include <algorithm>

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

using namespace vantorel;

// Format properties of the layout (class 538).
enum : USHORT {
  kPropWidth = 0x4001,
  kPropHeight = 0x4002,
  kPropMarginLeft = 0x4003,
  kPropShape = 0x4007,
  kPropLineShape = 0x4009,
  kPropConnectionPoint = 0x400e,
  kPropDistanceFromParent = 0x4015,
  kPropDistanceBetweenSiblings = 0x4016,
  kPropHorizontalAlignment = 0x4018,
  kPropVerticalAlignment = 0x4019,
};

// Sets kind 1 (colour given), the colour and its transparency on a fill or line record.
bool SetColorRecord(IVtlObject* record, DWORD argb) {
  if (!record) return false;
  record->AddRef();
  PropertyHolder holder(record);
  return holder.SetPropertyValue(kPropSubLine, kPropEnum, 1) &&
         holder.SetPropertyValue(kPropSubFill, kPropWide, ColorWord(argb), foliant::kHostColorSecondWord) &&
         holder.SetPropertyValue(kPropSubTransparency, kPropShort, static_cast<DWORD>(TransparencyOf(argb)));
}

// The colour holder of a line-and-fill format's line (its line record, 0x7000 twice).
kx2::Ref<IVtlObject> LineColorHolder(IVtlObject* format) {
  kx2::Ref<IVtlObject> line(format->GetSubObject(kPropSubLine));
  return kx2::Ref<IVtlObject>(line ? line->GetSubObject(kPropSubLine) : nullptr);
}

bool SetLineColor(IVtlObject* const lines[2], DWORD argb) {
  for (int i = 0; i < 2; ++i)
    if (!SetColorRecord(LineColorHolder(lines[i]).get(), argb)) return false;
  return true;
}

}  // namespace

bool MindManagerReader::ApplyLayout(ImportBase& context, IKX2XMLElement* element, int kind, IVtlObject* topic,
                                    IVtlObject* format, IVtlObject* const lines[2], TopicRecord& record) {
  format->AddRef();
  PropertyHolder holder(format);
  const TopicRecord inherited = record;
  record.shapeGiven = false;
  bool styleSet = false, colorSet = false;

  // A "urn:mindjet:" value through a vocabulary of the mapper; unknown values set nothing.
  auto mapped = [&](std::initializer_list<int> vocabularies, LPCWSTR text, LONG* value) {
    TqMapRecord found{};
    for (int vocabulary : vocabularies)
      if (text && mapper_.Find(vocabulary, text, &found)) {
        *value = found.value;
        return true;
      }
    return false;
  };
  auto setMapped = [&](std::initializer_list<int> vocabularies, LPCWSTR text, USHORT id) {
    LONG value = 0;
    return !mapped(vocabularies, text, &value) || holder.SetPropertyValue(id, kPropEnum, static_cast<DWORD>(value));
  };
  auto setLength = [&](IKX2XMLElement* from, LPCWSTR name, USHORT id) {
    auto length = LengthAttribute(from, name);
    return !length || holder.SetPropertyValue(id, kPropInt, static_cast<DWORD>(*length));
  };

  const bool laidOut = foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
    using foliant::TagIsNoCase;
    if (TagIsNoCase(child, u"ap:TopicViewGroup")) {
      bool collapsed = false;
      return !context.GetChildAttributeBool(child, u"ap:Collapsed", u"Collapsed", &collapsed) || !collapsed ||
             holder.SetPropertyValue(kPropFormatCollapsed, kPropEnum, 1);
    }
    if (TagIsNoCase(child, u"ap:SubTopicsShape")) {
      if (!setLength(child, u"DistanceFromParent", kPropDistanceFromParent) ||
          !setLength(child, u"DistanceBetweenSiblings", kPropDistanceBetweenSiblings))
        return false;
      LPCWSTR growth = child->GetAttribute(u"SubTopicsGrowth");
      const bool vertical = growth && std::u16string_view(growth) == u"urn:mindjet:Vertical";
      if (growth) {
        LPCWSTR alignment = child->GetAttribute(vertical ? u"SubTopicsVerticalAlignment" : u"SubTopicsAlignment");
        LPCWSTR direction =
            child->GetAttribute(vertical ? u"SubTopicsVerticalGrowthDirection" : u"SubTopicsGrowthDirection");
        if (alignment && direction) {
          const std::u16string layout = std::u16string(growth) + u"/" + alignment + u"/" + direction;
          if (!setMapped({TqResourceMapper::kLayout}, layout.c_str(), kPropFormatStructure)) return false;
        }
      }
      // Both styles are branch line shapes; MindManager writes both on every layout, and
      // the vertical one counts only where the sub-topics grow vertically.
      LONG style = 0;
      bool haveStyle =
          mapped({TqResourceMapper::kBranchLine}, child->GetAttribute(u"SubTopicsConnectionStyle"), &style);
      if (vertical)
        haveStyle =
            mapped({TqResourceMapper::kBranchLine}, child->GetAttribute(u"VerticalSubTopicsConnectionStyle"), &style) ||
            haveStyle;
      if (haveStyle) {
        if (!holder.SetPropertyValue(kPropLineShape, kPropEnum, static_cast<DWORD>(style))) return false;
        styleSet = true;
        record.hasLineStyle = true;
        record.lineStyle = style;
      }
      return setMapped({TqResourceMapper::kAlignment}, child->GetAttribute(u"SubTopicsConnectionPoint"),
                       kPropConnectionPoint) &&
             setMapped({TqResourceMapper::kAlignment}, child->GetAttribute(u"SubTopicsTreeConnectionPoint"),
                       kPropConnectionPoint);
    }
    if (TagIsNoCase(child, u"ap:SubTopicShape")) {
      LPCWSTR shape = child->GetAttribute(u"SubTopicShape");
      if (!setMapped({TqResourceMapper::kTopicShape}, shape, kPropShape)) return false;
      const std::u16string_view name = shape ? shape : u"";
      if ((name == u"urn:mindjet:Circle" || name == u"urn:mindjet:Image") &&
          (!setLength(child, u"Width", kPropWidth) || !setLength(child, u"Height", kPropHeight)))
        return false;
      const char16_t* margins[] = {u"LeftMargin", u"RightMargin", u"TopMargin", u"BottomMargin"};
      for (USHORT i = 0; i < 4; ++i)
        if (!setLength(child, margins[i], static_cast<USHORT>(kPropMarginLeft + i))) return false;
      return true;
    }
    if (TagIsNoCase(child, u"ap:TopicLayout")) {
      // Positions read Left (Top) 0, Center 1, Right (Bottom) 2.
      return setMapped({TqResourceMapper::kTextImagePosition}, child->GetAttribute(u"TopicTextAndImagePosition"),
                       kPropFormatImagePlacement) &&
             setMapped({TqResourceMapper::kTextImagePosition, TqResourceMapper::kAlignment},
                       child->GetAttribute(u"TopicLayoutHorizontalAlignment"), kPropHorizontalAlignment) &&
             setMapped({TqResourceMapper::kTextImagePosition, TqResourceMapper::kAlignment},
                       child->GetAttribute(u"TopicLayoutVerticalAlignment"), kPropVerticalAlignment) &&
             setLength(child, u"Width", kPropWidth);
    }
    if (TagIsNoCase(child, u"ap:Color")) {
      if (LPCWSTR fill = child->GetAttribute(u"FillColor"))
        if (auto argb = ParseArgbColor(fill))
          for (int i = 0; i < 2; ++i)
            if (!SetColorRecord(kx2::Ref<IVtlObject>(lines[i]->GetSubObject(kPropSubFill)).get(), *argb)) return false;
      if (LPCWSTR line = child->GetAttribute(u"LineColor"))
        if (auto argb = ParseArgbColor(line)) {
          if (!SetLineColor(lines, *argb)) return false;
          colorSet = true;
          record.noLineColor = false;
          record.lineColor[0] = ColorWord(*argb);
          record.lineColor[1] = foliant::kHostColorSecondWord;
        }
      return true;
    }
    if (TagIsNoCase(child, u"ap:Offset"))
      return setLength(child, u"CX", kPropFormatPositionX) && setLength(child, u"CY", kPropFormatPositionY);
    if (TagIsNoCase(child, u"ap:CalloutFloatingTopicShape")) {
      if (kind < kTopicFloating) return true;
      return setMapped({TqResourceMapper::kCalloutShape}, child->GetAttribute(u"CalloutFloatingTopicShape"),
                       kPropShape);
    }
    if (TagIsNoCase(child, u"cor:Custom")) return ApplyNumbering(child, topic, format);
    return true;
  });
  if (!laidOut) return false;

  // What the topic does not give itself, it takes from its parent's line settings.
  if (inherited.shapeGiven) return true;
  if (!styleSet && inherited.hasLineStyle &&
      !holder.SetPropertyValue(kPropLineShape, kPropEnum, static_cast<DWORD>(inherited.lineStyle)))
    return false;
  if (!colorSet && !inherited.noLineColor) {
    for (int i = 0; i < 2; ++i) {
      kx2::Ref<IVtlObject> color(LineColorHolder(lines[i]));
      if (!color) return false;
      color->AddRef();
      PropertyHolder line(color.get());
      if (!line.SetPropertyValue(kPropSubLine, kPropEnum, 1) ||
          !line.SetPropertyValue(kPropSubFill, kPropWide, inherited.lineColor[0], inherited.lineColor[1]))
        return false;
    }
  }
  return true;
}

// "cor:Custom" with "cst0:Depth" or "cst0:Numbering": the numbering of the sub-topics.
// Other custom elements (MindManager keeps add-in data in them) are no numbering.
bool MindManagerReader::ApplyNumbering(IKX2XMLElement* custom, IVtlObject* topic, IVtlObject* format) {
  LPCWSTR depthText = custom->GetAttribute(u"cst0:Depth");
  LPCWSTR numbering = custom->GetAttribute(u"cst0:Numbering");
  if (!depthText && !numbering) return true;
  format->AddRef();
  PropertyHolder holder(format);
  const LONG depth = std::clamp(depthText ? _wtoi(depthText) : 0, 0, 9);
  GUID owner{};
  if (!topic->GetGuid(&owner) || !holder.SetPropertyValue(kPropFormatNumbering, kPropEnum, 1) ||
      !holder.SetPropertyValue(kPropFormatNumberingDepth, kPropEnum, static_cast<DWORD>(depth)) ||
      !holder.SetPropertyGuid(kPropFormatNumberingOwner, owner))
    return false;

  // Five styles written "1*A*a*I*i"; anything shorter leaves every level unset.
  const std::u16string_view pattern = numbering ? numbering : u"";
  if (pattern.size() < 9) return true;
  LONG styles[5];
  for (int i = 0; i < 5; ++i) {
    if (i < 4 && pattern[2 * i + 1] != u'*') return true;
    auto style = numberStyles_.find(pattern[2 * i]);
    styles[i] = style == numberStyles_.end() ? 0 : style->second;
  }
  std::u16string separators;
  if (LPCWSTR text = custom->GetAttribute(u"cst0:Separators"))
    for (const char16_t* c = text; *c; ++c)
      if (*c != u'*') separators += *c == u'_' ? u' ' : *c;

  PropertyHolder levels(format->GetObject(kClassNumbering, kClassNumbering));
  if (!levels) return false;
  for (LONG i = 0; i < std::min<LONG>(depth, 5); ++i) {
    std::u16string text;
    const std::u16string levelName = u"cst0:Level" + std::u16string(1, static_cast<char16_t>(u'1' + i)) + u"Text";
    if (LPCWSTR prefix = custom->GetAttribute(levelName.c_str())) text = std::u16string(prefix) + u" ";
    text += u'#';
    text += static_cast<char16_t>(u'1' + i);
    if (static_cast<size_t>(i) < separators.size()) text += separators[static_cast<size_t>(i)];
    if (!levels.SetPropertyValue(static_cast<USHORT>(0x405a + i), kPropEnum, static_cast<DWORD>(styles[i])) ||
        !levels.SetPropertyString(static_cast<USHORT>(0x4050 + i), text.c_str()))
      return false;
  }
  return true;
}

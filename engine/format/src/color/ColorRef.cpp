// Colour references: assignment, release and their record and XML forms.
#include <plastrum/format/ColorRef.h>

#include <algorithm>

#include <plastrum/format/PresentColor.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/XmlConventions.h>
#include <plastrum/Kx2Archive.h>

namespace Present {

const char16_t* const kSchemeColorNames[kSchemeColorCount] = {
    u"dk1",     u"lt1",     u"dk2",     u"lt2",     u"accent1", u"accent2",
    u"accent3", u"accent4", u"accent5", u"accent6", u"hlink",   u"folHlink",
};

int SchemeColorIndex(const char16_t* name) {
  if (!name) return -1;
  for (int i = 0; i < kSchemeColorCount; ++i) {
    const char16_t* a = kSchemeColorNames[i];
    const char16_t* b = name;
    while (*a && *a == *b) ++a, ++b;
    if (*a == 0 && *b == 0) return i;
  }
  return -1;
}

}  // namespace Present

namespace {

constexpr int32_t kColorCode = Present::kKindColor;

IKx2ShapeMapperCtx* ArchiveMapper(CKx2DataBlock& archive) {
  auto* mapper = static_cast<IKx2ShapeMapperCtx*>(archive.GetContext());
  return mapper ? mapper->GetMapper(1) : nullptr;
}

// A table identifier the mapper gave back, as the 16-bit field holds it: the mapper's
// failure mark (-1) becomes "no identifier", anything else outside 16 bits "none".
uint16_t MappedIn(IKx2ShapeMapperCtx* mapper, uint16_t fileId) {
  if (!mapper || fileId == 0) return fileId;
  const uint32_t id = mapper->MapIn(kColorCode, fileId);
  if (id == 0xFFFFFFFFu) return static_cast<uint16_t>(Present::kNoIdentifier);
  return id <= 0xFFFF ? static_cast<uint16_t>(id) : 0;
}

uint16_t MappedOut(IKx2ShapeMapperCtx* mapper, uint16_t tableId) {
  if (!mapper || tableId == 0) return tableId;
  const int32_t id = mapper->MapOut(kColorCode, tableId);
  return id >= 0 && id <= 0xFFFF ? static_cast<uint16_t>(id) : 0;
}

uint32_t SecondWord(uint8_t kind, uint8_t opacity, uint16_t id) {
  return static_cast<uint32_t>(kind) << 24 | static_cast<uint32_t>(opacity) << 16 | id;
}

}  // namespace

void PresentColorRef::Assign(uint32_t value_, uint32_t second) {
  value = value_;
  colorId = static_cast<uint16_t>(second & 0xFFFF);
  opacity = static_cast<uint8_t>(second >> 16);
  kindFlags = static_cast<uint8_t>(second >> 24);
}

void PresentColorRef::Release() const { PresentColorTable().Release(colorId); }

int PresentColorRef::Exchange(CKx2DataBlock& archive) {
  if (archive.IsReading()) {
    const uint64_t item = archive.ReadU64();
    Assign(static_cast<uint32_t>(item), static_cast<uint32_t>(item >> 32));
    return 1;
  }
  return archive.WriteU64(static_cast<uint64_t>(Second()) << 32 | value) ? 1 : 0;
}

int PresentColorRef::ExchangeMapped(CKx2DataBlock& archive) {
  IKx2ShapeMapperCtx* mapper = ArchiveMapper(archive);
  if (archive.IsReading()) {
    const uint64_t item = archive.ReadU64();
    const uint32_t second = static_cast<uint32_t>(item >> 32);
    const uint16_t id = MappedIn(mapper, static_cast<uint16_t>(second & 0xFFFF));
    Assign(static_cast<uint32_t>(item), (second & 0xFFFF0000u) | id);
    return 1;
  }
  const uint32_t second = (Second() & 0xFFFF0000u) | MappedOut(mapper, colorId);
  return archive.WriteU64(static_cast<uint64_t>(second) << 32 | value) ? 1 : 0;
}

int PresentColorRef::ExchangeXml(ShapeXmlArchive& archive, const char16_t* wrapperName) {
  using namespace Present::ShapeXml;
  IKx2ShapeMapperCtx* mapper = archive.Mapper();
  if (!archive.IsReading()) {
    // The colour element, or null for a kind without an XML form.
    const char16_t* elementName = nullptr;
    const uint32_t second = Second();
    if (value == 0 && second == Present::kColorNone)
      elementName = u"m:noneClr";
    else if (value == 0 && second == Present::kColorAuto)
      elementName = u"m:autoClr";
    else if (value == 0 && second == Present::kColorDontCare)
      elementName = u"m:dontcareClr";
    else if (Kind() == Present::kColorScheme && (value & 0xFF) < Present::kSchemeColorCount)
      elementName = u"m:schemeClr";
    else if (Kind() == Present::kColorRgb)
      elementName = u"m:srgbClr";

    IKX2XMLElement* wrapper = nullptr;
    if (wrapperName) {
      wrapper = CreateElement(archive, wrapperName);
      if (!wrapper) return 0;
    }
    IKX2XMLElement* element = elementName ? CreateElement(archive, elementName) : nullptr;
    if (element && !IsSpecial()) {
      char16_t text[32];
      if (Kind() == Present::kColorScheme) {
        element->SetAttribute(u"m:val", Present::kSchemeColorNames[value & 0xFF]);
        FormatInt(text, static_cast<int16_t>(value >> 8));
        SetAttribute(archive, element, u"m:tint", text);
      } else {
        const uint32_t rgb = ((value >> 16) & 0xFF) + ((value >> 8) & 0xFF) * 256 + (value & 0xFF) * 65536;
        FormatInt(text, rgb);
        element->SetAttribute(u"m:val", text);
      }
      FormatInt(text, opacity);
      SetAttribute(archive, element, u"m:opacity", text);
      FormatInt(text, MappedOut(mapper, colorId));
      SetAttribute(archive, element, u"m:effectShapeID", text);
    }
    if (wrapper) {
      if (element) {
        wrapper->AppendChild(element);
        element->Release();
      }
      AppendToCurrent(archive, wrapper);
    } else if (element) {
      AppendToCurrent(archive, element);
    }
    return 1;
  }

  Present::XmlRef<IKX2XMLElement> holder;
  IKX2XMLElement* parent = archive.current;
  if (wrapperName) {
    holder.reset(Present::XmlChildElement(archive.current, wrapperName));
    parent = holder.get();
  }
  uint32_t newValue = 0, newSecond = 0;
  static const char16_t* const kElements[] = {u"m:schemeClr", u"m:srgbClr", u"m:noneClr", u"m:autoClr",
                                              u"m:dontcareClr"};
  for (int which = 0; parent && which < 5; ++which) {
    Present::XmlRef<IKX2XMLElement> element(Present::XmlChildElement(parent, kElements[which]));
    if (!element) continue;
    if (which >= 2) {
      const uint32_t specials[] = {Present::kColorNone, Present::kColorAuto, Present::kColorDontCare};
      newSecond = specials[which - 2];
      break;
    }
    const char16_t* opacityText = element->GetAttribute(u"m:opacity");
    const auto readOpacity =
        static_cast<uint8_t>(opacityText ? std::clamp<int64_t>(ParseInteger(opacityText), 0, 255) : 255);
    const auto readId =
        static_cast<uint16_t>(std::clamp<int64_t>(ParseInteger(element->GetAttribute(u"m:effectShapeID")), 0, 0xFFFF));
    const uint16_t id = MappedIn(mapper, readId);
    if (which == 0) {
      const int index = std::max(0, Present::SchemeColorIndex(element->GetAttribute(u"m:val")));
      const int16_t tint = Saturate<int16_t>(ParseInteger(element->GetAttribute(u"m:tint")));
      newValue = static_cast<uint32_t>(static_cast<int32_t>(tint) * 256) + static_cast<uint32_t>(index);
      newSecond = SecondWord(Present::kColorScheme, readOpacity, id);
    } else {
      const auto c = static_cast<uint32_t>(ParseInteger(element->GetAttribute(u"m:val")));
      newValue = static_cast<uint32_t>(readOpacity) << 24 | (c & 255) << 16 | ((c >> 8) & 255) << 8 | ((c >> 16) & 255);
      newSecond = SecondWord(Present::kColorRgb, readOpacity, id);
    }
    break;
  }
  Assign(newValue, newSecond);
  return 1;
}

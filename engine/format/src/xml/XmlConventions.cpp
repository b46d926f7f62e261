// Element placement and attribute access of the shape-format XML.
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/ShapeMapper.h>

IKx2ShapeMapperCtx* ShapeXmlArchive::Mapper() const { return mapper ? mapper->GetMapper(1) : nullptr; }

namespace Present::ShapeXml {

IKX2XMLElement* CreateElement(const ShapeXmlArchive& archive, const char16_t* name) {
  if (!archive.factory || !name) return nullptr;
  return archive.NamespaceInForce() ? archive.factory->CreateElementNS(u"", name)
                                    : archive.factory->CreateElement(name);
}

IKX2XMLElement* BeginValueElement(const ShapeXmlArchive& archive, const char16_t* name, int32_t index) {
  IKX2XMLElement* element = CreateElement(archive, name);
  if (!element) return nullptr;
  char16_t text[16];
  FormatInt(text, index);
  SetAttribute(archive, element, u"m:id", text);
  return element;
}

void AppendToCurrent(const ShapeXmlArchive& archive, IKX2XMLElement* element) {
  if (!element) return;
  if (archive.current) archive.current->AppendChild(element);
  element->Release();
}

IKX2XMLElement* FindValueElement(const ShapeXmlArchive& archive, const char16_t* name, int32_t index) {
  return XmlChildElement(archive.current, name, index);
}

void SetAttribute(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name, const char16_t* text) {
  if (!element) return;
  if (archive.NamespaceInForce())
    element->SetAttributeNS(u"", name, text);
  else
    element->SetAttribute(name, text);
}

const char16_t* GetVocabularyAttribute(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name) {
  if (!element) return nullptr;
  return archive.NamespaceInForce() ? element->GetAttributeNS(u"", name) : element->GetAttribute(name);
}

void WriteVocabulary(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name,
                     const VocabularyTable& table, uint8_t value) {
  SetAttribute(archive, element, name, table.ToName(value));
}

uint8_t ReadVocabulary(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name,
                       const VocabularyTable& table, uint8_t fallback) {
  const uint8_t value = table.FromName(GetVocabularyAttribute(archive, element, name));
  return value == VocabularyTable::kUnknown ? fallback : value;
}

}  // namespace Present::ShapeXml

// Arbitrary bytes as the mapping XML of a document: parsed by the host's XML parser, the
// counters element, the nine list elements and the shapes are read through the per-document
// mapper. Whatever the document, every loop ends with the elements present, and once the
// shapes and the mapper are gone every table holds only its fixed entries.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeFileMapper.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/format/XmlConventions.h>
#include <basalt/error.h>
#include <vantorel/testkit_mapper.h>
#include <vantorel/testkit_xml.h>

namespace {

vantorel::testkit::OuterMapperKit* g_outer = nullptr;
CPresentEngine* g_engine = nullptr;

template <class Table>
bool OnlyFixedEntries(Table& table) {
  for (int32_t i = table.GetFixedCount(); i < table.GetCount(); ++i)
    if (table[i].refCount > 0) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_outer = new vantorel::testkit::OuterMapperKit();
  g_engine = Present::CreatePresentEngineObject();
  if (Present::StartShapeTables() != 0) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  IKX2XMLElement* root = vantorel::testkit::XmlKit::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!root) return 0;
  IKx2SubShapeMapperCtx* mapper = g_engine->NewShapeMapper(g_outer->mapper());
  {
    ShapeXmlArchive archive;
    archive.mode = 1;
    archive.current = root;
    archive.mapper = mapper;
    archive.nsHandle = size > 0 && (data[size - 1] & 1) ? &archive : nullptr;
    archive.nsText = u"m";
    mapper->ExchangeCountsXml(&archive);
    mapper->ExchangeListsXml(&archive, nullptr);
    std::unique_ptr<CPresentShape> shapes[16];
    for (int i = 0; i < 16; ++i) {
      shapes[i] = std::make_unique<CPresentShape>();
      shapes[i]->ExchangeXml(&archive, i);
    }
  }
  g_engine->FreeShapeMapper(mapper);
  root->Release();
  Basalt::Error::BaseError::_ClearError();
  const bool empty = OnlyFixedEntries(PresentGradientTable()) && OnlyFixedEntries(PresentTextureTable()) &&
                     OnlyFixedEntries(PresentHatchTable()) && OnlyFixedEntries(PresentFillTable()) &&
                     OnlyFixedEntries(PresentLineTable()) && OnlyFixedEntries(PresentShadowTable()) &&
                     OnlyFixedEntries(PresentPictureTable()) && OnlyFixedEntries(Present3DFormatTable()) &&
                     OnlyFixedEntries(PresentShapeTable()) && OnlyFixedEntries(PresentColorTable());
  if (!empty) __builtin_trap();
  return 0;
}

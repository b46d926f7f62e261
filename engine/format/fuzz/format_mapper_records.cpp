// Arbitrary bytes as a document's stored shape formats: the mapper's 13 counters and value
// lists, then shapes in their mapped and value forms. Whatever the bytes, the reads stay
// inside their records, the loops end with the data, and once the shapes and the mapper are
// gone every table holds only its fixed entries and the store's references balance.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeFileMapper.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>
#include <basalt/error.h>
#include <vantorel/testkit_bindata.h>
#include <vantorel/testkit_mapper.h>

namespace {

struct World {
  std::unique_ptr<vantorel::testkit::BinDataKit> store;
  vantorel::testkit::OuterMapperKit outer;
  CPresentEngine* engine = nullptr;
};
World* g_world = nullptr;

template <class Table>
bool OnlyFixedEntries(Table& table) {
  for (int32_t i = table.GetFixedCount(); i < table.GetCount(); ++i)
    if (table[i].refCount > 0) return false;
  return true;
}

void CheckTablesEmpty() {
  const bool empty = OnlyFixedEntries(PresentGradientTable()) && OnlyFixedEntries(PresentTextureTable()) &&
                     OnlyFixedEntries(PresentHatchTable()) && OnlyFixedEntries(PresentFillTable()) &&
                     OnlyFixedEntries(PresentLineTable()) && OnlyFixedEntries(PresentShadowTable()) &&
                     OnlyFixedEntries(PresentPictureTable()) && OnlyFixedEntries(Present3DFormatTable()) &&
                     OnlyFixedEntries(PresentShapeTable()) && OnlyFixedEntries(PresentColorTable());
  if (!empty || g_world->store->TotalReferences() != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_world = new World();
  g_world->engine = Present::CreatePresentEngineObject();
  if (Present::StartShapeTables() != 0) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  // A store of its own per input: data read from the bytes stays within this run.
  g_world->store = std::make_unique<vantorel::testkit::BinDataKit>();
  g_world->engine->SetOption(reinterpret_cast<LONG_PTR>(g_world->store->store()));
  g_world->store->AddData({1, 2, 3});
  g_world->store->AddData({1, 2, 3});
  g_world->store->AddData({9});
  g_world->store->SetKeepsData(size > 0 && (data[0] & 1));
  void* copy = Kx2Heap::Allocate(size ? size : 1);
  if (size) std::memcpy(copy, data, size);
  {
    CKx2MemFile file(copy, static_cast<int32_t>(size));
    CKx2DataBlock archive;
    archive.Attach(&file, 0);
    IKx2SubShapeMapperCtx* mapper = g_world->engine->NewShapeMapper(g_world->outer.mapper());
    archive.SetContext(mapper);
    mapper->ExchangeCounts(&archive);
    mapper->ExchangeLists(&archive, nullptr);
    {
      std::unique_ptr<CPresentShape> shapes[16];
      for (int i = 0; i < 16; ++i) {
        const uint16_t tag = archive.PeekRecord();
        if (tag != CPresentShape::kRecordTag) break;
        shapes[i] = std::make_unique<CPresentShape>();
        if (i % 2) {
          shapes[i]->ArchiveValues(&archive);
        } else {
          shapes[i]->ArchiveIds(&archive);
        }
      }
      CPresentShapeCtx ctx;
      ctx.Archive(&archive);
    }
    g_world->engine->FreeShapeMapper(mapper);
    archive.Reset();
  }
  Basalt::Error::BaseError::_ClearError();
  CheckTablesEmpty();
  g_world->engine->SetOption(0);
  g_world->store.reset();
  return 0;
}

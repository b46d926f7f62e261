// What the shape-format model reaches through the engine: the module-wide engine pointer,
// the option that carries the binary-data store, the mapper and style-cache makers.
#include <plastrum/format/ArchiveStream.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentUnknown.h>

#include <gtest/gtest.h>

#include <vantorel/testkit_bindata.h>
#include <vantorel/testkit_mapper.h>

#include "format_test_support.h"

namespace {

IKx2ShapeMapperCtx* g_outerSeen = nullptr;
int g_mappersDestroyed = 0;
int g_cachesMade = 0, g_cachesDestroyed = 0;
StyleCache* const kFakeCache = reinterpret_cast<StyleCache*>(0x1000);

IKx2SubShapeMapperCtx* MakeMapper(IKx2ShapeMapperCtx* outer) {
  g_outerSeen = outer;
  return reinterpret_cast<IKx2SubShapeMapperCtx*>(outer);  // a stand-in pointer, never called
}
void DestroyMapper(IKx2SubShapeMapperCtx*) { ++g_mappersDestroyed; }
StyleCache* MakeCache() { return ++g_cachesMade, kFakeCache; }
void DestroyCache(StyleCache* cache) { g_cachesDestroyed += cache == kFakeCache; }

TEST(FormatEngine, TheEnginePointerLivesBetweenCreateAndDestroy) {
  EXPECT_EQ(Present::GetPresentEngine(), nullptr);
  EXPECT_EQ(Present::GetBinDataStore(), nullptr);
  Present::DestroyPresentEngineObject();  // nothing to destroy

  const auto registeredCache = Present::SetStyleCacheMaker({});
  CPresentEngine* engine = Present::CreatePresentEngineObject();
  Present::SetStyleCacheMaker(registeredCache);
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(Present::GetPresentEngine(), engine);
  EXPECT_EQ(Present::GetStyleCache(), nullptr);  // no cache maker registered
  EXPECT_EQ(Present::GetBinDataStore(), nullptr);

  vantorel::testkit::BinDataKit store;
  engine->SetOption(reinterpret_cast<LONG_PTR>(store.store()));
  EXPECT_EQ(Present::GetBinDataStore(), store.store());
  engine->SetOption(0);
  EXPECT_EQ(Present::GetBinDataStore(), nullptr);

  Present::DestroyPresentEngineObject();
  EXPECT_EQ(Present::GetPresentEngine(), nullptr);
  Present::DestroyPresentEngineObject();
}

TEST(FormatEngine, MappersAndTheStyleCacheComeFromTheirMakers) {
  CPresentEngine bare;
  vantorel::testkit::OuterMapperKit outer;
  const auto registeredMapper = Present::SetShapeMapperMaker({});
  EXPECT_EQ(bare.NewShapeMapper(outer.mapper()), nullptr);  // no maker: no mapper
  bare.FreeShapeMapper(nullptr);
  Present::SetShapeMapperMaker(registeredMapper);

  const auto previousMapper = Present::SetShapeMapperMaker({&MakeMapper, &DestroyMapper});
  const auto previousCache = Present::SetStyleCacheMaker({&MakeCache, &DestroyCache});
  {
    CPresentEngine engine;
    EXPECT_EQ(engine.GetPresentation().GetStyleCache(), kFakeCache);
    IKx2SubShapeMapperCtx* mapper = engine.NewShapeMapper(outer.mapper());
    EXPECT_EQ(g_outerSeen, outer.mapper());
    engine.FreeShapeMapper(mapper);
    engine.FreeShapeMapper(nullptr);
    EXPECT_EQ(g_mappersDestroyed, 1);
  }
  EXPECT_EQ(g_cachesMade, 1);
  EXPECT_EQ(g_cachesDestroyed, 1);
  Present::SetShapeMapperMaker(previousMapper);
  Present::SetStyleCacheMaker(previousCache);
}

TEST(FormatEngine, InterfacesAnswerNoInterfaceAndCountNothing) {
  struct Value : CPresentUnknown<IUnknown> {};
  Value value;
  void* out = &value;
  EXPECT_EQ(value.QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(value.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(value.AddRef(), 1u);
  EXPECT_EQ(value.Release(), 1u);
}

}  // namespace

namespace {

// The kit's store writes picture bytes into a record through the archive's stream and reads
// them back: equal data comes back as the identifier that holds it, with one more reference.
TEST(FormatEngine, BinaryDataTravelsThroughTheArchiveStream) {
  vantorel::testkit::BinDataKit kit;
  const uint16_t id = kit.AddData({7, 8, 9, 10, 11});
  Kx2::ValueBlock16 block{};
  uint32_t word = 0;
  const auto bytes = format_test::WriteArchive([&](CKx2DataBlock& ar) {
    ar.BeginRecord(998);
    ArchiveDataStream stream(ar);
    EXPECT_EQ(kit.store()->ExchangeData(&stream, id, &block, &word, TRUE), id);
    ar.EndRecord();
  });
  EXPECT_EQ(word, 5u);
  ASSERT_EQ(bytes.size(), 9u);

  format_test::ReadArchive reader(bytes);
  reader->OpenRecord(998);
  ArchiveDataStream stream(*reader);
  EXPECT_EQ(kit.store()->ExchangeData(&stream, 0, &block, &word, FALSE), id);
  EXPECT_EQ(kit.RefCount(id), 1);
  EXPECT_TRUE(kit.store()->ReleaseData(id));

  // Data shorter than its word describes is refused.
  format_test::ReadArchive shortReader(bytes);
  shortReader->OpenRecord(998);
  ArchiveDataStream shortStream(*shortReader);
  uint32_t longer = 6;
  EXPECT_EQ(kit.store()->ExchangeData(&shortStream, 0, &block, &longer, FALSE), 0u);
  EXPECT_EQ(kit.TotalReferences(), 0);
}

}  // namespace

// Property values kept by host model objects: deep copies of every type the modules use.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <unistd.h>
#include <string>
#include <utility>
#include <vector>

#include <kx2/PathMap.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

#include "core/bstr.h"
#include "model/property_copy.h"

namespace {

using vantorel::detail::AllocBstr;
using vantorel::detail::BstrLength;
using vantorel::detail::ClearOwnedValue;
using vantorel::testing::HostLeakCheck;

struct Holder {
  IVtlObject* object;
  explicit Holder(LONG cls) : object(VtlCreateObject(cls)) {}
  ~Holder() {
    if (object) object->Release();
  }
};

class HostProperties : public HostLeakCheck {};

TEST_F(HostProperties, ScalarTypesReadBackAsStored) {
  Holder h(vantorel::kClassFormat);
  ASSERT_TRUE(h.object);
  struct Case {
    WORD type;
    ULONGLONG payload;
  } cases[] = {{4, 0xFFFFFFFFull}, {6, 1}, {7, 750}, {9, 123456}, {11, 0x00FF0000FF336699ull}};
  USHORT id = 0x4100;
  for (const Case& c : cases) {
    PropertyValue v{};
    v.type = c.type;
    v.u64 = c.payload;
    ASSERT_TRUE(h.object->SetProperty(id, &v));
    PropertyValue out{};
    ASSERT_TRUE(h.object->GetProperty(id, &out));
    EXPECT_EQ(out.type, c.type);
    EXPECT_EQ(out.u64, c.payload) << "type " << c.type;
    const PropertyValue* stored = h.object->GetPropertyRecord(id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->u64, c.payload);
    ++id;
  }
  EXPECT_EQ(h.object->GetPropertyCount(), 5);
  EXPECT_FALSE(h.object->GetPropertyRecord(0x4999));
  PropertyValue none{};
  EXPECT_FALSE(h.object->GetProperty(0x4999, &none));
}

TEST_F(HostProperties, TextAndGuidAreCopiedNotShared) {
  Holder h(vantorel::kClassTableEntry);
  PropertyValue text{};
  text.type = vantorel::kPropText;
  text.text = AllocBstr(u"Zürich \u4E2D");
  ASSERT_TRUE(h.object->SetProperty(0x4002, &text));
  GUID g{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  PropertyValue guid{};
  guid.type = vantorel::kPropGuid;
  guid.guid = new GUID(g);
  ASSERT_TRUE(h.object->SetProperty(0x4000, &guid));
  // The caller clears its records right after the set, as the modules do.
  const BSTR original = text.text;
  const GUID* originalGuid = guid.guid;
  ClearOwnedValue(text);
  ClearOwnedValue(guid);

  const PropertyValue* storedText = h.object->GetPropertyRecord(0x4002);
  ASSERT_TRUE(storedText && storedText->text);
  EXPECT_NE(storedText->text, original);
  EXPECT_EQ(std::u16string(storedText->text, BstrLength(storedText->text)), u"Zürich \u4E2D");
  const PropertyValue* storedGuid = h.object->GetPropertyRecord(0x4000);
  ASSERT_TRUE(storedGuid && storedGuid->guid);
  EXPECT_NE(storedGuid->guid, originalGuid);
  EXPECT_EQ(*storedGuid->guid, g);

  PropertyValue out{};
  ASSERT_TRUE(h.object->GetProperty(0x4002, &out));
  EXPECT_NE(out.text, storedText->text) << "the caller's copy is its own";
  ClearOwnedValue(out);
}

TEST_F(HostProperties, InterfacesAreReferencedWhileStored) {
  Holder h(vantorel::kClassRelationship);
  Holder end(vantorel::kClassNotes);
  for (WORD type : {vantorel::kPropUnknown, vantorel::kPropDispatch}) {
    PropertyValue v{};
    v.type = type;
    v.iface = end.object;
    ASSERT_TRUE(h.object->SetProperty(type == vantorel::kPropUnknown ? 0x4003 : 0x4004, &v));
  }
  // Two stored references and ours.
  EXPECT_EQ(end.object->AddRef(), 4u);
  end.object->Release();
  h.object->RemoveProperty(0x4003);
  EXPECT_EQ(end.object->AddRef(), 3u);
  end.object->Release();
}

TEST_F(HostProperties, StoredKeyHoldsItsOwnReference) {
  IVtlApplication* app = VtlGetApplication();
  IVtlFileStore* store = app->GetFileStore();
  ASSERT_TRUE(store);
  char dir[] = "/tmp/host_prop_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  std::string file = std::string(dir) + "/picture.png";
  std::ofstream(file) << "png bytes";
  std::u16string path = kx2::ToWindowsPath(file);

  ULONG_PTR key = store->StoreFile(path.c_str(), 0, 1);
  ASSERT_NE(key, 0u);
  std::remove(file.c_str());  // the store kept a copy
  {
    Holder entry(vantorel::kClassTableEntry);
    PropertyValue v{};
    v.type = vantorel::kPropKey;
    v.owner = store;
    v.key = store->KeyForValue(key);
    ASSERT_TRUE(entry.object->SetProperty(0x4003, &v));
    ClearOwnedValue(v);
    ASSERT_TRUE(store->DropKey(key));  // the module's own reference
    EXPECT_EQ(vantorel::TakeCensus().liveFileKeys, baseline_.liveFileKeys + 1) << "the object keeps the key";
  }
  EXPECT_EQ(vantorel::TakeCensus().liveFileKeys, baseline_.liveFileKeys);
  EXPECT_FALSE(store->DropKey(key));
  store->Release();
  EXPECT_EQ(store->StoreFile(path.c_str(), 0, 1), 0u) << "a missing file gives no key";
  rmdir(dir);
}

TEST_F(HostProperties, ListsSubObjectsAndInitFrom) {
  Holder labels(vantorel::kClassLabels);
  IVtlObject* list = labels.object->CreateList(0x4001, 2);
  ASSERT_TRUE(list);
  GUID g{7, 0, 0, {}};
  PropertyValue v{};
  v.type = vantorel::kPropGuid;
  v.guid = &g;
  v.flags = vantorel::kPropFlagNotOwned;
  EXPECT_TRUE(list->SetListElement(1, &v));
  EXPECT_FALSE(list->SetListElement(2, &v)) << "past the end";
  EXPECT_FALSE(labels.object->SetListElement(0, &v)) << "not a list";
  list->Release();

  Holder format(vantorel::kClassPictureFormat);
  IVtlObject* fill = format.object->GetSubObject(0x7001);
  ASSERT_TRUE(fill);
  PropertyValue kind{};
  kind.type = vantorel::kPropEnum;
  kind.i32 = 1;
  fill->SetProperty(0x7000, &kind);
  IVtlObject* again = format.object->GetSubObject(0x7001);
  EXPECT_EQ(again, fill) << "one sub-object per property";
  again->Release();
  fill->Release();

  Holder copy(vantorel::kClassPictureFormat);
  ASSERT_TRUE(copy.object->InitFrom(format.object));
  IVtlObject* copiedFill = copy.object->GetSubObject(0x7001);
  ASSERT_TRUE(copiedFill && copiedFill->GetPropertyRecord(0x7000));
  EXPECT_EQ(copiedFill->GetPropertyRecord(0x7000)->i32, 1);
  copiedFill->Release();
}

TEST(HostObjects, UnknownClassesAreRefused) {
  for (LONG cls : {LONG(0), LONG(514), LONG(526), LONG(0x4007), LONG(vantorel::kClassTopic)})
    EXPECT_EQ(VtlCreateObject(cls), nullptr) << cls;
}

TEST(HostCensus, ReportsALeakedReferenceAndAnExtraRelease) {
  vantorel::SetQuarantine(true);
  const auto before = vantorel::TakeCensus();
  IVtlObject* o = VtlCreateObject(vantorel::kClassMarker);
  o->AddRef();
  o->Release();
  auto leaked = vantorel::TakeCensus();
  EXPECT_EQ(leaked.liveObjects, before.liveObjects + 1);
  o->Release();
  EXPECT_EQ(vantorel::TakeCensus().liveObjects, before.liveObjects);
  o->Release();  // once too often: caught, the memory is still quarantined
  EXPECT_EQ(vantorel::TakeCensus().extraReleases, before.extraReleases + 1);
  vantorel::CollectQuarantine();
  vantorel::SetQuarantine(false);
}

// Records handed out stay where they are while other properties come and go, however many
// an object holds.
TEST_F(HostProperties, RecordsStayPutWhileOtherPropertiesComeAndGo) {
  Holder h(vantorel::kClassTextStyle);
  auto set = [&](USHORT id, LONG n) {
    PropertyValue v{};
    v.type = vantorel::kPropNumber;
    v.i32 = n;
    return h.object->SetProperty(id, &v) != FALSE;
  };
  std::vector<std::pair<USHORT, const PropertyValue*>> held;
  for (USHORT id : {0x4009, 0x4002, 0x400F, 0x4001, 0x4005, 0x400C, 0x4003, 0x400A, 0x4007, 0x4004, 0x400E}) {
    ASSERT_TRUE(set(id, id));
    held.emplace_back(id, h.object->GetPropertyRecord(id));
  }
  for (USHORT id : {0x4002, 0x4005, 0x400A, 0x400E}) ASSERT_TRUE(h.object->RemoveProperty(id));
  EXPECT_FALSE(h.object->RemoveProperty(0x4005));
  for (USHORT id : {0x4010, 0x4011, 0x4012, 0x4013, 0x4014, 0x4005}) ASSERT_TRUE(set(id, id + 0x100));
  ASSERT_TRUE(set(0x4001, 7));  // changed in its place
  EXPECT_EQ(h.object->GetPropertyCount(), 13);
  for (const auto& [id, record] : held) {
    if (id == 0x4002 || id == 0x4005 || id == 0x400A || id == 0x400E) {
      EXPECT_EQ(h.object->GetPropertyRecord(id) != nullptr, id == 0x4005) << std::hex << id;
      continue;
    }
    EXPECT_EQ(h.object->GetPropertyRecord(id), record) << std::hex << id;
    EXPECT_EQ(record->i32, id == 0x4001 ? 7 : id) << std::hex << id;
  }
  for (USHORT id = 0x4010; id <= 0x4014; ++id) {
    PropertyValue out{};
    ASSERT_TRUE(h.object->GetProperty(id, &out));
    EXPECT_EQ(out.i32, id + 0x100);
  }
}

}  // namespace

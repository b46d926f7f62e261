// The host's document model as an importer drives it.
#include <gtest/gtest.h>

#include <string>

#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/testing/leak_check.h>

#include "core/bstr.h"
#include "model/property_copy.h"

namespace {

using vantorel::testing::HostLeakCheck;

template <class T>
struct Own {
  T* p;
  Own(T* q = nullptr) : p(q) {}
  ~Own() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

void SetInt(IVtlObject* o, USHORT id, WORD type, LONG value) {
  PropertyValue v{};
  v.type = type;
  v.i32 = value;
  ASSERT_TRUE(o->SetProperty(id, &v));
}

void SetText(IVtlObject* o, USHORT id, const char16_t* text) {
  PropertyValue v{};
  v.type = vantorel::kPropText;
  v.text = vantorel::detail::AllocBstr(text);
  ASSERT_TRUE(o->SetProperty(id, &v));
  vantorel::detail::ClearOwnedValue(v);
}

void SetGuid(IVtlObject* o, USHORT id, const GUID& g) {
  GUID copy = g;
  PropertyValue v{};
  v.type = vantorel::kPropGuid;
  v.guid = &copy;
  v.flags = vantorel::kPropFlagNotOwned;
  ASSERT_TRUE(o->SetProperty(id, &v));
}

class HostModel : public HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    vantorel::ResetHostCounters();
  }
  // The last document that accepts an import, as the importers choose it.
  IVtlDocument* Target() {
    IVtlDocumentManager* docs = vantorel::DocumentManager();
    IVtlDocument* chosen = nullptr;
    for (ULONG_PTR pos = docs->GetFirstDocumentPosition(); pos;) {
      IVtlDocument* d = docs->GetNextDocument(&pos);
      if (d->AcceptsImport()) chosen = d;
    }
    return chosen;
  }
};

TEST_F(HostModel, ImportersFindTheLastDocumentThatAcceptsAnImport) {
  EXPECT_EQ(Target(), nullptr);
  EXPECT_EQ(vantorel::OpenDocument(true), 1);
  EXPECT_EQ(vantorel::OpenDocument(true), 2);
  EXPECT_EQ(vantorel::OpenDocument(false), 3);
  IVtlDocument* target = Target();
  ASSERT_TRUE(target);
  IVtlDocumentManager* docs = vantorel::DocumentManager();
  ULONG_PTR pos = docs->GetFirstDocumentPosition();
  docs->GetNextDocument(&pos);
  EXPECT_EQ(docs->GetNextDocument(&pos), target);
  EXPECT_TRUE(docs->NewDocument(u"${Contents}\\Default.etqt", u"ETQT", u";template:true;"));
  EXPECT_EQ(vantorel::DocumentCount(), 4);
}

TEST_F(HostModel, TopicsTextAttachmentsAndFormats) {
  vantorel::OpenDocument();
  Own<IVtlModel> model(Target()->GetModel());
  Own<IVtlCursor> cursor(model->GetCursor());
  Own<IVtlObject> root(model->GetRootNode(0));
  ASSERT_TRUE(cursor->SetCurrentNode(0, root.p, 0));

  // Title of the central topic, written with a bold run in the middle.
  ULONG_PTR h = root->FindAttached(vantorel::kRoleTextStyle);
  ASSERT_NE(h, 0u);
  Own<IVtlObject> title(root->GetObject(h, vantorel::kRoleTextStyle));
  ASSERT_TRUE(model->PlaceObject(0, title.p, -1));
  Own<IVtlStyleTarget> styles(model->GetTextStyleList());
  Own<IVtlObject> base(styles->GetStyle(0));
  Own<IVtlObject> bold(VtlCreateObject(vantorel::kClassTextStyle));
  bold->InitFrom(base.p);
  SetInt(bold.p, 0x402a, 6, 1);
  EXPECT_TRUE(model->InsertText(0, u"Plan the trip", 4));
  EXPECT_TRUE(styles->ApplyStyle(bold.p));
  EXPECT_TRUE(model->InsertText(0, u" the", -1));
  EXPECT_TRUE(styles->ApplyStyle(base.p));
  EXPECT_TRUE(model->InsertControl(0, 9, 0));
  EXPECT_TRUE(model->InsertParagraphBreak(0, 0, 0));
  EXPECT_TRUE(model->InsertText(0, u"second", -1));

  Own<IVtlTextReader> reader(model->GetTextReader());
  ASSERT_TRUE(reader->Open(0x505, 0, 0));
  ASSERT_TRUE(reader->Rewind(0, 0));
  std::u16string all;
  LPCWSTR chunk;
  LONG length;
  while (reader->ReadChunk(&chunk, &length)) all.append(chunk, length);
  EXPECT_EQ(all, u"Plan the\t\nsecond");

  // A child topic with a position, a marker and a folded format.
  Own<IVtlObject> format(VtlCreateObject(vantorel::kClassFormat));
  SetInt(format.p, 0x4013, 4, 1234);
  ASSERT_TRUE(model->InsertTopic(0, kVtlInsertChild, format.p));
  Own<IVtlObject> child(cursor->GetCurrentNode());
  EXPECT_NE(child.p, root.p);
  Own<IVtlObject> marker(VtlCreateObject(vantorel::kClassMarker));
  SetGuid(marker.p, 0x4000, GUID{345, 0, 0, {}});
  ASSERT_TRUE(model->AttachObject(0, vantorel::kRoleMarker, marker.p, 0));
  Own<IVtlObject> target(child->GetTarget(0));
  Own<IVtlObject> folded(VtlCreateObject(vantorel::kClassFormat));
  SetInt(folded.p, 0x4012, 6, 1);
  ASSERT_TRUE(model->ApplyFormat(0, target.p, folded.p));
  EXPECT_EQ(target->GetPropertyRecord(0x4013)->i32, 1234);
  EXPECT_EQ(target->GetPropertyRecord(0x4012)->i32, 1);
  EXPECT_FALSE(model->InsertTopic(0, 3, nullptr)) << "unknown insert kind";

  // Line-and-fill formats are fetched, changed and kept back.
  Own<IVtlObject> lines(VtlCreateObject(vantorel::kClassPictureFormat));
  ASSERT_TRUE(model->GetFormat(child.p, lines.p, -1));
  Own<IVtlObject> fill(lines->GetSubObject(0x7001));
  PropertyValue colour{};
  colour.type = vantorel::kPropWide;
  colour.u64 = 0x00FF0000FF336699ull;
  fill->SetProperty(0x7001, &colour);
  ASSERT_TRUE(model->SetFormat(0, child.p, lines.p, -1));

  vantorel::DescribeOptions options;
  std::string tree = vantorel::FormatTree(vantorel::DescribeDocuments(options));
  EXPECT_NE(tree.find("text: \"Plan the\\t\\nsecond\""), std::string::npos) << tree;
  EXPECT_NE(tree.find("text: \" the\""), std::string::npos) << tree;
  EXPECT_NE(tree.find("marker: \"Flag red\""), std::string::npos) << tree;
  EXPECT_NE(tree.find("folded: 1"), std::string::npos) << tree;
  EXPECT_NE(tree.find("color: \"#336699\""), std::string::npos) << tree;
}

TEST_F(HostModel, ObjectTableHoldsStockMarkersAndWhatAModuleAdds) {
  vantorel::OpenDocument();
  Own<IVtlModel> model(Target()->GetModel());
  Own<IVtlObjectTable> table(model->GetObjectTable());
  Own<IVtlTableIndex> index(table->GetIndex());
  const GUID resources{601, 0, 0, {}};
  EXPECT_NE(index->FindPosition(resources), 0u);
  Own<IVtlTableEntry> calendar(index->FindEntry(GUID{367, 0, 0, {}}));
  ASSERT_TRUE(calendar);
  EXPECT_EQ(index->FindEntry(GUID{366000, 0, 0, {}}), nullptr);

  // A label group at the top, a label under it.
  Own<IVtlObject> group(VtlCreateObject(vantorel::kClassTableGroup));
  SetGuid(group.p, 0x4000, GUID{});
  SetInt(group.p, 0x4001, 9, 8);
  SetText(group.p, 0x4002, u"Labels");
  Own<IVtlTableEntry> added(table->AddAtTop(group.p));
  ASSERT_TRUE(added);
  GUID groupGuid{};
  ASSERT_TRUE(added->GetGuid(&groupGuid));
  EXPECT_NE(groupGuid, GUID{}) << "a zero GUID is replaced by a new one";
  Own<IVtlObject> label(VtlCreateObject(vantorel::kClassTableEntry));
  SetText(label.p, 0x4002, u"urgent");
  Own<IVtlTableEntry> entry(table->AddUnder(index->FindPosition(groupGuid), label.p));
  ASSERT_TRUE(entry);
  EXPECT_EQ(table->AddUnder(0, label.p), nullptr);
  // A task resource entry under the stock GUID of its group, then renamed.
  Own<IVtlObject> priority(VtlCreateObject(vantorel::kClassTableEntry));
  SetGuid(priority.p, 0x4000, GUID{103, 0, 0, {}});
  EXPECT_EQ(table->AddUnder(index->FindPosition(GUID{99, 0, 0, {}}), priority.p), nullptr) << "GUID already present";
  Own<IVtlObject> rename(VtlCreateObject(vantorel::kClassTableEntry));
  ASSERT_TRUE(calendar->ReadInto(rename.p));
  SetText(rename.p, 0x4002, u"Deadline");
  EXPECT_TRUE(table->UpdateEntry(rename.p));

  std::string tree = vantorel::FormatTree(vantorel::DescribeDocuments({}));
  EXPECT_NE(tree.find("name: \"urgent\""), std::string::npos) << tree;
  EXPECT_NE(tree.find("name: \"Deadline\""), std::string::npos) << tree;
  EXPECT_EQ(tree.find("Smiley happy"), std::string::npos) << "untouched stock groups are not listed";
}

// Every table starts from the same stock items: a change to one in a document stays there.
TEST_F(HostModel, AStockEntryChangedInOneDocumentKeepsItsStockTextInTheOthers) {
  auto nameOf = [](IVtlTableIndex* index, const GUID& guid) {
    Own<IVtlTableEntry> entry(index->FindEntry(guid));
    Own<IVtlObject> read(VtlCreateObject(vantorel::kClassTableEntry));
    if (!entry || !entry->ReadInto(read.p)) return std::u16string();
    const PropertyValue* name = read->GetPropertyRecord(0x4002);
    return name && name->text ? std::u16string(name->text) : std::u16string();
  };
  const GUID calendar{367, 0, 0, {}};
  vantorel::OpenDocument();
  Own<IVtlModel> first(Target()->GetModel());
  Own<IVtlObjectTable> firstTable(first->GetObjectTable());
  Own<IVtlTableIndex> firstIndex(firstTable->GetIndex());
  vantorel::OpenDocument();
  Own<IVtlModel> second(Target()->GetModel());
  Own<IVtlObjectTable> secondTable(second->GetObjectTable());
  Own<IVtlTableIndex> secondIndex(secondTable->GetIndex());

  Own<IVtlObject> rename(VtlCreateObject(vantorel::kClassTableEntry));
  SetGuid(rename.p, 0x4000, calendar);
  SetText(rename.p, 0x4002, u"Deadline");
  ASSERT_TRUE(secondTable->UpdateEntry(rename.p));
  EXPECT_EQ(nameOf(secondIndex.p, calendar), u"Deadline");
  EXPECT_EQ(nameOf(firstIndex.p, calendar), u"Calendar");
  vantorel::OpenDocument();
  Own<IVtlModel> third(Target()->GetModel());
  Own<IVtlObjectTable> thirdTable(third->GetObjectTable());
  Own<IVtlTableIndex> thirdIndex(thirdTable->GetIndex());
  EXPECT_EQ(nameOf(thirdIndex.p, calendar), u"Calendar");
}

// Topics given formats of the same content may share what they keep; a format kept later
// for one of them, or a change to the object handed in, never reaches the others.
TEST_F(HostModel, FormatsKeptAlikeStayApartWhenOneTopicGetsAnother) {
  vantorel::OpenDocument();
  Own<IVtlModel> model(Target()->GetModel());
  Own<IVtlCursor> cursor(model->GetCursor());
  Own<IVtlObject> root(model->GetRootNode(0));
  auto newChild = [&] {
    EXPECT_TRUE(cursor->SetCurrentNode(0, root.p, 0));
    EXPECT_TRUE(model->InsertTopic(0, kVtlInsertChild, nullptr));
    return cursor->GetCurrentNode();
  };
  Own<IVtlObject> first(newChild()), second(newChild()), third(newChild());
  auto colourOf = [&](IVtlObject* topic, LONG index = 1) -> ULONGLONG {
    Own<IVtlObject> read(VtlCreateObject(vantorel::kClassPictureFormat));
    if (!model->GetFormat(topic, read.p, index)) return 0;
    Own<IVtlObject> fill(read->GetSubObject(0x7001));
    const PropertyValue* value = fill->GetPropertyRecord(0x7001);
    return value ? value->u64 : 0;
  };
  Own<IVtlObject> lines(VtlCreateObject(vantorel::kClassPictureFormat));
  Own<IVtlObject> fill(lines->GetSubObject(0x7001));
  PropertyValue colour{};
  colour.type = vantorel::kPropWide;
  colour.u64 = 0x00FF0000FF336699ull;
  ASSERT_TRUE(fill->SetProperty(0x7001, &colour));
  for (IVtlObject* topic : {first.p, second.p, third.p}) ASSERT_TRUE(model->SetFormat(0, topic, lines.p, 1));
  ASSERT_TRUE(model->SetFormat(0, first.p, lines.p, -1));

  colour.u64 = 0x00FF0000FFCC3300ull;
  ASSERT_TRUE(fill->SetProperty(0x7001, &colour));
  EXPECT_EQ(colourOf(second.p), 0x00FF0000FF336699ull) << "the object handed in changed after it was kept";
  ASSERT_TRUE(model->SetFormat(0, second.p, lines.p, 1));
  EXPECT_EQ(colourOf(first.p), 0x00FF0000FF336699ull);
  EXPECT_EQ(colourOf(second.p), 0x00FF0000FFCC3300ull);
  EXPECT_EQ(colourOf(third.p), 0x00FF0000FF336699ull);
  // The other index of a topic may hold the same object; changing one leaves the other.
  ASSERT_TRUE(model->SetFormat(0, first.p, lines.p, -1));
  EXPECT_EQ(colourOf(first.p, -1), 0x00FF0000FFCC3300ull);
  EXPECT_EQ(colourOf(first.p, 1), 0x00FF0000FF336699ull);

  // What a topic's format is read into is the reader's own.
  Own<IVtlObject> read(VtlCreateObject(vantorel::kClassPictureFormat));
  ASSERT_TRUE(model->GetFormat(third.p, read.p, 1));
  Own<IVtlObject> readFill(read->GetSubObject(0x7001));
  ASSERT_TRUE(readFill->SetProperty(0x7001, &colour));
  EXPECT_EQ(colourOf(first.p), 0x00FF0000FF336699ull);
}

}  // namespace

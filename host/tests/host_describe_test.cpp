// What the host prints of a document an importer filled: built here through the host
// interfaces as an importer builds it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <kx2/PathMap.h>
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
};

void Set(IVtlObject* o, USHORT id, WORD type, ULONGLONG payload) {
  PropertyValue v{};
  v.type = type;
  v.u64 = payload;
  ASSERT_TRUE(o->SetProperty(id, &v));
}

void SetText(IVtlObject* o, USHORT id, const char16_t* text) {
  PropertyValue v{};
  v.type = 1;
  v.text = vantorel::detail::AllocBstr(text);
  ASSERT_TRUE(o->SetProperty(id, &v));
  vantorel::detail::ClearOwnedValue(v);
}

void SetGuid(IVtlObject* o, USHORT id, const GUID& g) {
  GUID copy = g;
  PropertyValue v{};
  v.type = 14, v.flags = 1, v.guid = &copy;
  ASSERT_TRUE(o->SetProperty(id, &v));
}

void SetObject(IVtlObject* o, USHORT id, IVtlObject* value) {
  PropertyValue v{};
  v.type = 0x8000, v.flags = 1, v.iface = value;
  ASSERT_TRUE(o->SetProperty(id, &v));
}

class HostDescribe : public HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    vantorel::ResetHostCounters();
    setenv("TZ", "UTC0", 1);
    tzset();
  }
};

TEST_F(HostDescribe, TopicsAttachmentsTableRelationshipsAndBoundaries) {
  char dir[] = "/tmp/host_describe_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  const std::string picture = std::string(dir) + "/pics/flower.png";
  ASSERT_EQ(std::system(("mkdir -p " + std::string(dir) + "/pics").c_str()), 0);
  std::ofstream(picture) << "12345";
  std::u16string folder = kx2::ToWindowsPath(dir) + u"\\";

  vantorel::OpenDocument();
  IVtlDocumentManager* docs = vantorel::DocumentManager();
  ULONG_PTR pos = docs->GetFirstDocumentPosition();
  IVtlDocument* doc = docs->GetNextDocument(&pos);
  ASSERT_TRUE(doc->SetTitle(u"Garden", 1));
  Own<IVtlModel> model(doc->GetModel());
  Own<IVtlCursor> cursor(model->GetCursor());
  Own<IVtlObject> root(model->GetRootNode(0));
  cursor->SetCurrentNode(0, root.p, 0);
  model->PlaceObject(0, root.p, -1);  // a topic places its text object
  model->InsertText(0, u"Central", -1);

  // Two children, a label, a task with dates, a link, a picture from the file store.
  Own<IVtlObject> a, b;
  for (const char16_t* text : {u"Seeds", u"Beds"}) {
    cursor->SetCurrentNode(0, root.p, 0);
    ASSERT_TRUE(model->InsertTopic(0, kVtlInsertChild, nullptr));
    IVtlObject* node = cursor->GetCurrentNode();
    model->PlaceObject(0, node, -1);
    model->InsertText(0, text, -1);
    (a.p ? b.p : a.p) = node;
  }
  cursor->SetCurrentNode(0, a.p, 0);
  Own<IVtlObjectTable> table(model->GetObjectTable());
  Own<IVtlObject> group(VtlCreateObject(vantorel::kClassTableGroup));
  Set(group.p, 0x4001, 9, 8);
  SetText(group.p, 0x4002, u"Labels");
  Own<IVtlTableEntry> groupEntry(table->AddAtTop(group.p));
  GUID groupGuid{};
  groupEntry->GetGuid(&groupGuid);
  Own<IVtlTableIndex> index(table->GetIndex());
  Own<IVtlObject> label(VtlCreateObject(vantorel::kClassTableEntry));
  SetText(label.p, 0x4002, u"shopping");
  Own<IVtlTableEntry> labelEntry(table->AddUnder(index->FindPosition(groupGuid), label.p));
  GUID labelGuid{};
  labelEntry->GetGuid(&labelGuid);
  Own<IVtlObject> labels(VtlCreateObject(vantorel::kClassLabels));
  Own<IVtlObject> list(labels->CreateList(0x4001, 1));
  PropertyValue g{};
  g.type = 14, g.flags = 1, g.guid = &labelGuid;
  list->SetListElement(0, &g);
  model->AttachObject(0, vantorel::kRoleLabels, labels.p, 0);

  Own<IVtlObject> task(VtlCreateObject(vantorel::kClassTask));
  Own<IVtlObject> schedule(task->GetObject(0x4002, vantorel::kClassTaskSchedule));
  Set(schedule.p, 0x4001, 11, 1300000000);  // 2011-03-13 07:06:40 UTC
  Set(schedule.p, 0x4004, 4, 3);
  model->AttachObject(0, vantorel::kRoleTask, task.p, 0);

  Own<IVtlObject> link(VtlCreateObject(vantorel::kClassHyperlink));
  std::u16string description = u"<hyperlink><type>file</type><option>relative</option><link>" + folder +
                               u"notes\\plan.txt</link><subject/><text>Plan</text></hyperlink>";
  SetText(link.p, 0x4001, description.c_str());
  model->AttachObject(0, vantorel::kRoleHyperlink, link.p, 0);

  Own<IVtlFileStore> store(VtlGetApplication()->GetFileStore());
  ULONG_PTR key = store->StoreFile(kx2::ToWindowsPath(picture).c_str(), 0, 1);
  ASSERT_NE(key, 0u);
  Own<IVtlObject> image(VtlCreateObject(vantorel::kClassImage));
  Set(image.p, 0x4002, 9, 3000);
  Own<IVtlObject> pictureFormat(VtlCreateObject(vantorel::kClassPictureFormat));
  PropertyValue k{};
  k.type = 0x8002, k.flags = 1, k.key = key, k.owner = store.p;
  pictureFormat->SetProperty(0x4003, &k);
  store->DropKey(key);
  model->SetFormat(0, image.p, pictureFormat.p, -1);
  model->AttachObject(0, vantorel::kRolePicture, image.p, 0);

  // A relationship from Seeds to Beds, and one boundary over both children.
  Own<IVtlObject> relation(VtlCreateObject(vantorel::kClassRelationship));
  SetObject(relation.p, 0x4003, a.p);
  GUID bGuid{};
  b->GetGuid(&bGuid);
  SetGuid(relation.p, 0x4004, bGuid);
  model->AttachObject(0, vantorel::kRoleRelationship, relation.p, 0);
  Own<IVtlObject> boundary(VtlCreateObject(vantorel::kClassBoundary));
  Set(boundary.p, 0x4000, 9, 3);
  for (IVtlObject* node : {a.p, b.p}) {
    cursor->SetCurrentNode(0, node, 0);
    model->AttachObject(0, vantorel::kRoleBoundary, boundary.p, 0);
  }
  // Notes with a paragraph break.
  Own<IVtlObject> notes(VtlCreateObject(vantorel::kClassNotes));
  model->AttachObject(0, vantorel::kRoleNotes, notes.p, 0);
  Own<IVtlObject> target(notes->GetTarget(0));
  model->PlaceObject(0, target.p, 0);
  model->InsertText(0, u"first", -1);
  model->InsertParagraphBreak(0, 0, 0);
  model->InsertText(0, u"second", -1);

  vantorel::DescribeOptions options;
  options.mapFolder = folder;
  const std::string tree = vantorel::FormatTree(vantorel::DescribeDocuments(options));
  const char* expected = R"(documents:
  - number: 1
    title: "Garden"
    topic:
      text: "Central"
      children:
        - text: "Seeds"
          attached:
            - role: "labels"
              class: "labels"
              labels: ["shopping"]
            - role: "task"
              class: "task"
              schedule:
                start: "2011-03-13 07:06:40"
                duration: 3
            - role: "hyperlink"
              class: "hyperlink"
              link:
                type: "file"
                option: "relative"
                link: "notes\\plan.txt"
                subject: ""
                text: "Plan"
            - role: "picture"
              class: "image"
              width: 3000
              format -1:
                class: "line-and-fill"
                0x4003:
                  stored-file: 1
                  bytes: 5
                  path: "pics\\flower.png"
            - role: "relationship"
              relationship: 1
            - role: "boundary"
              boundary: 1
        - text: "Beds"
          attached:
            - role: "boundary"
              boundary: 1
            - role: "notes"
              class: "notes"
              text: "first\nsecond"
    objects:
      - kind: 8
        name: "Labels"
        entries:
          - name: "shopping"
    relationships:
      - attached-to: "Central/Seeds"
        class: "relationship"
        from: "topic Central/Seeds"
        to: "topic Central/Beds"
    boundaries:
      - topics: ["Central/Seeds", "Central/Beds"]
        class: "boundary"
        kind: 3
)";
  EXPECT_EQ(tree, expected);

  // Printed topic by topic, the description reads the same in both forms, a second
  // document included.
  vantorel::OpenDocument();
  vantorel::Value head = vantorel::Value::MakeObject();
  head.Set("filter", "TEST");
  vantorel::Value whole = head;
  const vantorel::Value described = vantorel::DescribeDocuments(options);
  for (const auto& [key, value] : described.members()) whole.Set(key, value);
  for (bool json : {false, true}) {
    std::ostringstream written;
    vantorel::WriteDocuments(options, head, json, written);
    EXPECT_EQ(written.str(), json ? vantorel::FormatJson(whole) : vantorel::FormatTree(whole));
  }
  std::system(("rm -rf " + std::string(dir)).c_str());
}

}  // namespace

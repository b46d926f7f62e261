// The importers' XML reading operations over the host's XML objects.
#include <gtest/gtest.h>

#include <string>

#include <foliant/common/xml_walk.h>
#include <foliant/import_base.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

namespace {

using vantorel::testing::HostLeakCheck;

class FoliantXmlRead : public HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    IKX2XMLFactory* factory = VtlGetApplication()->GetXMLFactory();
    IKX2XMLParser* parser = factory->CreateParser();
    const std::string xml =
        "<ap:Map xmlns:ap='urn:ap'>"
        "<ap:MarkersSetGroup><ap:IconMarkersSets><ap:IconMarkersSet><ap:Name Name='Flags' Dirty='true'/>"
        "<ap:IconMarker><ap:Name Name='Urgent' Dirty='True'/></ap:IconMarker></ap:IconMarkersSet></ap:IconMarkersSets>"
        "<ap:TaskResourceMarkersName Name='People' Dirty=''/></ap:MarkersSetGroup>"
        "<ap:Offset CX='12.5' CY='' Count='42'/>text<ap:Offset CX='1'/>"
        "</ap:Map>";
    doc_ = parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size()));
    parser->Release();
    factory->Release();
    ASSERT_TRUE(doc_);
    root_ = doc_->GetDocumentElement();
  }
  void TearDown() override {
    root_->Release();
    doc_->Release();
    HostLeakCheck::TearDown();
  }
  IKX2XMLDocument* doc_ = nullptr;
  IKX2XMLElement* root_ = nullptr;
};

TEST_F(FoliantXmlRead, AttributeReads) {
  ImportBase base;
  IKX2XMLElement* offset = base.FindChildElementByName(root_, u"ap:Offset");
  ASSERT_TRUE(offset);
  double d = -1;
  EXPECT_TRUE(base.GetAttributeDouble(offset, u"CX", &d));
  EXPECT_EQ(d, 12.5);
  EXPECT_FALSE(base.GetAttributeDouble(offset, u"CY", &d)) << "empty";
  EXPECT_EQ(d, 0.0);
  EXPECT_FALSE(base.GetAttributeDouble(offset, u"CZ", &d));
  LONG n = -1;
  EXPECT_TRUE(base.GetAttributeLong(offset, u"Count", &n));
  EXPECT_EQ(n, 42);
  EXPECT_FALSE(base.GetAttributeLong(offset, u"CY", &n));
  EXPECT_EQ(n, 0);
  IKX2XMLElement* next = base.FindNextSiblingElementByName(offset, u"ap:Offset");
  ASSERT_TRUE(next) << "the text node between them is passed over";
  EXPECT_EQ(std::u16string(next->GetAttribute(u"CX")), u"1");
  EXPECT_EQ(base.FindNextSiblingElementByName(next, u"ap:Offset"), nullptr);
  next->Release();
  offset->Release();
  EXPECT_EQ(base.FindChildElementByName(root_, u"ap:offset"), nullptr) << "tags compare exactly";
}

// Plain attributes by name: a namespace declaration is none, a prefixed name is its own.
TEST_F(FoliantXmlRead, ElementAttributesAnswerPlainAttributesOnly) {
  const foliant::ElementAttributes root(root_);
  EXPECT_FALSE(root.Has(u"xmlns:ap")) << "a declaration, though the element's reads answer it";
  EXPECT_EQ(root.Get(u"xmlns:ap"), nullptr);
  ImportBase base;
  IKX2XMLElement* offset = base.FindChildElementByName(root_, u"ap:Offset");
  ASSERT_TRUE(offset);
  const foliant::ElementAttributes attributes(offset);
  EXPECT_TRUE(attributes.Has(u"CY")) << "present though empty";
  EXPECT_EQ(std::u16string(attributes.Get(u"CY")), u"");
  EXPECT_EQ(std::u16string(attributes.Get(u"Count")), u"42");
  EXPECT_FALSE(attributes.Has(u"CZ"));
  EXPECT_EQ(attributes.Get(u"cx"), nullptr) << "names compare exactly";
  EXPECT_FALSE(foliant::ElementAttributes(nullptr).Has(u"CX"));
  offset->Release();
}

TEST_F(FoliantXmlRead, ChildAttributes) {
  ImportBase base;
  int handle = -1;
  IKX2XMLElement* set =
      base.FindElementByPath(root_, {u"ap:MarkersSetGroup", u"ap:IconMarkersSets", u"ap:IconMarkersSet"}, &handle);
  ASSERT_TRUE(set);
  auto name = base.GetChildAttributeText(set, u"ap:Name", u"Name");
  ASSERT_TRUE(name);
  base.ReleasePath(handle);
  EXPECT_EQ(*name, u"Flags") << "an owned copy outlives the elements";

  IKX2XMLElement* group = base.FindElementByPath(root_, {u"ap:MarkersSetGroup"}, &handle);
  ASSERT_TRUE(group);
  LONG value = 77;
  EXPECT_FALSE(base.GetChildAttributeLong(group, u"ap:Missing", u"Dirty", &value));
  EXPECT_EQ(value, 77) << "a missing child leaves the output alone";
  EXPECT_FALSE(base.GetChildAttributeLong(group, u"ap:TaskResourceMarkersName", u"Dirty", &value));
  EXPECT_EQ(value, 0) << "an empty attribute gives 0";
  EXPECT_FALSE(base.GetChildAttributeText(group, u"ap:Missing", u"Name"));
  EXPECT_FALSE(base.GetChildAttributeText(group, u"ap:TaskResourceMarkersName", u"Missing"));
  bool flag = true;
  EXPECT_FALSE(base.GetChildAttributeBool(group, u"ap:Missing", u"Dirty", &flag));
  EXPECT_TRUE(flag) << "untouched";
  EXPECT_FALSE(base.GetChildAttributeBool(group, u"ap:TaskResourceMarkersName", u"Dirty", &flag));
  EXPECT_FALSE(flag);
  base.ReleasePath(handle);

  IKX2XMLElement* marker = base.FindElementByPath(
      root_, {u"ap:MarkersSetGroup", u"ap:IconMarkersSets", u"ap:IconMarkersSet", u"ap:IconMarker"}, &handle);
  ASSERT_TRUE(marker);
  flag = true;
  EXPECT_FALSE(base.GetChildAttributeBool(marker, u"ap:Name", u"Dirty", &flag)) << "True in mixed case";
  EXPECT_FALSE(flag);
  base.ReleasePath(handle);
}

TEST_F(FoliantXmlRead, PathsHeldAtOnceAreEachReleasedOnce) {
  ImportBase base;
  int outer = -1, middle = -1, inner = -1;
  IKX2XMLElement* group = base.FindElementByPath(root_, {u"ap:MarkersSetGroup"}, &outer);
  IKX2XMLElement* set = base.FindElementByPath(group, {u"ap:IconMarkersSets", u"ap:IconMarkersSet"}, &middle);
  IKX2XMLElement* name = base.FindElementByPath(set, {u"ap:Name"}, &inner);
  ASSERT_TRUE(group && set && name);
  EXPECT_TRUE(outer != middle && middle != inner && outer != inner);
  EXPECT_EQ(std::u16string(name->GetAttribute(u"Name")), u"Flags");
  // The nested paths go first, as an importer leaves them; the outer one is still usable.
  EXPECT_EQ(base.ReleasePath(inner), 1);
  EXPECT_EQ(base.ReleasePath(middle), 1);
  EXPECT_TRUE(group->HasChildNodes());
  EXPECT_EQ(base.ReleasePath(outer), 1);
  EXPECT_EQ(base.ReleasePath(outer), 0) << "released once only";
  EXPECT_EQ(base.ReleasePath(99), 0) << "never used";
}

TEST_F(FoliantXmlRead, AMissingStepHoldsNothing) {
  ImportBase base;
  int handle = -1;
  EXPECT_EQ(base.FindElementByPath(root_, {u"ap:MarkersSetGroup", u"ap:Nothing"}, &handle), nullptr);
  EXPECT_EQ(base.ReleasePath(handle), 0);
  EXPECT_EQ(base.FindElementByPath(root_, {}, &handle), root_) << "no names: the element itself";
  EXPECT_EQ(base.ReleasePath(handle), 1);
  // A path the importer forgets goes with the context (the fixture checks for leaks).
  EXPECT_TRUE(base.FindElementByPath(root_, {u"ap:MarkersSetGroup"}, &handle));
}

TEST_F(FoliantXmlRead, NamespaceRuleAndCurrentElement) {
  ImportBase base;
  IKX2XMLElement* group = base.FindChildElementByName(root_, u"ap:MarkersSetGroup");
  ASSERT_TRUE(group);
  EXPECT_EQ(base.SetCurrentElement(group), nullptr);
  EXPECT_EQ(base.GetCurrentElement(), group);
  EXPECT_EQ(std::u16string(base.GetAttributeText(root_, u"xmlns:ap")), u"urn:ap");
  base.SetNamespace(1, u"ap");
  // The namespaced read with an empty namespace reads the name as written.
  EXPECT_EQ(std::u16string(base.GetAttributeText(root_, u"xmlns:ap")), u"urn:ap");
  std::u16string text;
  EXPECT_TRUE(base.GetChildElementText(group, u"ap:IconMarkersSets", &text));
  EXPECT_FALSE(base.GetChildElementText(group, u"ap:None", &text));
  bool b = true;
  EXPECT_FALSE(base.GetAttributeBool(group, u"Dirty", &b));
  EXPECT_FALSE(b);
  EXPECT_EQ(base.SetCurrentElement(nullptr), group);
  group->Release();
}

}  // namespace

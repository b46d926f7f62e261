// A document frees its nodes by dropping its arena: these tests hold the cases where a
// node, an attribute or a text would be left pointing into a dropped arena, or where an
// arena would be kept (or grow) when it should not.
#include <gtest/gtest.h>

#include <malloc.h>

#include <memory>
#include <string>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
using xmltest::Dump;
using xmltest::U8;

namespace {

// Long enough that every text has a block of its own (not kept inside the string).
const std::u16string kLong = u"a text far too long to be kept inside the string object itself";

std::u16string MapText(int items) {
  std::u16string text = u"<?xml version=\"1.0\"?><map>";
  for (int i = 0; i < items; ++i)
    text += u"<node ID=\"" + kLong + u"\" TEXT=\"t &amp; u\"><icon BUILTIN=\"idea\"/>" + kLong + u"</node>";
  return text + u"</map>";
}

std::unique_ptr<XMLDocument> Loaded(int items) {
  auto doc = std::make_unique<XMLDocument>();
  std::u16string text = MapText(items);
  EXPECT_NE(doc->Load(text.c_str(), nullptr), nullptr);
  return doc;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// Changes every text of a branch, so that its blocks are written through.
void Touch(XMLNode& n) {
  n.value += u"!";
  for (XMLAttr* a : n.attributes) a->value += u"?";
  for (XMLNode* c : n.children) Touch(*c);
}

TEST(XmlMemory, NodesTakenOutOutliveTheirDocument) {
  auto doc = Loaded(200);
  XMLNode* root = doc->GetRoot();
  XMLNode* detached = root->DetachChild(root->GetChild(10));
  XMLNode* removedLater = root->GetChild(20);
  XMLAttr* attr = root->GetChild(30)->DetachAttr(root->GetChild(30)->GetAttr(0u));
  XMLNode* copy = new XMLNode(*root->GetChild(40));
  XMLNode other;
  XMLNode* moved = other.AppendChild(root->GetChild(50));
  ASSERT_TRUE(detached && attr && copy && moved);
  EXPECT_EQ(detached->document, nullptr);
  EXPECT_EQ(moved->GetChild(0u)->document, nullptr);
  EXPECT_TRUE(root->RemoveChild(removedLater));
  doc.reset();
  // The next document may reuse the dropped one's memory, never what the nodes above hold.
  auto next = Loaded(200);

  const std::string item = "node[ID=" + U8(kLong) + " TEXT=t & u]{" + U8(kLong) + "}(icon[BUILTIN=idea])";
  for (XMLNode* n : {detached, copy, moved}) {
    EXPECT_EQ(Dump(*n), item);
    Touch(*n);
    n->AppendChild(u"added", kLong.c_str());
    EXPECT_TRUE(xmltest::Consistent(*n));
  }
  EXPECT_EQ(U8(attr->value), U8(kLong));
  attr->name = u"renamed";
  delete detached;
  delete copy;
  delete attr;
  EXPECT_TRUE(other.RemoveChild(moved));
}

TEST(XmlMemory, NodesMoveBetweenDocuments) {
  auto a = Loaded(50);
  auto b = Loaded(1);
  XMLNode* branch = a->GetRoot()->GetChild(5);
  XMLAttr* attr = a->GetRoot()->GetChild(6)->GetAttr(1u);
  ASSERT_EQ(b->GetRoot()->AppendChild(branch), branch);
  ASSERT_EQ(b->GetRoot()->AppendAttr(attr), attr);
  EXPECT_EQ(branch->GetChild(0u)->document, b.get());
  // A node that goes back home, and a copy made into the other document.
  ASSERT_NE(a->GetRoot()->AppendChild(a->GetRoot()->DetachChild(a->GetRoot()->GetChild(7))), nullptr);
  ASSERT_NE(b->GetRoot()->AppendChildBranch(a->GetRoot()->GetChild(8)), nullptr);
  a.reset();

  Touch(*b->GetRoot());
  EXPECT_EQ(U8(branch->GetAttrValue(u"TEXT")), "t & u?");
  EXPECT_EQ(U8(attr->value), "t & u?");
  EXPECT_EQ(b->GetRoot()->GetChildCount(), 3);
  EXPECT_TRUE(xmltest::Consistent(*b));

  // And the other order: the receiving document goes first, its guest's old home after.
  auto c = Loaded(10);
  auto d = Loaded(10);
  ASSERT_NE(d->GetRoot()->AppendChild(c->GetRoot()->GetChild(0u)), nullptr);
  d.reset();
  EXPECT_EQ(c->GetRoot()->GetChildCount(), 9);
  Touch(*c->GetRoot());
}

TEST(XmlMemory, TextsSetManyTimesDoNotPileUp) {
  auto doc = Loaded(20);
  XMLNode* n = doc->GetRoot()->GetChild(3);
  XMLAttr* a = n->GetAttr(0u);
  const size_t before = HeapInUse();
  std::u16string last;
  for (int i = 0; i < 20000; ++i) {
    last = kLong + std::u16string(static_cast<size_t>(i % 300), u'x');
    n->value = last;
    a->value = last;
    n->name = std::u16string_view(last).substr(0, 40);
    XmlString local(last.begin(), last.end());
    a->name = std::move(local);  // copied into the document, not taken over
  }
  EXPECT_LT(HeapInUse(), before + 256 * 1024);
  EXPECT_EQ(U8(n->value), U8(last));
  EXPECT_EQ(U8(a->name), U8(last));
  EXPECT_NE(n->GetXML(nullptr).find(last), std::u16string::npos);
}

TEST(XmlMemory, FreedDocumentsGiveBackTheirMemory) {
  // Warm up: the first parse of a thread sets up state that stays.
  Loaded(10);
  const size_t before = HeapInUse();
  for (int round = 0; round < 20; ++round) {
    auto doc = Loaded(300);
    XMLNode* kept = doc->GetRoot()->DetachChild(doc->GetRoot()->GetChild(round));
    XMLAttr* attr = doc->GetRoot()->GetChild(0u)->DetachAttr(doc->GetRoot()->GetChild(0u)->GetAttr(0u));
    // A document cleared and loaded again starts from an empty arena.
    doc->Close();
    std::u16string text = MapText(300);
    ASSERT_NE(doc->Load(text.c_str(), nullptr), nullptr);
    *doc = *doc;
    doc.reset();
    delete kept;
    delete attr;
  }
  EXPECT_LT(HeapInUse(), before + 128 * 1024);
}

}  // namespace

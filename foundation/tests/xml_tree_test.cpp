// Tree operations of the XML object model, with the ownership mends: a node has one owner,
// copies are safe from themselves, and deleting or detaching keeps the tree consistent.
#include <gtest/gtest.h>

#include <thread>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
using xmltest::Dump;
using xmltest::U8;

namespace {

XMLNode Parsed(const char16_t* text) {
  XMLNode n;
  ParseInfo pi;
  EXPECT_NE(n.Load(text, &pi), nullptr) << U8(text);
  return n;
}

TEST(XmlTree, LookupsByNameIndexAndAttribute) {
  XMLNode n = Parsed(u"<r><c1><k id=\"g\"/></c1><k id=\"2\">v</k><e></e></r>");
  // Find is depth-first pre-order: the grandchild under c1 comes before c2.
  EXPECT_EQ(n.Find(u"k"), n.GetChild(0u)->GetChild(0u));
  EXPECT_EQ(n.Find(u"k", u"2"), n.GetChild(1));
  EXPECT_EQ(n.Find(u"r"), nullptr);  // the node itself is not searched
  EXPECT_EQ(n.GetChild(3), nullptr);
  EXPECT_EQ(n.GetChild(-1), nullptr);
  EXPECT_EQ(n[1], n.GetChild(u"k"));
  EXPECT_EQ(n.GetChildValue(u"missing"), nullptr);
  EXPECT_EQ(std::u16string(n.GetChildValue(u"e")), u"");
  EXPECT_EQ(std::u16string(n.GetChildValue(u"k")), u"v");
  EXPECT_EQ(std::u16string(n.GetChildAttrValue(u"k", u"id")), u"2");
  EXPECT_EQ(n.GetChildAttr(u"k", u"none"), nullptr);
  EXPECT_EQ(n.GetChilds(u"k").size(), 1u);
  EXPECT_EQ(n.GetChilds().size(), 3u);
  EXPECT_TRUE(n.GetAttrs(u"id").empty());
  EXPECT_EQ(n.GetChildIterator(n.GetChild(2)), n.children.begin() + 2);
  EXPECT_EQ(n.GetChildIterator(&n), n.children.end());
}

TEST(XmlTree, BuildsRemovesAndDetaches) {
  XMLNode root;
  root.name = u"root";
  EXPECT_EQ(U8(root.AppendChild(u"n", 42)->value), "42");
  XMLNode* s = root.AppendChild(nullptr, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->name.empty());
  EXPECT_EQ(U8(root.AppendAttr(u"x", -7)->value), "-7");
  XMLAttr* a = root.AppendAttr(u"y", u"1");

  XMLNode stranger;
  EXPECT_FALSE(root.RemoveChild(&stranger));
  EXPECT_EQ(root.DetachChild(&stranger), nullptr);
  EXPECT_FALSE(root.RemoveAttr(nullptr));

  XMLNode* d = root.DetachChild(s);
  EXPECT_EQ(d, s);
  EXPECT_EQ(d->parent, nullptr);
  delete d;
  EXPECT_EQ(root.DetachAttr(a), a);
  EXPECT_EQ(a->parent, nullptr);
  delete a;
  EXPECT_EQ(Dump(root), "root[x=-7](n{42})");
  EXPECT_TRUE(root.RemoveChild(root.GetChild(0u)));
  EXPECT_EQ(root.GetChildCount(), 0);
}

TEST(XmlTree, NodeHasOneOwner) {
  XMLDocument doc;
  XMLNode* a = doc.AppendChild(u"a", u"");
  XMLNode* b = a->AppendChild(u"b", u"");
  XMLNode* c = b->AppendChild(u"c", u"");

  // Appending a node that has a parent moves it.
  XMLNode other;
  EXPECT_EQ(other.AppendChild(b), b);
  EXPECT_EQ(a->GetChildCount(), 0);
  EXPECT_EQ(b->parent, &other);
  EXPECT_EQ(c->document, nullptr);  // it left the document with its branch
  EXPECT_EQ(a->AppendChild(b), b);
  EXPECT_EQ(c->document, &doc);
  EXPECT_EQ(other.GetChildCount(), 0);

  // A node cannot become its own descendant.
  EXPECT_EQ(c->AppendChild(a), nullptr);
  EXPECT_EQ(b->AppendChild(b), nullptr);
  EXPECT_EQ(a->AppendChild(nullptr), nullptr);

  // Attributes move the same way.
  XMLAttr* x = a->AppendAttr(u"x", u"1");
  EXPECT_EQ(b->AppendAttr(x), x);
  EXPECT_TRUE(a->attributes.empty());
  EXPECT_EQ(x->parent, b);

  // Deleting an attached node takes it out of its parent.
  delete c;
  EXPECT_EQ(b->GetChildCount(), 0);
  delete x;
  EXPECT_TRUE(b->attributes.empty());
  EXPECT_EQ(Dump(doc), "(a(b))");
  EXPECT_TRUE(xmltest::Consistent(doc));
}

TEST(XmlTree, CopiesAreSafeFromTheirOwnSource) {
  XMLNode n = Parsed(u"<r a=\"1\"><x b=\"2\"><y>v</y></x><z/></r>");
  XMLNode& self = n;
  n = self;
  EXPECT_EQ(Dump(n), "r[a=1](x[b=2](y{v}),z)");

  // Assigning from a descendant: the descendant is freed only after it was copied.
  n = *n.GetChild(0u);
  EXPECT_EQ(Dump(n), "x[b=2](y{v})");
  n.CopyNode(n.GetChild(0u));
  EXPECT_EQ(Dump(n), "y{v}");
  n.CopyNode(&n);
  EXPECT_EQ(Dump(n), "y{v}");

  XMLNode src = Parsed(u"<r><x><y/></x></r>");
  n.CopyBranch(src.GetChild(0u));
  n._CopyBranch(&n, nullptr);
  EXPECT_EQ(Dump(n), "x(y)");
  EXPECT_TRUE(xmltest::Consistent(n));
  // The copy keeps its own place: a copied node is not made to claim the source's parent.
  EXPECT_EQ(n.parent, nullptr);

  XMLNode* branch = src.AppendChildBranch(&src);
  ASSERT_NE(branch, nullptr);
  EXPECT_EQ(Dump(src), "r(x(y),r(x(y)))");
  EXPECT_TRUE(xmltest::Consistent(src));
}

TEST(XmlTree, DocumentCopiesBelongToTheNewDocument) {
  XMLDocument doc;
  ASSERT_NE(doc.Load(u"<?xml v=\"1\"?><r><a><b/></a></r>", nullptr), nullptr);
  XMLDocument copy(doc);
  XMLDocument assigned;
  assigned = doc;
  for (XMLDocument* d : {&copy, &assigned}) {
    EXPECT_EQ(Dump(*d), Dump(doc));
    EXPECT_EQ(d->GetRoot()->document, d);
    EXPECT_EQ(d->GetRoot()->GetChild(0u)->GetChild(0u)->document, d);
    EXPECT_TRUE(xmltest::Consistent(*d));
  }
  // GetRoot skips the processing instruction in front.
  EXPECT_EQ(U8(copy.GetRoot()->name), "r");
}

TEST(XmlTree, ParsedNodesOutliveTheirDocumentAndMayBeFreedAnywhere) {
  // Blocks made by a parse share chunks; a chunk must stay while any block in it lives,
  // whichever thread frees the others.
  XMLNode* kept = nullptr;
  std::thread([&] {
    XMLDocument doc;
    std::u16string text = u"<r>";
    for (int i = 0; i < 5000; ++i) text += u"<item name=\"a fairly long attribute value\">some text</item>";
    text += u"</r>";
    ASSERT_NE(doc.Load(text.c_str(), nullptr), nullptr);
    kept = doc.GetRoot()->DetachChild(doc.GetRoot()->GetChild(2500));
  }).join();
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(Dump(*kept), "item[name=a fairly long attribute value]{some text}");
  std::thread([&] { delete kept; }).join();
}

}  // namespace

// The MSXML document stand-in: creation through COM, building, queries, attributes, node
// lifetime, the XML declaration node, loading from bytes and text, saving.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kx2/Ref.h"
#include "win/com.h"
#include "win/kernel.h"
#include "win/msxml.h"

namespace {

// A BSTR for the length of one call.
struct Bstr {
  explicit Bstr(const char16_t* s) : b(SysAllocString(s)) {}
  ~Bstr() { SysFreeString(b); }
  operator BSTR() const { return b; }  // NOLINT
  BSTR b;
};

using kx2::Ref;

std::u16string Take(BSTR b) {
  std::u16string s(b ? b : u"", b ? SysStringLen(b) : 0);
  SysFreeString(b);
  return s;
}

IXMLDOMDocument* NewDocument() {
  IXMLDOMDocument* doc = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                             reinterpret_cast<void**>(&doc)),
            S_OK);
  return doc;
}

TEST(MsxmlDom, BuildQueryAndSave) {
  IID unknownClass = CLSID_DOMDocument;
  unknownClass.Data1 ^= 1;
  void* none = nullptr;
  EXPECT_EQ(CoCreateInstance(unknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &none), REGDB_E_CLASSNOTREG);

  Ref<IXMLDOMDocument> doc;
  doc.reset(NewDocument());
  ASSERT_NE(doc.get(), nullptr);
  Ref<IXMLDOMElement> root, child, other;
  ASSERT_EQ(doc->createElement(Bstr(u"resource"), root.put()), S_OK);
  EXPECT_EQ(doc->createElement(Bstr(u"bad name"), other.put()), E_FAIL);
  ASSERT_EQ(doc->appendChild(root.get(), nullptr), S_OK);
  for (int id : {7, 8}) {
    Ref<IXMLDOMElement> s;
    ASSERT_EQ(doc->createElement(Bstr(u"string"), s.put()), S_OK);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    ASSERT_EQ(s->setAttribute(Bstr(u"id"), v), S_OK);
    ASSERT_EQ(s->put_text(Bstr(id == 7 ? u"seven & <7>" : u"eight")), S_OK);
    ASSERT_EQ(root->appendChild(s.get(), nullptr), S_OK);
  }
  Ref<IXMLDOMNode> found, missing;
  ASSERT_EQ(root->selectSingleNode(Bstr(u"string[@id = \"7\"]"), found.put()), S_OK);
  BSTR text = nullptr;
  ASSERT_EQ(found->get_text(&text), S_OK);
  EXPECT_EQ(Take(text), u"seven & <7>");
  EXPECT_EQ(root->selectSingleNode(Bstr(u"string[@id = \"9\"]"), missing.put()), S_FALSE);
  EXPECT_EQ(missing.get(), nullptr);
  Ref<IXMLDOMNodeList> all;
  EXPECT_EQ(root->selectNodes(Bstr(u"[[["), all.put()), E_FAIL);
  ASSERT_EQ(root->selectNodes(Bstr(u"*"), all.put()), S_OK);
  LONG length = 0;
  all->get_length(&length);
  EXPECT_EQ(length, 2);

  // A removed node stays usable; a replaced text does not free the old text node.
  Ref<IXMLDOMNode> firstText;
  ASSERT_EQ(found->get_firstChild(firstText.put()), S_OK);
  ASSERT_EQ(found->put_text(Bstr(u"new")), S_OK);
  ASSERT_EQ(firstText->get_text(&text), S_OK);
  EXPECT_EQ(Take(text), u"seven & <7>");
  ASSERT_EQ(root->removeChild(found.get(), nullptr), S_OK);
  ASSERT_EQ(found->get_xml(&text), S_OK);
  EXPECT_EQ(Take(text), u"<string id=\"7\">new</string>");

  // The declaration is a processing instruction among the document's children.
  Ref<IXMLDOMProcessingInstruction> pi;
  ASSERT_EQ(doc->createProcessingInstruction(Bstr(u"xml"), Bstr(u"version=\"1.0\" encoding=\"UTF-8\""), pi.put()),
            S_OK);
  Ref<IXMLDOMNode> first;
  ASSERT_EQ(doc->get_firstChild(first.put()), S_OK);
  VARIANT before;
  VariantInit(&before);
  before.vt = VT_UNKNOWN;
  before.punkVal = first.get();
  ASSERT_EQ(doc->insertBefore(pi.get(), before, nullptr), S_OK);
  ASSERT_EQ(doc->get_xml(&text), S_OK);
  EXPECT_EQ(Take(text),
            u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<resource><string id=\"8\">eight</string></resource>\n");

  // Saved into a stream and loaded back as bytes.
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_UNKNOWN;
  target.punkVal = stream;
  ASSERT_EQ(doc->save(target), S_OK);
  LARGE_INTEGER zero{};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  Ref<IXMLDOMDocument> again;
  again.reset(NewDocument());
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(again->load(target, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  stream->Release();
  Ref<IXMLDOMElement> loadedRoot;
  ASSERT_EQ(again->get_documentElement(loadedRoot.put()), S_OK);
  Ref<IXMLDOMNamedNodeMap> attributes;
  Ref<IXMLDOMNode> string8, id;
  ASSERT_EQ(loadedRoot->get_firstChild(string8.put()), S_OK);
  ASSERT_EQ(string8->get_attributes(attributes.put()), S_OK);
  ASSERT_EQ(attributes->getNamedItem(Bstr(u"id"), id.put()), S_OK);
  ASSERT_EQ(id->get_text(&text), S_OK);
  EXPECT_EQ(Take(text), u"8");
}

TEST(MsxmlDom, LoadingText) {
  struct Case {
    const char16_t* xml;
    bool ok;
  } cases[] = {
      {u"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\u00e9</a>", true},  // the text is Unicode already
      {u"<a><b></a>", false},
      {u"<!DOCTYPE a SYSTEM \"http://example.invalid/a.dtd\"><a>x</a>", true},  // nothing fetched
      {u"", false},
  };
  for (const Case& c : cases) {
    Ref<IXMLDOMDocument> doc;
    doc.reset(NewDocument());
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc->loadXML(Bstr(c.xml), &ok), c.ok ? S_OK : S_FALSE);
    EXPECT_EQ(ok, c.ok ? VARIANT_TRUE : VARIANT_FALSE);
    Ref<IXMLDOMElement> root;
    EXPECT_EQ(doc->get_documentElement(root.put()), c.ok ? S_OK : S_FALSE);
  }
  // Bytes are read in their own encoding.
  const char latin1[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>";
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, sizeof latin1 - 1);
  std::memcpy(bytes->pvData, latin1, sizeof latin1 - 1);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_UI1;
  source.parray = bytes;
  Ref<IXMLDOMDocument> doc;
  doc.reset(NewDocument());
  VARIANT_BOOL ok;
  ASSERT_EQ(doc->load(source, &ok), S_OK);
  VariantClear(&source);
  BSTR text;
  ASSERT_EQ(doc->get_text(&text), S_OK);
  EXPECT_EQ(Take(text), u"\u00e9");
}

}  // namespace

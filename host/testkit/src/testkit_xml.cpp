// The kit's XML documents and the refusing element factory.
#include <vantorel/testkit_xml.h>

#include <new>
#include <set>

#include <kx2/Utf.h>
#include <vantorel/exports.h>

#include "core/census.h"

namespace vantorel::testkit {
namespace {

using vantorel::detail::Ref;
using vantorel::detail::RefCounted;

// Passes every operation to the document it wraps, except that it makes no element whose
// name the test refused.
class RefusingDocument : public RefCounted<IKX2XMLDocument> {
 public:
  explicit RefusingDocument(IKX2XMLDocument* inner) : inner_(Ref<IKX2XMLDocument>::Share(inner)) {}
  const char* Kind() const override { return "kit refusing XML factory"; }

  void Refuse(std::u16string name) { refused_.insert(std::move(name)); }

  LPCWSTR GetNodeName() override { return inner_->GetNodeName(); }
  LPCWSTR GetNodeValue() override { return inner_->GetNodeValue(); }
  IKX2XMLNode* GetParentNode() override { return inner_->GetParentNode(); }
  LONG GetNodeType() override { return inner_->GetNodeType(); }
  IKX2XMLDocument* GetOwnerDocument() override { return inner_->GetOwnerDocument(); }
  IKX2XMLNodeList* GetChildNodes() override { return inner_->GetChildNodes(); }
  IKX2XMLNode* GetFirstChild() override { return inner_->GetFirstChild(); }
  IKX2XMLNode* GetLastChild() override { return inner_->GetLastChild(); }
  IKX2XMLNode* GetPreviousSibling() override { return inner_->GetPreviousSibling(); }
  IKX2XMLNode* GetNextSibling() override { return inner_->GetNextSibling(); }
  BOOL HasChildNodes() override { return inner_->HasChildNodes(); }
  BOOL AppendChild(IKX2XMLNode* child) override { return inner_->AppendChild(child); }
  BOOL RemoveChild(IKX2XMLNode* child) override { return inner_->RemoveChild(child); }
  LPCWSTR GetXml() override { return inner_->GetXml(); }

  IKX2XMLElement* GetDocumentElement() override { return inner_->GetDocumentElement(); }
  IKX2XMLElement* CreateElement(LPCWSTR name) override {
    if (name && refused_.count(name)) return nullptr;
    return inner_->CreateElement(name);
  }
  IKX2XMLElement* CreateElementNS(LPCWSTR ns, LPCWSTR name) override {
    if (name && refused_.count(name)) return nullptr;
    return inner_->CreateElementNS(ns, name);
  }
  IKX2XMLNode* CreateTextNode(LPCWSTR text) override { return inner_->CreateTextNode(text); }
  BOOL SetDocumentElement(IKX2XMLElement* root) override { return inner_->SetDocumentElement(root); }

 protected:
  void Dispose() override { inner_.reset(); }

 private:
  Ref<IKX2XMLDocument> inner_;
  std::set<std::u16string> refused_;
};

IKX2XMLFactory* Factory() { return VtlGetApplication()->GetXMLFactory(); }

}  // namespace

XmlKit::XmlKit() : document_(nullptr), root_(nullptr), refusing_(nullptr) {
  Ref<IKX2XMLFactory> factory = Ref<IKX2XMLFactory>(Factory());
  document_ = factory->CreateDocument();
  root_ = document_->CreateElement(u"root");
  document_->SetDocumentElement(root_);
  refusing_ = new RefusingDocument(document_);
}

XmlKit::~XmlKit() {
  refusing_->Release();
  root_->Release();
  document_->Release();
}

void XmlKit::RefuseElement(std::u16string name) { static_cast<RefusingDocument*>(refusing_)->Refuse(std::move(name)); }

std::string XmlKit::Xml(IKX2XMLNode* node) {
  if (!node) return {};
  LPCWSTR text = node->GetXml();
  return text ? kx2::Utf16ToUtf8(text) : std::string();
}

IKX2XMLElement* XmlKit::Parse(std::string_view xml) {
  Ref<IKX2XMLFactory> factory = Ref<IKX2XMLFactory>(Factory());
  Ref<IKX2XMLParser> parser = Ref<IKX2XMLParser>(factory->CreateParser());
  if (!parser) return nullptr;
  Ref<IKX2XMLDocument> doc =
      Ref<IKX2XMLDocument>(parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
  return doc ? doc->GetDocumentElement() : nullptr;
}

}  // namespace vantorel::testkit

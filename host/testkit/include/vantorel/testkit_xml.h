// Test kit: XML documents of the host for the shape-format XML readers and writers.
//
// An XmlKit holds a fresh document made by the host's XML factory with one root element
// ("root") under which values are written. The document is the element factory the
// writers use; refusingFactory() is a second factory over the same document that answers
// null for the element names a test refuses (everything else passes through), so that a
// test can show a writer skipping an element it could not make.
#pragma once

#include <string>
#include <string_view>

#include <vantorel/xml_interfaces.h>

namespace vantorel::testkit {

class XmlKit {
 public:
  XmlKit();
  ~XmlKit();
  XmlKit(const XmlKit&) = delete;
  XmlKit& operator=(const XmlKit&) = delete;

  IKX2XMLDocument* document() const { return document_; }
  IKX2XMLElement* root() const { return root_; }
  IKX2XMLDocument* refusingFactory() const { return refusing_; }
  void RefuseElement(std::u16string name);

  // The node and its subtree as UTF-8 XML text.
  static std::string Xml(IKX2XMLNode* node);
  // Parses XML text into a document of its own and returns its root element with one
  // reference for the caller; null when the text is not well-formed.
  static IKX2XMLElement* Parse(std::string_view xml);

 private:
  IKX2XMLDocument* document_;
  IKX2XMLElement* root_;
  IKX2XMLDocument* refusing_;
};

}  // namespace vantorel::testkit

// The XML reading state the importers share: the namespace rule of attribute reads, the
// current document and element (borrowed: callers save, replace and restore the current
// element around each child), and the element paths held under handles until released.
//
// Everything an operation hands out is the caller's to release unless said otherwise.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <vantorel/xml_interfaces.h>

class ImportBase {
 public:
  ImportBase() = default;
  virtual ~ImportBase();
  ImportBase(const ImportBase&) = delete;
  ImportBase& operator=(const ImportBase&) = delete;

  // With a non-zero flag and a non-empty prefix, GetAttributeText reads every attribute
  // through the element's namespaced read (with an empty namespace text).
  void SetNamespace(LONG flag, LPCWSTR prefix);
  // The attribute's text (valid while the element lives), or null.
  LPCWSTR GetAttributeText(IKX2XMLElement* element, LPCWSTR name);
  // The text of the first child element so named; false when there is none.
  bool GetChildElementText(IKX2XMLElement* element, LPCWSTR name, std::u16string* text);
  // Plain attribute reads: `value` is cleared first; false when absent or empty (and, for
  // booleans, unless the text is "true"/"TRUE"/"false"/"FALSE").
  bool GetAttributeLong(IKX2XMLElement* element, LPCWSTR name, LONG* value);
  bool GetAttributeBool(IKX2XMLElement* element, LPCWSTR name, bool* value);
  // A plain attribute as a double: false and 0.0 when absent or empty.
  bool GetAttributeDouble(IKX2XMLElement* element, LPCWSTR attribute, double* value);

  IKX2XMLElement* GetCurrentElement() const { return current_; }
  // Returns the previous current element.
  IKX2XMLElement* SetCurrentElement(IKX2XMLElement* element);
  IKX2XMLDocument* GetCurrentDocument() const { return document_; }
  void SetCurrentDocument(IKX2XMLDocument* document) { document_ = document; }

  // Attribute `attribute` of the first child element named `child`, as an owned copy (the
  // child is released before the call returns); nullopt when there is no such child or
  // attribute.
  std::optional<std::u16string> GetChildAttributeText(IKX2XMLElement* element, LPCWSTR child, LPCWSTR attribute);
  // The same attribute as a whole number: true and the value; false with 0 when it is
  // missing or empty; false with `value` untouched when there is no such child.
  bool GetChildAttributeLong(IKX2XMLElement* element, LPCWSTR child, LPCWSTR attribute, LONG* value);
  // "true"/"TRUE" and "false"/"FALSE" give true and the value; any other text, or a missing
  // or empty attribute, false with false; a missing child, false with `value` untouched.
  bool GetChildAttributeBool(IKX2XMLElement* element, LPCWSTR child, LPCWSTR attribute, bool* value);

  // The first direct child element whose tag equals `name` exactly, or null.
  IKX2XMLElement* FindChildElementByName(IKX2XMLElement* element, LPCWSTR name);
  // The first following sibling element of `node` whose tag equals `name`, or null.
  IKX2XMLElement* FindNextSiblingElementByName(IKX2XMLNode* node, LPCWSTR name);

  // Walks down one child name per level (the first child so named). Every interface taken
  // on the way, the returned element included, is held under a new handle written to
  // *handle, until ReleasePath(handle): the caller does not release the element itself.
  // Null (nothing held) when a name is missing. An empty list gives the element itself.
  IKX2XMLElement* FindElementByPath(IKX2XMLElement* element, std::initializer_list<LPCWSTR> names, int* handle);
  IKX2XMLElement* FindElementByPath(IKX2XMLElement* element, const std::vector<LPCWSTR>& names, int* handle);
  // Releases, last first, what the handle holds; 1, or 0 for a handle that holds nothing
  // (never used, or already released).
  int ReleasePath(int handle);

 private:
  // The first child element named `name` (one new reference), or null.
  IKX2XMLElement* FirstChildNamed(IKX2XMLElement* element, LPCWSTR name, IKX2XMLNodeList** list);

  LONG namespaceFlag_ = 0;
  std::u16string prefix_;
  IKX2XMLDocument* document_ = nullptr;
  IKX2XMLElement* current_ = nullptr;
  std::map<int, std::vector<IVtlUnknown*>> held_;
  int nextHandle_ = 0;
};

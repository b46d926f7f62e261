// Small helpers over the MSXML interfaces for the XML kind of the property exchange.
#pragma once

#include <win/afx.h>
#include <win/msxml.h>

namespace ktk {

// A BSTR for the length of a call.
class TempBstr {
 public:
  explicit TempBstr(LPCWSTR text) : b_(SysAllocString(text ? text : u"")) {
    if (!b_) AfxThrowMemoryException();
  }
  explicit TempBstr(const CString& text) : b_(text.AllocSysString()) {}
  ~TempBstr() { SysFreeString(b_); }
  TempBstr(const TempBstr&) = delete;
  TempBstr& operator=(const TempBstr&) = delete;
  operator BSTR() const { return b_; }  // NOLINT

 private:
  BSTR b_;
};

template <class T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// Takes over a BSTR and frees it.
CString TakeText(BSTR text);
CString NodeName(IXMLDOMNode* node);
// The first child element with the name (any element when name is empty); a new
// reference, or null.
IXMLDOMElement* FindChildElement(IXMLDOMNode* parent, LPCWSTR name);
// Lays out XML text with a line end and tabs before each tag that follows another tag.
std::string IndentXml(const std::string& xml);

}  // namespace ktk

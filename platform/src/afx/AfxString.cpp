// MFC's string class.
#include <win/afx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <win/crt.h>
#include <win/nls.h>
#include <win/resource.h>

CString::CString(LPCWSTR text) {
  if (text) text_ = text;
}

CString::CString(LPCWSTR text, int length) {
  if (text && length > 0) text_.assign(text, static_cast<size_t>(length));
}

CString::CString(WCHAR c, int repeat) {
  if (repeat > 0) text_.assign(static_cast<size_t>(repeat), c);
}

CString::CString(LPCSTR text) {
  if (!text || !*text) return;
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return;
  text_.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, 0, text, -1, &text_[0], n);
  text_.resize(static_cast<size_t>(n - 1));
}

CString& CString::operator=(LPCWSTR text) {
  if (text)
    text_ = text;
  else
    text_.clear();
  return *this;
}

CString& CString::operator=(WCHAR c) {
  text_.assign(1, c);
  return *this;
}

LPWSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) text_.resize(static_cast<size_t>(minLength));
  return &text_[0];
}

LPWSTR CString::GetBufferSetLength(int length) {
  text_.resize(static_cast<size_t>(std::max(length, 0)));
  return &text_[0];
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(wcsnlen(text_.c_str(), text_.size()));
  text_.resize(std::min(static_cast<size_t>(newLength), text_.size()));
}

CString& CString::operator+=(const CString& other) {
  text_ += other.text_;
  return *this;
}

CString& CString::operator+=(LPCWSTR text) {
  if (text) text_ += text;
  return *this;
}

CString& CString::operator+=(WCHAR c) {
  text_ += c;
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  return r += b;
}
CString operator+(const CString& a, LPCWSTR b) {
  CString r(a);
  return r += b;
}
CString operator+(LPCWSTR a, const CString& b) {
  CString r(a);
  return r += b;
}
CString operator+(const CString& a, WCHAR b) {
  CString r(a);
  return r += b;
}

int CString::Compare(LPCWSTR text) const { return wcscmp(text_.c_str(), text ? text : u""); }

int CString::CompareNoCase(LPCWSTR text) const { return _wcsicmp(text_.c_str(), text ? text : u""); }

CString CString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.c_str(), count);
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.c_str() + (GetLength() - count), count);
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(text_.c_str() + first, count);
}

int CString::Find(WCHAR c, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  const size_t at = text_.find(c, static_cast<size_t>(start));
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCWSTR text, int start) const {
  if (!text || start < 0 || start > GetLength()) return -1;
  const size_t at = text_.find(text, static_cast<size_t>(start));
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(WCHAR c) const {
  const size_t at = text_.rfind(c);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText) {
  if (!oldText || !*oldText) return 0;
  const std::u16string from(oldText), to(newText ? newText : u"");
  int count = 0;
  size_t at = 0;
  while ((at = text_.find(from, at)) != std::u16string::npos) {
    text_.replace(at, from.size(), to);
    at += to.size();
    ++count;
  }
  return count;
}

int CString::Replace(WCHAR oldChar, WCHAR newChar) {
  int count = 0;
  for (auto& c : text_)
    if (c == oldChar) c = newChar, ++count;
  return count;
}

CString& CString::MakeLower() {
  for (auto& c : text_) c = towlower(c);
  return *this;
}

CString& CString::MakeUpper() {
  for (auto& c : text_) c = towupper(c);
  return *this;
}

CString& CString::TrimLeft() {
  size_t n = 0;
  while (n < text_.size() && iswspace(text_[n])) ++n;
  text_.erase(0, n);
  return *this;
}

CString& CString::TrimRight() {
  size_t n = text_.size();
  while (n > 0 && iswspace(text_[n - 1])) --n;
  text_.resize(n);
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

void CString::FormatV(LPCWSTR format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = _vscwprintf(format ? format : u"", measure);
  va_end(measure);
  if (length <= 0) {
    text_.clear();
    return;
  }
  std::u16string out(static_cast<size_t>(length) + 1, u'\0');
  _vsnwprintf(&out[0], out.size(), format, args);
  out.resize(static_cast<size_t>(length));
  text_.swap(out);
}

void CString::Format(LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(LPCWSTR format, ...) {
  CString more;
  va_list args;
  va_start(args, format);
  more.FormatV(format, args);
  va_end(args);
  *this += more;
}

BOOL CString::LoadString(UINT id) { return LoadString(AfxFindStringResourceHandle(id), id); }

BOOL CString::LoadString(HINSTANCE instance, UINT id) {
  text_.clear();
  LPCWSTR text = nullptr;
  // With no buffer, LoadStringW hands out the string in place.
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return FALSE;
  text_.assign(text, static_cast<size_t>(length));
  return TRUE;
}

BSTR CString::AllocSysString() const {
  BSTR out = SysAllocStringLen(text_.data(), static_cast<UINT>(text_.size()));
  if (!out) AfxThrowMemoryException();
  return out;
}

// MFC's string class on UTF-16 text (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include <cstdarg>
#include <string>

#include "win/ole.h"
#include "win/types.h"

class KX2_API CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(LPCWSTR text);  // NOLINT: converts as MFC's does; null is empty
  CString(LPCWSTR text, int length);
  CString(WCHAR c, int repeat = 1);
  // 8-bit text in the ANSI code page.
  explicit CString(LPCSTR text);
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(LPCWSTR text);
  CString& operator=(WCHAR c);

  operator LPCWSTR() const { return text_.c_str(); }  // NOLINT: MFC's own conversion
  LPCWSTR GetString() const { return text_.c_str(); }
  const std::u16string& str() const { return text_; }

  int GetLength() const { return static_cast<int>(text_.size()); }
  BOOL IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  WCHAR GetAt(int index) const { return text_.at(static_cast<size_t>(index)); }
  void SetAt(int index, WCHAR c) { text_.at(static_cast<size_t>(index)) = c; }
  WCHAR operator[](int index) const { return GetAt(index); }

  // A writable buffer of at least minLength units (and a terminator); ReleaseBuffer sets
  // the length (-1: up to the first 0 unit).
  LPWSTR GetBuffer(int minLength = 0);
  LPWSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  CString& operator+=(const CString& other);
  CString& operator+=(LPCWSTR text);
  CString& operator+=(WCHAR c);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCWSTR b);
  friend CString operator+(LPCWSTR a, const CString& b);
  friend CString operator+(const CString& a, WCHAR b);

  int Compare(LPCWSTR text) const;
  // Case-insensitive, as _wcsicmp.
  int CompareNoCase(LPCWSTR text) const;
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  // -1 when absent.
  int Find(WCHAR c, int start = 0) const;
  int Find(LPCWSTR text, int start = 0) const;
  int ReverseFind(WCHAR c) const;
  // Returns the number of replacements.
  int Replace(LPCWSTR oldText, LPCWSTR newText);
  int Replace(WCHAR oldChar, WCHAR newChar);
  CString& MakeLower();
  CString& MakeUpper();
  CString& Trim();
  CString& TrimLeft();
  CString& TrimRight();

  // The platform's _snwprintf rules (win/crt.h): %s is wide text.
  void Format(LPCWSTR format, ...);
  void FormatV(LPCWSTR format, va_list args);
  void AppendFormat(LPCWSTR format, ...);

  // The string of the application's resources (AfxFindStringResourceHandle); FALSE, and
  // an empty string, when it is missing or empty.
  BOOL LoadString(UINT id);
  BOOL LoadString(HINSTANCE instance, UINT id);

  // A new BSTR of the text; the caller frees it.
  BSTR AllocSysString() const;

 private:
  std::u16string text_;
};
// The friends above, declared here too so that they are exported with the class.
KX2_API CString operator+(const CString& a, const CString& b);
KX2_API CString operator+(const CString& a, LPCWSTR b);
KX2_API CString operator+(LPCWSTR a, const CString& b);
KX2_API CString operator+(const CString& a, WCHAR b);

// The property exchange: one routine describes an object's state, and the exchange object
// either stores each named, typed value or loads it back (with a default when the store
// lacks it). Kinds: an MFC archive, a registry key, an INI file and an XML node
// (PropExchangeKinds.h).
//
// Exchange objects are reference counted (CCmdTarget): sections and enumerators hand out
// new objects that the caller frees with ExternalRelease() (sections) or delete
// (enumerators). A section keeps its parent alive.
#pragma once

#include <win/afx.h>
#include <win/oleauto.h>
#include <win/types.h>

// Value types of ExchangeProp (the value and default point at the type named).
#define KTK_VT_I2 VT_I2            // SHORT
#define KTK_VT_I4 VT_I4            // LONG (also DWORD, enums)
#define KTK_VT_R4 VT_R4            // float
#define KTK_VT_R8 VT_R8            // double
#define KTK_VT_CY VT_CY            // CY
#define KTK_VT_DATE VT_DATE        // COleDateTime
#define KTK_VT_BSTR VT_BSTR        // BSTR
#define KTK_VT_BOOL VT_BOOL        // BOOL
#define KTK_VT_VARIANT VT_VARIANT  // COleVariant
#define KTK_VT_UI1 VT_UI1          // BYTE
#define KTK_VT_STRING VT_LPSTR     // CString (30)
#define KTK_VT_RECT 100            // RECT
#define KTK_VT_SIZE 101            // SIZE or POINT

// The schema a store written before schemas existed is read as.
#define KTK_SCHEMA_UNMARKED 17

class CKtkPropExchangeEnumerator;

class CKtkPropExchange : public CCmdTarget {
 public:
  ~CKtkPropExchange() override;

  // Stores or loads one value. Storing a value equal to the default writes nothing (and
  // removes what the store held); loading a value the store lacks gives the default
  // (when one is given) and TRUE, else FALSE with the variable unchanged.
  virtual BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) = 0;
  // Bytes as a text value: each byte as two capital letters ("A" + low nibble, "A" + high
  // nibble). Loading with *data null allocates the bytes with malloc (the caller frees
  // them); a caller's buffer (*size bytes) smaller than the data fails. *size receives
  // the length.
  virtual BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size);
  // The class's name as a string (in the current language's code page); loading finds the
  // class and checks that it derives from base.
  virtual BOOL ExchangeRuntimeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* base);
  // The object's class under "Class"; loading creates the object (the caller owns it).
  virtual BOOL ExchangeObjectInstance(CObject** object, CRuntimeClass* base);
  // An archive over the blob `name` (loading: null when there is none or it is empty);
  // give it back with ReleaseArchive, which stores the archive's bytes as the blob.
  virtual CArchive* GetArchive(LPCWSTR name);
  virtual void ReleaseArchive(LPCWSTR name, CArchive* archive);
  // A new exchange of the same kind for the named sub-store.
  virtual CKtkPropExchange* GetSection(LPCWSTR name) = 0;
  // Clears the section's stored content, before storing it anew.
  virtual void EmptySection();
  virtual void WriteCount(DWORD count);
  virtual DWORD ReadCount();
  virtual void Write(LPCWSTR name, const void* data, DWORD size);
  // The bytes read into a caller's buffer; 0 on failure.
  virtual DWORD Read(LPCWSTR name, void* data, DWORD size);
  virtual BOOL IsNamedStore() const { return TRUE; }
  virtual BOOL IsBinaryStore() const { return FALSE; }
  virtual BOOL OpenStorage();
  // A new enumerator over numbered sub-sections; the caller deletes it.
  virtual CKtkPropExchangeEnumerator* GetEnumerator(LPCWSTR name);
  // The schema as the 32-bit value "Schema" (default 32).
  virtual void ExchangeSchema();

  BOOL IsLoading() const { return m_bLoading; }
  int GetSchema() const { return m_nSchema; }
  void SetSchema(int schema) { m_nSchema = schema; }
  DWORD_PTR GetUserData() const { return m_dwUserData; }
  void SetUserData(DWORD_PTR data) { m_dwUserData = data; }
  BOOL IsChildSection() const { return m_bChildSection; }
  BOOL IsSectionEmptied() const { return m_bEmptySection; }
  void SetUseDefaultOnLoad(BOOL use) { m_bUseDefaultOnLoad = use; }
  void SetUseDefaultOnSave(BOOL use) { m_bUseDefaultOnSave = use; }
  // The locale the text kinds convert VARIANT values with (-1: none; dates then take the
  // date-time text form). Kept in the section's value "Locale".
  void SetLocale(LCID locale) { m_lcid = static_cast<LONG>(locale); }

 protected:
  explicit CKtkPropExchange(BOOL loading);
  // What a child section takes over from its parent.
  void InheritFrom(const CKtkPropExchange& parent);
  // Runs OpenStorage once; afterwards reports what it returned.
  BOOL EnsureOpen();
  // Loading a value the store lacks: the default when given (and allowed).
  BOOL LoadDefault(VARTYPE type, void* value, const void* defaultValue);
  BOOL IsDefault(VARTYPE type, const void* value, const void* defaultValue) const;
  // The text kinds' value "Locale", read or written once per section before the first
  // VARIANT value.
  void ExchangeLocale();

  DWORD_PTR m_dwUserData = 0;
  BOOL m_bLoading;
  int m_nSchema = 38;
  BOOL m_bChildSection = FALSE;
  BOOL m_bEmptySection = FALSE;
  BOOL m_bStorageOpened = FALSE;
  BOOL m_bUseDefaultOnLoad = TRUE;
  BOOL m_bUseDefaultOnSave = TRUE;
  BOOL m_bStorageUsable = FALSE;
  LONG m_lcid = -1;
  BOOL m_bLocaleExchanged = FALSE;
};

// Numbered sub-sections: base name N gives N0, N1, N2 ...
class CKtkPropExchangeEnumerator {
 public:
  CKtkPropExchangeEnumerator(CKtkPropExchange* exchange, LPCWSTR baseName);
  virtual ~CKtkPropExchangeEnumerator();
  CKtkPropExchangeEnumerator(const CKtkPropExchangeEnumerator&) = delete;
  CKtkPropExchangeEnumerator& operator=(const CKtkPropExchangeEnumerator&) = delete;

  // Non-zero when there is a first section. With useCountValue the count is the 32-bit
  // value "Count"; otherwise loading reads it with ReadCount and storing writes `count`
  // with WriteCount.
  virtual int GetPosition(DWORD count, BOOL useCountValue = FALSE);
  // The section at the position (a new exchange; free it with ExternalRelease); the
  // position advances and becomes 0 after the last section. Null for position 0.
  virtual CKtkPropExchange* GetNext(int& position);
  virtual DWORD GetCount() const { return m_nCount; }

 protected:
  CKtkPropExchange* m_pExchange;
  CString m_strBaseName;
  DWORD m_nCount = 0;
};

// Typed helpers: ExchangeProp with the type's code; a null exchange gives FALSE.
BOOL KtkPX_Short(CKtkPropExchange* px, LPCWSTR name, SHORT& value);
BOOL KtkPX_Short(CKtkPropExchange* px, LPCWSTR name, SHORT& value, SHORT defaultValue);
BOOL KtkPX_Long(CKtkPropExchange* px, LPCWSTR name, LONG& value);
BOOL KtkPX_Long(CKtkPropExchange* px, LPCWSTR name, LONG& value, LONG defaultValue);
BOOL KtkPX_Float(CKtkPropExchange* px, LPCWSTR name, float& value, float defaultValue);
BOOL KtkPX_Double(CKtkPropExchange* px, LPCWSTR name, double& value, double defaultValue);
BOOL KtkPX_Currency(CKtkPropExchange* px, LPCWSTR name, CY& value, CY defaultValue);
BOOL KtkPX_DateTime(CKtkPropExchange* px, LPCWSTR name, COleDateTime& value, const COleDateTime& defaultValue);
BOOL KtkPX_Bstr(CKtkPropExchange* px, LPCWSTR name, BSTR& value, LPCWSTR defaultValue);
BOOL KtkPX_Bool(CKtkPropExchange* px, LPCWSTR name, BOOL& value, BOOL defaultValue);
BOOL KtkPX_Variant(CKtkPropExchange* px, LPCWSTR name, COleVariant& value, const COleVariant& defaultValue);
BOOL KtkPX_Byte(CKtkPropExchange* px, LPCWSTR name, BYTE& value, BYTE defaultValue);
BOOL KtkPX_String(CKtkPropExchange* px, LPCWSTR name, CString& value);
BOOL KtkPX_String(CKtkPropExchange* px, LPCWSTR name, CString& value, LPCWSTR defaultValue);
BOOL KtkPX_Rect(CKtkPropExchange* px, LPCWSTR name, RECT& value, const RECT& defaultValue);
BOOL KtkPX_Size(CKtkPropExchange* px, LPCWSTR name, SIZE& value, const SIZE& defaultValue);
// A 64-bit value as a size: the high 32 bits first, then the low 32 bits.
BOOL KtkPX_ULongLong(CKtkPropExchange* px, LPCWSTR name, ULONGLONG& value, ULONGLONG defaultValue);

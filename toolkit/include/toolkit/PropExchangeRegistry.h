// The registry kind: a registry key (opened or created on first use), each property a
// named value, sections sub-keys.
#pragma once

#include <toolkit/PropExchange.h>

class CKtkPropExchangeRegistry : public CKtkPropExchange {
 public:
  CKtkPropExchangeRegistry(BOOL loading, HKEY parent, LPCWSTR subKey);
  ~CKtkPropExchangeRegistry() override;

  // 16-bit, 32-bit, BOOL and byte values are REG_DWORD; float and double REG_BINARY of
  // their bytes; strings REG_SZ; rectangles and sizes REG_SZ text. Currency, date-time,
  // BSTR and VARIANT values are not kept (FALSE), except that storing one equal to its
  // default removes the value and succeeds.
  BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
  // REG_BINARY.
  BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) override;
  CKtkPropExchange* GetSection(LPCWSTR name) override;
  // Deletes the key and everything below it.
  void EmptySection() override;
  BOOL IsBinaryStore() const override { return TRUE; }
  BOOL OpenStorage() override;

  HKEY GetKey() const { return m_hKey; }

 private:
  CKtkPropExchangeRegistry(CKtkPropExchangeRegistry* parent, LPCWSTR subKey);
  HKEY ParentKey();

  HKEY m_hParentKey;
  CKtkPropExchangeRegistry* m_pParent = nullptr;
  CString m_strSubKey;
  HKEY m_hKey = nullptr;
};

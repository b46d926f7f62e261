// The INI-file kind: an INI section (a child's name is its parent's, "\" and its own),
// each property a key with the value's text form.
#pragma once

#include <toolkit/PropExchange.h>

class CKtkPropExchangeIniFile : public CKtkPropExchange {
 public:
  // Without a file name a temporary file ("ktk" in the temporary folder) is made on first
  // use and deleted with the exchange.
  CKtkPropExchangeIniFile(BOOL loading, LPCWSTR filePath, LPCWSTR section);
  ~CKtkPropExchangeIniFile() override;

  BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
  CKtkPropExchange* GetSection(LPCWSTR name) override;
  // Deletes every INI section whose name is this section's or begins with it and "\".
  void EmptySection() override;
  BOOL OpenStorage() override;

  // Copies the contents over another file (replacing it).
  BOOL CopyToFile(LPCWSTR path);
  // Points the exchange at another file (a temporary file of its own is deleted).
  void SetFileName(LPCWSTR path);
  const CString& GetFileName() const { return m_strFile; }
  const CString& GetSectionName() const { return m_strSection; }

 private:
  CKtkPropExchangeIniFile(CKtkPropExchangeIniFile* parent, LPCWSTR name);
  void DropOwnFile();
  // The key's text; FALSE when the key is missing.
  BOOL ReadText(LPCWSTR name, CString& text);

  CKtkPropExchangeIniFile* m_pParent = nullptr;
  CString m_strFile;
  CString m_strSection;
  BOOL m_bOwnsFile = FALSE;
};

// The archive kind: values one after another on a caller's MFC archive, in the order of
// the calls (names are not stored). It loads when the archive loads.
#pragma once

#include <toolkit/PropExchange.h>

class CKtkPropExchangeArchive : public CKtkPropExchange {
 public:
  explicit CKtkPropExchangeArchive(CArchive& archive);

  // Every value is written, also one equal to its default: a reader of the archive finds
  // values by their order alone.
  BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
  // The size as an archive count, then the bytes.
  BOOL ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) override;
  BOOL ExchangeRuntimeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* base) override;
  // Also enters the object into the archive's object map.
  BOOL ExchangeObjectInstance(CObject** object, CRuntimeClass* base) override;
  CArchive* GetArchive(LPCWSTR name) override { return &m_archive; }
  void ReleaseArchive(LPCWSTR, CArchive*) override {}
  // Another exchange over the same archive: sections only nest in the order of the calls.
  CKtkPropExchange* GetSection(LPCWSTR name) override;
  void WriteCount(DWORD count) override { m_archive.WriteCount(count); }
  DWORD ReadCount() override { return static_cast<DWORD>(m_archive.ReadCount()); }
  void Write(LPCWSTR name, const void* data, DWORD size) override;
  DWORD Read(LPCWSTR name, void* data, DWORD size) override;
  BOOL IsNamedStore() const override { return FALSE; }
  BOOL IsBinaryStore() const override { return TRUE; }
  // Storing: the marker 0x0FF0ADBF, then the schema. Loading: the marker and the schema
  // when the next word is the marker, else nothing is read and the schema is 17.
  void ExchangeSchema() override;

  static constexpr DWORD kSchemaMarker = 0x0FF0ADBF;

 private:
  CArchive& m_archive;
};

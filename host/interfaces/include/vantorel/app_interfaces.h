// The host's application object and the services it hands out: the file store, the font
// list, the XML factory and the resource cache (images and font defaults).
#pragma once

#include <vantorel/host_unknown.h>
#include <vantorel/xml_interfaces.h>
#include <vantorel/model_interfaces.h>

// Keeps copies of files the modules hand over (pictures, attachments, marker images): the
// bytes are copied at once, since the modules delete their temporary files right after.
class IVtlFileStore : public IVtlKeyOwner {
 public:
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  VTL_UNUSED_SLOT(23)
  VTL_UNUSED_SLOT(24)
  // Writes the path of the attachment's file (at most 260 units with the terminator) into
  // `path`; 0 for a handle FindAttachment did not give.
  virtual LONG GetAttachmentPath(ULONG_PTR handle, LPWSTR path) = 0;  // 25
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  // The attachment the 16-byte identifier names (`reserved` and `reserved2` are 1); 0 when
  // the store has none.
  virtual ULONG_PTR FindAttachment(const LONG* identifier, LONG reserved, LONG reserved2) = 0;  // 31
  // Copies the file at a Windows path and gives a key with one reference (dropped with
  // DropKey); 0 when the file cannot be read. `reserved` is 0 and `copy` 1.
  virtual ULONG_PTR StoreFile(LPCWSTR path, LONG reserved, LONG copy) = 0;  // 32
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  // Keeps a copy of the file as the attachment the identifier names (`reserved` 0, `record`
  // a fixed record the store does not read); non-zero on success.
  virtual LONG AdoptAttachment(const LONG* identifier, LPCWSTR fileName, LONG reserved, const void* record) = 0;  // 35

 protected:
  ~IVtlFileStore() = default;
};

class IVtlFontSettings : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  // Writes the default face name (at most 32 units with the terminator) into `buffer`.
  virtual BOOL GetDefaultFaceName(LONG reserved, LPWSTR buffer) = 0;  // 4

 protected:
  ~IVtlFontSettings() = default;
};

// The faces the host offers, walked with a position as MFC lists are.
class IVtlFontList : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  virtual ULONG_PTR GetFirstPosition(LONG reserved, LONG reserved2) = 0;  // 10: 0 = empty
  // The face at *position; moves *position on (0 after the last).
  virtual LPCWSTR GetNextName(ULONG_PTR* position, LONG reserved, LONG reserved2) = 0;  // 11

 protected:
  ~IVtlFontList() = default;
};

// Images the host already holds, by path, and the font defaults.
class IVtlResourceCache : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  virtual ULONG_PTR LookupImage(LPCWSTR path) = 0;               // 9: 0 = none
  virtual BOOL RestoreImage(LPCWSTR path, ULONG_PTR entry) = 0;  // 10
  virtual IVtlFontSettings* GetFontSettings() = 0;               // 11

 protected:
  ~IVtlResourceCache() = default;
};

class IVtlApplication : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  // The document manager of the host (the one `vantorel` hands to imports).
  virtual IVtlDocumentManager* GetDocumentManager() = 0;  // 5
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  // Whether the collaboration rooms take notices of document changes now (non-zero: yes).
  virtual LONG RoomsTakeNotices() { return 1; }  // 11
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  virtual IVtlFileStore* GetFileStore() = 0;  // 16
  virtual IVtlFontList* GetFontList() = 0;    // 17
  VTL_UNUSED_SLOT(18)
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  virtual IKX2XMLFactory* GetXMLFactory() = 0;  // 23
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  virtual IVtlResourceCache* GetResourceCache() = 0;  // 33

 protected:
  ~IVtlApplication() = default;
};

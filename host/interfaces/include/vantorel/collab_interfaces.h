// The host objects the collaboration client calls: the host object handed to the client's
// `SetHostObject`, the signed-in account, and the chain from the document holder to the
// current document's collaboration state. None of these is counted: the client never
// releases what they return.
#pragma once

#include <vantorel/host_unknown.h>
#include <vantorel/property_value.h>

class IVtlApplication;

// The signed-in account of the host.
class IVtlCollabAccount : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  virtual LONG IsSignedIn() = 0;         // 16: non-zero when a user is signed in
  virtual LPCWSTR GetMailAddress() = 0;  // 17: the user's mail address

 protected:
  ~IVtlCollabAccount() = default;
};

// The last link of the document chain: the integer state of the current document.
class IVtlCollabDocumentState : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
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
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  virtual LONG GetState() = 0;  // 36

 protected:
  ~IVtlCollabDocumentState() = default;
};

// The document's editing session, which holds the state.
class IVtlCollabSession : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
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
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  VTL_UNUSED_SLOT(37)
  VTL_UNUSED_SLOT(38)
  VTL_UNUSED_SLOT(39)
  VTL_UNUSED_SLOT(40)
  VTL_UNUSED_SLOT(41)
  VTL_UNUSED_SLOT(42)
  VTL_UNUSED_SLOT(43)
  VTL_UNUSED_SLOT(44)
  VTL_UNUSED_SLOT(45)
  VTL_UNUSED_SLOT(46)
  VTL_UNUSED_SLOT(47)
  VTL_UNUSED_SLOT(48)
  virtual IVtlCollabDocumentState* GetDocumentState() = 0;  // 49

 protected:
  ~IVtlCollabSession() = default;
};

// The document's view, which holds its editing session.
class IVtlCollabView : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
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
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  VTL_UNUSED_SLOT(37)
  VTL_UNUSED_SLOT(38)
  virtual IVtlCollabSession* GetSession() = 0;  // 39

 protected:
  ~IVtlCollabView() = default;
};

// The current document as the collaboration client sees it.
class IVtlCollabDocument : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  virtual IVtlCollabView* GetView() = 0;  // 5

 protected:
  ~IVtlCollabDocument() = default;
};

// Holds the host's current document.
class IVtlCollabDocumentHolder : public IVtlUnknown {
 public:
  virtual IVtlCollabDocument* GetCurrentDocument() = 0;  // 3: null when none is open

 protected:
  ~IVtlCollabDocumentHolder() = default;
};

// The object the host hands to the collaboration client's SetHostObject.
class IVtlCollabHost : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  virtual IVtlCollabDocumentHolder* GetDocumentHolder() = 0;  // 11
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
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  VTL_UNUSED_SLOT(37)
  VTL_UNUSED_SLOT(38)
  VTL_UNUSED_SLOT(39)
  VTL_UNUSED_SLOT(40)
  VTL_UNUSED_SLOT(41)
  virtual IVtlCollabAccount* GetAccount() = 0;  // 42

 protected:
  ~IVtlCollabHost() = default;
};

// A chat message the host hands to a room's chat queue: values under numeric identifiers
// (0x5001 and 0x5002 numbers, 0x5003 the addressee, 0x5004 and 0x5005 texts). Counted.
class IVtlChatMessage : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  // The stored record of value `id`, valid while the message lives; null when not set.
  virtual const PropertyValue* GetValue(LONG id) = 0;  // 9
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  VTL_UNUSED_SLOT(14)
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  virtual BOOL HasValue(LONG id) = 0;  // 18

 protected:
  ~IVtlChatMessage() = default;
};

class IVtlCollabItem;
class IVtlCollabAttachmentList;

// Where an item keeps the value the co-edit manager sets.
class IVtlCollabValueHolder : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  virtual void SetValue(LONG value) = 0;                // 11
  virtual void SetValues(LONG first, LONG second) = 0;  // 12

 protected:
  ~IVtlCollabValueHolder() = default;
};

// One piece of an item's data: what an item sender sends (value, bytes) and what the host
// makes of received data (an edit, which also learns the member it came from).
class IVtlCollabItemData : public IVtlUnknown {
 public:
  virtual LONG GetValue() = 0;  // 3
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  // Told with 1 once the data has been handed to the room.
  virtual void SetSent(LONG sent) = 0;  // 6
  // The bytes and their count, valid while the object lives.
  virtual void GetData(const void** data, LONG* length) = 0;  // 7
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  virtual void SetMemberNumber(LONG member) = 0;  // 13

 protected:
  ~IVtlCollabItemData() = default;
};

// Records which member holds a lock on which item.
class IVtlCollabLockService : public IVtlUnknown {
 public:
  // Non-zero when the member now holds the lock the selector names.
  virtual LONG Lock(LONG member, const LONG* selector, LONG value) = 0;  // 3
  // Non-zero when the member's lock was let go.
  virtual LONG Unlock(LONG member, const LONG* selector, LONG value, LONG reserved) = 0;  // 4

 protected:
  ~IVtlCollabLockService() = default;
};

// An item's edits and undo/redo positions.
class IVtlCollabEditHolder : public IVtlUnknown {
 public:
  virtual IVtlCollabItem* GetItem() = 0;  // 3
  VTL_UNUSED_SLOT(04)
  virtual IVtlCollabLockService* GetLockService() = 0;  // 5: null when there is none
  VTL_UNUSED_SLOT(06)
  // The member whose own locks the holder never lets go on another's word (-1: none).
  virtual LONG GetLocalMember() = 0;  // 7
  VTL_UNUSED_SLOT(08)
  // An edit made of received data, not yet applied; null when the data is malformed.
  virtual IVtlCollabItemData* MakeEdit(LONG value, const void* data, LONG length) = 0;  // 9
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
  VTL_UNUSED_SLOT(25)
  virtual void BeginBatch() = 0;  // 26
  virtual void EndBatch() = 0;    // 27
  // Applies one edit of the batch.
  virtual void ApplyEdit(IVtlCollabItemData* edit) = 0;  // 28
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  // The meeting room the item is shared in (what the item's slot 50 was given).
  virtual void* GetRoom() = 0;  // 36
  VTL_UNUSED_SLOT(37)
  virtual LONG ApplyQueuedPosition(LONG first, LONG second, LONG third) = 0;  // 38
  virtual void ApplyPositionResult(LONG first, LONG second) = 0;              // 39
  VTL_UNUSED_SLOT(40)
  virtual LONG QueryPosition(LONG first, LONG second) = 0;  // 41

 protected:
  ~IVtlCollabEditHolder() = default;
};

// The attachments an item refers to, by their 16-byte identifiers.
class IVtlCollabAttachmentList : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  virtual void AddAttachment(const LONG* identifier) = 0;  // 12

 protected:
  ~IVtlCollabAttachmentList() = default;
};

// One item of the shared map (a topic), named by a 16-byte selector of four 32-bit values.
class IVtlCollabItem : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
  VTL_UNUSED_SLOT(07)
  VTL_UNUSED_SLOT(08)
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  // The four values naming the item, valid while the item lives.
  virtual const LONG* GetSelector() = 0;  // 14
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  virtual IVtlCollabValueHolder* GetValueHolder() = 0;  // 23
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  // The value a topic lock carries for the item (`kind` 1 for a lock request, else 0).
  virtual LONG GetLockValue(LONG kind) = 0;  // 27
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  virtual IVtlCollabAttachmentList* GetAttachmentList() = 0;  // 33
  VTL_UNUSED_SLOT(34)
  VTL_UNUSED_SLOT(35)
  VTL_UNUSED_SLOT(36)
  VTL_UNUSED_SLOT(37)
  VTL_UNUSED_SLOT(38)
  VTL_UNUSED_SLOT(39)
  // Marks the item changed by the shared editing (`changed` 1).
  virtual void SetChanged(LONG changed) = 0;  // 40
  VTL_UNUSED_SLOT(41)
  VTL_UNUSED_SLOT(42)
  VTL_UNUSED_SLOT(43)
  VTL_UNUSED_SLOT(44)
  VTL_UNUSED_SLOT(45)
  VTL_UNUSED_SLOT(46)
  VTL_UNUSED_SLOT(47)
  VTL_UNUSED_SLOT(48)
  virtual IVtlCollabEditHolder* GetEditHolder() = 0;  // 49
  // The meeting room the item is shared in.
  virtual void SetRoom(void* room) = 0;  // 50
  VTL_UNUSED_SLOT(51)
  virtual void SetShared(LONG shared) = 0;  // 52
  // Non-zero when the item takes part in the shared editing.
  virtual LONG TakesPart() = 0;  // 53

 protected:
  ~IVtlCollabItem() = default;
};

// The shared map as a book of items, walked by position.
class IVtlCollabBook : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  // 0 when the book has no item.
  virtual ULONG_PTR GetFirstPosition() = 0;  // 6
  // The item at *position; moves *position on (0 after the last).
  virtual IVtlCollabItem* GetNextItem(ULONG_PTR* position) = 0;  // 7
  // The item the four values name, or null.
  virtual IVtlCollabItem* FindItem(const LONG* selector) = 0;  // 8
  VTL_UNUSED_SLOT(09)
  VTL_UNUSED_SLOT(10)
  VTL_UNUSED_SLOT(11)
  VTL_UNUSED_SLOT(12)
  VTL_UNUSED_SLOT(13)
  // The application the book belongs to, whose file store keeps attachments (one reference).
  virtual IVtlApplication* GetApplication() = 0;  // 14
  VTL_UNUSED_SLOT(15)
  VTL_UNUSED_SLOT(16)
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  // Saves the book; non-zero on success, 0 when only the file shows whether it was written.
  virtual LONG SaveTo(LPCWSTR path, LPCWSTR format, LPCWSTR samePath) = 0;  // 19

 protected:
  ~IVtlCollabBook() = default;
};

// The host document a room's book belongs to.
class IVtlCollabBookDocument : public IVtlUnknown {
 public:
  VTL_UNUSED_SLOT(03)
  VTL_UNUSED_SLOT(04)
  VTL_UNUSED_SLOT(05)
  VTL_UNUSED_SLOT(06)
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
  VTL_UNUSED_SLOT(25)
  // Takes the saved book file; negative on failure.
  virtual LONG AdoptBookFile(LPCWSTR bookName, LPCWSTR path, LONG reserved) = 0;  // 26
  VTL_UNUSED_SLOT(27)
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  VTL_UNUSED_SLOT(31)
  VTL_UNUSED_SLOT(32)
  VTL_UNUSED_SLOT(33)
  VTL_UNUSED_SLOT(34)
  virtual LONG OpenBook(LPCWSTR bookName) = 0;  // 35

 protected:
  ~IVtlCollabBookDocument() = default;
};

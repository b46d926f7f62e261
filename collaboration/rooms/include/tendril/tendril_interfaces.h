// The interfaces the collaboration library hands the host: the process-wide Tendril object,
// its UI service and meeting manager, the meeting rooms and their units. They are shaped like
// COM interfaces and keep their slot order, but none is reference counted: lifetime follows
// GetTendrilInterface / DestroyTendril and the manager's room operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include <vantorel/collab_interfaces.h>
#include <win/types.h>

#include <tendril/export.h>

#include <tendril/sender.h>

// The three slots every library interface starts with (IInformationUnit ends with them).
// QueryInterface answers E_NOINTERFACE for every identifier; AddRef and Release answer 1.
class ITendrilUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~ITendrilUnknown() = default;
};

// One queued notice for the host, 24 bytes as exchanged with it.
struct TendrilUIEvent {
  int32_t type = -1;  // -1: no event
  int32_t room = 0;
  int32_t first = 0;
  int16_t second = 0;
  int16_t third = 0;
  int32_t fourth = 0;
  int32_t fifth = 0;

  bool operator==(const TendrilUIEvent&) const = default;
};
static_assert(sizeof(TendrilUIEvent) == 24);
static_assert(offsetof(TendrilUIEvent, room) == 4);
static_assert(offsetof(TendrilUIEvent, first) == 8);
static_assert(offsetof(TendrilUIEvent, second) == 12);
static_assert(offsetof(TendrilUIEvent, third) == 14);
static_assert(offsetof(TendrilUIEvent, fourth) == 16);
static_assert(offsetof(TendrilUIEvent, fifth) == 20);

// The event types the library pushes.
enum TendrilUIEventType : int32_t {
  kUIEventMemberJoined = 1,
  kUIEventMemberLeft = 10,
  kUIEventCoEditEnded = 12,
  kUIEventSyncBookWanted = 13,
  kUIEventJoinedIdle = 20,
  kUIEventSyncBook = 21,
  kUIEventWorkingInfoReplaced = 25,
};

// Pushers hand the record over as six words: the third word's low half is the second
// argument, its high half the third.
inline TendrilUIEvent MakeUIEvent(int32_t type, int32_t room, int32_t first = 0, int32_t secondAndThird = 0,
                                  int32_t fourth = 0, int32_t fifth = 0) {
  TendrilUIEvent e;
  e.type = type;
  e.room = room;
  e.first = first;
  e.second = static_cast<int16_t>(static_cast<uint32_t>(secondAndThird) & 0xFFFFu);
  e.third = static_cast<int16_t>(static_cast<uint32_t>(secondAndThird) >> 16);
  e.fourth = fourth;
  e.fifth = fifth;
  return e;
}

class ITendril;
class IMeetingRoom;

class ITendrilUIService : public ITendrilUnknown {
 public:
  virtual BYTE GetHostFlag() = 0;
  virtual ITendrilUIService* SetHostFlag(int flag) = 0;
  virtual int GetHostValue() = 0;
  virtual ITendrilUIService* SetHostValue(int value) = 0;
  virtual void PopUIEvent(TendrilUIEvent* out) = 0;
  virtual void PushUIEvent(TendrilUIEvent event) = 0;
  virtual void ClearUIEvents() = 0;
  virtual int IsUIEventQueueEmpty() = 0;
  virtual int GetStateFlags() = 0;
  virtual int* SetStateFlags(int bits) = 0;
  virtual int* ClearStateFlags(int bits) = 0;
  virtual bool AcceptAll(int, int, int, int) = 0;
  virtual void SendStatistics(int value) = 0;
  virtual ~ITendrilUIService() = default;
  virtual int QueryHostDocumentState() = 0;
};

class IXmppMeetingManager : public ITendrilUnknown {
 public:
  virtual int CreateMeetingRoom(const char* roomName) = 0;
  virtual void RemoveMeetingRoom(IMeetingRoom* room) = 0;
  virtual IMeetingRoom* FindMeetingRoomByName(const char* name) = 0;
  virtual IMeetingRoom* FindMeetingRoomById(int id) = 0;
  virtual IMeetingRoom* GetFirstMeetingRoom() = 0;
  virtual IMeetingRoom* GetNextMeetingRoom(IMeetingRoom* room) = 0;
  virtual int GetMeetingRoomId(const char* name) = 0;
  virtual ~IXmppMeetingManager() = default;
};

// A member of a room. Texts come back as new wide strings the caller frees with delete[].
class IMemberInfo {
 public:
  virtual int GetNumber() = 0;
  virtual void SetNumber(int number) = 0;
  virtual char16_t* GetUserName() = 0;
  virtual void SetUserName(const char16_t* name) = 0;
  virtual char16_t* GetDomain() = 0;
  virtual void SetDomain(const char16_t* domain) = 0;
  virtual char16_t* GetResource() = 0;
  virtual void SetResource(const char16_t* resource) = 0;

 protected:
  ~IMemberInfo() = default;
};

class IWorkingRoomInfo {
 public:
  virtual int GetId() = 0;
  virtual const char* GetRoomName() = 0;
  virtual const char16_t* GetTitle() = 0;
  virtual const char16_t* GetShortText() = 0;
  virtual int GetFirstNumber() = 0;
  virtual int GetSecondNumber() = 0;
  virtual BYTE GetFirstFlag() = 0;
  virtual intptr_t GetOwnerValue() = 0;
  virtual BYTE GetSecondFlag() = 0;
  virtual void SetId(int id) = 0;
  virtual void SetRoomName(const char* name) = 0;
  virtual void SetTitle(const char16_t* title) = 0;
  virtual void SetShortText(const char16_t* text) = 0;
  virtual void SetFirstNumber(int value) = 0;
  virtual void SetSecondNumber(int value) = 0;
  virtual void SetFirstFlag(BYTE flag) = 0;
  virtual void SetOwnerValue(intptr_t value) = 0;
  virtual void SetSecondFlag(BYTE flag) = 0;
  virtual int16_t GetExtraNumber() = 0;
  virtual void SetExtraNumber(int16_t value) = 0;

 protected:
  ~IWorkingRoomInfo() = default;
};

class ICollaborationUnit : public ITendrilUnknown {
 public:
  virtual BYTE IsCoEditing() = 0;
  virtual ICollaborationUnit* SetCoEditing(int value) = 0;
  virtual void StartCoEdit(bool start) = 0;
  virtual void EndCoEdit() = 0;
  virtual BYTE IsStarted() = 0;

 protected:
  ~ICollaborationUnit() = default;
};

// Its own operations first; the three shared slots come last.
class IInformationUnit {
 public:
  virtual int AddConnectedUser(IMemberInfo* member) = 0;
  virtual bool RemoveConnectedUser(int number) = 0;
  virtual int ClearConnectedUsers() = 0;
  virtual void Reserved1(int, int, int) = 0;
  virtual int Reserved2() = 0;
  virtual int Reserved3() = 0;
  virtual IWorkingRoomInfo* GetWorkingRoomInfo() = 0;
  virtual int SetWorkingRoomInfo(IWorkingRoomInfo* source) = 0;
  virtual IMemberInfo* FindConnectedUserByName(const char16_t* name) = 0;
  virtual IMemberInfo* GetConnectedUser(int number) = 0;
  virtual int GetConnectedUserCount() = 0;
  virtual int IsAlone() = 0;
  virtual IMemberInfo* GetFirstConnectedUser() = 0;
  virtual IMemberInfo* GetNextConnectedUser(IMemberInfo* member) = 0;
  virtual IMemberInfo* GetOwnMemberInfo() = 0;
  virtual int SetOwnMemberInfo(IMemberInfo* member) = 0;
  virtual int GetMemberNumber(const char16_t* name) = 0;
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IInformationUnit() = default;
};

// The item selector: four values naming one item of the shared map. Attachment identifiers
// travel in the same four values (the GUID's 16 bytes, little-endian).
struct ItemSelector {
  int32_t values[4] = {};

  bool operator==(const ItemSelector&) const = default;
};

// The local user's edits of one item leave as packets 24 (kinds 0, 3, 1) and topic locks as 39.
class IItemSender : public ITendrilUnknown {
 public:
  // Opens an edit (kind 0); 1 when the room's channel took the packet, else 0.
  virtual int BeginEdit() = 0;
  // One piece of the edit (kind 3): the data object's bytes and value. 1 when sent; 0 when
  // nothing was sent (no data, or more than a packet holds), and the object is then not told.
  virtual int SendItemData(IVtlCollabItemData* data) = 0;
  // Closes the edit (kind 1).
  virtual int EndEdit() = 0;
  virtual int LockTopic(ItemSelector selector, int value) = 0;

 protected:
  ~IItemSender() = default;
};

// What every receiver of an item's packets answers. Receive takes the packet's block when it
// keeps the packet (the packet is then empty); a block left in the packet stays the caller's.
class ItemReceiverBase {
 public:
  virtual bool Receive(TDRL::Packet& packet) = 0;
  virtual bool Query() = 0;  // false
  virtual void SetHostItem(IVtlCollabItem* item) = 0;
  virtual void SetRoom(IMeetingRoom* room) = 0;

 protected:
  ~ItemReceiverBase() = default;
};

// The edits other users sent for one item, applied to the host's item once complete.
class IItemReceiver : public ITendrilUnknown {
 public:
  virtual int IsEmpty() = 0;
  virtual void ProcessPackets() = 0;
  // ORs the flags into the state of the edit that carried the data object's bytes.
  virtual bool MarkEdit(IVtlCollabItemData* data, int flags) = 0;
  virtual int GetEditFlags(IVtlCollabItemData* data) = 0;
  virtual ~IItemReceiver() = default;
};

// Attachment uploads of one item through the collaboration HTTP server.
class IBinDataSender : public ITendrilUnknown {
 public:
  // Uploads the file the host keeps for the attachment; 0 when the host has none.
  virtual int UploadAttachment(ItemSelector attachment, int extra) = 0;
  virtual void Reserved(int, int, int) = 0;
  // Uploads the file as "/attachments/{GUID}.tmp"; skipped with 256 transfers running.
  virtual void UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, int extra) = 0;
  virtual bool OnTransferAnswer(int value) = 0;
  virtual bool Query() = 0;
  virtual bool StopTransfers() = 0;
  virtual ~IBinDataSender() = default;
};

// Attachment downloads of one item into the temporary folder.
class IBinDataReceiver : public ITendrilUnknown {
 public:
  virtual bool DownloadAttachment(ItemSelector attachment, int extra) = 0;
  // The buffer receives "{GUID}.tmp"; false with 256 transfers pending or no room for the path.
  virtual bool DownloadAttachmentFile(ItemSelector attachment, char16_t* name, int nameSize) = 0;
  // The expanded "${Temp}\" followed by "{GUID}.tmp" (also written into `name` when given) in
  // `destination`; 0 when it fitted, else 0x8007007A with only the folder written.
  virtual int MakeAttachmentPath(ItemSelector attachment, char16_t* name, int nameSize, char16_t* destination,
                                 int destinationSize) = 0;

 protected:
  ~IBinDataReceiver() = default;
};

// Undo/redo positions and selections of the room's items.
class IUndoRedoSyncManager : public ITendrilUnknown {
 public:
  virtual int SendRedoPos(ItemSelector selector, int first, int second, BYTE flag) = 0;
  virtual void ApplyRedoPosResult(ItemSelector selector, int first, int second) = 0;
  virtual int QueueRedoPos(ItemSelector selector, int a, int b, int c, int d) = 0;
  virtual int ApplyNextRedoPos() = 0;
  virtual int SendSelection(ItemSelector selector, int first, int second, IMeetingRoom* room) = 0;
  virtual int QueryRedoPos(ItemSelector selector, int first, int second) = 0;
  virtual ~IUndoRedoSyncManager() = default;
};

class ICoEditManager : public ITendrilUnknown {
 public:
  virtual IItemSender* GetItemSender(ItemSelector selector) = 0;
  virtual IItemReceiver* GetItemReceiver(ItemSelector selector) = 0;
  virtual IBinDataSender* GetBinDataSender(ItemSelector selector) = 0;
  virtual IBinDataReceiver* GetBinDataReceiver(ItemSelector selector) = 0;
  virtual int RebuildItemSenders() = 0;
  virtual void UploadAttachment(ItemSelector attachment, ItemSelector selector) = 0;
  virtual void DownloadAttachment(ItemSelector attachment, ItemSelector selector) = 0;
  virtual void UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, ItemSelector selector) = 0;
  virtual void DownloadAttachmentFile(char16_t* name, int size, ItemSelector attachment, ItemSelector selector) = 0;
  virtual bool IsAttachmentDownloaded(ItemSelector attachment, ItemSelector selector) = 0;
  virtual int ApplyAttachmentFile(ItemSelector attachment, const char16_t* fileName) = 0;
  virtual IUndoRedoSyncManager* GetUndoRedoSyncManager() = 0;
  virtual void SetItemValue(ItemSelector selector, int first, int second) = 0;
  virtual void ChangeCounter(int flag) = 0;
  virtual int IsCounterSet() = 0;

 protected:
  ~ICoEditManager() = default;
};

// The room's book: saving the whole map and the server's book synchronisation.
class IWorkbookSyncManager : public ITendrilUnknown {
 public:
  virtual void SetDocument(IVtlCollabBookDocument* document, const char16_t* bookName) = 0;
  virtual const char16_t* GetBookName() = 0;
  virtual IVtlCollabBookDocument* GetDocument() = 0;
  virtual int OpenBook() = 0;
  virtual int RequestBookSync() = 0;
  virtual bool SaveBook() = 0;
  virtual void SetBookPath(const char16_t* path) = 0;
  virtual const char16_t* GetBookPath() = 0;
  virtual IVtlCollabBook* GetBook() = 0;
  virtual void SetBook(IVtlCollabBook* book) = 0;
  virtual void Reserved() = 0;
  virtual int MarkBookSynchronised() = 0;
  virtual BYTE IsBookSynchronised() = 0;
  virtual bool SendBookSyncResult(int success, int memberNumber) = 0;

 protected:
  ~IWorkbookSyncManager() = default;
};

// A chat message kept for the host: three texts and a kind.
class IChatMessageInfo {
 public:
  virtual const char16_t* GetFirstText() = 0;
  virtual const char16_t* GetSecondText() = 0;
  virtual const char16_t* GetThirdText() = 0;
  virtual int GetKind() = 0;
  virtual ~IChatMessageInfo() = default;
};

class IChatMessageQueue : public ITendrilUnknown {
 public:
  // Sends the host's message as packet 21, or 22 when it names an addressee (0x5003);
  // answers the message's release result.
  virtual ULONG SendChatMessage(IVtlChatMessage* message) = 0;
  // Keeps a copy of the record at the tail.
  virtual void AppendMessage(IChatMessageInfo* record) = 0;
  virtual void DropFrontMessage() = 0;
  // The head record, null when empty; valid until the head is dropped.
  virtual IChatMessageInfo* GetFrontMessage() = 0;

 protected:
  ~IChatMessageQueue() = default;
};

class IMeetingRoom : public ITendrilUnknown {
 public:
  virtual ICollaborationUnit* GetCollaborationUnit() = 0;
  virtual IInformationUnit* GetInformationUnit() = 0;
  virtual bool NotifySyncBookFinished() = 0;
  virtual BYTE GetSecondFlag() = 0;
  virtual BYTE GetFirstFlag() = 0;
  virtual bool SetFirstFlag(int value) = 0;
  virtual BYTE GetThirdFlag() = 0;
  virtual IMeetingRoom* SetThirdFlag(int value) = 0;
  virtual IWorkbookSyncManager* GetWorkbookSyncManager() = 0;
  virtual ICoEditManager* GetCoEditManager() = 0;
  virtual IChatMessageQueue* GetChatMessageQueue() = 0;
  virtual void ForwardToCoEdit(int value) = 0;
  virtual ITendril* GetTendril() = 0;
  virtual ~IMeetingRoom() = default;
};

class ITendril : public ITendrilUnknown {
 public:
  virtual bool Init() = 0;
  virtual bool Uninit() = 0;
  virtual ITendril* SetHostObject(IVtlCollabHost* host) = 0;
  virtual IVtlCollabHost* GetHostObject() = 0;
  virtual IXmppMeetingManager* GetMeetingManager() = 0;
  virtual ITendrilUIService* GetUIService() = 0;
  virtual int NotifyAllRooms(int value) = 0;
  virtual const char16_t* GetLocalAddress() = 0;
  virtual ITendril* SetExtraValue(int value) = 0;
  virtual int GetExtraValue() = 0;
  virtual ~ITendril() = default;
};

extern "C" {
// The process's one Tendril object, made (and initialised) on the first call; null only when
// it cannot be made.
TENDRIL_API ITendril* GetTendrilInterface();
// Destroys the object, and every room it still holds; the next GetTendrilInterface makes a
// new one.
TENDRIL_API void DestroyTendril();
}

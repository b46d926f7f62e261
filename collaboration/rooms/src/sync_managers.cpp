#include "sync_managers.h"

#include <memory>

#include <basalt/file_io.h>
#include <basalt/path_util.h>
#include <basalt/shell_util.h>
#include <tendril/packet.h>
#include <tendril/packet_types.h>
#include <win/ole.h>

#include "meeting_room.h"

namespace TDRL {
namespace {

Int32Quad ToQuad(const ItemSelector& selector) {
  Int32Quad quad;
  for (int i = 0; i < 4; ++i) quad.values[i] = selector.values[i];
  return quad;
}

static_assert(sizeof(LONG) == sizeof(int32_t));

}  // namespace

IVtlCollabItem* FindBookItem(MeetingRoom* room, const ItemSelector& selector) {
  IVtlCollabBook* book = room ? room->GetWorkbookSyncManager()->GetBook() : nullptr;
  return book ? book->FindItem(reinterpret_cast<const LONG*>(selector.values)) : nullptr;
}

std::u16string AttachmentFileName(const ItemSelector& attachment) {
  // The identifier's 16 bytes, little-endian, are the GUID.
  unsigned char bytes[16];
  for (int i = 0; i < 4; ++i) StoreInt32LE(bytes + 4 * i, attachment.values[i]);
  GUID guid{};
  guid.Data1 = static_cast<uint32_t>(LoadInt32LE(bytes));
  guid.Data2 = static_cast<uint16_t>(bytes[4] | (bytes[5] << 8));
  guid.Data3 = static_cast<uint16_t>(bytes[6] | (bytes[7] << 8));
  for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
  OLECHAR text[39];
  if (StringFromGUID2(guid, text, 39) == 0) return {};
  return std::u16string(text) + u".tmp";
}

std::u16string AttachmentFolder() {
  char16_t folder[MAX_PATH] = {};
  Basalt::Util::PathUtil::_PathToAbsolute(u"${Temp}\\", folder);
  return folder;
}

std::u16string AttachmentLocalPath(const ItemSelector& attachment) {
  const std::u16string folder = AttachmentFolder();
  if (folder.empty()) return {};
  const std::u16string path = folder + AttachmentFileName(attachment);
  return path.size() < MAX_PATH ? path : std::u16string();
}

// ---- Undo/redo positions ------------------------------------------------------------------

IVtlCollabEditHolder* UndoRedoSyncManager::EditHolder(const ItemSelector& selector) {
  IVtlCollabItem* item = FindBookItem(room_, selector);
  return item ? item->GetEditHolder() : nullptr;
}

int UndoRedoSyncManager::SendRedoPos(ItemSelector selector, int first, int second, BYTE flag) {
  std::lock_guard hold(lock_);
  PacketLockScope packetHold(PacketLock::Get());
  Packet packet;
  if (!CreatePacket(kPacketSyncRedoPos, 0, nullptr, 0, packet)) return 1;
  room_->AppendRoomAndUser(packet);
  packet.AppendInt32Quad(ToQuad(selector));
  packet.WriteLengthField();
  packet.AppendInt32Pair(Int32Pair{first, second});
  packet.AppendByte(flag);
  room_->Collaboration().Queue(packet);
  return 1;
}

void UndoRedoSyncManager::ApplyRedoPosResult(ItemSelector selector, int first, int second) {
  std::lock_guard hold(lock_);
  if (IVtlCollabEditHolder* holder = EditHolder(selector)) holder->ApplyPositionResult(first, second);
  --pending_;
}

int UndoRedoSyncManager::QueueRedoPos(ItemSelector selector, int a, int b, int c, int d) {
  std::lock_guard hold(lock_);
  positions_.push_back(Position{selector, {a, b, c, d}});
  return 1;
}

int UndoRedoSyncManager::ApplyNextRedoPos() {
  std::lock_guard hold(lock_);
  if (positions_.empty()) return 0;
  const Position front = positions_.front();
  // The record goes whether or not its item is still there: a missing item would otherwise
  // hold up every position behind it.
  positions_.pop_front();
  IVtlCollabEditHolder* holder = EditHolder(front.selector);
  return holder ? holder->ApplyQueuedPosition(front.values[0], front.values[1], front.values[2]) : 0;
}

int UndoRedoSyncManager::SendSelection(ItemSelector selector, int first, int second, IMeetingRoom* room) {
  std::lock_guard hold(lock_);
  PacketLockScope packetHold(PacketLock::Get());
  Packet packet;
  if (!CreatePacket(kPacketSyncSelectedId, 0, nullptr, 0, packet)) return 1;
  room_->AppendRoomAndUser(packet);
  packet.AppendInt32Quad(ToQuad(selector));
  packet.WriteLengthField();
  packet.AppendInt32Pair(Int32Pair{first, second});
  // While the room's first flag is set, a selection goes nowhere.
  IMeetingRoom* flagged = room ? room : room_;
  if (flagged->GetFirstFlag() == 0) room_->Collaboration().Queue(packet);
  return 1;
}

int UndoRedoSyncManager::QueryRedoPos(ItemSelector selector, int first, int second) {
  std::lock_guard hold(lock_);
  IVtlCollabEditHolder* holder = EditHolder(selector);
  return holder ? holder->QueryPosition(first, second) : 0;
}

size_t UndoRedoSyncManager::QueuedPositions() {
  std::lock_guard hold(lock_);
  return positions_.size();
}

// ---- Book ---------------------------------------------------------------------------------

WorkbookSyncManager::~WorkbookSyncManager() {
  if (!bookPath_.empty()) Basalt::Util::FileAndIOUtil::_DeleteFile(bookPath_.c_str());
}

void WorkbookSyncManager::SetDocument(IVtlCollabBookDocument* document, const char16_t* bookName) {
  document_ = document;
  bookName_ = bookName ? bookName : u"";
}

int WorkbookSyncManager::OpenBook() {
  IVtlCollabBookDocument* document = document_.load();
  return document ? document->OpenBook(bookName_.c_str()) : 0;
}

int WorkbookSyncManager::RequestBookSync() {
  if (!document_) return 0;
  ITendrilUIService* ui = room_->GetTendril()->GetUIService();
  ui->PushUIEvent(MakeUIEvent(kUIEventSyncBookWanted, room_->Information().Working().GetId()));
  return 1;
}

bool WorkbookSyncManager::SaveBook() {
  IVtlCollabBookDocument* document = document_.load();
  if (!book_ || !document || bookPath_.empty()) return false;
  // A file left from an earlier save must not pass for this one.
  Basalt::Util::FileAndIOUtil::_DeleteFile(bookPath_.c_str());
  const LONG saved = book_->SaveTo(bookPath_.c_str(), u"ETq", bookPath_.c_str());
  if (saved == 0 && !Basalt::Util::ShellUtil::_FileExist(bookPath_.c_str())) return false;
  return document->AdoptBookFile(bookName_.c_str(), bookPath_.c_str(), 0) >= 0;
}

void WorkbookSyncManager::SetBook(IVtlCollabBook* book) {
  book_ = book;
  if (!book_) return;
  ULONG_PTR position = book_->GetFirstPosition();
  while (position != 0) {
    const ULONG_PTR before = position;
    if (IVtlCollabItem* item = book_->GetNextItem(&position)) {
      item->SetRoom(static_cast<IMeetingRoom*>(room_));
      item->SetShared(1);
    }
    if (position == before) break;  // a walk that does not move on ends here
  }
}

int WorkbookSyncManager::MarkBookSynchronised() {
  if (book_) {
    ULONG_PTR position = book_->GetFirstPosition();
    while (position != 0) {
      const ULONG_PTR before = position;
      if (IVtlCollabItem* item = book_->GetNextItem(&position)) item->SetShared(1);
      if (position == before) break;
    }
  }
  synchronised_ = 1;
  return 1;
}

bool WorkbookSyncManager::SendBookSyncResult(int success, int memberNumber) {
  IMemberInfo* member = room_->Information().GetConnectedUser(memberNumber);
  if (!member) return false;
  std::unique_ptr<char16_t[]> name(member->GetUserName());
  const std::u16string user = name ? name.get() : u"";
  std::lock_guard roomHold(room_->Lock());
  PacketLockScope packetHold(PacketLock::Get());
  Packet packet;
  if (!CreatePacket(success != 0 ? kPacketSyncBook : kPacketSyncBookFailed, 0, nullptr, 0, packet)) return false;
  const char* roomName = room_->Information().Working().GetRoomName();
  packet.AppendBytes(std::char_traits<char>::length(roomName) + 1, roomName);
  packet.AppendWString(user.c_str(), user.size() + 1);
  return room_->Collaboration().Queue(packet);
}

}  // namespace TDRL

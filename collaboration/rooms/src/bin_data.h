// An item's attachments: uploads of the host's files to the collaboration HTTP server and
// downloads into the temporary folder, each a transfer on a thread of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>

#include <tendril/attachment_room.h>
#include <tendril/tendril_interfaces.h>

#include "shared_unknown.h"

namespace TDRL {

namespace HttpHelper {
class TransferList;
}

// At this many running transfers an upload is skipped and a download refused.
inline constexpr size_t kMaxAttachmentTransfers = 256;

class BinDataSender : public IBinDataSender {
 public:
  explicit BinDataSender(IAttachmentRoom* room);
  // Stops its transfers, lets the unfinished uploads try again and joins them.
  ~BinDataSender();
  BinDataSender(const BinDataSender&) = delete;
  BinDataSender& operator=(const BinDataSender&) = delete;

  int UploadAttachment(ItemSelector attachment, int extra) override;
  void Reserved(int, int, int) override {}
  void UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, int extra) override;
  bool OnTransferAnswer(int) override { return true; }
  bool Query() override { return true; }
  bool StopTransfers() override;
  TDRL_SHARED_UNKNOWN

  HttpHelper::TransferList& Transfers() { return *transfers_; }

 private:
  std::mutex lock_;
  // Last: the list stops and joins its transfers before the rest goes.
  std::unique_ptr<HttpHelper::TransferList> transfers_;
};

class BinDataReceiver : public IBinDataReceiver, public ItemReceiverBase {
 public:
  explicit BinDataReceiver(IAttachmentRoom* room);
  ~BinDataReceiver();
  BinDataReceiver(const BinDataReceiver&) = delete;
  BinDataReceiver& operator=(const BinDataReceiver&) = delete;

  bool DownloadAttachment(ItemSelector attachment, int extra) override;
  bool DownloadAttachmentFile(ItemSelector attachment, char16_t* name, int nameSize) override;
  int MakeAttachmentPath(ItemSelector attachment, char16_t* name, int nameSize, char16_t* destination,
                         int destinationSize) override;
  TDRL_SHARED_UNKNOWN

  // Attachment packets carry nothing the receiver keeps: taken and let go.
  bool Receive(Packet&) override { return true; }
  bool Query() override { return false; }
  void SetHostItem(IVtlCollabItem* item) override { item_ = item; }
  void SetRoom(IMeetingRoom* room) override { room_ = room; }

  HttpHelper::TransferList& Transfers() { return *transfers_; }

 private:
  IVtlCollabItem* item_ = nullptr;
  IMeetingRoom* room_ = nullptr;
  std::unique_ptr<HttpHelper::TransferList> transfers_;
};

}  // namespace TDRL

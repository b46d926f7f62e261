#include "bin_data.h"

#include <algorithm>
#include <string>

#include <kx2/Ref.h>
#include <tendril/http_transfers.h>
#include <vantorel/app_interfaces.h>

#include "sync_managers.h"
#include "tendril_object.h"

namespace TDRL {
namespace {

constexpr int kInsufficientBuffer = static_cast<int>(0x8007007A);

Int32Quad ToQuad(const ItemSelector& selector) {
  Int32Quad quad;
  for (int i = 0; i < 4; ++i) quad.values[i] = selector.values[i];
  return quad;
}

}  // namespace

BinDataSender::BinDataSender(IAttachmentRoom* room) : transfers_(std::make_unique<HttpHelper::TransferList>(room)) {}
BinDataSender::~BinDataSender() = default;

BinDataReceiver::BinDataReceiver(IAttachmentRoom* room)
    : transfers_(std::make_unique<HttpHelper::TransferList>(room)) {}
BinDataReceiver::~BinDataReceiver() = default;

int BinDataSender::UploadAttachment(ItemSelector attachment, int extra) {
  IVtlApplication* app = HostApplication();
  // The store is handed out with a reference of its own.
  kx2::Ref<IVtlFileStore> store(app ? app->GetFileStore() : nullptr);
  if (!store) return 0;
  const ULONG_PTR handle = store->FindAttachment(reinterpret_cast<const LONG*>(attachment.values), 1, 1);
  char16_t path[MAX_PATH] = {};
  if (handle == 0 || store->GetAttachmentPath(handle, path) == 0) return 0;
  path[MAX_PATH - 1] = 0;
  UploadAttachmentFile(path, attachment, extra);
  return 1;
}

void BinDataSender::UploadAttachmentFile(const char16_t* localPath, ItemSelector attachment, int) {
  std::lock_guard hold(lock_);
  if (!localPath || transfers_->RunningCount() >= kMaxAttachmentTransfers) return;
  const std::u16string name = AttachmentFileName(attachment);
  if (name.empty()) return;
  // The file is the host's own: it stays where it is after the upload.
  transfers_->StartUpload((u"/attachments/" + name).c_str(), localPath, false);
}

bool BinDataSender::StopTransfers() {
  transfers_->StopAll();
  return true;
}

bool BinDataReceiver::DownloadAttachment(ItemSelector attachment, int) {
  char16_t name[MAX_PATH] = {};
  return DownloadAttachmentFile(attachment, name, MAX_PATH);
}

bool BinDataReceiver::DownloadAttachmentFile(ItemSelector attachment, char16_t* name, int nameSize) {
  if (transfers_->RunningCount() >= kMaxAttachmentTransfers) return false;
  char16_t path[MAX_PATH] = {};
  // A path that did not fit would download somewhere else.
  if (MakeAttachmentPath(attachment, name, nameSize, path, MAX_PATH) != 0) return false;
  const std::u16string remote = AttachmentFileName(attachment);
  return transfers_->StartDownload(path, remote.c_str(), ToQuad(attachment)) == 0;
}

int BinDataReceiver::MakeAttachmentPath(ItemSelector attachment, char16_t* name, int nameSize, char16_t* destination,
                                        int destinationSize) {
  if (!destination || destinationSize <= 0) return kInsufficientBuffer;
  const std::u16string folder = AttachmentFolder();
  const std::u16string file = AttachmentFileName(attachment);
  destination[0] = 0;
  if (name && nameSize > 0) {
    const size_t units = std::min(file.size(), static_cast<size_t>(nameSize) - 1);
    file.copy(name, units);
    name[units] = 0;
  }
  if (folder.empty() || file.empty() || folder.size() >= static_cast<size_t>(destinationSize)) {
    return kInsufficientBuffer;
  }
  folder.copy(destination, folder.size());
  destination[folder.size()] = 0;
  if (folder.size() + file.size() >= static_cast<size_t>(destinationSize)) return kInsufficientBuffer;
  file.copy(destination + folder.size(), file.size());
  destination[folder.size() + file.size()] = 0;
  return 0;
}

}  // namespace TDRL

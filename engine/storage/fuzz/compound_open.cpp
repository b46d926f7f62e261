// Arbitrary bytes opened as a compound file from memory: every storage is walked, every
// stream read to its end, and the document written back and opened again.
#include <win/kernel.h>
#include <win/ole.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

void Walk(IStorage* storage, int depth) {
  IEnumSTATSTG* items = nullptr;
  if (depth > 200 || FAILED(storage->EnumElements(0, nullptr, 0, &items))) return;
  STATSTG stat;
  while (items->Next(1, &stat, nullptr) == S_OK) {
    if (stat.type == STGTY_STREAM) {
      IStream* stream = nullptr;
      if (SUCCEEDED(storage->OpenStream(stat.pwcsName, nullptr, kRead, 0, &stream))) {
        uint8_t buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &got)) && got > 0) {}
        stream->Release();
      }
    } else if (stat.type == STGTY_STORAGE) {
      IStorage* child = nullptr;
      if (SUCCEEDED(storage->OpenStorage(stat.pwcsName, nullptr, kRead, nullptr, 0, &child))) {
        Walk(child, depth + 1);
        child->Release();
      }
    }
    CoTaskMemFree(stat.pwcsName);
  }
  items->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return 0;
  if (size) {
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
  }
  ILockBytes* bytes = nullptr;
  if (FAILED(CreateILockBytesOnHGlobal(memory, TRUE, &bytes))) {
    GlobalFree(memory);
    return 0;
  }
  IStorage* root = nullptr;
  if (SUCCEEDED(StgOpenStorageOnILockBytes(bytes, nullptr, kRead, nullptr, 0, &root))) {
    Walk(root, 0);
    // What was read is written again, and reads back.
    ILockBytes* copyBytes = nullptr;
    IStorage* copy = nullptr;
    if (SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, &copyBytes))) {
      if (SUCCEEDED(
              StgCreateDocfileOnILockBytes(copyBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &copy))) {
        root->CopyTo(0, nullptr, nullptr, copy);
        copy->Release();
        IStorage* again = nullptr;
        if (SUCCEEDED(StgOpenStorageOnILockBytes(copyBytes, nullptr, kRead, nullptr, 0, &again))) {
          Walk(again, 0);
          again->Release();
        } else {
          __builtin_trap();  // a document this layer wrote must open again
        }
      }
      copyBytes->Release();
    }
    root->Release();
  }
  bytes->Release();
  return 0;
}

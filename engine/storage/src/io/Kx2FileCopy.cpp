// Whole-file copies between a byte store and a path, in 24 KiB pieces.
#include <plastrum/Kx2File.h>

#include <plastrum/Kx2Heap.h>

#include <basalt/error.h>
#include <win/crt.h>

namespace {

constexpr int32_t kPiece = 0x6000;

// A piece buffer of its own for each copy, so that copies on two threads never share one.
class PieceBuffer {
 public:
  PieceBuffer() : bytes_(Kx2Heap::Allocate(kPiece)) {
    if (!bytes_) Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
  }
  ~PieceBuffer() { Kx2Heap::Free(bytes_); }
  PieceBuffer(const PieceBuffer&) = delete;
  PieceBuffer& operator=(const PieceBuffer&) = delete;
  void* get() const { return bytes_; }

 private:
  void* bytes_;
};

}  // namespace

int CopyToFile(CKx2BufIO& io, const char16_t* path) {
  PieceBuffer buffer;
  if (!buffer.get() || !path) return 0;
  _wchmod(path, _S_IREAD | _S_IWRITE);
  const int fd = _wopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD);
  if (fd < 0) {
    Basalt::Error::BaseError::_SetCrtError();
    return 0;
  }
  int result = 1;
  // A short read is not the end: a store may deliver less than asked (a decompressor
  // hands out what one window holds). Only a read of nothing ends the copy.
  for (;;) {
    const int32_t got = io.ReadThrough(buffer.get(), kPiece);
    if (got < 0) {
      result = 0;
      break;
    }
    if (got == 0) break;
    if (_write(fd, buffer.get(), static_cast<unsigned>(got)) != got) {
      Basalt::Error::BaseError::_SetCrtError();
      result = 0;
      break;
    }
  }
  if (_close(fd) != 0 && result) {
    Basalt::Error::BaseError::_SetCrtError();
    result = 0;
  }
  return result;
}

int CopyFromFile(CKx2BufIO& io, const char16_t* path) {
  PieceBuffer buffer;
  if (!buffer.get() || !path) return 0;
  const int fd = _wopen(path, _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    Basalt::Error::BaseError::_SetCrtError();
    return 0;
  }
  int result = 1;
  for (;;) {
    const int got = _read(fd, buffer.get(), kPiece);
    if (got < 0) {
      Basalt::Error::BaseError::_SetCrtError();
      result = 0;
      break;
    }
    if (got == 0) break;
    if (io.WriteThrough(buffer.get(), got) < got) {
      result = 0;
      break;
    }
  }
  _close(fd);
  return result;
}

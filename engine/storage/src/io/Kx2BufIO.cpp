#include <plastrum/Kx2BufIO.h>

#include <basalt/base_compress.h>

CKx2BufIO::CKx2BufIO()
    : compressor_(nullptr), mode_(0), encrypting_(0), cipher_(nullptr), suspended_(0), cipherReset_(0), handle_(0) {}

CKx2BufIO::~CKx2BufIO() {
  // The kind's own destructor has run: its Read and Write are gone, so an open compressor
  // is let go without handing it any more bytes.
  detached_ = true;
  EndLayers();
}

void CKx2BufIO::Close() { EndLayers(); }

const char16_t* CKx2BufIO::GetFileName() { return nullptr; }

int32_t CKx2BufIO::ReadThrough(void* buffer, int32_t n) {
  if (!compressor_) return Read(buffer, n);
  if (!CompressesForReading() || n < 0) return -1;
  return Basalt::Base::BaseCompress::Read(compressor_, buffer, static_cast<ULONG>(n));
}

int32_t CKx2BufIO::WriteThrough(const void* buffer, int32_t n) {
  if (!compressor_) return Write(buffer, n);
  if (CompressesForReading() || n < 0) return -1;
  return Basalt::Base::BaseCompress::Write(compressor_, buffer, static_cast<ULONG>(n));
}

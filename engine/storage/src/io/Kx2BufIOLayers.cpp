// The compression and encryption layers of every byte store.
//
// Writing: the records pass through the Deflate stream; each piece of compressed output is
// padded with zeros to the cipher's 16-byte block, counted into a CRC-32 of the padded
// plaintext and encrypted before it reaches the store. The first compressed stretch after
// BeginEncryption is followed by an 8-byte trailer (magic 0x59CEA438, then that CRC), written
// without compression or encryption.
//
// Reading mirrors it: pieces are decrypted as the decompressor pulls them, and at
// EndCompression the store is moved past the unused read-ahead, the zero padding and the
// trailer, whose magic and CRC are checked, so that whatever follows is read from its own
// place. The cipher runs one continuous CFB stream per BeginEncryption; since the
// decompressor reads ahead past the stretch, the reader rebuilds the cipher's state at the
// end of the stretch from the stretch's own ciphertext.
#include <plastrum/Kx2BufIO.h>

#include <plastrum/Kx2Failure.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <cstring>

#include <basalt/base_compress.h>
#include <basalt/base_encrypt.h>
#include <basalt/error.h>
#include <win/errors.h>

using Basalt::Base::BaseCompress;
using Basalt::Base::BaseEncrypt;

// Owned by the byte store; freed when it closes.
struct Kx2CipherRecord {
  unsigned char* buffer;  // padding buffer, reused between pieces
  int32_t bufferSize;
  int32_t cipherMode;
  int32_t crcOn;      // writing: the trailer is still to be written
  uint32_t crc;       // CRC-32 of the padded plaintext so far
  uint32_t crcState;  // running CRC register
  void* key;          // BaseEncrypt instance
  // Reading: the next compressed stretch is the first one and has a trailer to check.
  int32_t expectTrailer;
  // The password, kept to rebuild the cipher where the reader stops.
  char16_t* password;
  int32_t passwordLength;
};

namespace {

constexpr int32_t kCipherBlock = 16;
constexpr uint32_t kTrailerMagic = 0x59CEA438u;
constexpr int32_t kTrailerSize = 8;
// The cipher mode BaseEncrypt knows, which cipher mode 0 selects.
constexpr int kDefaultCipher = 4;

// ERROR_CRC (23): data error (cyclic redundancy check).
const HRESULT kDataError = HRESULT_FROM_WIN32(23);

int32_t RoundUpToBlock(int64_t n) { return static_cast<int32_t>((n + kCipherBlock - 1) / kCipherBlock * kCipherBlock); }

void PutU32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t GetU32(const unsigned char* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

static_assert(sizeof(ULONG) == sizeof(uint32_t), "the CRC register is 32 bits");

uint32_t Crc(uint32_t* state, const void* data, unsigned len) { return BaseCompress::UpdateCRC(state, data, len); }

}  // namespace

// ---- Callbacks between the compressor and the store ------------------------------------------

int CKx2BufIO::WritePiece(void*, const void* user, const void* data, unsigned len) {
  auto* self = static_cast<CKx2BufIO*>(const_cast<void*>(user));
  if (self->detached_ || len > INT32_MAX - kCipherBlock) return -1;
  Kx2CipherRecord* record = self->cipher_;
  if (!self->encrypting_ || !record) return self->Write(data, static_cast<int32_t>(len));

  const int32_t size = RoundUpToBlock(len);
  if (record->bufferSize < size) {
    auto* larger = static_cast<unsigned char*>(Kx2Heap::Allocate(static_cast<size_t>(size)));
    if (!larger) {
      Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
      return -1;
    }
    Kx2Heap::Free(record->buffer);
    record->buffer = larger;
    record->bufferSize = size;
  }
  std::memcpy(record->buffer, data, len);
  std::memset(record->buffer + len, 0, static_cast<size_t>(size) - len);
  record->crc = Crc(&record->crcState, record->buffer, static_cast<unsigned>(size));
  BaseEncrypt::WriteBlock(record->key, record->buffer, size);
  const int32_t written = self->Write(record->buffer, size);
  return written == size ? static_cast<int>(len) : -1;
}

int CKx2BufIO::ReadPiece(void*, const void* user, void* buffer, unsigned capacity) {
  auto* self = static_cast<CKx2BufIO*>(const_cast<void*>(user));
  if (self->detached_) return -1;
  Kx2CipherRecord* record = self->cipher_;
  const bool decrypt = self->encrypting_ && record;
  int64_t want = std::min<int64_t>(capacity, INT32_MAX);
  // Whole cipher blocks only, so that every piece starts on a block of the stretch.
  if (decrypt && want >= kCipherBlock) want -= want % kCipherBlock;
  const int32_t count = self->Read(buffer, static_cast<int32_t>(want));
  if (count > 0 && decrypt) BaseEncrypt::ReadBlock(record->key, buffer, count);
  return count;
}

// ---- Compression ----------------------------------------------------------------------------

int CKx2BufIO::BeginCompression() {
  if (compressor_) {
    Kx2::Fail(static_cast<uint32_t>(E_UNEXPECTED));
    return 0;
  }
  if (CompressesForReading()) {
    stretchStart_ = Seek(0, kFromCurrent);
    stretchEncrypted_ = encrypting_ && cipher_;
    compressor_ = BaseCompress::OpenRead(&CKx2BufIO::ReadPiece, this);
  } else {
    compressor_ = BaseCompress::OpenWrite(&CKx2BufIO::WritePiece, this);
  }
  if (!compressor_) {
    Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
    return 0;
  }
  return 1;
}

int CKx2BufIO::EndCompression() {
  if (!compressor_) {
    Kx2::Fail(static_cast<uint32_t>(E_UNEXPECTED));
    return 0;
  }
  void* compressor = compressor_;
  compressor_ = nullptr;
  if (CompressesForReading()) {
    const LONG unused = BaseCompress::CloseRead(compressor);
    if (unused < 0) {  // damaged data or a trailer that does not match
      Kx2::Fail(static_cast<uint32_t>(kDataError));
      return 0;
    }
    if (unused > 0 && Seek(-unused, kFromCurrent) < 0) return 0;
    if (stretchEncrypted_ && cipher_) return FinishEncryptedStretch(unused);
    return 1;
  }
  if (BaseCompress::CloseWrite(compressor) < 0) {
    Kx2::Fail(static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_WRITE_FAULT)));
    return 0;
  }
  if (cipher_ && cipher_->crcOn) {
    cipher_->crcOn = 0;
    unsigned char trailer[kTrailerSize];
    PutU32(trailer, kTrailerMagic);
    PutU32(trailer + 4, cipher_->crc);
    if (Write(trailer, kTrailerSize) != kTrailerSize) return 0;
  }
  return 1;
}

// The store stands right after the compressed data of an encrypted stretch. Moves it past
// the padding (and, for the first stretch, the checked trailer), and leaves the cipher in
// the state the writer's had after the stretch.
int CKx2BufIO::FinishEncryptedStretch(int32_t) {
  Kx2CipherRecord* record = cipher_;
  const int32_t end = Seek(0, kFromCurrent);
  if (end < 0 || stretchStart_ < 0 || end <= stretchStart_) {
    Kx2::Fail(static_cast<uint32_t>(kDataError));
    return 0;
  }
  const int32_t padded = RoundUpToBlock(end - stretchStart_);
  const int64_t paddedEnd = stretchStart_ + padded;
  if (paddedEnd > INT32_MAX) {
    Kx2::Fail(static_cast<uint32_t>(kDataError));
    return 0;
  }
  void* fresh = BaseEncrypt::Create(record->password, record->cipherMode ? record->cipherMode : kDefaultCipher);
  if (!fresh) {
    Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
    return 0;
  }
  auto fail = [&](uint32_t code) {
    BaseEncrypt::Release(fresh);
    Kx2::Fail(code);
    return 0;
  };

  unsigned char chunk[4096];
  if (record->expectTrailer) {
    // The first stretch starts where the cipher started: decrypt it once more from there,
    // which checks the CRC and brings the fresh cipher to the writer's state.
    record->expectTrailer = 0;
    if (Seek(static_cast<int32_t>(stretchStart_), kFromStart) < 0) return fail(static_cast<uint32_t>(kDataError));
    uint32_t state = 0;
    Crc(&state, nullptr, 0);
    uint32_t crc = 0;
    const int32_t plainEnd = end - static_cast<int32_t>(stretchStart_);
    for (int32_t done = 0; done < padded;) {
      const int32_t want = std::min<int32_t>(sizeof(chunk), padded - done);
      if (Read(chunk, want) != want) return fail(static_cast<uint32_t>(kDataError));
      BaseEncrypt::ReadBlock(fresh, chunk, want);
      // The padding after the compressed data is zeros.
      for (int32_t k = std::max(plainEnd - done, 0); k < want; ++k)
        if (chunk[k] != 0) return fail(static_cast<uint32_t>(kDataError));
      crc = Crc(&state, chunk, static_cast<unsigned>(want));
      done += want;
    }
    unsigned char trailer[kTrailerSize];
    if (Read(trailer, kTrailerSize) != kTrailerSize || GetU32(trailer) != kTrailerMagic || GetU32(trailer + 4) != crc)
      return fail(static_cast<uint32_t>(kDataError));
  } else {
    // In CFB mode the feedback register after a whole block of ciphertext is that block:
    // feeding the stretch's last ciphertext block to a fresh cipher gives the writer's state.
    if (Seek(static_cast<int32_t>(paddedEnd - kCipherBlock), kFromStart) < 0 ||
        Read(chunk, kCipherBlock) != kCipherBlock)
      return fail(static_cast<uint32_t>(kDataError));
    BaseEncrypt::ReadBlock(fresh, chunk, kCipherBlock);
  }
  BaseEncrypt::Release(record->key);
  record->key = fresh;
  return 1;
}

// ---- Encryption -------------------------------------------------------------------------------

int CKx2BufIO::BeginEncryption(int32_t cipherMode, const char16_t* password) {
  const bool writing = !IsReading();
  if (writing) Write(nullptr, 0);
  if (cipherMode >= 100 || cipherMode < 0) return 0;
  if (!password) password = u"";
  int32_t passwordLength = 0;
  while (password[passwordLength]) ++passwordLength;

  auto* record = static_cast<Kx2CipherRecord*>(Kx2Heap::Allocate(sizeof(Kx2CipherRecord)));
  auto* passwordCopy =
      static_cast<char16_t*>(Kx2Heap::Allocate(sizeof(char16_t) * (static_cast<size_t>(passwordLength) + 1)));
  if (!record || !passwordCopy) {
    Kx2Heap::Free(record);
    Kx2Heap::Free(passwordCopy);
    Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
    return 0;
  }
  std::memcpy(passwordCopy, password, sizeof(char16_t) * (passwordLength + 1));
  *record = Kx2CipherRecord{};
  record->cipherMode = cipherMode;
  record->password = passwordCopy;
  record->passwordLength = passwordLength;
  record->key = BaseEncrypt::Create(password, cipherMode ? cipherMode : kDefaultCipher);
  if (!record->key) {
    // The cipher knows only its one mode; anything else is refused, never half started.
    std::memset(passwordCopy, 0, sizeof(char16_t) * passwordLength);
    Kx2Heap::Free(passwordCopy);
    Kx2Heap::Free(record);
    Basalt::Error::BaseError::_SetError(cipherMode == 0 || cipherMode == kDefaultCipher
                                            ? Basalt::Error::kErrorOutOfMemory
                                            : static_cast<uint32_t>(E_INVALIDARG));
    return 0;
  }
  if (writing) {
    record->crcOn = 1;
    Crc(&record->crcState, nullptr, 0);
  } else {
    record->expectTrailer = 1;
  }
  FreeCipher();
  cipher_ = record;
  encrypting_ = 1;
  return 1;
}

int CKx2BufIO::EndEncryption() {
  if (!IsReading()) Write(nullptr, 0);
  encrypting_ = 0;
  cipherReset_ = 0;
  return 1;
}

int CKx2BufIO::SuspendEncryption(int flag) {
  if (!IsReading()) Write(nullptr, 0);
  if (!flag) return 0;
  suspended_ = 1;
  return cipher_ ? 1 : 0;
}

int CKx2BufIO::ResumeEncryption() {
  if (!IsReading()) Write(nullptr, 0);
  suspended_ = 0;
  return 1;
}

int CKx2BufIO::Flush() {
  if (!IsReading()) Write(nullptr, 0);
  return 1;
}

void CKx2BufIO::FreeCipher() {
  Kx2CipherRecord* record = cipher_;
  if (!record) return;
  cipher_ = nullptr;
  if (record->key) BaseEncrypt::Release(record->key);
  if (record->password) {
    std::memset(record->password, 0, sizeof(char16_t) * record->passwordLength);
    Kx2Heap::Free(record->password);
  }
  Kx2Heap::Free(record->buffer);
  Kx2Heap::Free(record);
}

void CKx2BufIO::EndLayers() {
  if (compressor_) {
    if (detached_) {
      void* compressor = compressor_;
      compressor_ = nullptr;
      if (CompressesForReading())
        BaseCompress::CloseRead(compressor);
      else
        BaseCompress::CloseWrite(compressor);  // the callback drops what it is handed
    } else {
      try {
        EndCompression();
      } catch (...) {
        // Closing never throws; the thread error tells what went wrong.
      }
    }
  }
  FreeCipher();
  encrypting_ = 0;
}
